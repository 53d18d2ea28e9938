// Whole installs by the engine against real nginx mirrors on loopback: fresh
// installs and updates, os_type filtering, servers that fail (404, dying in the
// middle of a file, wrong content), a corrupt archive, and the stream count.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "installer/engine.h"
#include "installer/main.h"
#include "installer/serverlist.h"
#include "installer/utils.h"
#include "net/http.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"
#include "support/nginx_fixture.h"
#include "support/zip_maker.h"

namespace {
const std::string kName = "Vantrel 12.00";

class Install : public testing::Test {
 protected:
  TempDir list_root, mirror_a, mirror_b, dest_root, temp;
  std::unique_ptr<NginxServer> list_server, a, b;
  std::string dest;

  void SetUp() override {
    dest = dest_root / "Vantrel/";
    reset_engine(dest, temp.path());
    list_server = std::make_unique<NginxServer>(list_root.path());
    ASSERT_TRUE(list_server->ok());
    cmdline.parse(("--server_list=" + list_server->host()).c_str());
  }
  void start_mirrors(long rate_a = 0, long rate_b = 0) {
    a = std::make_unique<NginxServer>(mirror_a.path(), rate_a);
    b = std::make_unique<NginxServer>(mirror_b.path(), rate_b);
    ASSERT_TRUE(a->ok() && b->ok());
    write_file(list_root / "serverlist.txt", server_list_text(kName, {{a->host(), "/m/", "Mirror A"},
                                                                       {b->host(), "/m/", "Mirror B"}}));
  }
  void publish_both(const std::vector<release_file>& files) {
    write_release(mirror_a.path(), "/m/", kName, files);
    write_release(mirror_b.path(), "/m/", kName, files);
  }
  bool read_release() { return fetch_release(); }
  bool install(std::function<void()> each_slice = nullptr) { return run_install(each_slice); }
  // The files of the destination (which a complete install may have renamed).
  std::map<std::string, std::string> files_on_disk() {
    std::map<std::string, std::string> t;
    for (const std::string& p : list_tree(dest_dir_path))
      if (p.back() != '/') t[p] = md5sum_of(dest_dir_path + p);
    return t;
  }
  static std::map<std::string, std::string> wanted(const std::vector<release_file>& files, int os = 3) {
    std::map<std::string, std::string> t;
    for (const release_file& f : files)
      if (!f.gone && os_type_wanted(f.os_type, os)) t[f.path] = md5_of(f.bytes);
    return t;
  }
};

std::vector<release_file> sample_release(int seed) {
  std::vector<release_file> files;
  for (int i = 0; i < 40; i++)
    files.push_back({"Resources/set" + std::to_string(i % 4) + "/file " + std::to_string(i) + ".dat",
                     random_bytes(1000 + 997 * (size_t)i, (unsigned)(seed * 100 + i))});
  files.push_back({"Airfoils/big.afl", random_bytes(3000000, (unsigned)seed)});
  return files;
}
}  // namespace

TEST_F(Install, FreshInstallAndAnUpdateFromAnOlderRelease) {
  start_mirrors();
  auto r1 = sample_release(1);
  r1.push_back({"Resources/obsolete/gone.txt", "old"});
  publish_both(r1);
  ASSERT_TRUE(read_release());
  EXPECT_EQ(0, stg.got_404);
  ASSERT_TRUE(install());
  EXPECT_EQ(0, stg.got_failed_install);
  EXPECT_EQ(1, next.dir_done);
  EXPECT_EQ(wanted(r1), files_on_disk());

  // Release 2: half the files change, one is gone, one is new.
  auto r2 = sample_release(1);
  for (size_t i = 0; i < r2.size(); i += 2) {
    r2[i].old_bytes = {r2[i].bytes};
    r2[i].bytes = random_bytes(r2[i].bytes.size() + 1, 5000 + (unsigned)i);
  }
  r2.push_back({"Resources/obsolete/gone.txt", "", 0, {"old"}, true});
  r2.push_back({"Resources/new.txt", "new"});
  publish_both(r2);
  stg.dir_scan = 0;  // fetch the new directory, as the next run of the program would
  engine_new_destination();
  ASSERT_TRUE(read_release());
  ASSERT_TRUE(install());
  EXPECT_TRUE(g_prompted_paths.empty()) << "earlier versions are replaced without asking";
  EXPECT_EQ(wanted(r2), files_on_disk());
  EXPECT_FALSE(file_exists(dest + "Resources/obsolete")) << "the emptied folder is removed";
  EXPECT_TRUE(g_alerts.empty());
}

TEST_F(Install, OsTypeFilteringForEachSystem) {
  start_mirrors();
  std::vector<release_file> files;
  for (int os = 0; os <= 6; os++) files.push_back({"os" + std::to_string(os) + ".bin", "for " + std::to_string(os), os});
  publish_both(files);
  for (int os : {1, 2, 3}) {
    SCOPED_TRACE(os);
    TempDir d;
    reset_engine(d / "Vantrel/", temp.path());
    cmdline.parse(("--server_list=" + list_server->host()).c_str());
    stg.download_os = os;
    dest = d / "Vantrel/";
    ASSERT_TRUE(read_release());
    ASSERT_TRUE(install());
    EXPECT_EQ(wanted(files, os), files_on_disk());
    EXPECT_EQ(d / (kName + "/"), dest_dir_path) << "a release with programs renames the folder after itself";
  }
}

TEST_F(Install, MissingFilesOnOneMirrorComeFromTheOther) {
  start_mirrors();
  auto files = sample_release(2);
  publish_both(files);
  // Mirror A lost some archives: it answers 404 for them.
  for (int i : {3, 17, 29}) remove((mirror_a / ("m/" + kName + "/Vantrel/" + files[i].path + ".zip")).c_str());
  ASSERT_TRUE(read_release());
  stg.sel_server = 0;
  ASSERT_TRUE(install());
  EXPECT_EQ(wanted(files), files_on_disk());
  EXPECT_EQ(0, stg.got_404) << "cleared by the next successful download";
  EXPECT_NE(std::string::npos, read_file(a->access_log()).find("\" 404 ")) << "mirror A was asked and failed";
  EXPECT_NE(std::string::npos, read_file(b->access_log()).find("file%2017.dat.zip")) << "mirror B served it";
}

TEST_F(Install, AMirrorThatDiesInTheMiddleOfAFile) {
  start_mirrors(300000);  // mirror A sends 300 kB/s: the 3 MB file takes a while
  auto files = sample_release(3);
  publish_both(files);
  ASSERT_TRUE(read_release());
  stg.sel_server = 0;
  bool killed = false;
  ASSERT_TRUE(install([&] {
    if (!killed && stg.sel_server == 0 && stg.crnt_file_rat > 0.1f) {
      a.reset();  // the server process ends with transfers in flight
      killed = true;
    }
  }));
  EXPECT_TRUE(killed);
  EXPECT_EQ(wanted(files), files_on_disk());
  EXPECT_EQ(0, stg.got_failed_install);
}

TEST_F(Install, WrongContentIsCaughtAndFetchedAgain) {
  start_mirrors();
  auto files = sample_release(4);
  publish_both(files);
  // Mirror A serves a stale copy of one file under the right name.
  make_zip(mirror_a / ("m/" + kName + "/Vantrel/" + files[5].path + ".zip"),
           {{files[5].path.substr(files[5].path.rfind('/') + 1), "stale content"}});
  make_dirs(dest + "Resources/set1");
  write_file(dest + files[5].path, "the user's old copy");
  ASSERT_TRUE(read_release());
  stg.sel_server = 0;
  g_prompt_answers = {1};  // the old copy is a changed file: overwrite it
  ASSERT_TRUE(install());
  EXPECT_EQ(wanted(files), files_on_disk()) << "the stale copy never stays";
  EXPECT_EQ(0, stg.got_failed_install);
}

TEST_F(Install, CorruptArchiveFailsTheInstallAndLosesNothing) {
  start_mirrors();
  std::vector<release_file> files = {{"a.txt", "aaa"}, {"b.bin", random_bytes(50000, 9), 0, {"previous b"}},
                                     {"c.txt", "ccc"}};
  publish_both(files);
  for (TempDir* m : {&mirror_a, &mirror_b}) {
    const std::string archive = *m / ("m/" + kName + "/Vantrel/b.bin.zip");
    std::string bytes = read_file(archive);
    bytes[bytes.size() / 2] ^= 0x5A;  // inside the compressed data
    write_file(archive, bytes);
  }
  make_dirs(dest);
  write_file(dest + "b.bin", "previous b");
  ASSERT_TRUE(read_release());
  ASSERT_TRUE(install());
  EXPECT_EQ(1, stg.got_failed_install);
  ASSERT_FALSE(g_alerts.empty());
  EXPECT_EQ("The installer cannot extract a file.", g_alerts[0].lines[0]);
  EXPECT_EQ("previous b", read_file(dest + "b.bin")) << "the file it would have replaced is untouched";
  for (int s = 0; s < 4; s++) EXPECT_FALSE(file_exists(stream_archive_path(s))) << "no partial archives stay";
}

TEST_F(Install, QuittingMidInstallAbandonsTransfersAndLeavesNoDebris) {
  // 100 kB/s per connection on either mirror the install picks: transfers are
  // still running when the user quits.
  start_mirrors(100000, 100000);
  auto files = sample_release(6);
  publish_both(files);
  make_dirs(dest + "Airfoils");
  write_file(dest + "Airfoils/.vantrel-partial-big.afl", "left by an extraction that was killed");
  ASSERT_TRUE(read_release());
  bool quit = false;
  run_install([&] {
    if (!quit && stg.crnt_file_rat > 0.05f) {
      engine_quit();
      quit = true;
    }
  });
  ASSERT_TRUE(quit);
  EXPECT_EQ(1, app_done);
  for (int slot = 2; slot < 6; slot++) EXPECT_EQ(nullptr, http.down[slot]) << "slot " << slot << " is emptied";
  for (int s = 0; s < 4; s++) EXPECT_FALSE(file_exists(stream_archive_path(s))) << "stream " << s;
  EXPECT_FALSE(file_exists(dest + "Airfoils/.vantrel-partial-big.afl")) << "removed when the install started";
}

TEST_F(Install, StreamCountFollowsTheRateOrTheSetting) {
  start_mirrors();
  auto files = sample_release(5);
  publish_both(files);
  ASSERT_TRUE(read_release());
  int most = 0;
  ASSERT_TRUE(install([&] { most = std::max(most, active_stream_count()); }));
  EXPECT_EQ(4, most) << "a fast loopback mirror gets all four streams";

  for (int fixed : {1, 3}) {
    SCOPED_TRACE(fixed);
    TempDir d;
    reset_engine(d / "Vantrel/", temp.path());
    cmdline.parse(("--server_list=" + list_server->host()).c_str());
    dest = d / "Vantrel/";
    stg.stream_count = fixed;
    ASSERT_TRUE(read_release());
    int highest = 0, last = 0;
    ASSERT_TRUE(install([&] {
      highest = std::max(highest, active_stream_count());
      if (stg.step == 1) last = active_stream_count();
    }));
    EXPECT_EQ(fixed, last);
    EXPECT_EQ(std::max(fixed, 2), highest) << "two streams start; the count moves one file at a time";
    EXPECT_EQ(wanted(files), files_on_disk());
  }
}
