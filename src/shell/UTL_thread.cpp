// Threads, locks and message queues over the platform layer, with the fatal
// alerts for failures of the system's services.
#include "shell/UTL_thread.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/plat_thread.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"

int UTL_thread_join_limit_ms = 5000;

// The fatal alert for a failed system service: its name, then "err=<number>"
// with the number in "%f" form.
static void os_error(const char* service, int err, int line) {
  char num[64];
  snprintf(num, sizeof(num), "err=%f", (double)err);
  __DOVAVI_alert(0, std::string("\"") + service + "\" OS error", num, "", "", t_exit,
                 "UTL_thread", line);
}

UTL_thread_id UTL_get_current_thread() { return PLAT_thread_self_id(); }

int UTL_count_processors() { return PLAT_processor_count(); }

void UTL_thread_create(UTL_thread_func entry, void* arg, UTL_thread_t* out_thread,
                       UTL_thread_id* out_id, UTL_thread_t* out_join) {
  PLAT_thread* t = nullptr;
  int rc = PLAT_thread_start(entry, arg, &t);
  if (rc != 0) os_error("CreateThread", rc, __LINE__);
  if (out_thread) *out_thread = t;
  if (out_join) *out_join = t;
  if (out_id) *out_id = t ? PLAT_thread_id_of(t) : 0;
}

int UTL_thread_join(UTL_thread_t thread, UTL_thread_t join) {
  PLAT_thread* t = join ? join : thread;
  if (!t) return -1;
  void* result = nullptr;
  int rc = PLAT_thread_join_within(t, UTL_thread_join_limit_ms, &result);
  if (rc != 0) xer << "Wait on thread for cleanup failed with " << rc << ".\n";
  PLAT_thread_release(t, rc == 0);
  return rc == 0 ? (int)(intptr_t)result : -1;
}

void UTL_thread_exit(int value) { PLAT_thread_exit((void*)(intptr_t)value); }

void UTL_critical_section_create(UTL_critical_section* cs) { cs->mutex = PLAT_mutex_create(); }

void UTL_critical_section_destroy(UTL_critical_section* cs) {
  PLAT_mutex_destroy(cs->mutex);
  cs->mutex = nullptr;
}

void UTL_critical_section_lock(UTL_critical_section* cs) { PLAT_mutex_lock(cs->mutex); }
void UTL_critical_section_unlock(UTL_critical_section* cs) { PLAT_mutex_unlock(cs->mutex); }

void UTL_message_queue_create(UTL_message_queue** out_queue) {
  UTL_message_queue* q = new UTL_message_queue;
  UTL_critical_section_create(&q->lock);
  int rc = PLAT_semaphore_create(0, 100000, &q->queue);
  if (rc != 0) os_error("CreateSemaphore", rc, __LINE__);
  *out_queue = q;
}

void UTL_message_queue_write(UTL_message_queue* q, void* message) {
  UTL_critical_section_lock(&q->lock);
  q->messages.push_back(message);
  int rc = PLAT_semaphore_post(q->queue);
  // A message the count does not stand for would be read by nobody.
  if (rc != 0) q->messages.pop_back();
  UTL_critical_section_unlock(&q->lock);
  if (rc != 0) os_error("MPNotifyQueue", rc, __LINE__);
}

void* UTL_message_queue_read(UTL_message_queue* q, int in_wait_ms) {
  int rc = PLAT_semaphore_wait(q->queue, in_wait_ms);
  if (rc == ETIMEDOUT) return nullptr;
  if (rc != 0) {
    os_error("WaitForSingleObject", rc, __LINE__);
    return nullptr;
  }
  UTL_critical_section_lock(&q->lock);
  void* message = nullptr;
  if (!q->messages.empty()) {
    message = q->messages.front();
    q->messages.pop_front();
  }
  UTL_critical_section_unlock(&q->lock);
  return message;
}

void UTL_message_queue_destroy(UTL_message_queue* q) {
  if (!q) return;
  PLAT_semaphore_destroy(q->queue);
  UTL_critical_section_destroy(&q->lock);
  delete q;
}
