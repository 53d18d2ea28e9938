// The crash report: a child that crashes on purpose leaves crash_log.txt naming
// the crashing function with its source file and line.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "shell/HL_THREAD.h"
#include "shell/UTL_Debug.h"
#include "support/fs_helpers.h"

static const int kNullWriteLine = __LINE__ + 3;
__attribute__((noinline)) static void crash_by_null_write() {
  volatile int* volatile p = nullptr;
  *p = 1;
}

static const int kAbortLine = __LINE__ + 2;
__attribute__((noinline)) static void crash_by_abort() {
  abort();
}

__attribute__((noinline)) static void call_crasher(void (*crasher)()) {
  crasher();
  asm volatile("");  // keeps this frame from being a tail call
}

static volatile int g_keep_recursing = 1;
__attribute__((noinline)) static int recurse_forever(int depth) {
  volatile char pad[256];
  pad[0] = (char)depth;
  if (!g_keep_recursing) return pad[0];
  return recurse_forever(depth + 1) + pad[0];
}

static void crash_by_stack_overflow() { recurse_forever(0); }

// A thread of the program's pool kind that writes through a null pointer.
static void crash_on_a_thread() {
  THREAD_init();
  UTL_thread_t t = nullptr, join = nullptr;
  THREAD_create(
      [](void*) -> void* {
        crash_by_null_write();
        return nullptr;
      },
      nullptr, &t, nullptr, &join, 0);
  UTL_thread_join(t, join);
}

// In the child: the report goes into `dir`, the log too.
static void crash_in(const std::string& dir, void (*crasher)()) {
  if (chdir(dir.c_str()) != 0) _exit(3);
  UTL_log_open(dir + "Log.txt");
  UTL_debug_init();
  call_crasher(crasher);
}

TEST(CrashReportDeathTest, NullWriteNamesFunctionFileAndLine) {
  TempDir d;
  EXPECT_EXIT(crash_in(d.path(), crash_by_null_write), testing::KilledBySignal(SIGSEGV), "");
  std::string report = read_file(d / "crash_log.txt");
  SCOPED_TRACE(report);
  EXPECT_EQ(0u, report.find("Unhandled exception: EXCEPTION_ACCESS_VIOLATION (C0000005)\n"
                            "Flags=1, Address = 0x"));
  std::string frame0 = "  0) crash_by_null_write + ";
  size_t at = report.find(frame0);
  ASSERT_NE(std::string::npos, at);
  std::string line0 = report.substr(at, report.find('\n', at) - at);
  EXPECT_NE(std::string::npos,
            line0.find("(crash_test.cpp:" + std::to_string(kNullWriteLine) + ") (test_diag + "))
      << line0;
  EXPECT_NE(std::string::npos, report.find("  1) call_crasher + ")) << "the caller's frame";
  EXPECT_NE(std::string::npos, report.find("CrashReportDeathTest_NullWriteNamesFunctionFileAndLine_Test::TestBody"));
  EXPECT_EQ("This application has crashed.  Please send the file crash_log.txt to Talvern Research.\n",
            read_file(d / "Log.txt"));
}

TEST(CrashReportDeathTest, AbortIsReportedAndAppended) {
  TempDir d;
  write_file(d / "crash_log.txt", "an older report\n");
  EXPECT_EXIT(crash_in(d.path(), crash_by_abort), testing::KilledBySignal(SIGABRT), "");
  std::string report = read_file(d / "crash_log.txt");
  SCOPED_TRACE(report);
  EXPECT_EQ(0u, report.find("an older report\nUnhandled exception: Unknown (00000006)\n"));
  size_t at = report.find(") crash_by_abort + ");
  ASSERT_NE(std::string::npos, at);
  std::string line = report.substr(at, report.find('\n', at) - at);
  EXPECT_NE(std::string::npos, line.find("(crash_test.cpp:" + std::to_string(kAbortLine) + ")"))
      << line;
}

TEST(CrashReportDeathTest, StackOverflowIsReportedFromTheSpareStack) {
  TempDir d;
  EXPECT_EXIT(crash_in(d.path(), crash_by_stack_overflow), testing::KilledBySignal(SIGSEGV), "");
  std::string report = read_file(d / "crash_log.txt");
  EXPECT_EQ(0u, report.find("Unhandled exception: EXCEPTION_STACK_OVERFLOW (C00000FD)\n")) << report;
  EXPECT_NE(std::string::npos, report.find("  0) recurse_forever")) << report.substr(0, 600);
  EXPECT_NE(std::string::npos, report.find("  99) recurse_forever")) << "a deep chain stops at 100 lines";
  EXPECT_EQ(std::string::npos, report.find(" 100) "));
}

TEST(CrashReportDeathTest, CrashOnAWorkerThreadIsReported) {
  TempDir d;
  EXPECT_EXIT(crash_in(d.path(), crash_on_a_thread), testing::KilledBySignal(SIGSEGV), "");
  std::string report = read_file(d / "crash_log.txt");
  EXPECT_EQ(0u, report.find("Unhandled exception: EXCEPTION_ACCESS_VIOLATION (C0000005)\n")) << report;
  EXPECT_NE(std::string::npos,
            report.find("  0) crash_by_null_write + ") ) << report;
  EXPECT_NE(std::string::npos, report.find("(crash_test.cpp:" + std::to_string(kNullWriteLine) + ")"));
}
