// Threads, locks and counting semaphores of the operating system, behind one small
// interface. The shell's thread layer (UTL_thread) adds the program's error
// reporting on top; nothing else calls these directly.
#pragma once
#include <cstdint>

struct PLAT_thread;     // a started thread; freed by PLAT_thread_release
struct PLAT_mutex;      // a recursive lock
struct PLAT_semaphore;  // a counting semaphore with a maximum count

typedef uint64_t PLAT_thread_id;  // compares equal only for the same thread

// Starts `entry(arg)` on a new thread with the default stack size. Returns 0 with
// the thread in *out, or the system's error number.
int PLAT_thread_start(void* (*entry)(void*), void* arg, PLAT_thread** out);
// The calling thread's id, and the id of a started thread.
PLAT_thread_id PLAT_thread_self_id();
PLAT_thread_id PLAT_thread_id_of(const PLAT_thread* t);
// Waits at most `ms` milliseconds for the thread to end. Returns 0 with its exit
// value in *result, or the system's error number (ETIMEDOUT on POSIX, the wait result
// WAIT_TIMEOUT 258 on Windows, when it still runs).
int PLAT_thread_join_within(PLAT_thread* t, int ms, void** result);
// Frees the handle. A thread that has not been joined is left to run on and
// releases its resources itself when it ends.
void PLAT_thread_release(PLAT_thread* t, int joined);
// Ends the calling thread with `value` as its exit value. The thread's stack is
// unwound, so destructors run; see PLAT_rethrow_if_thread_exit.
[[noreturn]] void PLAT_thread_exit(void* value);
// Inside a catch (...) block: rethrows when the exception being handled is the
// unwinding of PLAT_thread_exit, which must never be swallowed; else returns.
void PLAT_rethrow_if_thread_exit();

// Processors the system has online.
int PLAT_processor_count();
// Restricts the calling thread to the first processor. Returns 0 with the previous
// mask (bit i = processor i, first 64 processors) in *old_mask, or the error number.
int PLAT_pin_thread_to_first_processor(uint64_t* old_mask);

// A recursive lock: the owner may lock it again and must unlock as often.
PLAT_mutex* PLAT_mutex_create();
void PLAT_mutex_destroy(PLAT_mutex* m);
void PLAT_mutex_lock(PLAT_mutex* m);
void PLAT_mutex_unlock(PLAT_mutex* m);

// A semaphore counting from `initial` up to `max`. Returns 0 or the error number.
int PLAT_semaphore_create(int initial, int max, PLAT_semaphore** out);
void PLAT_semaphore_destroy(PLAT_semaphore* s);
// Raises the count by one; EOVERFLOW when it is at its maximum already.
int PLAT_semaphore_post(PLAT_semaphore* s);
// Takes one count, waiting at most `ms` milliseconds (-1 forever, 0 only polls).
// Returns 0 when a count was taken, ETIMEDOUT when none came, else the error number.
int PLAT_semaphore_wait(PLAT_semaphore* s, int ms);
