// Threads, recursive locks and counting semaphores over Win32: CreateThread,
// critical sections, CreateSemaphore and WaitForSingleObject. Error numbers are
// GetLastError values, except the semaphore's time-out and overflow, which keep
// the meaning-codes of the interface (ETIMEDOUT, EOVERFLOW).
#include "platform/plat_thread.h"

#include <windows.h>

#include <cerrno>

struct PLAT_thread {
  HANDLE handle;
  DWORD id;
};

struct PLAT_mutex {
  CRITICAL_SECTION cs;
};

struct PLAT_semaphore {
  HANDLE handle;
};

namespace {
// What a started thread runs, and the unwinding that PLAT_thread_exit starts.
struct thread_start {
  void* (*entry)(void*);
  void* arg;
};
struct thread_exit_unwind {
  void* value;
};
thread_local bool t_started_here = false;
}  // namespace

static DWORD WINAPI thread_trampoline(LPVOID p) {
  thread_start start = *(thread_start*)p;
  delete (thread_start*)p;
  t_started_here = true;
  void* result = nullptr;
  try {
    result = start.entry(start.arg);
  } catch (thread_exit_unwind& e) {
    result = e.value;
  }
  return (DWORD)(uintptr_t)result;
}

int PLAT_thread_start(void* (*entry)(void*), void* arg, PLAT_thread** out) {
  *out = nullptr;
  thread_start* start = new thread_start{entry, arg};
  PLAT_thread* t = new PLAT_thread;
  t->handle = CreateThread(nullptr, 0, thread_trampoline, start, 0, &t->id);
  if (!t->handle) {
    int err = (int)GetLastError();
    delete start;
    delete t;
    return err ? err : ERROR_NOT_ENOUGH_MEMORY;
  }
  *out = t;
  return 0;
}

PLAT_thread_id PLAT_thread_self_id() { return GetCurrentThreadId(); }
PLAT_thread_id PLAT_thread_id_of(const PLAT_thread* t) { return t->id; }

int PLAT_thread_join_within(PLAT_thread* t, int ms, void** result) {
  DWORD rc = WaitForSingleObject(t->handle, ms < 0 ? INFINITE : (DWORD)ms);
  if (rc == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeThread(t->handle, &code);
    if (result) *result = (void*)(uintptr_t)code;
    return 0;
  }
  // The wait's own result (WAIT_TIMEOUT, 258), or the error of a failed wait.
  return rc == WAIT_FAILED ? (int)GetLastError() : (int)rc;
}

void PLAT_thread_release(PLAT_thread* t, int) {
  if (!t) return;
  // A thread still running goes on; closing the handle only gives up waiting for it.
  CloseHandle(t->handle);
  delete t;
}

void PLAT_thread_exit(void* value) {
  // Unwinding to the start of the thread runs the destructors on the way;
  // a thread the program did not start ends at once.
  if (t_started_here) throw thread_exit_unwind{value};
  ExitThread((DWORD)(uintptr_t)value);
}

void PLAT_rethrow_if_thread_exit() {
  try {
    throw;
  } catch (thread_exit_unwind&) {
    throw;
  } catch (...) {
  }
}

int PLAT_processor_count() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? (int)info.dwNumberOfProcessors : 1;
}

int PLAT_pin_thread_to_first_processor(uint64_t* old_mask) {
  DWORD_PTR previous = SetThreadAffinityMask(GetCurrentThread(), 1);
  if (previous == 0) return (int)GetLastError();
  *old_mask = (uint64_t)previous;
  return 0;
}

PLAT_mutex* PLAT_mutex_create() {
  PLAT_mutex* m = new PLAT_mutex;
  InitializeCriticalSection(&m->cs);
  return m;
}

void PLAT_mutex_destroy(PLAT_mutex* m) {
  if (!m) return;
  DeleteCriticalSection(&m->cs);
  delete m;
}

void PLAT_mutex_lock(PLAT_mutex* m) { EnterCriticalSection(&m->cs); }
void PLAT_mutex_unlock(PLAT_mutex* m) { LeaveCriticalSection(&m->cs); }

int PLAT_semaphore_create(int initial, int max, PLAT_semaphore** out) {
  *out = nullptr;
  if (initial < 0 || max < 1 || initial > max) return ERROR_INVALID_PARAMETER;
  HANDLE h = CreateSemaphoreA(nullptr, initial, max, nullptr);
  if (!h) return (int)GetLastError();
  *out = new PLAT_semaphore{h};
  return 0;
}

void PLAT_semaphore_destroy(PLAT_semaphore* s) {
  if (!s) return;
  CloseHandle(s->handle);
  delete s;
}

int PLAT_semaphore_post(PLAT_semaphore* s) {
  if (ReleaseSemaphore(s->handle, 1, nullptr)) return 0;
  DWORD err = GetLastError();
  return err == ERROR_TOO_MANY_POSTS ? EOVERFLOW : (int)err;
}

int PLAT_semaphore_wait(PLAT_semaphore* s, int ms) {
  DWORD rc = WaitForSingleObject(s->handle, ms < 0 ? INFINITE : (DWORD)ms);
  if (rc == WAIT_OBJECT_0) return 0;
  if (rc == WAIT_TIMEOUT) return ETIMEDOUT;
  return rc == WAIT_FAILED ? (int)GetLastError() : (int)rc;
}
