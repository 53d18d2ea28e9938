// The crash handler, memory probes, the report file and the machine's figures on
// Windows. The handler is the process's unhandled-exception filter; everything it
// reaches allocates nothing, so a crash inside the allocator still gets its report.
//
// The frames of a crash come from the unwind tables (RtlVirtualUnwind): on x64
// Windows every function carries them, while the frame-pointer register does not
// form a chain (the compiler points it into the middle of large frames).
#include "platform/plat_debug.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

static PLAT_crash_handler g_crash_handler = nullptr;

// Walks the stack of `context` back through the unwind data into `info`.
static void unwind_frames(const CONTEXT* context, PLAT_crash_info* info) {
  CONTEXT ctx = *context;
  const int cap = (int)(sizeof(info->outside) / sizeof(info->outside[0]));
  for (int n = 0; n < cap; n++) {
    const DWORD64 ip = ctx.Rip;
    if (!ip) break;
    info->outside[info->outside_count++] = (void*)ip;
    DWORD64 image_base = 0;
    PRUNTIME_FUNCTION fn = RtlLookupFunctionEntry(ip, &image_base, nullptr);
    if (fn) {
      void* handler_data = nullptr;
      DWORD64 establisher = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, image_base, ip, fn, &ctx, &handler_data, &establisher, nullptr);
    } else {
      // A leaf function: the return address is on top of the stack.
      if (!PLAT_memory_readable((void*)ctx.Rsp, 8)) break;
      ctx.Rip = *(DWORD64*)ctx.Rsp;
      ctx.Rsp += 8;
    }
    if (ctx.Rip == ip && n > 0) break;  // no progress: the data is damaged
  }
}

static LONG WINAPI on_unhandled_exception(EXCEPTION_POINTERS* ep) {
  PLAT_crash_info info{};
  const EXCEPTION_RECORD* rec = ep->ExceptionRecord;
  info.code = rec->ExceptionCode;
  info.signal_number = 0;
  info.signal_code = (int)rec->ExceptionFlags;
  info.instruction = rec->ExceptionAddress;
  if ((rec->ExceptionCode == EXCEPTION_ACCESS_VIOLATION || rec->ExceptionCode == EXCEPTION_IN_PAGE_ERROR) &&
      rec->NumberParameters >= 2)
    info.fault_address = (void*)rec->ExceptionInformation[1];
  info.frame_pointer = (void*)ep->ContextRecord->Rbp;
  unwind_frames(ep->ContextRecord, &info);
  if (g_crash_handler) g_crash_handler(&info);
  return EXCEPTION_CONTINUE_SEARCH;  // the system's own handling ends the process
}

void PLAT_crash_stack_for_thread() {
  // Room on the thread's own stack for the report of a stack overflow.
  ULONG guarantee = 64 * 1024;
  SetThreadStackGuarantee(&guarantee);
}

void PLAT_install_crash_handler(PLAT_crash_handler handler) {
  g_crash_handler = handler;
  PLAT_crash_stack_for_thread();
  SetUnhandledExceptionFilter(on_unhandled_exception);
}

// ---- memory probes ----

// 1 when every page of the range is committed and allows the access; the range
// is looked up region by region, so nothing is touched and nothing can fault.
static int range_allows(const void* address, unsigned length, bool write) {
  if (length == 0) return 1;
  if (!address) return 0;
  uintptr_t at = (uintptr_t)address, end = at + length;
  if (end < at) return 0;
  while (at < end) {
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery((void*)at, &mbi, sizeof mbi) == 0) return 0;
    if (mbi.State != MEM_COMMIT) return 0;
    const DWORD p = mbi.Protect;
    if (p & (PAGE_GUARD | PAGE_NOACCESS)) return 0;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (!(p & (write ? writable : readable))) return 0;
    at = (uintptr_t)mbi.BaseAddress + mbi.RegionSize;
  }
  return 1;
}

int PLAT_memory_readable(const void* address, unsigned length) { return range_allows(address, length, false); }
int PLAT_memory_writable(const void* address, unsigned length) { return range_allows(address, length, true); }

// ---- the report file ----

intptr_t PLAT_report_open_append(const char* path) {
  HANDLE h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? -1 : (intptr_t)h;
}

intptr_t PLAT_report_stderr() { return (intptr_t)GetStdHandle(STD_ERROR_HANDLE); }

void PLAT_report_write(intptr_t file, const char* data, size_t length) {
  HANDLE h = (HANDLE)file;
  if (!h || h == INVALID_HANDLE_VALUE) return;
  for (size_t done = 0; done < length;) {
    DWORD wrote = 0;
    if (!WriteFile(h, data + done, (DWORD)(length - done), &wrote, nullptr) || wrote == 0) break;
    done += wrote;
  }
}

void PLAT_report_close(intptr_t file) {
  if (file != -1 && file != 0 && (HANDLE)file != GetStdHandle(STD_ERROR_HANDLE)) CloseHandle((HANDLE)file);
}

// ---- the machine ----

void PLAT_get_os_version(PLAT_os_version* out) {
  OSVERSIONINFOA v;
  memset(&v, 0, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL ok = GetVersionExA(&v);
#pragma GCC diagnostic pop
  out->name = "Windows";
  if (ok) {
    out->major = v.dwMajorVersion;
    out->minor = v.dwMinorVersion;
    out->build = v.dwBuildNumber;
    out->platform = std::to_string(v.dwPlatformId);
    out->detail = v.szCSDVersion;
  }
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  out->cpu_type = std::to_string(si.dwProcessorType);
}

void PLAT_get_cpus(std::vector<PLAT_cpu>& out) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  for (DWORD i = 0; i < si.dwNumberOfProcessors; i++) {
    char key_name[128];
    snprintf(key_name, sizeof key_name, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\%d", (int)i);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    PLAT_cpu cpu;
    char name[260];
    DWORD type = 0, size = sizeof name;
    if (RegQueryValueExA(key, "ProcessorNameString", nullptr, &type, (BYTE*)name, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
      name[size < sizeof name ? size : sizeof name - 1] = 0;
      cpu.name = name;
    }
    DWORD mhz = 0;
    size = sizeof mhz;
    if (RegQueryValueExA(key, "~MHz", nullptr, &type, (BYTE*)&mhz, &size) == ERROR_SUCCESS && type == REG_DWORD)
      cpu.mhz = (int)mhz;
    RegCloseKey(key);
    out.push_back(cpu);
  }
}

uint64_t PLAT_physical_memory() {
  MEMORYSTATUS ms;
  ms.dwLength = sizeof ms;
  GlobalMemoryStatus(&ms);
  return (uint64_t)ms.dwTotalPhys;
}
