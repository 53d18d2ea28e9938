// The directory reader on a large release: a directory file of 100,000 records
// and a destination holding 20,000 of the files (2 GB). Prints the records read
// per second (destination empty) and the hashing throughput of the examination
// beside md5sum over the same 20,000 files, both from the page cache.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_util.h"
#include "installer/main.h"
#include "installer/utils.h"
#include "support/engine_fixture.h"

int main(int argc, char** argv) {
  const int records = argc > 1 ? atoi(argv[1]) : 100000;
  const int present = argc > 2 ? atoi(argv[2]) : 20000;
  const long file_size = 100000;
  const std::string dir = bench_dir() + "/vantrel-bench-dir/";
  bench_run("rm -rf " + dir + " && mkdir -p " + dir + "dest", nullptr, nullptr);

  std::string text = "I\n900 version\nINSTALLER\n";
  std::vector<unsigned char> block((size_t)file_size);
  unsigned x = 99;
  for (int i = 0; i < records; i++) {
    const int folder = i / 100;
    if (i % 100 == 0) {
      text += "DIR Vantrel/Resources/folder " + std::to_string(folder) + "/\n";
      if (i < present) bench_run("mkdir -p '" + dir + "dest/Resources/folder " + std::to_string(folder) + "'", nullptr,
                                 nullptr);
    }
    const std::string name = "file " + std::to_string(i) + ".dat";
    text += "FILE 1 0 1 100 100 0123456789abcdef0123456789abcdef " + name + "\n";
    if (i < present) {
      FILE* f = fopen((dir + "dest/Resources/folder " + std::to_string(folder) + "/" + name).c_str(), "wb");
      for (auto& b : block) b = (unsigned char)((x = x * 1103515245u + 12345u) >> 24);
      fwrite(block.data(), 1, block.size(), f);
      fclose(f);
    }
  }
  FILE* f = fopen((dir + "directory.txt").c_str(), "wb");
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);

  const std::string file_list = dir + "present.txt";
  bench_run("cd " + dir + "dest && find . -type f > " + file_list, nullptr, nullptr);
  const std::string peer_cmd = "cd " + dir + "dest && tr '\\n' '\\0' < " + file_list + " | xargs -0 md5sum > /dev/null";
  bench_run(peer_cmd, nullptr, nullptr);  // warm the cache

  reset_engine(dir + "nowhere/", dir);
  double t0 = bench_now();
  read_directory(dir + "directory.txt", "bench");
  const double parse_s = bench_now() - t0;
  printf("read_directory: %d records, destination empty: %.2f s, %.0f records/s\n", records, parse_s,
         records / parse_s);

  double best_ours = 1e9, best_peer = 1e9;
  for (int round = 0; round < 3; round++) {
    reset_engine(dir + "dest/", dir);
    t0 = bench_now();
    read_directory(dir + "directory.txt", "bench");
    best_ours = std::min(best_ours, bench_now() - t0);
    double peer = 0;
    bench_run(peer_cmd, &peer, nullptr);
    best_peer = std::min(best_peer, peer);
  }
  const double mb = (double)present * file_size / 1e6;
  printf("read_directory: %d records, %d present files (%.0f MB): %.2f s; md5sum: %.2f s\n", records, present, mb,
         best_ours, best_peer);
  bench_print("read_directory_hash_MB_per_s", mb / best_ours, mb / best_peer, "MB/s", true);
  bench_run("rm -rf " + dir, nullptr, nullptr);
  return 0;
}
