// The program's thread model: which thread is the main thread, one idle worker
// per processor for the life of the program, and the queues that carry errors
// raised on any thread to the main thread, where the frame shows them as alerts.
#pragma once
#include <vector>

#include "shell/UTL_thread.h"
#include "shell/exce.h"

// A unit of work for the pool (nothing in this program queues one).
struct THREAD_call {
  void* (*func)(void*) = nullptr;  // the work
  void* arg = nullptr;             // its argument
  void* result = nullptr;          // its result, stored under `lock`
  UTL_critical_section lock;
  UTL_message_queue* reply = nullptr;  // gets `cookie` when the work is done
  void* cookie = nullptr;
};

class hl_thread_class {
 public:
  UTL_thread_id main_thread = 0;  // the thread that ran THREAD_init
  int threads_inited = 0;         // 1 from THREAD_init to THREAD_shutdown
  UTL_message_queue* warn_exce = nullptr;   // exce_class* warnings for the main thread
  UTL_message_queue* quit_exce = nullptr;   // exce_class* fatal errors for the main thread
  UTL_message_queue* call_queue = nullptr;  // THREAD_call* work for the pool, or the stop message
  std::vector<UTL_thread_t> worker_threads;       // one per worker
  std::vector<UTL_thread_t> worker_threads_join;  // one per worker
  std::vector<UTL_thread_id> worker_threads_id;   // one per worker
  std::vector<THREAD_call*> free_calls;  // reusable call records (always empty here)
  UTL_critical_section free_calls_lock;  // guards free_calls
};

extern hl_thread_class hl_thread;  // thread-model state (written by THREAD_init, _make_workers, _shutdown)

// Start-up, on the main thread, once: pins the main thread to the first
// processor when "--lock_main_thread" is given (logging the old mask), remembers
// the main thread and creates the queues.
void THREAD_init();
int THREAD_is_inited();
// 1 when the caller is the thread that ran THREAD_init.
int THREAD_is_main_thread();
// Logs "CPU count        : <n>" and starts one idle worker per processor.
void THREAD_make_workers();
// Starts entry(arg) on a new thread and returns once the thread has taken its
// start block. An error escaping the entry is sent to the main thread as fatal.
// `wants_ogl` would give the thread a shared GL context; this program never
// shares one, so it is accepted and ignored.
void THREAD_create(UTL_thread_func entry, void* arg, UTL_thread_t* out_thread,
                   UTL_thread_id* out_id, UTL_thread_t* out_join, int wants_ogl);
// The workers' loop: runs queued calls until the stop message arrives.
void* xtaskproc(void* arg);
// Stops and joins the pool, frees the queues and logs "Clean exit from threads.".
// Alerts raised afterwards run directly on the calling thread. Does nothing when
// the thread layer was never started.
void THREAD_shutdown();
// Queues a copy of `e` for the main thread: warnings in warn_exce, fatal errors
// in quit_exce, after which a caller other than the main thread ends at once.
// Records of another type are dropped. Before THREAD_init (or after shutdown)
// the error is reported directly.
void THREAD_send_exception(const exce_class& e);
// On the main thread: reports and frees every queued fatal record (the first one
// ends the process), then, when `check_all` is set, every queued warning.
void THREAD_check_exception(int check_all);
