// What the crash report and the log header need from the system: catching fatal
// signals on a stack of their own, reading memory without faulting, finding the
// module and the symbol of an address, and the figures that describe the machine.
// Every function marked "crash-safe" allocates no memory and takes no lock, so it
// may run inside the crash handler whatever state the process is in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the system tells about a crash.
struct PLAT_crash_info {
  int signal_number;     // the system's number of the signal
  int signal_code;       // its sub-code (e.g. SEGV_MAPERR)
  uint32_t code;         // the report's exception code (see PLAT_crash_code)
  void* fault_address;   // the data address of a memory fault, else null
  void* instruction;     // where the thread was when it crashed
  void* frame_pointer;   // its frame-pointer register then
  // A crash in code without frame pointers (the C library, say) cannot be walked
  // by its frame-pointer register. Then these list the frames from the crash
  // point back to the first one in the program's own code (outside[0] is the
  // instruction), and resume_* give that frame's return address and frame
  // pointer. outside_count is 0 when the crash is in the program's own code.
  void* outside[100];
  int outside_count;
  void* resume_instruction;
  void* resume_frame_pointer;
};
typedef void (*PLAT_crash_handler)(const PLAT_crash_info* info);

// The crash report's file, written without allocating (crash-safe): opened for
// appending (created when missing); -1 when it cannot be opened.
intptr_t PLAT_report_open_append(const char* path);
// The standard error stream as such a file.
intptr_t PLAT_report_stderr();
void PLAT_report_write(intptr_t file, const char* data, size_t length);
void PLAT_report_close(intptr_t file);

// Installs `handler` for the fatal signals (segmentation fault, bus error,
// arithmetic error, illegal instruction, abort), run on an alternate stack. When it
// returns, the crash takes the system's default course and the process dies of
// the signal. Also gives the calling thread its alternate stack.
void PLAT_install_crash_handler(PLAT_crash_handler handler);
// Gives the calling thread an alternate signal stack, so that a crash from stack
// overflow can still be reported. Each thread needs its own.
void PLAT_crash_stack_for_thread();

// 1 when `length` bytes at `address` can be read (crash-safe).
int PLAT_memory_readable(const void* address, unsigned length);
// 1 when `length` bytes at `address` can be written (crash-safe).
int PLAT_memory_writable(const void* address, unsigned length);

// The symbol data found for one address.
struct PLAT_symbol {
  char module_name[1024];    // full path of the module file, "" if unknown
  void* module_address;      // where the module is loaded, null if unknown
  char function_name[1024];  // enclosing function, readable form, "" if unknown
  void* function_address;    // its start, null if unknown
  char file_name[1024];      // source file of the nearest line record, "" if unknown
  int line_number;           // its line, -1 if unknown
};
// Fills `out` as far as the module's symbol table and line table go; the rest
// keeps its empty values. Reads the module file afresh each call (crash-safe).
void PLAT_lookup_symbol(const void* address, PLAT_symbol* out);

// The readable form of a compiler-mangled C++ name: the qualified function name
// without its parameters ("ns::cls::func", template arguments as "<...>", a
// clone suffix such as ".cold" kept). Returns 1 with the text in `out`, or 0 for
// a name that is not mangled or not understood (crash-safe).
int PLAT_demangle(const char* mangled, char* out, size_t cap);

// The machine, for the log header.
struct PLAT_os_version {
  std::string name;      // "Linux", "Windows"
  unsigned major = 0, minor = 0, build = 0;  // from the release number
  std::string platform;  // the machine's architecture, e.g. "x86_64" (Windows: the platform id, "2")
  std::string cpu_type;  // the processor type: the architecture again (Windows: the type number, "8664")
  std::string detail;    // the full release and version texts (Windows: the service pack)
};
void PLAT_get_os_version(PLAT_os_version* out);
struct PLAT_cpu {
  std::string name;  // model name, "" when the system gives none
  int mhz = -1;      // clock in MHz, -1 when the system gives none
};
// One entry per processor.
void PLAT_get_cpus(std::vector<PLAT_cpu>& out);
// Physical memory in bytes.
uint64_t PLAT_physical_memory();
