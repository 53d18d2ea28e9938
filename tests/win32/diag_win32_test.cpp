// The crash report, the symbol lookup and the memory report on Windows. The crash
// is made in a child process (this program started again), whose report is read
// back; the CodeView reader is tested on program images made here.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/nb11.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_memory.h"
#include "support/fs_helpers.h"

// ---- the crash report, in a child process ----

namespace {
__attribute__((noinline)) void crash_by_null_write() {
  volatile int* volatile p = nullptr;  // the compiler can neither know it is null nor drop the store
  *p = 1;
}
__attribute__((noinline)) void crash_by_division(volatile int zero) {
  volatile int x = 10 / zero;
  (void)x;
}

// Runs this program again as the crashing child `kind` in folder `dir`; returns its exit code.
DWORD run_child(const std::string& kind, const std::string& dir) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string line = std::string("\"") + exe + "\" --gtest_filter=CrashChild.Run --gtest_catch_exceptions=0";
  SetEnvironmentVariableA("VANTREL_CRASH_CHILD", kind.c_str());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) return 1;
  SetEnvironmentVariableA("VANTREL_CRASH_CHILD", nullptr);
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}
}  // namespace

// The child: installs the crash handler and crashes as told.
TEST(CrashChild, Run) {
  char kind[32] = "";
  if (!GetEnvironmentVariableA("VANTREL_CRASH_CHILD", kind, sizeof kind)) GTEST_SKIP() << "only as a child";
  SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);  // no debugger after the report
  UTL_log_open("Log.txt");
  UTL_debug_init();
  if (strcmp(kind, "null") == 0) crash_by_null_write();
  if (strcmp(kind, "divide") == 0) crash_by_division(0);
}

TEST(CrashReport, NullWriteIsReportedWithItsFrames) {
  TempDir d;
  EXPECT_NE(0u, run_child("null", d.path())) << "the process ends after its report";
  const std::string report = read_file(d / "crash_log.txt");
  EXPECT_EQ(0u, report.find("Unhandled exception: EXCEPTION_ACCESS_VIOLATION (C0000005)\nFlags=0, Address = 0x"))
      << report;
  // Frames from the faulting function back through the test's own: each in
  // this program's module, bare addresses since it carries no CodeView data.
  EXPECT_NE(std::string::npos, report.find("\n  0) 0x")) << report;
  EXPECT_NE(std::string::npos, report.find("\n  1) 0x")) << report;
  EXPECT_NE(std::string::npos, report.find(" (test_win32.exe + ")) << report;
  EXPECT_EQ(std::string::npos, report.find("(\?\?\?)\n  1)")) << "the first frames are in the program: " << report;
  EXPECT_NE(std::string::npos, read_file(d / "Log.txt").find(
                                   "This application has crashed.  Please send the file crash_log.txt to Talvern "
                                   "Research.\n"));
}

TEST(CrashReport, DivisionByZeroHasItsOwnName) {
  TempDir d;
  EXPECT_NE(0u, run_child("divide", d.path()));
  EXPECT_EQ(0u, read_file(d / "crash_log.txt").find("Unhandled exception: EXCEPTION_INT_DIVIDE_BY_ZERO (C0000094)\n"))
      << read_file(d / "crash_log.txt");
}

// ---- symbols ----

TEST(Symbols, OwnCodeIsItsModulePlusAnOffset) {
  symbol_info info;
  void* here = (void*)&crash_by_null_write;
  UTL_get_debug_symbol(here, &info);
  EXPECT_EQ((void*)GetModuleHandleA(nullptr), info.module_address);
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  EXPECT_STREQ(exe, info.module_name);
  EXPECT_STREQ("", info.function_name) << "GCC writes no CodeView data";
  EXPECT_EQ(-1, info.line_number);
  TempDir d;
  FILE* f = fopen((d / "sym.txt").c_str(), "wb");
  print_symbol(f, here);
  fclose(f);
  char expected[128];
  snprintf(expected, sizeof expected, "0x%08llx (test_win32.exe + %lld)\n", (unsigned long long)(uintptr_t)here,
           (long long)((uintptr_t)here - (uintptr_t)GetModuleHandleA(nullptr)));
  EXPECT_EQ(expected, read_file(d / "sym.txt"));
  UTL_get_debug_symbol(nullptr, &info);
  EXPECT_EQ(nullptr, info.module_address);
}

namespace {
// A small PE image with one code section (number 1) and CodeView NB11 data.
struct image_builder {
  std::vector<unsigned char> b;
  void put16(size_t at, uint16_t v) { grow(at + 2), b[at] = v & 255, b[at + 1] = v >> 8; }
  void put32(size_t at, uint32_t v) {
    grow(at + 4);
    for (int i = 0; i < 4; i++) b[at + i] = (v >> (8 * i)) & 255;
  }
  void put_str(size_t at, const char* s) {
    const size_t n = strlen(s);
    grow(at + 1 + n);
    b[at] = (unsigned char)n;
    memcpy(&b[at + 1], s, n);
  }
  void grow(size_t n) {
    if (b.size() < n) b.resize(n);
  }
};

const uint32_t kText = 0x1000, kDebugVa = 0x3000, kDebugRaw = 0x600, kCv = 0x800;

// Procedures at 0x10 ("first") and 0x80 ("second") of section 1; lines at
// offsets 0x10 (line 5) and 0x90 (line 9) of "a.c"; module "mod.obj" covers 0..0x200.
std::vector<unsigned char> make_image(bool with_lines) {
  image_builder w;
  w.b[0] = 0;
  w.grow(0x1000);
  w.b[0] = 'M', w.b[1] = 'Z';
  w.put32(0x3C, 0x80);
  memcpy(&w.b[0x80], "PE\0\0", 4);
  w.put16(0x80 + 6, 2);          // two sections
  w.put16(0x80 + 20, 0xF0);      // optional header size (PE32+)
  const size_t opt = 0x80 + 24;
  w.put16(opt, 0x20B);
  w.put32(opt + 112 + 6 * 8, kDebugVa);
  w.put32(opt + 112 + 6 * 8 + 4, 28);
  const size_t sec = opt + 0xF0;
  memcpy(&w.b[sec], ".text", 5);
  w.put32(sec + 8, 0x1000), w.put32(sec + 12, kText), w.put32(sec + 20, 0x400);
  memcpy(&w.b[sec + 40], ".rdata", 6);
  w.put32(sec + 40 + 8, 0x100), w.put32(sec + 40 + 12, kDebugVa), w.put32(sec + 40 + 20, kDebugRaw);
  w.put32(kDebugRaw + 24, kCv);  // the first debug entry's raw data
  memcpy(&w.b[kCv], "NB11", 4);
  w.put32(kCv + 4, 0x10);  // the subsection directory
  const size_t dir = kCv + 0x10;
  const int entries = with_lines ? 3 : 2;
  w.put32(dir + 4, entries);
  // Entry 0: aligned symbols at 0x100 from the base.
  w.put16(dir + 16, 0x125), w.put32(dir + 16 + 4, 0x100), w.put32(dir + 16 + 8, 0x80);
  size_t r = kCv + 0x100;
  for (auto p : {std::make_pair(0x10u, "first"), std::make_pair(0x80u, "second")}) {
    w.put16(r, 0x30), w.put16(r + 2, 0x100B);
    w.put32(r + 32, p.first), w.put16(r + 36, 1), w.put_str(r + 39, p.second);
    r += 0x32;
  }
  // Entry 1: the module record at 0x200.
  w.put16(dir + 28, 0x120), w.put32(dir + 28 + 4, 0x200), w.put32(dir + 28 + 8, 0x40);
  const size_t mod = kCv + 0x200;
  w.put16(mod + 4, 1);
  w.put16(mod + 8, 1), w.put32(mod + 8 + 4, 0), w.put32(mod + 8 + 8, 0x200);
  w.put_str(mod + 8 + 12, "mod.obj");
  if (with_lines) {
    // Entry 2: source lines at 0x300: one file, one block of two pairs.
    w.put16(dir + 40, 0x127), w.put32(dir + 40 + 4, 0x300), w.put32(dir + 40 + 8, 0x80);
    const size_t sub = kCv + 0x300;
    w.put16(sub, 1), w.put16(sub + 2, 1), w.put32(sub + 4, 0x10);
    const size_t file = sub + 0x10;
    w.put16(file, 1), w.put32(file + 4, 0x40), w.put32(file + 8, 0), w.put32(file + 12, 0x200);
    w.put_str(file + 16, "a.c");
    const size_t block = sub + 0x40;
    w.put16(block, 1), w.put16(block + 2, 2);
    w.put32(block + 4, 0x10), w.put32(block + 8, 0x90);
    w.put16(block + 12, 5), w.put16(block + 14, 9);
  }
  return w.b;
}

PLAT_symbol empty_symbol() {
  PLAT_symbol s;
  memset(&s, 0, sizeof s);
  s.line_number = -1;
  return s;
}
}  // namespace

TEST(Symbols, CodeViewProceduresLinesAndModules) {
  const std::vector<unsigned char> img = make_image(true);
  char base_marker;
  const char* at = &base_marker;  // stands for the address being looked up
  struct {
    uint32_t rel;
    const char* function;
    uint32_t start;
    const char* file;
    int line;
  } cases[] = {
      {kText + 0x10, "first", 0x10, "a.c", 5},
      {kText + 0x7F, "first", 0x10, "a.c", 5},
      {kText + 0x80, "second", 0x80, "a.c", 5},
      {kText + 0x95, "second", 0x80, "a.c", 9},
  };
  for (const auto& c : cases) {
    PLAT_symbol s = empty_symbol();
    EXPECT_EQ(1, nb11_lookup(img.data(), img.size(), c.rel, at, &s));
    EXPECT_STREQ(c.function, s.function_name) << std::hex << c.rel;
    EXPECT_EQ(at - (c.rel - kText) + c.start, (const char*)s.function_address) << std::hex << c.rel;
    EXPECT_STREQ(c.file, s.file_name);
    EXPECT_EQ(c.line, s.line_number);
  }
  // Without line records the module whose range holds the address names the file.
  const std::vector<unsigned char> no_lines = make_image(false);
  PLAT_symbol s = empty_symbol();
  EXPECT_EQ(1, nb11_lookup(no_lines.data(), no_lines.size(), kText + 0x20, at, &s));
  EXPECT_STREQ("first", s.function_name);
  EXPECT_STREQ("mod.obj", s.file_name);
  EXPECT_EQ(-1, s.line_number);
}

TEST(Symbols, ImagesWithoutCodeViewOrDamagedGiveNothing) {
  std::vector<unsigned char> img = make_image(true);
  char marker;
  PLAT_symbol s = empty_symbol();
  EXPECT_EQ(0, nb11_lookup(img.data(), img.size(), 0x9000, &marker, &s)) << "outside every section";
  std::vector<unsigned char> other = img;
  memcpy(&other[kCv], "NB09", 4);
  EXPECT_EQ(0, nb11_lookup(other.data(), other.size(), kText + 0x10, &marker, &s));
  EXPECT_STREQ("", s.function_name);
  // Cut anywhere, the image yields no more than it holds and never reads past its end.
  for (size_t cut = 0; cut < img.size(); cut += 7) {
    std::vector<unsigned char> part(img.begin(), img.begin() + (long)cut);
    PLAT_symbol t = empty_symbol();
    nb11_lookup(part.data(), part.size(), kText + 0x95, &marker, &t);
    if (t.function_name[0]) {
      EXPECT_TRUE(!strcmp(t.function_name, "first") || !strcmp(t.function_name, "second")) << cut;
    }
  }
}

// ---- the memory report ----

TEST(MemoryReport, WindowsFiguresRegionsAndHeaps) {
  TempDir d;
  char old_dir[MAX_PATH];
  GetCurrentDirectoryA(sizeof old_dir, old_dir);
  ASSERT_TRUE(SetCurrentDirectoryA(d.path().c_str()));
  UTL_log_open("Log.txt");
  dump_mem_stats((char*)"the test");
  UTL_log_close();
  SetCurrentDirectoryA(old_dir);
  std::string r;  // written in text mode: lines end with CR LF
  for (char c : read_file(d / "MemoryLog.txt"))
    if (c != '\r') r += c;
  EXPECT_EQ(0u, r.find("Windows Virtual Memory Info:\n    Load:  ")) << r.substr(0, 400);
  EXPECT_NE(std::string::npos, r.find("    Page faults:          ")) << "Psapi.dll answers";
  EXPECT_EQ(std::string::npos, r.find("too old to list per-process information"));
  EXPECT_NE(std::string::npos, r.find("( xr  commit   image) test_win32.exe\n"))
      << "the program's code: " << r.substr(r.find("I will now print"), 4000);
  EXPECT_NE(std::string::npos, r.find("        Process Heap 0x")) << "the default heap first";
  EXPECT_NE(std::string::npos, r.find(" Busy ")) << "busy heap entries";
  EXPECT_NE(std::string::npos, read_file(d / "Log.txt").find("OK check MemoryLog.txt! I just sent him a dump from the test\n"));
}
