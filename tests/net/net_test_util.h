// Shared set-up of the HTTP client tests: a stepped frame clock, the log in a
// temporary folder, alerts turned into exceptions, and a driver that calls
// net_check as the frame loop does.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "support/fs_helpers.h"

class down_class;

// An alert raised inside a test: its four lines, kind, module and line.
struct alert_raised : std::runtime_error {
  std::string s1, s2, s3, s4, file;
  int type, line;
  alert_raised(const std::string& a, const std::string& b, const std::string& c, const std::string& d, int t,
               const std::string& f, int l)
      : std::runtime_error(a), s1(a), s2(b), s3(c), s4(d), file(f), type(t), line(l) {}
};

class NetTest : public testing::Test {
 public:
  static int64_t fake_us;  // the injected clock, microseconds

 protected:
  void SetUp() override;
  void TearDown() override;

  // Moves the frame clock on by `seconds` (the injected clock, then one update).
  void step_clock(double seconds);
  // The log written so far.
  std::string log_text();

  // Calls net_check on `slot` until it returns 1 or 2; between calls with no
  // progress it waits (up to 10 s of real time in all) for the connection to have
  // something to read. Returns the result, or -1 when the transfer never ended.
  int run(int slot, const std::string& server, const std::string& file, const std::string& local);
  // Calls net_check on `slot` until `reached` holds for the running transfer (the
  // result is then 0) or the transfer ends (its result); -1 when neither happened
  // within 10 s of real time.
  int pump(int slot, const std::string& server, const std::string& file, const std::string& local,
           const std::function<bool(down_class&)>& reached);

  TempDir dir;
};

// wait_fd_readable (support/socket_wait.h) waits for the connection between calls.
#include "support/socket_wait.h"
