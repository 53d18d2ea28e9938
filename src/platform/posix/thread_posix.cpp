// Threads, recursive locks and counting semaphores over pthreads. The semaphore
// is a mutex and a condition variable on the monotonic clock, so that it can keep
// a maximum count and a timed wait is immune to changes of the wall clock.
#include "platform/plat_thread.h"

#include <cerrno>
#include <cxxabi.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

struct PLAT_thread {
  pthread_t handle;
};

struct PLAT_mutex {
  pthread_mutex_t m;
};

struct PLAT_semaphore {
  pthread_mutex_t m;
  pthread_cond_t cv;
  int count;
  int max;
};

// The absolute time `ms` milliseconds from now on `clock`.
static timespec deadline_after(clockid_t clock, int ms) {
  timespec ts;
  clock_gettime(clock, &ts);
  ts.tv_sec += ms / 1000;
  ts.tv_nsec += (long)(ms % 1000) * 1000000L;
  if (ts.tv_nsec >= 1000000000L) {
    ts.tv_sec++;
    ts.tv_nsec -= 1000000000L;
  }
  return ts;
}

int PLAT_thread_start(void* (*entry)(void*), void* arg, PLAT_thread** out) {
  PLAT_thread* t = new PLAT_thread;
  int rc = pthread_create(&t->handle, nullptr, entry, arg);
  if (rc != 0) {
    delete t;
    *out = nullptr;
    return rc;
  }
  *out = t;
  return 0;
}

PLAT_thread_id PLAT_thread_self_id() { return (PLAT_thread_id)pthread_self(); }
PLAT_thread_id PLAT_thread_id_of(const PLAT_thread* t) { return (PLAT_thread_id)t->handle; }

int PLAT_thread_join_within(PLAT_thread* t, int ms, void** result) {
  // The join's deadline is on the wall clock (the only one it accepts).
  timespec ts = deadline_after(CLOCK_REALTIME, ms);
  return pthread_timedjoin_np(t->handle, result, &ts);
}

void PLAT_thread_release(PLAT_thread* t, int joined) {
  if (!t) return;
  if (!joined) pthread_detach(t->handle);
  delete t;
}

void PLAT_thread_exit(void* value) { pthread_exit(value); }

void PLAT_rethrow_if_thread_exit() {
  try {
    throw;
  } catch (abi::__forced_unwind&) {
    throw;
  } catch (...) {
  }
}

int PLAT_processor_count() {
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? (int)n : 1;
}

int PLAT_pin_thread_to_first_processor(uint64_t* old_mask) {
  cpu_set_t set;
  CPU_ZERO(&set);
  int rc = pthread_getaffinity_np(pthread_self(), sizeof(set), &set);
  if (rc != 0) return rc;
  uint64_t mask = 0;
  for (int i = 0; i < 64; i++)
    if (CPU_ISSET(i, &set)) mask |= (uint64_t)1 << i;
  *old_mask = mask;
  CPU_ZERO(&set);
  CPU_SET(0, &set);
  return pthread_setaffinity_np(pthread_self(), sizeof(set), &set);
}

PLAT_mutex* PLAT_mutex_create() {
  PLAT_mutex* m = new PLAT_mutex;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&m->m, &attr);
  pthread_mutexattr_destroy(&attr);
  return m;
}

void PLAT_mutex_destroy(PLAT_mutex* m) {
  if (!m) return;
  pthread_mutex_destroy(&m->m);
  delete m;
}

void PLAT_mutex_lock(PLAT_mutex* m) { pthread_mutex_lock(&m->m); }
void PLAT_mutex_unlock(PLAT_mutex* m) { pthread_mutex_unlock(&m->m); }

int PLAT_semaphore_create(int initial, int max, PLAT_semaphore** out) {
  *out = nullptr;
  if (initial < 0 || max < 1 || initial > max) return EINVAL;
  PLAT_semaphore* s = new PLAT_semaphore;
  int rc = pthread_mutex_init(&s->m, nullptr);
  if (rc != 0) {
    delete s;
    return rc;
  }
  pthread_condattr_t attr;
  pthread_condattr_init(&attr);
  pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
  rc = pthread_cond_init(&s->cv, &attr);
  pthread_condattr_destroy(&attr);
  if (rc != 0) {
    pthread_mutex_destroy(&s->m);
    delete s;
    return rc;
  }
  s->count = initial;
  s->max = max;
  *out = s;
  return 0;
}

void PLAT_semaphore_destroy(PLAT_semaphore* s) {
  if (!s) return;
  pthread_cond_destroy(&s->cv);
  pthread_mutex_destroy(&s->m);
  delete s;
}

int PLAT_semaphore_post(PLAT_semaphore* s) {
  pthread_mutex_lock(&s->m);
  int rc = 0;
  if (s->count >= s->max) {
    rc = EOVERFLOW;
  } else {
    s->count++;
    pthread_cond_signal(&s->cv);
  }
  pthread_mutex_unlock(&s->m);
  return rc;
}

int PLAT_semaphore_wait(PLAT_semaphore* s, int ms) {
  pthread_mutex_lock(&s->m);
  int rc = 0;
  if (ms < 0) {
    while (s->count == 0 && rc == 0) rc = pthread_cond_wait(&s->cv, &s->m);
  } else {
    timespec ts = deadline_after(CLOCK_MONOTONIC, ms);
    while (s->count == 0 && rc == 0) rc = pthread_cond_timedwait(&s->cv, &s->m, &ts);
  }
  if (s->count > 0) {
    s->count--;
    rc = 0;
  }
  pthread_mutex_unlock(&s->m);
  return rc;
}
