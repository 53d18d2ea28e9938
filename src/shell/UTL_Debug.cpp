// The log stream and header, the crash report and the stack listing.
// Sections: the log, the header, the crash report, the stack listing and symbols.
#include "shell/UTL_Debug.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <cstring>
#include <vector>

#include "shell/UTL_cmdline.h"
#include "shell/hl_structs.h"

std::ofstream xer;

// ---- the log ----

void UTL_log_open(const std::string& path) {
  if (xer.is_open()) xer.close();
  xer.clear();
  // Binary: each line ends with the line feed its writer gave it, on every system.
  xer.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
  xer.setf(std::ios::fixed, std::ios::floatfield);
}

void UTL_log_close() {
  if (xer.is_open()) xer.close();
}

// ---- the header ----

static const char kVersionText[] = "Vantrel 9.00 Beta-17";
static const int kVersionNumber = 90017;

std::string UTL_physical_memory_line(uint64_t bytes) {
  if (bytes == 0xFFFFFFFFULL) return "Physical Memory: more than 4 GB.\n";
  return "Physical Memory: " + std::to_string(bytes) + "\n";
}

void UTL_write_log_header(std::ostream& out) {
  out << "log.txt for " << kVersionText << " " << "Installer " << kVersionNumber
      << " compiled on " << __DATE__ << " " << __TIME__ << "\n\n";
  out << "This log file is generated automatically by Talvern Research applications and contains "
         "diagnostics about your graphics hardware, installation, and any error conditions.\n";
  out << "If you need to contact tech support or file a bug, please send us this file. NOTE: "
         "this file is rewritten every time you start ANY of your Vantrel-System "
         "applications.\n\n";
  PLAT_os_version os;
  PLAT_get_os_version(&os);
  out << os.name << " " << os.major << "." << os.minor << " (build " << os.build << "/"
      << os.platform << ") " << os.detail << "\n";
  out << "CPU type: " << os.cpu_type << "\n";
  out << UTL_physical_memory_line(PLAT_physical_memory());
  std::vector<PLAT_cpu> cpus;
  PLAT_get_cpus(cpus);
  for (const PLAT_cpu& cpu : cpus) {
    out << "CPU 0: ";
    if (!cpu.name.empty()) out << cpu.name << " ";
    if (cpu.mhz >= 0) out << " Speed (mhz): " << cpu.mhz;
    out << "\n";
  }
  out << "\nVantrel-System folder:'" << app_path << "', case sensitive=" << g_case_sensitive
      << "\n\n";
}

// ---- the crash report ----

const exception_name_t kWindowsCodes[] = {
    {0xC0000005, "EXCEPTION_ACCESS_VIOLATION"},
    {0x80000002, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000003, "EXCEPTION_BREAKPOINT"},
    {0x80000004, "EXCEPTION_SINGLE_STEP"},
    {0xC000008C, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008D, "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008E, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008F, "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090, "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091, "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092, "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093, "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095, "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096, "EXCEPTION_PRIV_INSTRUCTION"},
    {0xC0000006, "EXCEPTION_IN_PAGE_ERROR"},
    {0xC000001D, "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {0xC0000025, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    {0xC00000FD, "EXCEPTION_STACK_OVERFLOW"},
    {0xC0000026, "EXCEPTION_INVALID_DISPOSITION"},
    {0x80000001, "EXCEPTION_GUARD_PAGE"},
    {0xC0000008, "EXCEPTION_INVALID_HANDLE"},
    {0, nullptr},
};

// Where report text goes: a stream, or a report file written without
// allocating (the crash handler's case).
struct report_out {
  FILE* fi;
  intptr_t fd;
};

static void out_printf(const report_out& o, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
static void out_printf(const report_out& o, const char* format, ...) {
  char buf[3500];
  va_list ap;
  va_start(ap, format);
  int n = vsnprintf(buf, sizeof(buf), format, ap);
  va_end(ap);
  if (n <= 0) return;
  size_t len = (size_t)n < sizeof(buf) ? (size_t)n : sizeof(buf) - 1;
  if (o.fi) {
    fwrite(buf, 1, len, o.fi);
    return;
  }
  PLAT_report_write(o.fd, buf, len);
}

static void dump_stack(const report_out& o, stack_frame* stack_ptr, void* caller, int first_line,
                       int caller_is_return);
static void print_symbol_at(const report_out& o, void* addy, void* lookup);

void UTL_debug_init() {
  PLAT_install_crash_handler([](const PLAT_crash_info* info) { fatal_exception_handler(info); });
}

void UTL_debug_thread_init() { PLAT_crash_stack_for_thread(); }

long fatal_exception_handler(const PLAT_crash_info* info) {
  intptr_t fd = PLAT_report_open_append("crash_log.txt");
  report_out o{nullptr, fd >= 0 ? fd : PLAT_report_stderr()};
  const char* name = nullptr;
  for (const exception_name_t* e = kWindowsCodes; e->name; e++)
    if (e->code == info->code) {
      name = e->name;
      break;
    }
  if (name)
    out_printf(o, "Unhandled exception: %s (%08X)\n", name, (unsigned)info->code);
  else
    out_printf(o, "Unhandled exception: Unknown (%08X)\n", (unsigned)info->code);
  out_printf(o, "Flags=%x, Address = 0x%08llx\n", (unsigned)info->signal_code,
             (unsigned long long)(uintptr_t)info->instruction);
  if (info->outside_count > 0) {
    // The crash is in code without frame pointers: its frames come from the
    // unwind tables, then the chain goes on from the first frame of ours.
    for (int i = 0; i < info->outside_count; i++) {
      out_printf(o, " % 2d) ", i);
      print_symbol_at(o, info->outside[i], (char*)info->outside[i] - (i > 0 ? 1 : 0));
    }
    dump_stack(o, (stack_frame*)info->resume_frame_pointer, info->resume_instruction,
               info->outside_count, 1);
  } else {
    dump_stack(o, (stack_frame*)info->frame_pointer, info->instruction, 0, 0);
  }
  if (fd >= 0) PLAT_report_close(fd);
  xer << "This application has crashed.  Please send the file crash_log.txt to Talvern Research.\n";
  xer.flush();
  return 0;
}

// ---- the stack listing and symbols ----

void UTL_get_debug_symbol(void* address, symbol_info* out_info) {
  PLAT_lookup_symbol(address, out_info);
}

int UTL_valid_memory(void* address, unsigned length, int safe_for_read, int safe_for_write) {
  if (safe_for_read && !PLAT_memory_readable(address, length)) return 0;
  if (safe_for_write && !PLAT_memory_writable(address, length)) return 0;
  return 1;
}

static const char* last_component(const char* path) {
  const char* cut = path;
  for (const char* p = path; *p; p++)
    if (*p == '/' || *p == '\\') cut = p + 1;
  return cut;
}

// Writes `addy`, resolved at `lookup`. A return address is looked up one byte
// earlier, inside the call it returns from: a call that never returns may be the
// last instruction of its function, and its return address the next function.
static void print_symbol_at(const report_out& o, void* addy, void* lookup) {
  symbol_info info;
  UTL_get_debug_symbol(lookup, &info);
  uintptr_t a = (uintptr_t)addy;
  if (info.function_name[0] && info.function_address)
    out_printf(o, "%s + %lld", info.function_name, (long long)(a - (uintptr_t)info.function_address));
  else if (info.function_address)
    out_printf(o, "0x%08llx + %lld", (unsigned long long)(uintptr_t)info.function_address,
               (long long)(a - (uintptr_t)info.function_address));
  else
    out_printf(o, "0x%08llx", (unsigned long long)a);
  if (info.file_name[0]) out_printf(o, " (%s:%d)", last_component(info.file_name), info.line_number);
  if (info.module_name[0] && info.module_address)
    out_printf(o, " (%s + %lld)\n", last_component(info.module_name),
               (long long)(a - (uintptr_t)info.module_address));
  else if (info.module_address)
    out_printf(o, " (0x%08llx + %lld)\n", (unsigned long long)(uintptr_t)info.module_address,
               (long long)(a - (uintptr_t)info.module_address));
  else
    out_printf(o, " (\?\?\?)\n");
}

void print_symbol(FILE* fi, void* addy) { print_symbol_at(report_out{fi, -1}, addy, addy); }

// The listing, numbered from `first_line`; `caller_is_return` tells that
// `caller` is a return address rather than the place of a crash.
static void dump_stack(const report_out& o, stack_frame* stack_ptr, void* caller, int first_line,
                       int caller_is_return) {
  int n = first_line;
  if (caller) {
    out_printf(o, " % 2d) ", n);
    print_symbol_at(o, caller, (char*)caller - (caller_is_return ? 1 : 0));
    n++;
  }
  stack_frame* frame = stack_ptr;
  while (frame && UTL_valid_memory(frame, sizeof(stack_frame), 1, 1) && n < 100 &&
         (uintptr_t)frame->next > (uintptr_t)frame) {
    out_printf(o, " % 2d) ", n);
    print_symbol_at(o, frame->caller, (char*)frame->caller - 1);
    frame = frame->next;
    n++;
  }
}

void UTL_dump_stack(FILE* fi, stack_frame* stack_ptr, void* caller) {
  // A null `stack_ptr` lists from here: this function's own frame.
  if (!stack_ptr) stack_ptr = (stack_frame*)__builtin_frame_address(0);
  dump_stack(report_out{fi, -1}, stack_ptr, caller, 0, 0);
}

void UTL_dump_stack_fd(int fd, stack_frame* stack_ptr, void* caller) {
  if (!stack_ptr) stack_ptr = (stack_frame*)__builtin_frame_address(0);
  dump_stack(report_out{nullptr, fd}, stack_ptr, caller, 0, 0);
}

void UTL_screen_trace(const std::string& what, const std::string& text) {
  static int enabled = -1;
  if (enabled < 0) enabled = cmdline.has_option("--trace_screen") ? 1 : 0;
  if (!enabled) return;
  static std::map<std::string, std::string> shown;
  auto it = shown.find(what);
  if (it != shown.end() && it->second == text) return;
  shown[what] = text;
  printf("screen %s: %s\n", what.c_str(), text.c_str());
  fflush(stdout);
  xer << "screen " << what << ": " << text << "\n";
  xer.flush();
}
