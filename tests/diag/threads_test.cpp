// The thread layer: message queues, the start handshake, the worker pool's start
// and stop lines, and errors raised on a worker that reach the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/HL_THREAD.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/UTL_thread.h"
#include "shell/hl_alert.h"
#include "support/fs_helpers.h"

TEST(MessageQueue, FirstInFirstOutAndPolling) {
  UTL_message_queue* q = nullptr;
  UTL_message_queue_create(&q);
  EXPECT_EQ(nullptr, UTL_message_queue_read(q, 0)) << "an empty queue polls to null at once";
  int a, b, c;
  UTL_message_queue_write(q, &a);
  UTL_message_queue_write(q, &b);
  UTL_message_queue_write(q, UTL_QUEUE_STOP);
  UTL_message_queue_write(q, &c);
  EXPECT_EQ(&a, UTL_message_queue_read(q, 0));
  EXPECT_EQ(&b, UTL_message_queue_read(q, -1));
  EXPECT_EQ(UTL_QUEUE_STOP, UTL_message_queue_read(q, 10));
  EXPECT_EQ(&c, UTL_message_queue_read(q, 0));
  EXPECT_EQ(nullptr, UTL_message_queue_read(q, 1)) << "a short wait times out";
  UTL_message_queue_destroy(q);
}

TEST(MessageQueue, ReaderWaitsForAWriterOnAnotherThread) {
  UTL_message_queue* q = nullptr;
  UTL_message_queue_create(&q);
  static int token;
  UTL_thread_t t = nullptr, join = nullptr;
  UTL_thread_id id = 0;
  UTL_thread_create(
      [](void* arg) -> void* {
        UTL_message_queue_write((UTL_message_queue*)arg, &token);
        return (void*)(intptr_t)7;
      },
      q, &t, &id, &join);
  EXPECT_EQ(t, join);
  EXPECT_NE(UTL_get_current_thread(), id);
  EXPECT_EQ(&token, UTL_message_queue_read(q, -1));
  EXPECT_EQ(7, UTL_thread_join(t, join));
  UTL_message_queue_destroy(q);
}

TEST(CriticalSection, IsRecursive) {
  UTL_critical_section cs;
  UTL_critical_section_create(&cs);
  UTL_critical_section_lock(&cs);
  UTL_critical_section_lock(&cs);  // would hang if the lock were not recursive
  UTL_critical_section_unlock(&cs);
  UTL_critical_section_unlock(&cs);
  UTL_critical_section_destroy(&cs);
}

TEST(ThreadJoin, AThreadThatDoesNotEndIsLoggedAndLeftBehind) {
  TempDir d;
  UTL_log_open(d / "Log.txt");
  UTL_message_queue* q = nullptr;
  UTL_message_queue_create(&q);
  UTL_thread_t t = nullptr, join = nullptr;
  UTL_thread_create([](void* arg) -> void* { return UTL_message_queue_read((UTL_message_queue*)arg, -1); },
                    q, &t, nullptr, &join);
  UTL_thread_join_limit_ms = 20;
  EXPECT_EQ(-1, UTL_thread_join(t, join));
  UTL_thread_join_limit_ms = 5000;
  UTL_log_close();
  EXPECT_EQ("Wait on thread for cleanup failed with 110.\n", read_file(d / "Log.txt"));
  // Let the thread go; it frees itself. The queue stays: the thread may still read it.
  UTL_message_queue_write(q, nullptr);
}

// Alerts that reach the main thread's alert call, in order.
struct seen_alert {
  std::string line1, line2;
  int type;
  bool on_main;
};
static std::vector<seen_alert> g_seen;
static void record_alert(int, const std::string& s1, const std::string& s2, const std::string&,
                         const std::string&, int type, const char*, int) {
  g_seen.push_back({s1, s2, type, THREAD_is_main_thread() != 0});
}

class ThreadPool : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override {
    g_seen.clear();
    g_alert_intercept = record_alert;
    UTL_log_open(dir / "Log.txt");
    THREAD_init();
  }
  void TearDown() override {
    if (THREAD_is_inited()) THREAD_shutdown();
    UTL_log_close();
    g_alert_intercept = nullptr;
  }
  // Runs `entry` on a thread of the pool's kind and waits for it to end.
  void run_on_thread(UTL_thread_func entry, void* arg = nullptr) {
    UTL_thread_t t = nullptr, join = nullptr;
    THREAD_create(entry, arg, &t, nullptr, &join, 0);
    UTL_thread_join(t, join);
  }
};

TEST_F(ThreadPool, WorkersStartOnePerProcessorAndStopCleanly) {
  THREAD_make_workers();
  int n = UTL_count_processors();
  EXPECT_EQ((size_t)n, hl_thread.worker_threads.size());
  EXPECT_EQ((size_t)n, hl_thread.worker_threads_id.size());
  for (UTL_thread_id id : hl_thread.worker_threads_id) EXPECT_NE(hl_thread.main_thread, id);
  THREAD_shutdown();
  EXPECT_EQ(0, THREAD_is_inited());
  EXPECT_TRUE(hl_thread.worker_threads.empty());
  UTL_log_close();
  // One stop message per worker: a worker left without one would time out in the
  // join and log "Wait on thread...".
  EXPECT_EQ("CPU count        : " + std::to_string(n) + "\nClean exit from threads.\n",
            read_file(dir / "Log.txt"));
}

TEST_F(ThreadPool, StartHandshakeHandsOverTheArgument) {
  std::atomic<int> value{0};
  run_on_thread(
      [](void* arg) -> void* {
        ((std::atomic<int>*)arg)->store(42);
        return nullptr;
      },
      &value);
  EXPECT_EQ(42, value.load());
}

static std::atomic<int> g_after_alert{0};

TEST_F(ThreadPool, WarningOnAWorkerIsShownAtTheNextCheck) {
  g_after_alert = 0;
  run_on_thread([](void*) -> void* {
    __DOVAVI_alert(0, "careful on a worker", "second", "", "", t_alert, "threads_test", 1);
    g_after_alert = 1;  // a warning returns to the worker at once
    return nullptr;
  });
  EXPECT_EQ(1, g_after_alert.load());
  EXPECT_TRUE(g_seen.empty()) << "nothing is shown on the worker";
  THREAD_check_exception(0);
  EXPECT_TRUE(g_seen.empty()) << "warnings wait while only fatal errors are collected";
  THREAD_check_exception(1);
  ASSERT_EQ(1u, g_seen.size());
  EXPECT_EQ("careful on a worker", g_seen[0].line1);
  EXPECT_EQ("second", g_seen[0].line2);
  EXPECT_EQ(t_alert, g_seen[0].type);
  EXPECT_TRUE(g_seen[0].on_main);
  THREAD_check_exception(1);
  EXPECT_EQ(1u, g_seen.size()) << "each record is shown once";
}

TEST_F(ThreadPool, FatalAlertEndsTheWorkerWhereItWasRaised) {
  g_after_alert = 0;
  run_on_thread([](void*) -> void* {
    __DOVAVI_alert(0, "broken on a worker", "", "", "", t_exit, "threads_test", 2);
    g_after_alert = 1;
    return nullptr;
  });
  EXPECT_EQ(0, g_after_alert.load());
  EXPECT_TRUE(g_seen.empty());
  // Drain it here: the intercept returns instead of ending the process.
  THREAD_check_exception(0);
  ASSERT_EQ(1u, g_seen.size());
  EXPECT_EQ(t_exit, g_seen[0].type);
}

TEST_F(ThreadPool, ExceptionsEscapingAThreadBecomeFatalRecords) {
  run_on_thread([](void*) -> void* { throw std::runtime_error("disk on fire"); });
  run_on_thread([](void*) -> void* { throw 5; });
  run_on_thread([](void*) -> void* {
    throw exce_class("thrown record", "", "", "", "threads_test", 3, t_alert);
  });
  THREAD_check_exception(0);
  ASSERT_EQ(3u, g_seen.size());
  EXPECT_EQ("Caught an unhandled C++ exception", g_seen[0].line1);
  EXPECT_EQ("disk on fire", g_seen[0].line2);
  EXPECT_EQ("Caught an unhandled unknown exception", g_seen[1].line1);
  EXPECT_EQ("thrown record", g_seen[2].line1);
  for (const seen_alert& a : g_seen) EXPECT_EQ(t_exit, a.type);
}

TEST_F(ThreadPool, LockMainThreadPinsAndLogsTheOldMask) {
  THREAD_shutdown();
  UTL_log_close();
  UTL_log_open(dir / "Log.txt");
  cmdline.options["--lock_main_thread"] = "";
  THREAD_init();
  cmdline.options.erase("--lock_main_thread");
  UTL_log_close();
  std::string log = read_file(dir / "Log.txt");
  EXPECT_EQ(0u, log.find("Thread affinity was ")) << log;
  EXPECT_NE(std::string::npos, log.find(" is now 1.\n")) << log;
}

// In the child: two workers each raise a fatal alert, then one check runs.
static void two_fatal_records_in_one_frame(const std::string& log) {
  UTL_log_open(log);
  THREAD_init();
  for (int line : {10, 11}) {
    UTL_thread_t t = nullptr, join = nullptr;
    THREAD_create(
        [](void* arg) -> void* {
          int at = (int)(intptr_t)arg;
          __DOVAVI_alert(0, at == 10 ? "first fatal" : "second fatal", "", "", "", t_exit,
                         "threads_test", at);
          return nullptr;
        },
        (void*)(intptr_t)line, &t, nullptr, &join, 0);
    UTL_thread_join(t, join);
  }
  THREAD_check_exception(1);
  _exit(0);  // not reached: the first record ends the process
}

TEST(ThreadsDeathTest, FatalErrorFromAWorkerEndsTheProcessWithStatusOne) {
  TempDir d;
  EXPECT_EXIT(two_fatal_records_in_one_frame(d / "Log.txt"), testing::ExitedWithCode(1),
              "first fatal \\(threads_test line 10\\)");
  std::string log = read_file(d / "Log.txt");
  EXPECT_NE(std::string::npos, log.find("\nfirst fatal\n\n\n\n(threads_test line 10)\n")) << log;
  EXPECT_EQ(std::string::npos, log.find("second fatal")) << "only the first record is shown";
}
