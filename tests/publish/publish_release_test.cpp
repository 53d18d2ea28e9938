// vantrel-publish as its users run it: releases and server lists read back by
// the installer's own parsers, histories across releases, incremental
// publishing, refusals and failures that leave nothing behind, the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>

#include "files/IO_UTILS.h"
#include "installer/main.h"
#include "installer/serverlist.h"
#include "installer/utils.h"
#include "publish/publish.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"
#include "support/zip_maker.h"

namespace fs = std::filesystem;

namespace {

const std::string kTool = std::string(VANTREL_BUILD_DIR) + "/vantrel-publish";

struct run_result {
  int status = -1;
  std::string out, err;
};

// Runs the program with `args` (already quoted), after the shell words `before`.
run_result run_tool(const std::string& args, const std::string& before = "") {
  TempDir scratch;
  run_result r;
  r.status = run_command(before + shell_quote(kTool) + " " + args + " 2>" + shell_quote(scratch / "err"), &r.out);
  r.err = read_file(scratch / "err");
  return r;
}

// A product folder: files by their path below the top folder.
void write_product(const std::string& top_dir, const std::map<std::string, std::string>& files) {
  std::error_code ec;
  fs::remove_all(top_dir, ec);
  make_dirs(top_dir);
  for (const auto& f : files) {
    const std::string path = top_dir + "/" + f.first;
    make_dirs(path.substr(0, path.rfind('/') + 1));
    write_file(path, f.second);
  }
}

std::string release_args(const std::string& product, const std::string& name, const std::string& mirror,
                         const std::string& extra = "") {
  return "release --product " + shell_quote(product) + " --name " + shell_quote(name) + " --out " +
         shell_quote(mirror) + " --folder /mirror/ " + extra;
}

// Reads a published release's directory the way the installer does, examining
// the (empty) folder `dest`. Returns read_directory's result.
int read_release(const std::string& release_folder, const std::string& dest, const TempDir& temp) {
  reset_engine(dest, temp.path());
  const int err = zip_to_file(release_folder + "directory.txt.zip", temp.path(), nullptr, 0);
  EXPECT_EQ(err, 0);
  if (err) return -1;
  return read_directory(temp / "directory.txt", "test");
}

const file_history_struct* history_of(const std::string& path) {
  for (const file_history_struct& h : sim_info.files)
    if (h.versions.back().path == path) return &h;
  return nullptr;
}

std::vector<std::string> sigs_of(const std::string& path) {
  std::vector<std::string> sigs;
  const file_history_struct* h = history_of(path);
  if (h)
    for (const file_version_struct& v : h->versions) sigs.push_back(v.sig_want);
  return sigs;
}

std::vector<std::string> lines_starting(const std::string& text, const std::string& start) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    if (line.rfind(start, 0) == 0) out.push_back(line.substr(start.size()));
    at = end + 1;
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

TEST(PublishRelease, FilesAreReadBackByTheInstallersParsers) {
  TempDir work, dest, temp;
  const std::string product = work / "Vantrel";
  const std::string big = random_bytes(2500000, 7);
  std::map<std::string, std::string> files = {
      {"Vantrel.exe", "MZ program"},
      {"Resources/plugins/lin/plugin.so", "ELF plugin"},
      {"Resources/plugins/mac/plugin.dylib", "Mach-O plugin"},
      {"Resources/my file.txt", "blank in the name"},
      {"Resources/Caf\xc3\xa9 [1] & (2) + 'q'.txt", std::string(1001, 'c')},
      {"Airfoils/empty.afl", ""},
      {"Airfoils/one.afl", "1"},
      {"Airfoils/999.afl", std::string(999, 'x')},
      {"Airfoils/1000.afl", std::string(1000, 'y')},
      {"Airfoils/big.dat", big},
      {"Output/deep/er/still/file.txt", "deep"},
      {"Instructions/run.sh", "#!/bin/sh\necho hi\n"},
      {"Resources-extra.txt", "sorts between folders"},
  };
  write_product(product, files);
  chmod((product + "/Instructions/run.sh").c_str(), 0755);
  write_file(work / "rules", "Resources/plugins/mac/*  1\n*.exe  2\nResources/plugins/lin/* 3\n");

  const run_result r = run_tool(release_args(product, "Vantrel 1", work / "m", "--os-rules " + shell_quote(work / "rules")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("13 files (13 new, 0 changed, 0 gone), 13 compressed, 0 reused"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("note: 1 empty file (Vantrel/Airfoils/empty.afl): the installer counts"), std::string::npos)
      << r.out;
  const std::string release = work / "m/mirror/Vantrel 1/";
  ASSERT_EQ(read_release(release, dest.path(), temp), 3);
  EXPECT_TRUE(g_alerts.empty());

  ASSERT_EQ(sim_info.files.size(), files.size());
  std::string previous;
  for (const file_history_struct& h : sim_info.files) {
    ASSERT_EQ(h.versions.size(), 1u);
    const file_version_struct& v = h.versions[0];
    EXPECT_GT(v.path, previous) << "records in byte order of their paths";
    previous = v.path;
    ASSERT_EQ(v.path.rfind("Vantrel/", 0), 0u) << v.path;
    const std::string rel = v.path.substr(8);
    ASSERT_TRUE(files.count(rel)) << rel;
    const std::string source = product + "/" + rel;
    const std::string expected_sig = files[rel].empty() ? md5_of("") : md5sum_of(source);
    EXPECT_EQ(v.sig_want, expected_sig) << rel;
    EXPECT_EQ(v.disk_size, (float)((files[rel].size() + 999) / 1000)) << rel;
    const std::string archive = release + v.path + ".zip";
    EXPECT_EQ(v.down_size, (float)((fs::file_size(archive) + 999) / 1000)) << rel;
    const int os = rel == "Vantrel.exe" ? 2 : rel.find("plugins/lin/") != std::string::npos ? 3
                 : rel.find("plugins/mac/") != std::string::npos ? 1 : 0;
    EXPECT_EQ(v.os_type, os) << rel;

    // Each archive holds the file alone, under its own name (Info-ZIP's view).
    std::string listing;
    ASSERT_EQ(run_command("unzip -Z1 " + shell_quote(archive), &listing), 0) << archive;
    EXPECT_EQ(listing, rel.substr(rel.rfind('/') == std::string::npos ? 0 : rel.rfind('/') + 1) + "\n");
    std::string content;
    run_command("unzip -p " + shell_quote(archive), &content);
    EXPECT_TRUE(content == files[rel]) << rel;
  }
  EXPECT_EQ(history_of("Vantrel/Airfoils/1000.afl")->versions[0].disk_size, 1.0f);
  EXPECT_EQ(history_of("Vantrel/Airfoils/big.dat")->versions[0].disk_size, 2500.0f);

  // The totals the installer shows for a Linux install: every file but those for
  // Macintosh and Windows.
  float down = 0, disk = 0;
  for (const file_history_struct& h : sim_info.files) {
    const file_version_struct& v = h.versions[0];
    if (v.os_type == 0 || v.os_type == 3) {
      down += v.down_size;
      disk += v.disk_size;
    }
  }
  EXPECT_EQ(stg.down_req, down);
  EXPECT_EQ(stg.disk_req, disk);
  EXPECT_EQ(this_install_has_exes, 1);

  // The installer's extraction keeps the program runnable.
  TempDir unpacked;
  ASSERT_EQ(zip_to_file(release + "Vantrel/Instructions/run.sh.zip", unpacked.path(), nullptr, 0), 0);
  EXPECT_TRUE((fs::status(unpacked / "run.sh").permissions() & fs::perms::owner_exec) != fs::perms::none);
  ASSERT_EQ(zip_to_file(release + "Vantrel/Airfoils/one.afl.zip", unpacked.path(), nullptr, 0), 0);
  EXPECT_TRUE((fs::status(unpacked / "one.afl").permissions() & fs::perms::owner_exec) == fs::perms::none);

  // Nothing but the release itself was left in the mirror.
  for (const std::string& e : list_tree(work / "m/mirror"))
    EXPECT_EQ(e.rfind("Vantrel 1/", 0), 0u) << "left over: " << e;
}

TEST(PublishRelease, HistoriesFollowTheReleasesAndVanishedPathsAreGone) {
  TempDir work, dest, temp;
  const std::string mirror = work / "m";
  write_file(work / "rules", "*.exe 2\n*.so 3\n");
  const std::string rules = " --os-rules " + shell_quote(work / "rules");

  write_product(work / "Vantrel", {{"a.txt", "a1"}, {"keep.txt", "k"}, {"del.txt", "d"}, {"win.exe", "w"},
                                   {"lin.so", "l"}});
  ASSERT_EQ(run_tool(release_args(work / "Vantrel", "r1", mirror, rules)).status, 0);

  write_product(work / "Vantrel", {{"a.txt", "a2"}, {"keep.txt", "k"}, {"new.txt", "n"}, {"lin.so", "l"}});
  run_result r = run_tool(release_args(work / "Vantrel", "r2", mirror,
                                       rules + " --previous " + shell_quote(mirror + "/mirror/r1/directory.txt.zip")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("4 files (1 new, 1 changed, 2 gone)"), std::string::npos) << r.out;
  ASSERT_EQ(read_release(mirror + "/mirror/r2/", dest.path(), temp), 3);
  EXPECT_EQ(sigs_of("Vantrel/a.txt"), std::vector<std::string>({md5_of("a1"), md5_of("a2")}));
  EXPECT_EQ(sigs_of("Vantrel/keep.txt"), std::vector<std::string>({md5_of("k")}));
  EXPECT_EQ(sigs_of("Vantrel/new.txt"), std::vector<std::string>({md5_of("n")}));
  EXPECT_EQ(sigs_of("Vantrel/del.txt"), std::vector<std::string>({md5_of("d"), "GONE"}));
  EXPECT_EQ(sigs_of("Vantrel/win.exe"), std::vector<std::string>({md5_of("w"), "GONE"}));
  // A vanished program stays a Windows file: only Windows installs delete it.
  EXPECT_EQ(history_of("Vantrel/win.exe")->versions.back().os_type, 2);
  EXPECT_EQ(history_of("Vantrel/win.exe")->versions.back().disk_size, 0.0f);
  EXPECT_EQ(sim_info.files.size(), 6u);

  // The third release comes from a folder with another name: paths are matched
  // where they live on disk (below the top folder), so nothing is deleted by mistake.
  // The unpacked directory.txt works as --previous as well.
  ASSERT_EQ(zip_to_file(mirror + "/mirror/r2/directory.txt.zip", work.path(), nullptr, 0), 0);
  write_product(work / "Product", {{"a.txt", "a3"}, {"keep.txt", "k"}, {"del.txt", "d"}, {"lin.so", "l"}});
  r = run_tool(release_args(work / "Product", "r3", mirror, rules + " --previous " + shell_quote(work / "directory.txt")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("4 files (1 new, 1 changed, 2 gone)"), std::string::npos) << r.out;
  ASSERT_EQ(read_release(mirror + "/mirror/r3/", dest.path(), temp), 3);
  EXPECT_EQ(sim_info.files.size(), 6u);
  for (const file_history_struct& h : sim_info.files) EXPECT_EQ(h.versions.back().path.rfind("Product/", 0), 0u);
  EXPECT_EQ(sigs_of("Product/a.txt"), std::vector<std::string>({md5_of("a1"), md5_of("a2"), md5_of("a3")}));
  EXPECT_EQ(sigs_of("Product/del.txt"), std::vector<std::string>({md5_of("d")}));  // back again
  EXPECT_EQ(sigs_of("Product/new.txt"), std::vector<std::string>({md5_of("n"), "GONE"}));
  EXPECT_EQ(sigs_of("Product/win.exe"), std::vector<std::string>({md5_of("w"), "GONE"}));  // still gone
  EXPECT_EQ(history_of("Product/win.exe")->versions.back().os_type, 2);
  // Archives are looked for beside the previous directory file, and none sit
  // beside work/directory.txt: everything was compressed.
  EXPECT_NE(r.out.find("4 compressed, 0 reused"), std::string::npos) << r.out;
}

TEST(PublishRelease, AnIncrementalPublishCompressesOnlyTheChangedFiles) {
  TempDir work;
  const std::string mirror = work / "m";
  std::map<std::string, std::string> files;
  for (int i = 0; i < 12; i++) files["Resources/u" + std::to_string(i) + ".dat"] = random_bytes(50000 + i * 1000, i);
  files["Airfoils/c0.afl"] = "c0 one";
  files["Airfoils/c1.afl"] = random_bytes(300000, 99);
  files["Airfoils/d0.afl"] = "deleted";
  files["Instructions/mode.sh"] = "#!/bin/sh\n";
  write_product(work / "Vantrel", files);
  ASSERT_EQ(run_tool(release_args(work / "Vantrel", "r1", mirror)).status, 0);
  const std::string r1 = mirror + "/mirror/r1/Vantrel/";

  // What r1 holds for three unchanged files is tampered with: u0's archive made
  // without compression (still the right file: taken over as it is), u1's
  // archive holding other bytes, u2's archive missing (both compressed again).
  fs::remove(r1 + "Resources/u0.dat.zip");
  make_zip(r1 + "Resources/u0.dat.zip", {{"u0.dat", files["Resources/u0.dat"], 0100644, true}});
  const std::string stored_u0 = read_file(r1 + "Resources/u0.dat.zip");
  fs::remove(r1 + "Resources/u1.dat.zip");
  make_zip(r1 + "Resources/u1.dat.zip", {{"u1.dat", "not the file", 0100644}});
  fs::remove(r1 + "Resources/u2.dat.zip");

  files["Airfoils/c0.afl"] = "c0 two";
  files["Airfoils/c1.afl"] = random_bytes(300000, 100);
  files["Airfoils/n0.afl"] = "new";
  files.erase("Airfoils/d0.afl");
  write_product(work / "Vantrel", files);
  chmod((work / "Vantrel/Instructions/mode.sh").c_str(), 0755);  // same bytes, now a program

  const run_result r = run_tool(release_args(work / "Vantrel", "r2", mirror,
                                             "--verbose --jobs 2 --previous " +
                                                 shell_quote(mirror + "/mirror/r1/directory.txt.zip")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(lines_starting(r.out, "compressed "),
            std::vector<std::string>({"Vantrel/Airfoils/c0.afl", "Vantrel/Airfoils/c1.afl", "Vantrel/Airfoils/n0.afl",
                                      "Vantrel/Instructions/mode.sh", "Vantrel/Resources/u1.dat",
                                      "Vantrel/Resources/u2.dat"}));
  EXPECT_EQ(lines_starting(r.out, "reused     ").size(), 10u);
  EXPECT_NE(r.out.find("16 files (1 new, 2 changed, 1 gone), 6 compressed, 10 reused"), std::string::npos) << r.out;

  const std::string r2 = mirror + "/mirror/r2/Vantrel/";
  EXPECT_TRUE(read_file(r2 + "Resources/u0.dat.zip") == stored_u0);
  std::string content;
  run_command("unzip -p " + shell_quote(r2 + "Resources/u1.dat.zip"), &content);
  EXPECT_TRUE(content == files["Resources/u1.dat"]);
  EXPECT_TRUE(file_exists(r2 + "Resources/u2.dat.zip"));
  // r1 is left as it was.
  EXPECT_TRUE(read_file(r1 + "Resources/u0.dat.zip") == stored_u0);
  EXPECT_FALSE(file_exists(r1 + "Resources/u2.dat.zip"));
}

TEST(PublishRelease, RefusedPathsLeaveNoReleaseBehind) {
  struct { const char* name; const char* message; } cases[] = {
      {"Resources/900 red terrain.dat", "refused Vantrel/Resources/900 red terrain.dat: it contains \"900 red terrain\""},
      {"Earth Orbit Textures/a.png", "refused Vantrel/Earth Orbit Textures/a.png: it contains \"Earth Orbit Textures\""},
      {"Resources/back\\slash.txt", "refused Vantrel/Resources/back\\slash.txt: it holds a \"\\\""},
      {"Resources/what?.txt", "refused Vantrel/Resources/what?.txt"},
      {"Resources/100%.txt", "refused Vantrel/Resources/100%.txt"},
      {"Resources/ blank.txt", "refused Vantrel/Resources/ blank.txt: it has a file name that starts with a blank"},
      {"Resources/.vantrel-partial-a", "refused Vantrel/Resources/.vantrel-partial-a"},
  };
  for (const auto& c : cases) {
    TempDir work;
    write_product(work / "Vantrel", {{"Resources/good.txt", "good"}, {"Airfoils/big.dat", random_bytes(200000, 1)},
                                     {c.name, "bad"}});
    const run_result r = run_tool(release_args(work / "Vantrel", "r1", work / "m"));
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was published"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(work / "m")) << c.name;
  }

  // A line break in a name, several bad names at once, links and special files.
  TempDir work;
  write_product(work / "Vantrel", {{"Resources/good.txt", "good"}, {"Resources/line\nbreak.txt", "x"},
                                   {"Resources/q?.txt", "y"}});
  run_result r = run_tool(release_args(work / "Vantrel", "r1", work / "m"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("refused Vantrel/Resources/line\\nbreak.txt: it holds a line break, which the directory file "
                       "cannot carry (and 1 more refused paths); nothing was published\n"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(work / "m"));

  write_product(work / "Vantrel", {{"Resources/good.txt", "good"}});
  fs::create_symlink("/etc/passwd", work / "Vantrel/Resources/link.txt");
  r = run_tool(release_args(work / "Vantrel", "r1", work / "m"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("refused Vantrel/Resources/link.txt: it is a symbolic link"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(work / "m"));

  write_product(work / "Vantrel", {{"Resources/good.txt", "good"}});
  ASSERT_EQ(mkfifo((work / "Vantrel/Resources/pipe").c_str(), 0644), 0);
  r = run_tool(release_args(work / "Vantrel", "r1", work / "m"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("refused Vantrel/Resources/pipe: it is not a regular file"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(work / "m"));
}

TEST(PublishRelease, AFileCannotBecomeAFolderInOneUpdate) {
  TempDir work;
  const std::string mirror = work / "m";
  write_product(work / "Vantrel", {{"Resources/x", "a file"}, {"Resources/y/inner.txt", "in a folder"}});
  ASSERT_EQ(run_tool(release_args(work / "Vantrel", "r1", mirror)).status, 0);
  const std::string previous = " --previous " + shell_quote(mirror + "/mirror/r1/directory.txt.zip");
  const std::vector<std::string> before = list_tree(mirror);

  write_product(work / "Vantrel", {{"Resources/x/now.txt", "x is a folder"}, {"Resources/y/inner.txt", "in a folder"}});
  run_result r = run_tool(release_args(work / "Vantrel", "r2", mirror, previous));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("refused Vantrel/Resources/x/: the previous release has a file there"), std::string::npos)
      << r.err;
  EXPECT_EQ(list_tree(mirror), before);

  write_product(work / "Vantrel", {{"Resources/x", "a file"}, {"Resources/y", "y is a file"}});
  r = run_tool(release_args(work / "Vantrel", "r2", mirror, previous));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("refused Vantrel/Resources/y: the previous release has a folder there"), std::string::npos)
      << r.err;
  EXPECT_EQ(list_tree(mirror), before);

  // In two steps it works: first without the path, then with the new kind.
  write_product(work / "Vantrel", {{"Resources/y/inner.txt", "in a folder"}});
  ASSERT_EQ(run_tool(release_args(work / "Vantrel", "r2", mirror, previous)).status, 0);
  write_product(work / "Vantrel", {{"Resources/x/now.txt", "x is a folder"}, {"Resources/y/inner.txt", "in a folder"}});
  r = run_tool(release_args(work / "Vantrel", "r3", mirror, " --previous " + shell_quote(mirror + "/mirror/r2/directory.txt.zip")));
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST(PublishRelease, AFailureWhileWritingLeavesNothingBehind) {
  TempDir work;
  // A mirror that already holds a release, and a product whose big file cannot be
  // written there: the shell's file-size limit (1 MB) makes the archive's writes fail.
  write_product(work / "Vantrel", {{"a.txt", "a"}});
  ASSERT_EQ(run_tool(release_args(work / "Vantrel", "r1", work / "m")).status, 0);
  const std::vector<std::string> before = list_tree(work / "m");
  const std::string r1_dir = read_file(work / "m/mirror/r1/directory.txt.zip");

  write_product(work / "Vantrel", {{"a.txt", "a"}, {"b.txt", "b"}, {"Airfoils/big.dat", random_bytes(3000000, 3)}});
  run_result r = run_tool(release_args(work / "Vantrel", "r2", work / "m"), "ulimit -f 1024; ");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("big.dat.zip: writing the archive failed"), std::string::npos) << r.err;
  EXPECT_EQ(list_tree(work / "m"), before);

  // The same with new server folders: they go as well.
  r = run_tool("release --product " + shell_quote(work / "Vantrel") + " --name r2 --out " + shell_quote(work / "m") +
                   " --folder /new/deeper/",
               "ulimit -f 1024; ");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(list_tree(work / "m"), before);

  // An existing release is never replaced.
  r = run_tool(release_args(work / "Vantrel", "r1", work / "m"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the release exists already"), std::string::npos) << r.err;
  EXPECT_EQ(list_tree(work / "m"), before);
  EXPECT_TRUE(read_file(work / "m/mirror/r1/directory.txt.zip") == r1_dir);
}

TEST(PublishCommandLine, HelpAndOneLineErrors) {
  run_result r = run_tool("--help");
  EXPECT_EQ(r.status, 0);
  for (const char* word : {"release", "serverlist", "--product", "--name", "--out", "--folder", "--previous",
                           "--os-rules", "--jobs", "--level", "--verbose", "--final", "--server", "GLOB OS_TYPE",
                           "GONE"})
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  EXPECT_EQ(run_tool("release --help").out, r.out);

  TempDir work;
  write_product(work / "Vantrel", {{"a.txt", "a"}});
  const std::string p = shell_quote(work / "Vantrel"), m = shell_quote(work / "m");
  struct { std::string args; int status; const char* message; } cases[] = {
      {"", 2, "name a subcommand"},
      {"publish", 2, "unknown subcommand \"publish\""},
      {"release --product " + p + " --name r --out " + m, 2, "release needs --folder /PATH/"},
      {"release --product " + p + " --name r --out " + m + " --folder /x/ --bogus", 2, "unknown argument \"--bogus\""},
      {"release --product " + p + " --name r --out " + m + " --folder", 2, "--folder needs a value"},
      {"release --product " + p + " --name r --out " + m + " --folder /x/ --jobs 0", 2, "--jobs takes a number"},
      {"release --product " + p + " --name r --out " + m + " --folder x/", 1, "--folder \"x/\" must start and end"},
      {"release --product " + p + " --name r --out " + m + " --folder /a/../", 1, "\"..\""},
      {"release --product " + p + " --name a/b --out " + m + " --folder /x/", 1, "the release name \"a/b\""},
      {"release --product " + shell_quote(work / "none") + " --name r --out " + m + " --folder /x/", 1,
       "the product folder does not exist"},
      {"release --product " + p + " --name r --out " + shell_quote(work / "Vantrel/m") + " --folder /x/", 1,
       "lies inside the product folder"},
      {"release --product " + p + " --name r --out " + m + " --folder /x/ --previous " + shell_quote(work / "none"), 1,
       "the previous directory file does not exist"},
      {"release --product " + p + " --name r --out " + m + " --folder /x/ --previous " + p + "/a.txt", 1,
       "not a directory file"},
      {"release --product " + p + " --name r --out " + m + " --folder /x/ --os-rules " + p + "/a.txt", 1,
       "a.txt:1: a rule is a glob and an os_type"},
      {"serverlist --final r --out " + m, 1, "name at least one server"},
      {"serverlist --final r --server h /x/ --out " + m, 2, "--server needs HOST /PATH/ DESCRIPTION"},
  };
  for (const auto& c : cases) {
    r = run_tool(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_EQ(r.err.rfind("vantrel-publish: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << " said: " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(work / "m")) << c.args;
  }
  // The equals form works as well.
  r = run_tool("release --product=" + p + " --name=r --out=" + m + " --folder=/x/");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(file_exists(work / "m/x/r/directory.txt.zip"));
}

TEST(PublishServerList, ReadBackByTheInstaller) {
  TempDir work, temp;
  const run_result r = run_tool("serverlist --final 'Vantrel 9.1' --server 127.0.0.1:8080 /mirror/ 'Local mirror' "
                                "--server files.example.invalid / 'Second, at the root' "
                                "--server third.invalid /a/b/ Third --out " +
                                shell_quote(work / "serverlist.txt"));
  ASSERT_EQ(r.status, 0) << r.err;
  reset_engine(work / "dest/", temp.path());
  ASSERT_EQ(read_server_list(work / "serverlist.txt"), 1);
  EXPECT_EQ(install_name, "Vantrel 9.1");
  ASSERT_EQ(stg.num_servers, 3);
  EXPECT_EQ(server_name[0], "127.0.0.1:8080");
  EXPECT_EQ(server_path[0], "/mirror/Vantrel 9.1/");
  EXPECT_EQ(server_desc[0], "Local mirror");
  EXPECT_EQ(server_path[1], "/Vantrel 9.1/");
  EXPECT_EQ(server_desc[1], "Second, at the root");
  EXPECT_EQ(server_name[2], "third.invalid");
  EXPECT_EQ(server_path[2], "/a/b/Vantrel 9.1/");
  EXPECT_TRUE(g_alerts.empty());

  // Refused lists leave the previous file as it was.
  const std::string good = read_file(work / "serverlist.txt");
  std::string eleven;
  for (int i = 0; i < 11; i++) eleven += " --server h" + std::to_string(i) + " /x/ d";
  struct { std::string args; const char* message; } cases[] = {
      {"--final r" + eleven, "11 servers named; the installer reads at most 10"},
      {"--final r --server h x/ d", "must start and end with \"/\""},
      {"--final r --server h /x ''", "must start and end with \"/\""},
      {"--final r --server h /x/ ' '", "the description is empty"},
      {"--final r --server 'h h' /x/ d", "a host name holds no blank"},
      {"--final r --server h/x /x/ d", "a host name holds no blank"},
      {"--final r --server h '/a b/' d", "holds a blank"},
      {"--final r --server h /a/../ d", "\"..\" component"},
      {"--final 'a/b' --server h /x/ d", "the release name \"a/b\""},
      {"--final ' r' --server h /x/ d", "starts or ends with a blank"},
      {"--final r --server h /x/ \"$(printf 'two\\nlines')\"", "line break"},
  };
  for (const auto& c : cases) {
    const run_result bad = run_tool("serverlist " + c.args + " --out " + shell_quote(work / "serverlist.txt"));
    EXPECT_EQ(bad.status, 1) << c.args;
    EXPECT_NE(bad.err.find(c.message), std::string::npos) << c.args << " said: " << bad.err;
    EXPECT_TRUE(read_file(work / "serverlist.txt") == good);
  }
  EXPECT_EQ(list_tree(work.path()), std::vector<std::string>({"serverlist.txt"}));
}
