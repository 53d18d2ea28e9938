// Extraction of one 2 GiB member: peak resident memory and time of zip_to_file
// (in a child process) beside Info-ZIP's unzip on the same archive.
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench_util.h"
#include "files/IO_UTILS.h"

int main(int argc, char** argv) {
  const long long size = argc > 1 ? atoll(argv[1]) : (2LL << 30);
  const std::string dir = bench_dir() + "/vantrel-bench-unzip/";
  bench_run("rm -rf " + dir + " && mkdir -p " + dir + "src " + dir + "ours " + dir + "peer", nullptr, nullptr);
  {
    // Compressible but not trivial content, so that making the archive is quick.
    FILE* f = fopen((dir + "src/big.bin").c_str(), "wb");
    if (!f) return 1;
    std::vector<unsigned char> block(1 << 20);
    for (long long done = 0; done < size; done += (long long)block.size()) {
      for (size_t i = 0; i < block.size(); i++) block[i] = (unsigned char)((i * 7 + (size_t)(done >> 20)) & 0x3F);
      fwrite(block.data(), 1, block.size(), f);
    }
    fclose(f);
  }
  if (bench_run("cd " + dir + "src && zip -q -1 ../big.zip big.bin", nullptr, nullptr) != 0) return 1;
  bench_run("rm -f " + dir + "src/big.bin", nullptr, nullptr);

  double t0 = bench_now();
  pid_t pid = fork();
  if (pid == 0) _exit(zip_to_file(dir + "big.zip", dir + "ours/", nullptr, 0) == 0 ? 0 : 1);
  int status = 0;
  struct rusage ru = {};
  wait4(pid, &status, 0, &ru);
  double ours_s = bench_now() - t0;
  long ours_rss = ru.ru_maxrss * 1024L;

  double peer_s = 0;
  long peer_rss = 0;
  bench_run("unzip -q -o " + dir + "big.zip -d " + dir + "peer", &peer_s, &peer_rss);

  const double mib = (double)size / (1 << 20);
  bench_print("unzip_2GiB_peak_rss_MiB", ours_rss / 1048576.0, peer_rss / 1048576.0, "MiB", false);
  bench_print("unzip_2GiB_MiB_per_s", mib / ours_s, mib / peer_s, "MiB/s", true);
  printf("unzip_2GiB: ours exit=%d, peak %.1f MiB (limit 64 MiB)\n", WEXITSTATUS(status), ours_rss / 1048576.0);
  bench_run("rm -rf " + dir, nullptr, nullptr);
  return 0;
}
