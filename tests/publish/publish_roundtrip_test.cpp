// Publish and install round trips: releases made by vantrel-publish, served by a
// real nginx, installed by the engine the way the window's frames drive it. The
// first release goes onto an empty folder, the second arrives as an update.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>

#include "installer/engine.h"
#include "installer/main.h"
#include "installer/serverlist.h"
#include "installer/utils.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"
#include "support/nginx_fixture.h"

namespace fs = std::filesystem;

namespace {

const std::string kTool = std::string(VANTREL_BUILD_DIR) + "/vantrel-publish";

int publish(const std::string& args) {
  std::string out;
  const int status = run_command(shell_quote(kTool) + " " + args + " 2>&1", &out);
  EXPECT_EQ(status, 0) << out;
  return status;
}

// Product files by their path below the top folder, with their os_type.
struct sample_file {
  std::string bytes;
  int os_type = 0;
};
using sample = std::map<std::string, sample_file>;

void write_product(const std::string& top_dir, const sample& files, const std::string& rules_path) {
  std::error_code ec;
  fs::remove_all(top_dir, ec);
  make_dirs(top_dir);
  std::string rules;
  for (const auto& f : files) {
    const std::string path = top_dir + "/" + f.first;
    make_dirs(path.substr(0, path.rfind('/') + 1));
    write_file(path, f.second.bytes);
    if (f.second.os_type) rules += f.first + " " + std::to_string(f.second.os_type) + "\n";
  }
  write_file(rules_path, rules);
}

// What a Linux install of `files` leaves on disk: path -> MD5.
std::map<std::string, std::string> wanted(const sample& files) {
  std::map<std::string, std::string> t;
  for (const auto& f : files)
    if (os_type_wanted(f.second.os_type, 3)) t[f.first] = md5_of(f.second.bytes);
  return t;
}

std::map<std::string, std::string> files_on_disk(const std::string& dest) {
  std::map<std::string, std::string> t;
  for (const std::string& p : list_tree(dest))
    if (p.back() != '/') t[p] = md5sum_of(dest + p);
  return t;
}

// One run of the installer, as a fresh start of the program would make it:
// server list, directory, scan, then the install, frame by frame.
bool install_run(const std::string& dest, const std::string& temp, const std::string& list_host) {
  reset_engine(dest, temp);
  cmdline.parse(("--server_list=" + list_host).c_str());
  return fetch_release() && run_install();
}

// The archives nginx sent (status 200), from its access log.
int archives_served(const NginxServer& server) {
  const std::string log = read_file(server.access_log());
  int n = 0;
  size_t at = 0;
  while ((at = log.find("\"GET ", at)) != std::string::npos) {
    const size_t end = log.find('"', at + 1);
    const std::string request = log.substr(at, end - at);
    if (request.find(".zip HTTP/1.1") != std::string::npos &&
        request.find("directory.txt.zip") == std::string::npos && log.compare(end + 1, 5, " 200 ") == 0)
      n++;
    at = end;
  }
  return n;
}

}  // namespace

TEST(PublishRoundTrip, FirstReleaseOntoAnEmptyFolderThenTheSecondAsAnUpdate) {
  TempDir work, mirror, dest_root, temp;
  sample r1;
  for (int i = 0; i < 30; i++)
    r1["Resources/set" + std::to_string(i % 3) + "/file " + std::to_string(i) + ".dat"] = {
        random_bytes(500 + 1499 * (size_t)i, (unsigned)i)};
  r1["Airfoils/big.afl"] = {random_bytes(3000000, 77)};
  r1["Airfoils/text.afl"] = {std::string(200000, 'a')};
  r1["Instructions/Caf\xc3\xa9 [guide] & (notes) + 'extra' =1,~!.txt"] = {"odd name"};
  r1["Output/logbooks/empty.txt"] = {""};
  r1["Aircraft/Old Plane/plane.acf"] = {"old plane"};
  r1["Aircraft/Old Plane/paint/skin.png"] = {random_bytes(20000, 5)};
  r1["Vantrel-x86_64"] = {"linux program", 3};
  r1["Vantrel.exe"] = {"windows program", 2};
  r1["Resources/plugins/mac.xpl"] = {"mac plugin", 1};
  r1["Resources/plugins/lin64.xpl"] = {"linux 64 plugin", 6};

  NginxServer server(mirror.path());
  ASSERT_TRUE(server.ok());
  const std::string rules = work / "rules";
  write_product(work / "Vantrel", r1, rules);
  chmod((work / "Vantrel/Vantrel-x86_64").c_str(), 0755);
  publish("release --product " + shell_quote(work / "Vantrel") + " --name 'Vantrel 1' --out " +
          shell_quote(mirror.path()) + " --folder /mirror/ --os-rules " + shell_quote(rules));
  const std::string list = "serverlist --final NAME --server " + server.host() +
                           " /mirror/ 'Test mirror' --out " + shell_quote(mirror / "serverlist.txt");
  publish(std::string(list).replace(list.find("NAME"), 4, "'Vantrel 1'"));

  ASSERT_TRUE(install_run(dest_root / "Vantrel/", temp.path(), server.host()));
  EXPECT_EQ(stg.got_failed_install, 0);
  EXPECT_EQ(next.dir_done, 1);
  EXPECT_TRUE(g_alerts.empty());
  // With a program in it the folder takes the release's name.
  EXPECT_EQ(dest_dir_path, dest_root / "Vantrel 1/");
  EXPECT_EQ(files_on_disk(dest_dir_path), wanted(r1));
  EXPECT_TRUE((fs::status(dest_dir_path + "Vantrel-x86_64").permissions() & fs::perms::owner_exec) != fs::perms::none)
      << "the program stays runnable";
  const int first_archives = archives_served(server);
  EXPECT_EQ(first_archives, (int)wanted(r1).size());

  // Release 2: some files change, some are new, some are gone (a whole folder
  // among them, and a Windows program that a Linux install never had).
  sample r2 = r1;
  r2["Resources/set0/file 0.dat"] = {"changed 0"};
  r2["Resources/set1/file 4.dat"] = {random_bytes(70000, 4000)};
  r2["Airfoils/big.afl"].bytes[1000] ^= 1;
  r2["Resources/new/added.txt"] = {"new file"};
  r2["Resources/plugins/lin.xpl"] = {"linux plugin", 3};
  r2["Resources/plugins/win.xpl"] = {"windows plugin", 2};
  r2.erase("Aircraft/Old Plane/plane.acf");
  r2.erase("Aircraft/Old Plane/paint/skin.png");
  r2.erase("Resources/set2/file 29.dat");
  r2.erase("Vantrel.exe");
  write_product(work / "Vantrel", r2, rules);
  chmod((work / "Vantrel/Vantrel-x86_64").c_str(), 0755);
  publish("release --product " + shell_quote(work / "Vantrel") + " --name 'Vantrel 2' --out " +
          shell_quote(mirror.path()) + " --folder /mirror/ --os-rules " + shell_quote(rules) + " --previous " +
          shell_quote(mirror / "mirror/Vantrel 1/directory.txt.zip"));
  publish(std::string(list).replace(list.find("NAME"), 4, "'Vantrel 2'"));

  const std::string updated = dest_dir_path;
  ASSERT_TRUE(install_run(updated, temp.path(), server.host()));
  EXPECT_EQ(stg.got_failed_install, 0);
  EXPECT_TRUE(g_alerts.empty());
  EXPECT_TRUE(g_prompted_paths.empty()) << "earlier versions are replaced without asking";
  EXPECT_EQ(dest_dir_path, dest_root / "Vantrel 2/");
  EXPECT_EQ(files_on_disk(dest_dir_path), wanted(r2));
  EXPECT_FALSE(fs::exists(dest_dir_path + "Aircraft/Old Plane")) << "the emptied folder is removed";
  // Only what changed came over the network: 3 changed files and 2 new ones for
  // Linux, and the empty file, which the installer always counts as missing.
  EXPECT_EQ(archives_served(server) - first_archives, 6);
}
