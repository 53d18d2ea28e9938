// Shared helpers of the benchmarks: timing, child processes with their peak
// memory, and the one-line result format.
#pragma once
#include <string>

// Seconds of a monotonic clock.
double bench_now();
// Runs a shell command in a child; returns its exit status and stores its wall
// time and peak resident memory (bytes).
int bench_run(const std::string& command, double* seconds, long* peak_rss_bytes);
// Prints "BENCH <name> ours=<ours><unit> peer=<peer><unit> ratio=<r>"; `higher_is_better`
// says whether the figures are speeds (ratio ours/peer) or costs (ratio peer/ours).
void bench_print(const std::string& name, double ours, double peer, const std::string& unit, bool higher_is_better);
// A folder for large scratch files: $VANTREL_BENCH_DIR or /tmp.
std::string bench_dir();
