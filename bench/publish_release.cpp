// Publishing a release: vantrel-publish beside the obvious shell pipeline for the
// same mirror (Info-ZIP's zip run once per file, md5sum over every file), on a
// generated product of about 100 MB; then a small update published with
// --previous beside the same pipeline making the update's release from scratch.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench_util.h"
#include "platform/plat_sys.h"

static std::string q(const std::string& s) { return "'" + s + "'"; }

static void write_bytes(const std::string& path, size_t n, unsigned seed, bool compressible) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  if (compressible) {
    static const char* words[] = {"runway ", "heading ", "altitude ", "flaps ", "10 ", "250 ", "\n", "vector "};
    size_t i = 0;
    while (i < n) {
      const char* w = words[gen() % 8];
      for (const char* c = w; *c && i < n; c++) s[i++] = *c;
    }
  } else {
    for (size_t i = 0; i < n; i++) s[i] = (char)(gen() & 0xFF);
  }
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  fwrite(s.data(), 1, s.size(), f);
  fclose(f);
}

int main() {
  std::string tool = PLAT_program_file();
  tool = tool.substr(0, tool.rfind('/')) + "/../vantrel-publish";
  const std::string dir = bench_dir() + "/vantrel-bench-publish/";
  const std::string product = dir + "Vantrel/";
  bench_run("rm -rf " + q(dir) + " && mkdir -p " + q(product), nullptr, nullptr);

  // 240 files: small and middling ones in four folders, and three big ones.
  std::vector<std::string> files;
  size_t total = 0;
  for (int i = 0; i < 240; i++) {
    const std::string folder = std::string(i % 4 == 0 ? "Airfoils" : i % 4 == 1 ? "Resources" : i % 4 == 2 ? "Aircraft" : "Instructions") + "/set" + std::to_string(i % 7) + "/";
    bench_run("mkdir -p " + q(product + folder), nullptr, nullptr);
    const size_t n = 2000 + (size_t)(i * 7919 % 400000);
    files.push_back(folder + "file" + std::to_string(i) + ".dat");
    write_bytes(product + files.back(), n, (unsigned)i, i % 3 != 0);
    total += n;
  }
  for (int i = 0; i < 3; i++) {
    files.push_back("Resources/big" + std::to_string(i) + ".dat");
    write_bytes(product + files.back(), 15000000, 1000u + (unsigned)i, i != 0);
    total += 15000000;
  }
  const double mb = total / 1e6;
  printf("product: %zu files, %.1f MB\n", files.size(), mb);

  // The pipeline: one zip per file into the mirror's layout, and the signatures.
  auto peer_release = [&](const std::string& out) {
    std::string script = "set -e; cd " + q(dir) + "; ";
    for (const std::string& f : files) {
      const std::string archive = out + "/Vantrel/" + f + ".zip";
      script += "mkdir -p " + q(archive.substr(0, archive.rfind('/'))) + "; zip -q -j -6 " + q(archive) + " " +
                q("Vantrel/" + f) + "; ";
    }
    script += "find Vantrel -type f -print0 | xargs -0 md5sum > " + q(out + "/sums.txt");
    FILE* s = fopen((dir + "peer.sh").c_str(), "w");
    fputs(script.c_str(), s);
    fclose(s);
    double t = 0;
    bench_run("bash " + q(dir + "peer.sh"), &t, nullptr);
    return t;
  };
  auto ours_release = [&](const std::string& name, const std::string& extra) {
    double t = 0;
    const int rc = bench_run(q(tool) + " release --product " + q(product) + " --name " + name + " --out " +
                                 q(dir + "mirror") + " --folder /m/ " + extra + " >/dev/null",
                             &t, nullptr);
    if (rc != 0) printf("vantrel-publish failed (%d)\n", rc);
    return t;
  };

  const double peer_full = peer_release(dir + "peer1");
  const double ours_one = ours_release("r1", "--jobs 1");
  const double ours_all = ours_release("r0", "");
  bench_print("publish_release_MB_per_s_one_thread", mb / ours_one, mb / peer_full, "MB/s", true);
  bench_print("publish_release_MB_per_s", mb / ours_all, mb / peer_full, "MB/s", true);

  // The update: five small files and one big one change.
  for (int i : {3, 50, 100, 150, 200}) write_bytes(product + files[(size_t)i], 5000, 77u + (unsigned)i, true);
  write_bytes(product + files.back(), 15000000, 4242, true);
  const double ours_update = ours_release("r2", "--previous " + q(dir + "mirror/m/r1/directory.txt.zip"));
  const double peer_update = peer_release(dir + "peer2");
  bench_print("publish_update_seconds", ours_update, peer_update, "s", false);

  double ours_kb = 0, peer_kb = 0;
  FILE* p = popen(("du -sk " + q(dir + "mirror/m/r1") + " " + q(dir + "peer1") + " | cut -f1").c_str(), "r");
  if (p && fscanf(p, "%lf %lf", &ours_kb, &peer_kb) == 2)
    bench_print("publish_release_mirror_size_MB", ours_kb / 1000, peer_kb / 1000, "MB", false);
  if (p) pclose(p);
  bench_run("rm -rf " + q(dir), nullptr, nullptr);
  return 0;
}
