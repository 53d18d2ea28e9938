// The worker pool and the forwarding of errors from any thread to the main
// thread. Sections: start-up, starting a thread, the worker loop, shutdown,
// error queues.
#include "shell/HL_THREAD.h"

#include <exception>

#include "platform/plat_thread.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_alert.h"

hl_thread_class hl_thread;

// ---- start-up ----

void THREAD_init() {
  if (cmdline.has_option("--lock_main_thread")) {
    uint64_t old_mask = 0;
    int rc = PLAT_pin_thread_to_first_processor(&old_mask);
    if (rc == 0)
      xer << "Thread affinity was " << old_mask << " is now 1.\n";
    else
      xer << "Thread affinity was " << old_mask << " and could not be set to 1 (error " << rc
          << ").\n";
  }
  hl_thread.main_thread = UTL_get_current_thread();
  UTL_message_queue_create(&hl_thread.warn_exce);
  UTL_message_queue_create(&hl_thread.quit_exce);
  UTL_critical_section_create(&hl_thread.free_calls_lock);
  UTL_message_queue_create(&hl_thread.call_queue);
  hl_thread.threads_inited = 1;
}

int THREAD_is_inited() { return hl_thread.threads_inited; }

int THREAD_is_main_thread() { return UTL_get_current_thread() == hl_thread.main_thread; }

void THREAD_make_workers() {
  int n = UTL_count_processors();
  xer << "CPU count        : " << n << "\n";
  for (int i = 0; i < n; i++) {
    UTL_thread_t thread = nullptr, join = nullptr;
    UTL_thread_id id = 0;
    THREAD_create(xtaskproc, nullptr, &thread, &id, &join, 1);
    hl_thread.worker_threads.push_back(thread);
    hl_thread.worker_threads_join.push_back(join);
    hl_thread.worker_threads_id.push_back(id);
  }
}

// ---- starting a thread ----

// What a new thread needs; it lives on the creator's stack, which is why the
// creator waits until the thread has copied it.
struct launch_block {
  UTL_thread_func entry;
  void* arg;
  UTL_message_queue* handshake;
  int wants_ogl;
};

static void* THREAD_launch(void* param) {
  UTL_debug_thread_init();
  launch_block* block = (launch_block*)param;
  UTL_thread_func entry = block->entry;
  void* arg = block->arg;
  UTL_message_queue_write(block->handshake, nullptr);  // `block` is gone after this
  try {
    entry(arg);
  } catch (exce_class& e) {
    e.MakeFatal();
    THREAD_send_exception(e);
  } catch (std::exception& e) {
    THREAD_send_exception(exce_class("Caught an unhandled C++ exception", e.what(), "", "",
                                     "HL_THREAD", __LINE__, t_exit));
  } catch (...) {
    PLAT_rethrow_if_thread_exit();
    THREAD_send_exception(exce_class("Caught an unhandled unknown exception", "", "", "",
                                     "HL_THREAD", __LINE__, t_exit));
  }
  return nullptr;
}

void THREAD_create(UTL_thread_func entry, void* arg, UTL_thread_t* out_thread,
                   UTL_thread_id* out_id, UTL_thread_t* out_join, int wants_ogl) {
  launch_block block{entry, arg, nullptr, wants_ogl};
  UTL_message_queue_create(&block.handshake);
  UTL_thread_create(THREAD_launch, &block, out_thread, out_id, out_join);
  UTL_message_queue_read(block.handshake, -1);
  UTL_message_queue_destroy(block.handshake);
}

// ---- the worker loop ----

void* xtaskproc(void*) {
  for (;;) {
    void* message = UTL_message_queue_read(hl_thread.call_queue, -1);
    if (message == UTL_QUEUE_STOP) break;
    THREAD_call* call = (THREAD_call*)message;
    if (!call) continue;
    void* result = call->func(call->arg);
    UTL_critical_section_lock(&call->lock);
    call->result = result;
    UTL_critical_section_unlock(&call->lock);
    UTL_message_queue_write(call->reply, call->cookie);
  }
  return nullptr;
}

// ---- shutdown ----

void THREAD_shutdown() {
  if (!hl_thread.threads_inited) return;
  for (size_t i = 0; i < hl_thread.worker_threads.size(); i++)
    UTL_message_queue_write(hl_thread.call_queue, UTL_QUEUE_STOP);
  for (size_t i = 0; i < hl_thread.worker_threads.size(); i++)
    UTL_thread_join(hl_thread.worker_threads[i], hl_thread.worker_threads_join[i]);
  hl_thread.worker_threads.clear();
  hl_thread.worker_threads_join.clear();
  hl_thread.worker_threads_id.clear();

  UTL_critical_section_destroy(&hl_thread.free_calls_lock);
  UTL_message_queue_destroy(hl_thread.call_queue);
  hl_thread.call_queue = nullptr;
  for (THREAD_call* call : hl_thread.free_calls) {
    UTL_message_queue_destroy(call->reply);
    UTL_critical_section_destroy(&call->lock);
    delete call;
  }
  hl_thread.free_calls.clear();
  // Nothing reads the error queues any more; records still in them go with them.
  for (UTL_message_queue* q : {hl_thread.warn_exce, hl_thread.quit_exce})
    while (void* m = UTL_message_queue_read(q, 0)) delete (exce_class*)m;
  UTL_message_queue_destroy(hl_thread.warn_exce);
  UTL_message_queue_destroy(hl_thread.quit_exce);
  hl_thread.warn_exce = hl_thread.quit_exce = nullptr;
  hl_thread.threads_inited = 0;
  xer << "Clean exit from threads.\n";
}

// ---- error queues ----

void THREAD_send_exception(const exce_class& e) {
  if (!hl_thread.threads_inited) {
    exce_class copy(e);
    copy.Report();
    return;
  }
  if (e.quit_ == t_alert) {
    UTL_message_queue_write(hl_thread.warn_exce, new exce_class(e));
  } else if (e.quit_ == t_exit) {
    UTL_message_queue_write(hl_thread.quit_exce, new exce_class(e));
    if (!THREAD_is_main_thread()) UTL_thread_exit(1);
  }
}

void THREAD_check_exception(int check_all) {
  if (!hl_thread.threads_inited) return;
  while (exce_class* e = (exce_class*)UTL_message_queue_read(hl_thread.quit_exce, 0)) {
    e->Report();
    delete e;
  }
  if (!check_all) return;
  while (exce_class* e = (exce_class*)UTL_message_queue_read(hl_thread.warn_exce, 0)) {
    e->Report();
    delete e;
  }
}
