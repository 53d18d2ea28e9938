// Shared helpers of the benchmarks.
#include "bench_util.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

double bench_now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

int bench_run(const std::string& command, double* seconds, long* peak_rss_bytes) {
  double t0 = bench_now();
  pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), (char*)nullptr);
    _exit(127);
  }
  int status = 0;
  struct rusage ru = {};
  wait4(pid, &status, 0, &ru);
  if (seconds) *seconds = bench_now() - t0;
  if (peak_rss_bytes) *peak_rss_bytes = ru.ru_maxrss * 1024L;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void bench_print(const std::string& name, double ours, double peer, const std::string& unit, bool higher_is_better) {
  double ratio = higher_is_better ? ours / peer : peer / ours;
  printf("BENCH %s ours=%.2f%s peer=%.2f%s ratio=%.3f\n", name.c_str(), ours, unit.c_str(), peer, unit.c_str(), ratio);
  fflush(stdout);
}

std::string bench_dir() {
  const char* d = getenv("VANTREL_BENCH_DIR");
  return d && *d ? d : "/tmp";
}
