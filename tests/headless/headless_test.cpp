// The headless mode end to end: the built program against a real nginx mirror,
// its exit statuses, answers to modified-file questions, JSON progress, dry runs,
// and a hostile mirror.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "support/engine_fixture.h"
#include "support/fs_helpers.h"
#include "support/json_check.h"
#include "support/nginx_fixture.h"
#include "support/zip_maker.h"

namespace {
const std::string kBin = std::string(VANTREL_BUILD_DIR) + "/vantrel-installer";
const std::string kName = "Vantrel 12.00";

class Headless : public testing::Test {
 protected:
  TempDir mirror, home, dest_root;
  std::unique_ptr<NginxServer> server;
  std::string dest;

  void SetUp() override {
    dest = dest_root / "Sim/";
    server = std::make_unique<NginxServer>(mirror.path());
    ASSERT_TRUE(server->ok());
    write_file(mirror / "serverlist.txt",
               server_list_text(kName, {{server->host(), "/mirror/", "Loopback mirror"}}));
  }
  void publish(const std::vector<release_file>& files) { write_release(mirror.path(), "/mirror/", kName, files); }
  // Runs the program with the test's home and temporary folders; returns its status.
  int run(const std::string& options, std::string* out = nullptr, const std::string& destination = "") {
    make_dirs(home / "tmp");
    const std::string env = "HOME=" + shell_quote(home.path()) + " TMPDIR=" + shell_quote(home / "tmp") +
                            " XDG_CONFIG_HOME=" + shell_quote(home / "config") + " ";
    return run_command(env + kBin + " --headless --server_list=" + server->host() + " " + options + " " +
                           shell_quote(destination.empty() ? dest : destination) + " </dev/null 2>&1",
                       out);
  }
  // The files below the destination with their MD5 (folders end with "/").
  std::map<std::string, std::string> tree() {
    std::map<std::string, std::string> t;
    for (const std::string& p : list_tree(dest)) t[p] = p.back() == '/' ? "" : md5sum_of(dest + p);
    return t;
  }
  static std::map<std::string, std::string> expected(const std::vector<release_file>& files) {
    std::map<std::string, std::string> t;
    for (const char* fixed : {"Output/", "Output/FMS plans/", "Output/logbooks/", "Output/movies/",
                              "Output/situations/", "Resources/", "Resources/preferences/"})
      t[fixed] = "";
    for (const release_file& f : files) {
      if (f.gone || (f.os_type != 0 && f.os_type != 3 && f.os_type != 6)) continue;
      t[f.path] = md5_of(f.bytes);
      for (size_t slash = f.path.find('/'); slash != std::string::npos; slash = f.path.find('/', slash + 1))
        t[f.path.substr(0, slash + 1)] = "";
    }
    return t;
  }
};

const std::vector<release_file> kRelease1 = {
    {"Airfoils/wing.afl", random_bytes(30000, 1)},
    {"Instructions/manual.txt", "How to fly.\n"},
    {"Resources/plugins/a plugin.xpl", random_bytes(200000, 2)},
    {"Resources/old.dat", "to be removed in release 2"},
    {"empty.txt", ""},
    {"windows-only.exe", "MZ", 2},
};
std::vector<release_file> release2() {
  return {
      {"Airfoils/wing.afl", random_bytes(30001, 3), 0, {random_bytes(30000, 1)}},
      {"Instructions/manual.txt", "How to fly, second edition.\n", 0, {"How to fly.\n"}},
      {"Resources/plugins/a plugin.xpl", random_bytes(200000, 2)},
      {"Resources/old.dat", "", 0, {"to be removed in release 2"}, true},
      {"Resources/new/file.bin", random_bytes(5000, 4)},
      {"empty.txt", ""},
      {"windows-only.exe", "MZ", 2},
  };
}
}  // namespace

TEST_F(Headless, FreshInstallThenUpdateWithDeletions) {
  publish(kRelease1);
  std::string out;
  ASSERT_EQ(0, run("--accept_licence --modified=keep", &out)) << out;
  EXPECT_NE(std::string::npos, out.find("INSTALLATION COMPLETE!")) << out;
  EXPECT_EQ(expected(kRelease1), tree());

  publish(release2());
  ASSERT_EQ(0, run("--accept_licence --modified=keep", &out)) << out;
  EXPECT_EQ(expected(release2()), tree()) << "old.dat is deleted; its emptied folder stays (Resources is fixed)";
  ASSERT_EQ(0, run("--accept_licence", &out)) << out;
  EXPECT_NE(std::string::npos, out.find("Your copy of Vantrel is already the latest version.")) << out;
}

TEST_F(Headless, ModifiedFilesFollowTheAnswer) {
  publish(kRelease1);
  ASSERT_EQ(0, run("--accept_licence"));
  publish(release2());
  const struct {
    const char* answer;
    int status;
    bool replaced;
  } cases[] = {{"--modified=cancel", 2, false}, {"", 2, false} /* ask, with no terminal to ask */,
               {"--modified=keep", 0, false}, {"--modified=overwrite", 0, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    write_file(dest + "Instructions/manual.txt", "my own notes");
    write_file(dest + "Resources/old.dat", "my own data");
    std::string out;
    EXPECT_EQ(c.status, run(std::string("--accept_licence ") + c.answer, &out)) << out;
    EXPECT_EQ(c.replaced ? md5_of("How to fly, second edition.\n") : md5_of("my own notes"),
              md5sum_of(dest + "Instructions/manual.txt"));
    EXPECT_EQ(!c.replaced, file_exists(dest + "Resources/old.dat")) << "the changed file to delete";
    if (c.status == 2) {
      EXPECT_EQ(md5_of(random_bytes(30000, 1)), md5sum_of(dest + "Airfoils/wing.afl")) << "nothing was installed";
    }
  }
}

TEST_F(Headless, LicenceMustBeAccepted) {
  publish(kRelease1);
  std::string out;
  EXPECT_EQ(3, run("", &out));
  EXPECT_NE(std::string::npos, out.find("--accept_licence")) << out;
  EXPECT_FALSE(file_exists(dest + "empty.txt"));
}

TEST_F(Headless, UnreachableMirrorGivesUpAfterTheTimeout) {
  publish(kRelease1);
  remove((mirror / "serverlist.txt").c_str());
  std::string out;
  EXPECT_EQ(4, run("--accept_licence --timeout=2", &out));
  EXPECT_NE(std::string::npos, out.find("no server list could be had")) << out;
  write_file(mirror / "serverlist.txt", server_list_text(kName, {{server->host(), "/nowhere/", "Empty"}}));
  EXPECT_EQ(4, run("--accept_licence --timeout=2", &out));
  EXPECT_NE(std::string::npos, out.find("no directory could be had")) << out;
  write_file(mirror / "serverlist.txt", "I\n821\nSERVERS\n");
  EXPECT_EQ(1, run("--accept_licence --timeout=2", &out)) << "a refused format ends like the window";
  EXPECT_NE(std::string::npos, out.find("you need to get a new installer")) << out;
}

TEST_F(Headless, JsonLinesParseAndEndComplete) {
  publish(kRelease1);
  std::string out;
  ASSERT_EQ(0, run("--accept_licence --json", &out));
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1)
    if (nl > start && out[start] == '{') lines.push_back(out.substr(start, nl - start));
  ASSERT_FALSE(lines.empty()) << out;
  for (const std::string& l : lines) EXPECT_TRUE(json_object_is_valid(l)) << l;
  EXPECT_NE(std::string::npos, lines.back().find("\"phase\":\"complete\"")) << lines.back();
  EXPECT_NE(std::string::npos, lines.back().find("\"files_done\":5,\"files_total\":5")) << lines.back();
  auto number_after = [](const std::string& l, const std::string& key) {
    return atof(l.c_str() + l.find("\"" + key + "\":") + key.size() + 3);
  };
  EXPECT_GT(number_after(lines.back(), "kb_total"), 0);
  EXPECT_EQ(number_after(lines.back(), "kb_total"), number_after(lines.back(), "kb_done")) << lines.back();
}

TEST_F(Headless, DryRunChangesNothing) {
  publish(kRelease1);
  std::string out;
  ASSERT_EQ(0, run("--dry_run", &out)) << out;
  EXPECT_NE(std::string::npos, out.find("download   " + dest + "Airfoils/wing.afl")) << out;
  EXPECT_NE(std::string::npos, out.find("Plan: 5 to download")) << out;
  EXPECT_FALSE(file_exists(dest)) << "not even the destination folder is made";
}

TEST_F(Headless, PreferencesCarryOverBetweenRuns) {
  publish(kRelease1);
  ASSERT_EQ(0, run("--accept_licence --pref:_stream_count=1"));
  const std::string prefs = read_file(home / "config/vantrel/Vantrel Installer.prf");
  EXPECT_NE(std::string::npos, prefs.find("_stream_count 1\n")) << prefs;
  EXPECT_NE(std::string::npos, prefs.find("_dest_dir_path " + dest + "\n")) << prefs;
  // A run without a destination takes the remembered one.
  std::string out;
  make_dirs(home / "tmp");
  const std::string env = "HOME=" + shell_quote(home.path()) + " TMPDIR=" + shell_quote(home / "tmp") +
                          " XDG_CONFIG_HOME=" + shell_quote(home / "config") + " ";
  ASSERT_EQ(0, run_command(env + kBin + " --headless --accept_licence --server_list=" + server->host() +
                               " </dev/null 2>&1",
                           &out));
  EXPECT_NE(std::string::npos, out.find("Destination: " + dest)) << out;
}

TEST_F(Headless, KilledInstallRunAgainEndsWithExactlyTheRelease) {
  std::vector<release_file> files = kRelease1;
  for (int i = 0; i < 12; i++) files.push_back({"Resources/set/part" + std::to_string(i), random_bytes(1000000, 40 + i)});
  publish(files);
  NginxServer slow(mirror.path(), 250000);  // 250 kB/s per connection: the install would take several seconds
  ASSERT_TRUE(slow.ok());
  write_file(mirror / "serverlist.txt", server_list_text(kName, {{slow.host(), "/mirror/", "Slow mirror"}}));
  make_dirs(home / "tmp");
  const std::string env = "HOME=" + shell_quote(home.path()) + " TMPDIR=" + shell_quote(home / "tmp") +
                          " XDG_CONFIG_HOME=" + shell_quote(home / "config") + " ";
  // Start the install in the background and kill it once some files have landed.
  const std::string pid_file = home / "pid";
  ASSERT_EQ(0, run_command(env + kBin + " --headless --accept_licence --server_list=" + slow.host() + " " +
                           shell_quote(dest) + " </dev/null >/dev/null 2>&1 & echo $! > " + shell_quote(pid_file)));
  const std::string pid = read_file(pid_file).substr(0, read_file(pid_file).find('\n'));
  bool some_landed = false;
  for (int i = 0; i < 400 && !some_landed; i++) {
    some_landed = file_exists(dest + "Resources/set/part2");
    run_command("sleep 0.05");
  }
  EXPECT_TRUE(some_landed);
  run_command("kill -9 " + pid + "; sleep 0.2");
  EXPECT_NE(expected(files), tree()) << "killed before the end";

  // Run again, from the full-speed server.
  write_file(mirror / "serverlist.txt", server_list_text(kName, {{server->host(), "/mirror/", "Loopback mirror"}}));
  std::string out;
  ASSERT_EQ(0, run("--accept_licence", &out)) << out;
  EXPECT_EQ(expected(files), tree()) << "no debris, nothing missing";
}

TEST_F(Headless, HostileMirrorTouchesNothingOutside) {
  write_file(dest_root / "precious.txt", "keep me");
  // A directory that names a file outside the destination, and an archive that
  // holds one.
  make_dirs(mirror / ("mirror/" + kName));
  make_zip(mirror / ("mirror/" + kName + "/directory.txt.zip"),
           {{"directory.txt", "I\n900\nINSTALLER\nDIR Vantrel/\nFILE 1 0 1 1 1 " + md5_of("x") +
                                  " ../precious.txt\n"}});
  std::string out;
  EXPECT_EQ(1, run("--accept_licence --modified=overwrite", &out)) << out;
  EXPECT_NE(std::string::npos, out.find("leads outside the install folder")) << out;
  EXPECT_EQ("keep me", read_file(dest_root / "precious.txt"));
  EXPECT_FALSE(file_exists(dest));
}
