// The log "Log.txt" and the program's diagnostics. Every module appends its
// plain lines to `xer`; each writer ends its own lines with "\n". Also the log
// header, the crash report "crash_log.txt" with its stack listing and symbol
// lookup, and a probe for readable and writable memory.
#pragma once
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <string>

#include "platform/plat_debug.h"

extern std::ofstream xer;  // the log stream; opened at start-up, closed at shutdown

// Opens the log at `path`, replacing an older file, with floats in fixed notation.
// A failure only leaves the stream bad, so every later write is dropped.
void UTL_log_open(const std::string& path);
// Closes the log; lines written afterwards are lost.
void UTL_log_close();

// Writes the log header: the program and its build time, the notice, the
// operating system, the processor type, physical memory, one "CPU 0: " line per
// processor and the program's folder. The caller flushes.
void UTL_write_log_header(std::ostream& out);
// The header's memory line for a total of `bytes` ("Physical Memory: <bytes>\n",
// or "Physical Memory: more than 4 GB.\n" for a figure saturated at 0xFFFFFFFF).
std::string UTL_physical_memory_line(uint64_t bytes);

// Installs fatal_exception_handler for every crash of any thread, for the life of
// the process. First thing at start-up.
void UTL_debug_init();
// Gives the calling thread its own stack for the crash handler, so that a stack
// overflow on it is reported too. Every thread the program starts calls it.
void UTL_debug_thread_init();

// One exception kind of the crash report.
struct exception_name_t {
  uint32_t code;
  const char* name;
};
extern const exception_name_t kWindowsCodes[];  // 22 kinds, ended by a null name

// Writes the crash report: appends to "crash_log.txt" in the current folder (to
// standard error when it cannot be opened) the exception line, the flags and
// address line and the stack listing, then logs "This application has crashed..."
// and flushes the log. Returns 0: the crash then takes its default course and the
// process dies of the signal. Allocates no memory.
long fatal_exception_handler(const PLAT_crash_info* info);

// One link of the frame-pointer chain as it lies on the stack.
struct stack_frame {
  stack_frame* next;  // the caller's frame
  void* caller;       // the return address into the caller
};

// Lists the stack into `fi`: first `caller` when it is not null (line 0), then the
// callers along the chain from `stack_ptr` (the listing function's own frame when
// null). The listing ends at a null frame, one that is not readable and writable,
// one whose link does not point upward (not printed), or after 100 lines.
void UTL_dump_stack(FILE* fi, stack_frame* stack_ptr, void* caller);
// The same into a file descriptor, without allocating (for the crash handler).
void UTL_dump_stack_fd(int fd, stack_frame* stack_ptr, void* caller);

// Writes one address resolved as "function + distance (file:line) (module + distance)\n",
// falling back to bare hexadecimal addresses and " (???)" for what is unknown.
void print_symbol(FILE* fi, void* addy);

// The result of one address lookup.
typedef PLAT_symbol symbol_info;
// Fills `out_info` from the symbol data of the module holding `address`: module
// file and load address, enclosing function and its start, source file and line.
// What cannot be found keeps its empty value (names "", addresses null, line -1).
void UTL_get_debug_symbol(void* address, symbol_info* out_info);

// 0 when the range is not readable (safe_for_read set) or not writable
// (safe_for_write set), else 1. Never faults.
int UTL_valid_memory(void* address, unsigned length, int safe_for_read, int safe_for_write);

// "--trace_screen", a seam for tests that drive the window from outside: when
// what the screen shows under `what` ("status", "line1", "window", ...) changes,
// writes "screen <what>: <text>" to standard output and to the log, both
// flushed. Does nothing without the option.
void UTL_screen_trace(const std::string& what, const std::string& text);
