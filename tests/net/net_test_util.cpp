// Shared set-up of the HTTP client tests.
#include "net_test_util.h"

#include <chrono>

#include "net/http.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"
#include "platform/plat_clock.h"
#include "shell/xtim.h"

int64_t NetTest::fake_us = 0;

static int64_t fake_clock() { return NetTest::fake_us; }

static void throwing_alert(int, const std::string& s1, const std::string& s2, const std::string& s3,
                           const std::string& s4, int type, const char* file, int line) {
  throw alert_raised(s1, s2, s3, s4, type, file ? file : "", line);
}

void NetTest::SetUp() {
  fake_us = 1000000;
  xtim_clock_source = fake_clock;
  xtim.reset();
  xtim.xtim_update();
  UTL_log_open(dir / "Log.txt");
  g_alert_intercept = throwing_alert;
  http.ProxyHost.clear();
  http.ProxyPort_str.clear();
  http.ProxyPort_int = 0;
}

void NetTest::TearDown() {
  for (int s = 0; s < 6; s++) http.net_abandon(s);
  http.ProxyHost.clear();
  http.ProxyPort_int = 0;
  g_alert_intercept = nullptr;
  UTL_log_close();
  xtim_clock_source = PLAT_microsecs;
}

void NetTest::step_clock(double seconds) {
  fake_us += (int64_t)(seconds * 1e6);
  xtim.xtim_update();
}

std::string NetTest::log_text() {
  xer.flush();
  return read_file(dir / "Log.txt");
}

int NetTest::pump(int slot, const std::string& server, const std::string& file, const std::string& local,
                  const std::function<bool(down_class&)>& reached) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    int r = http.net_check(slot, server, file, local);
    if (r != 0) return r;
    down_class* d = http.down[slot];
    if (reached(*d)) return 0;
    if (d->mSocket && d->mOutBuf.empty()) wait_fd_readable(d->mSocket->mWinSocket, 5);
  }
  return -1;
}

int NetTest::run(int slot, const std::string& server, const std::string& file, const std::string& local) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    int r = http.net_check(slot, server, file, local);
    if (r != 0) return r;
    down_class* d = http.down[slot];
    if (d && d->mSocket && d->mOutBuf.empty()) wait_fd_readable(d->mSocket->mWinSocket, 20);
  }
  return -1;
}
