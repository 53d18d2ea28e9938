// Fatal signals, memory probes and the machine's figures on Linux. The signal
// handler runs on an alternate stack (so a stack overflow is reported too) and
// everything it reaches allocates nothing: a crash inside the allocator must not
// hang the report.
#include "platform/plat_debug.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sysinfo.h>
#include <sys/uio.h>
#include <sys/utsname.h>
#include <ucontext.h>
#include <unistd.h>
#include <unwind.h>

static PLAT_crash_handler g_crash_handler = nullptr;
static const int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// The report's exception code of a signal: the code of the matching exception
// kind, or the signal number itself when there is none.
static uint32_t crash_code(int sig, int code) {
  switch (sig) {
    case SIGSEGV: return 0xC0000005;  // access violation
    case SIGBUS: return code == BUS_ADRALN ? 0x80000002 : 0xC0000006;  // misalignment; in-page error
    case SIGILL:
      return (code == ILL_PRVOPC || code == ILL_PRVREG) ? 0xC0000096 : 0xC000001D;
    case SIGFPE:
      switch (code) {
        case FPE_INTDIV: return 0xC0000094;
        case FPE_INTOVF: return 0xC0000095;
        case FPE_FLTDIV: return 0xC000008E;
        case FPE_FLTOVF: return 0xC0000091;
        case FPE_FLTUND: return 0xC0000093;
        case FPE_FLTRES: return 0xC000008F;
        case FPE_FLTINV: return 0xC0000090;
        case FPE_FLTSUB: return 0xC000008C;
      }
      return 0xC0000090;
  }
  return (uint32_t)sig;
}

int PLAT_module_of(const void* address, char* path_out, size_t cap, void** base_out);

// 1 when `address` lies in the same module file as this code.
static int in_own_module(const void* address) {
  char own[1024], other[1024];
  void* base;
  if (!PLAT_module_of((const void*)&in_own_module, own, sizeof(own), &base)) return 0;
  if (!PLAT_module_of(address, other, sizeof(other), &base)) return 0;
  return strcmp(own, other) == 0;
}

#if defined(__x86_64__)
static const int kFramePointerRegister = 6;  // the frame pointer's number in the unwind tables
#elif defined(__i386__)
static const int kFramePointerRegister = 5;
#elif defined(__aarch64__)
static const int kFramePointerRegister = 29;
#else
static const int kFramePointerRegister = -1;
#endif

struct unwind_walk {
  PLAT_crash_info* info;
  bool at_crash;  // the frames of the signal handler itself are passed over
  bool back_home;
};

static _Unwind_Reason_Code unwind_step(_Unwind_Context* ctx, void* arg) {
  unwind_walk* w = (unwind_walk*)arg;
  int before = 0;
  void* ip = (void*)_Unwind_GetIPInfo(ctx, &before);
  if (!w->at_crash) {
    if (ip != w->info->instruction) return _URC_NO_REASON;
    w->at_crash = true;
  }
  if (in_own_module(ip)) {
    w->info->resume_instruction = ip;
    w->info->resume_frame_pointer = (void*)_Unwind_GetGR(ctx, kFramePointerRegister);
    w->back_home = true;
    return _URC_END_OF_STACK;
  }
  if (w->info->outside_count >= 16) return _URC_END_OF_STACK;
  w->info->outside[w->info->outside_count++] = ip;
  return _URC_NO_REASON;
}

// Fills the outside frames of a crash outside the program's own code, from the
// unwind tables every module carries.
static void find_way_home(PLAT_crash_info* info) {
  if (!info->instruction || kFramePointerRegister < 0 || in_own_module(info->instruction)) return;
  unwind_walk w{info, false, false};
  _Unwind_Backtrace(unwind_step, &w);
  if (!w.back_home) {
    info->outside_count = 0;
    info->resume_instruction = info->resume_frame_pointer = nullptr;
  }
}

static void on_crash_signal(int sig, siginfo_t* si, void* context) {
  PLAT_crash_info info{};
  info.signal_number = sig;
  info.signal_code = si ? si->si_code : 0;
  info.code = crash_code(sig, info.signal_code);
  if (si && (sig == SIGSEGV || sig == SIGBUS)) info.fault_address = si->si_addr;
  ucontext_t* uc = (ucontext_t*)context;
  uintptr_t stack_pointer = 0;
#if defined(__x86_64__)
  info.instruction = (void*)uc->uc_mcontext.gregs[REG_RIP];
  info.frame_pointer = (void*)uc->uc_mcontext.gregs[REG_RBP];
  stack_pointer = (uintptr_t)uc->uc_mcontext.gregs[REG_RSP];
#elif defined(__i386__)
  info.instruction = (void*)uc->uc_mcontext.gregs[REG_EIP];
  info.frame_pointer = (void*)uc->uc_mcontext.gregs[REG_EBP];
  stack_pointer = (uintptr_t)uc->uc_mcontext.gregs[REG_ESP];
#elif defined(__aarch64__)
  info.instruction = (void*)uc->uc_mcontext.pc;
  info.frame_pointer = (void*)uc->uc_mcontext.regs[29];
  stack_pointer = (uintptr_t)uc->uc_mcontext.sp;
#else
  (void)uc;
#endif
  // A fault just below the stack pointer is the stack running into its guard.
  uintptr_t fault = (uintptr_t)info.fault_address;
  if (sig == SIGSEGV && stack_pointer && fault < stack_pointer + 256 &&
      fault + 65536 > stack_pointer)
    info.code = 0xC00000FD;
  find_way_home(&info);
  if (g_crash_handler) g_crash_handler(&info);
  // The handler was reset to the default action on entry. A fault comes again
  // when the instruction is retried; a signal that was sent (abort, kill) must be
  // raised once more, and is delivered as soon as this handler returns.
  if (!si || si->si_code <= 0) raise(sig);
}

// The alternate signal stack of a thread, released when the thread ends.
struct crash_stack {
  void* base = nullptr;
  size_t size = 0;
  ~crash_stack() {
    if (!base) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    sigaltstack(&off, nullptr);
    munmap(base, size);
  }
};
static thread_local crash_stack t_crash_stack;

void PLAT_crash_stack_for_thread() {
  if (t_crash_stack.base) return;
  size_t size = 256 * 1024;
  if (size < (size_t)SIGSTKSZ) size = SIGSTKSZ;
  void* base = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return;
  stack_t st{};
  st.ss_sp = base;
  st.ss_size = size;
  if (sigaltstack(&st, nullptr) != 0) {
    munmap(base, size);
    return;
  }
  t_crash_stack.base = base;
  t_crash_stack.size = size;
}

void PLAT_install_crash_handler(PLAT_crash_handler handler) {
  g_crash_handler = handler;
  PLAT_crash_stack_for_thread();
  struct sigaction sa;
  memset(&sa, 0, sizeof(sa));
  sa.sa_sigaction = on_crash_signal;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  // A second fatal signal while the report is written kills the process at once.
  sigemptyset(&sa.sa_mask);
  for (int sig : kCrashSignals) sigaddset(&sa.sa_mask, sig);
  for (int sig : kCrashSignals) sigaction(sig, &sa, nullptr);
}

// ---- memory probes ----

int PLAT_memory_readable(const void* address, unsigned length) {
  if (length == 0) return 1;
  if (!address) return 0;
  char buf[256];
  const char* p = (const char*)address;
  pid_t self = getpid();
  while (length > 0) {
    size_t n = length < sizeof(buf) ? length : sizeof(buf);
    iovec local{buf, n}, remote{(void*)p, n};
    ssize_t got = process_vm_readv(self, &local, 1, &remote, 1, 0);
    if (got < 0 && (errno == ENOSYS || errno == EPERM)) {
      // No cross-memory reads here: the kernel still refuses to copy an
      // unreadable range into a pipe.
      int fds[2];
      if (pipe(fds) != 0) return 0;
      got = write(fds[1], p, n);
      close(fds[0]);
      close(fds[1]);
    }
    if (got != (ssize_t)n) return 0;
    p += n;
    length -= (unsigned)n;
  }
  return 1;
}

// Reads /proc/self/maps line by line into a caller buffer, without allocating.
struct maps_reader {
  int fd = -1;
  char buf[8192];
  size_t len = 0, pos = 0;
  bool eof = false;
  maps_reader() { fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC); }
  ~maps_reader() {
    if (fd >= 0) close(fd);
  }
  // The next line without its "\n" (cut to the buffer), or null at the end.
  const char* next(char* line, size_t cap) {
    size_t out = 0;
    for (;;) {
      if (pos == len) {
        if (eof || fd < 0) break;
        ssize_t n = read(fd, buf, sizeof(buf));
        if (n <= 0) {
          eof = true;
          break;
        }
        len = (size_t)n;
        pos = 0;
      }
      char c = buf[pos++];
      if (c == '\n') {
        line[out] = 0;
        return line;
      }
      if (out + 1 < cap) line[out++] = c;
    }
    if (out == 0) return nullptr;
    line[out] = 0;
    return line;
  }
};

// One parsed maps line: its range, permissions, file offset and path ("" if none).
static bool parse_maps_line(const char* line, uintptr_t* start, uintptr_t* end, char perms[5],
                            uint64_t* offset, const char** path) {
  char* p;
  *start = (uintptr_t)strtoull(line, &p, 16);
  if (*p != '-') return false;
  *end = (uintptr_t)strtoull(p + 1, &p, 16);
  if (*p != ' ') return false;
  p++;
  for (int i = 0; i < 4; i++) perms[i] = p[i] ? p[i] : '-';
  perms[4] = 0;
  if (strlen(p) < 5) return false;
  p += 5;
  *offset = strtoull(p, &p, 16);
  // device, inode, then the path after the spaces
  for (int field = 0; field < 2; field++) {
    while (*p == ' ') p++;
    while (*p && *p != ' ') p++;
  }
  while (*p == ' ') p++;
  *path = p;
  return true;
}

int PLAT_memory_writable(const void* address, unsigned length) {
  if (!address) return 0;
  uintptr_t at = (uintptr_t)address, stop = at + length;
  if (stop < at) return 0;
  maps_reader maps;
  char line[4352];
  while (at < stop || (length == 0 && at == (uintptr_t)address)) {
    uintptr_t start, end;
    char perms[5];
    uint64_t offset;
    const char* path;
    const char* l = maps.next(line, sizeof(line));
    if (!l) return 0;
    if (!parse_maps_line(l, &start, &end, perms, &offset, &path)) continue;
    if (end <= at) continue;
    if (start > at || perms[1] != 'w') return 0;
    if (length == 0) return 1;
    at = end;
  }
  return 1;
}

// ---- the module of an address (used by the symbol reader) ----

int PLAT_module_of(const void* address, char* path_out, size_t cap, void** base_out) {
  maps_reader maps;
  char line[4352];
  char base_path[1024] = "";
  uintptr_t base = 0;
  uintptr_t a = (uintptr_t)address;
  while (const char* l = maps.next(line, sizeof(line))) {
    uintptr_t start, end;
    char perms[5];
    uint64_t offset;
    const char* path;
    if (!parse_maps_line(l, &start, &end, perms, &offset, &path)) continue;
    if (offset == 0 && path[0] == '/') {
      snprintf(base_path, sizeof(base_path), "%s", path);
      base = start;
    }
    if (a < start || a >= end) continue;
    if (path[0] != '/' || strcmp(path, base_path) != 0) return 0;
    snprintf(path_out, cap, "%s", path);
    *base_out = (void*)base;
    return 1;
  }
  return 0;
}

// ---- the report file ----

intptr_t PLAT_report_open_append(const char* path) {
  return open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

intptr_t PLAT_report_stderr() { return 2; }

void PLAT_report_write(intptr_t file, const char* data, size_t length) {
  for (size_t done = 0; done < length;) {
    ssize_t w = write((int)file, data + done, length - done);
    if (w <= 0) break;
    done += (size_t)w;
  }
}

void PLAT_report_close(intptr_t file) {
  if (file > 2) close((int)file);
}

// ---- the machine ----

void PLAT_get_os_version(PLAT_os_version* out) {
  struct utsname u;
  if (uname(&u) != 0) return;
  out->name = u.sysname;
  out->platform = u.machine;
  out->cpu_type = u.machine;
  unsigned v[3] = {0, 0, 0};
  sscanf(u.release, "%u.%u.%u", &v[0], &v[1], &v[2]);
  out->major = v[0];
  out->minor = v[1];
  out->build = v[2];
  out->detail = std::string(u.release) + " " + u.version;
}

void PLAT_get_cpus(std::vector<PLAT_cpu>& out) {
  FILE* f = fopen("/proc/cpuinfo", "r");
  if (f) {
    char line[1024];
    while (fgets(line, sizeof(line), f)) {
      char* colon = strchr(line, ':');
      if (!colon) continue;
      std::string key(line, colon);
      while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
      std::string value(colon + 1);
      while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
      if (!value.empty() && value[0] == ' ') value.erase(0, 1);
      if (key == "processor") out.push_back(PLAT_cpu());
      if (out.empty()) continue;
      if (key == "model name") out.back().name = value;
      if (key == "cpu MHz") out.back().mhz = atoi(value.c_str());
    }
    fclose(f);
  }
  // Systems whose cpuinfo has no per-processor records still have processors.
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  while ((long)out.size() < n) out.push_back(PLAT_cpu());
}

uint64_t PLAT_physical_memory() {
  struct sysinfo si;
  if (sysinfo(&si) != 0) return 0;
  return (uint64_t)si.totalram * si.mem_unit;
}
