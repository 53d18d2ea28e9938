// The program's threads, locks and message queues: small functions over the
// platform layer that turn every failure of the system's thread services into a
// fatal alert naming the service. HL_THREAD builds the worker pool on them.
#pragma once
#include <cstdint>
#include <deque>

struct PLAT_thread;
struct PLAT_mutex;
struct PLAT_semaphore;

typedef PLAT_thread* UTL_thread_t;  // a started thread; also its join handle
typedef uint64_t UTL_thread_id;     // equal only for the same thread
typedef void* (*UTL_thread_func)(void*);

// The calling thread's id.
UTL_thread_id UTL_get_current_thread();
// The number of processors the system reports.
int UTL_count_processors();

// Starts entry(arg) at once with the default stack size. *out_thread and
// *out_join get the same handle, *out_id the new thread's id. When the system
// refuses, a t_exit alert ("\"CreateThread\" OS error", "err=<number>") ends the
// program.
void UTL_thread_create(UTL_thread_func entry, void* arg, UTL_thread_t* out_thread,
                       UTL_thread_id* out_id, UTL_thread_t* out_join);
// Waits up to UTL_thread_join_limit_ms for the thread to end, logging "Wait on
// thread for cleanup failed with <code>.\n" when it does not; then frees the
// handle and returns the thread's exit code (-1 for a thread left running, which
// frees itself when it ends).
int UTL_thread_join(UTL_thread_t thread, UTL_thread_t join);
// Ends the calling thread with `value` as its exit code; destructors of the
// thread's stack run on the way out.
[[noreturn]] void UTL_thread_exit(int value);
// How long UTL_thread_join waits: 5000 ms; tests shorten it.
extern int UTL_thread_join_limit_ms;

// A recursive lock.
struct UTL_critical_section {
  PLAT_mutex* mutex = nullptr;
};
void UTL_critical_section_create(UTL_critical_section* cs);
void UTL_critical_section_destroy(UTL_critical_section* cs);
void UTL_critical_section_lock(UTL_critical_section* cs);
void UTL_critical_section_unlock(UTL_critical_section* cs);

// A first-in first-out queue of untyped pointers. One semaphore count stands for
// one message, so readers wait without holding the lock and writers never wait.
// The value -1 (all bits set) is the worker pool's stop message; null is a valid
// message but cannot be told from a time-out.
struct UTL_message_queue {
  UTL_critical_section lock;      // guards `messages`
  PLAT_semaphore* queue = nullptr;  // counts the messages, at most 100 000
  std::deque<void*> messages;
};
#define UTL_QUEUE_STOP ((void*)(intptr_t)-1)

// Allocates a queue; "\"CreateSemaphore\" OS error" (t_exit) when the semaphore
// cannot be made.
void UTL_message_queue_create(UTL_message_queue** out_queue);
// Appends a message and raises the count; "\"MPNotifyQueue\" OS error" (t_exit)
// when the count cannot be raised (100 000 messages waiting).
void UTL_message_queue_write(UTL_message_queue* q, void* message);
// The oldest message, waiting at most `in_wait_ms` (-1 forever, 0 only polls);
// null on time-out. "\"WaitForSingleObject\" OS error" (t_exit) when the wait fails.
void* UTL_message_queue_read(UTL_message_queue* q, int in_wait_ms);
// Frees the queue; messages still in it are dropped, not freed.
void UTL_message_queue_destroy(UTL_message_queue* q);
