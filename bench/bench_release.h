// The release the whole-install benchmarks install: `files` files of `total`
// bytes in all under "Resources/folder N/", sizes from a few kB to about 2.5
// times the mean, half of each file compressible. The same seed gives the same
// release in every benchmark.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "support/engine_fixture.h"
#include "support/fs_helpers.h"

inline std::vector<release_file> bench_release_files(int files, long long total, long long* made_out) {
  std::vector<release_file> release;
  unsigned x = 7;
  const long long mean = total / files;
  long long made = 0;
  for (int i = 0; i < files; i++) {
    long long size = (i == files - 1)
                         ? total - made
                         : (long long)(mean * (0.05 + 1.9 * ((x = x * 1103515245u + 12345u) >> 16 & 0xFFFF) / 65535.0));
    if (size < 0) size = 0;
    made += size;
    release_file f;
    f.path = "Resources/folder " + std::to_string(i % 50) + "/file " + std::to_string(i) + ".dat";
    f.bytes = random_bytes((size_t)(size / 2), (unsigned)i) + std::string((size_t)(size - size / 2), 'a' + i % 26);
    release.push_back(f);
  }
  if (made_out) *made_out = made;
  return release;
}

// The name under which the benchmarks publish it.
const char* const bench_release_name = "Bench 1.0";

// Writes that release, named bench_release_name, as the published release under
// `mirror` (served at "/m/"), saying so under `label`; returns its files and
// sets *made_out to its size.
inline std::vector<release_file> bench_publish_release(const std::string& label, const std::string& mirror, int files,
                                                       long long total, long long* made_out) {
  long long made = 0;
  std::vector<release_file> release = bench_release_files(files, total, &made);
  printf("%s: publishing %d files, %.0f MB...\n", label.c_str(), files, made / 1e6);
  fflush(stdout);
  write_release(mirror, "/m/", bench_release_name, release);
  if (made_out) *made_out = made;
  return release;
}

// The server list naming the one loopback server that serves `mirror`.
inline void bench_list_server(const std::string& mirror, const std::string& host) {
  write_file(mirror + "serverlist.txt", server_list_text(bench_release_name, {{host, "/m/", "Loopback"}}));
}
