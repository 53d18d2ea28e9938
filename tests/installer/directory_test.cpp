// The directory reader: the file format, histories, the dropped names, clamps,
// the os_type rule, the totals, the refusals, and hostile paths.
#include <gtest/gtest.h>

#include "installer/main.h"
#include "installer/seams.h"
#include "installer/utils.h"
#include "shell/hl_alert.h"
#include "shell/hl_structs.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"

namespace {
class Directory : public testing::Test {
 protected:
  TempDir dest, temp;
  void SetUp() override { reset_engine(dest.path(), temp.path()); }
  int read(const std::string& text) {
    write_file(temp / "directory.txt", text);
    return read_directory(temp / "directory.txt", "title");
  }
};
const std::string kSig = "0123456789abcdef0123456789abcdef";
}  // namespace

TEST_F(Directory, ParsesRecordsIntoHistories) {
  ASSERT_EQ(3, read("I\n900 version\nINSTALLER\n"
                    "  DIR Vantrel/Resources/\n"
                    "\tFILE 1 0 3 12 30 " + kSig + " my file.txt\n"
                    "\n\nFILE 1 0 3 12 30 " + kSig + " my file.txt\r\n"
                    "FILE 1 0 4 12 30 GONE my file.txt\n"
                    "FILE 7 9 1 1 1 " + kSig + " other\n"
                    "FILE -3 0 1 1 1 " + kSig + " my file.txt\n"
                    "FILE\n"       // keyword without a blank: skipped
                    "FILES 1 0 1 1 1 x y\n"  // not a keyword
                    "DIR Vantrel/\n"
                    "FILE 1 0 1 5 5 " + kSig + " Earth Orbit Textures/a.png\n"
                    "FILE 1 0 1 5 5 " + kSig + " 900 red terrain.dsf\n"
                    "DIR Vantrel/readme\n"
                    "FILE 1 0 1 2\n"));
  ASSERT_EQ(4u, sim_info.files.size());
  const auto& first = sim_info.files[0].versions;
  ASSERT_EQ(3u, first.size());
  EXPECT_EQ("Vantrel/Resources/my file.txt", first[0].path);
  EXPECT_EQ("GONE", first[2].sig_want);
  EXPECT_EQ("", first[0].sig_have) << "only the current version is examined";
  EXPECT_EQ("NONE", first[2].sig_have);
  const auto& other = sim_info.files[1].versions.back();
  EXPECT_EQ(4, other.use_type);
  EXPECT_EQ(6, other.os_type);
  EXPECT_EQ(0, sim_info.files[2].versions.back().use_type) << "-3 is clamped to 0";
  EXPECT_EQ(1u, sim_info.files[2].versions.size()) << "the same path after another one starts a new history";
  const auto& last = sim_info.files[3].versions.back();
  EXPECT_EQ("Vantrel/readme", last.path) << "the prefix is joined without a separator";
  EXPECT_FLOAT_EQ(2, last.down_size);
  EXPECT_FLOAT_EQ(0, last.disk_size) << "missing fields read as 0 and empty";
  EXPECT_EQ("", last.sig_want);
  (void)kSig;
}

TEST_F(Directory, ExaminesTheDiskAndTotalsWhatIsMissing) {
  make_dirs(dest / "Resources");
  write_file(dest / "Resources/current.txt", "current");
  write_file(dest / "Resources/old.txt", "old");
  write_file(dest / "empty.txt", "");
  std::vector<release_file> files = {
      {"Resources/current.txt", "current"},          {"Resources/old.txt", "new version"},
      {"empty.txt", ""},                              {"missing.bin", std::string(2500, 'x'), 2},
      {"mac.bin", std::string(5000, 'm'), 1},         {"gone.txt", "", 0, {"was here"}, true},
      {"linux-only.bin", std::string(1001, 'l'), 6},
  };
  ASSERT_EQ(3, read(directory_text(files)));
  auto find = [](const std::string& p) -> file_version_struct& {
    for (auto& h : sim_info.files)
      if (h.versions.back().path == "Vantrel/" + p) return h.versions.back();
    throw std::runtime_error("no " + p);
  };
  EXPECT_EQ(1, find("Resources/current.txt").on_disk);
  EXPECT_EQ(md5_of("old"), find("Resources/old.txt").sig_have);
  EXPECT_EQ("NONE", find("empty.txt").sig_have) << "an empty file counts as absent";
  EXPECT_EQ(0, find("gone.txt").on_disk);
  // Linux (3): old.txt (1 kB), empty.txt (0), linux-only (2 kB); not the Windows or Mac files.
  EXPECT_FLOAT_EQ(1 + 0 + 2, stg.down_req);
  EXPECT_FLOAT_EQ(3, stg.disk_req);
  EXPECT_EQ(0, this_install_has_exes) << "os_type 6 is not a program type";

  stg.download_os = 2;
  ASSERT_EQ(3, read(directory_text(files)));
  EXPECT_FLOAT_EQ(1 + 0 + 3, stg.down_req);
  EXPECT_EQ(1, this_install_has_exes);
}

TEST_F(Directory, OsTypeRule) {
  const int wanted[7][4] = {
      // download_os:  1  2  3  (6)
      {1, 1, 1, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 1},
  };
  const int systems[4] = {1, 2, 3, 6};
  for (int os = 0; os <= 6; os++)
    for (int d = 0; d < 4; d++) EXPECT_EQ(wanted[os][d], os_type_wanted(os, systems[d])) << os << " " << systems[d];
  EXPECT_EQ(1, os_type_wanted(4, 4));
  EXPECT_EQ(1, os_type_wanted(5, 5));
}

TEST_F(Directory, ProgressIsReportedAtItsPace) {
  static std::vector<int> calls;
  calls.clear();
  dir_progress_bar = [](float, float, float, int phase, const std::string&, const std::string&) {
    calls.push_back(phase);
  };
  std::vector<release_file> files;
  for (int i = 0; i < 1000; i++) files.push_back({"f" + std::to_string(i), "x"});
  ASSERT_EQ(3, read(directory_text(files)));
  int parse = 0, examine = 0;
  for (int p : calls) (p == 0 ? parse : examine)++;
  EXPECT_EQ(200, examine) << "1000 histories: every fifth";
  EXPECT_GE(parse, 2);
}

TEST_F(Directory, RefusedHeadersCallNewFormat) {
  for (std::string text : {"I\n820\nINSTALLER\n", "I\n900\ninstaller\n", "X\n900\nINSTALLER\n"}) {
    g_alerts.clear();
    g_opened_urls.clear();
    app_done = 0;
    EXPECT_EQ(2, read(text)) << text;
    ASSERT_EQ(1u, g_alerts.size());
    EXPECT_EQ("utils", g_alerts[0].file);
    EXPECT_EQ(141, g_alerts[0].line);
    EXPECT_EQ(t_alert, g_alerts[0].type);
    EXPECT_EQ(1u, g_opened_urls.size());
    EXPECT_EQ(1, app_done);
    EXPECT_EQ(2, stg.step);
  }
  EXPECT_EQ(3, read("A\n840 old format\nINSTALLER\n"));
}

TEST_F(Directory, MissingFileAndFolderPathsAreFatal) {
  EXPECT_THROW(read_directory(temp / "nothing.txt", "t"), fatal_alert);
  EXPECT_EQ(628, g_alerts.back().line);
  EXPECT_THROW(read(""), fatal_alert) << "an empty file is a missing file";
  EXPECT_THROW(read("I\n900\nINSTALLER\nDIR Vantrel/a/\nFILE 1 0 1 1 1 x sub/\n"), fatal_alert);
  EXPECT_EQ(659, g_alerts.back().line);
  EXPECT_EQ("Vantrel/a/sub/", g_alerts.back().lines[3]);
}

TEST_F(Directory, HostilePathsAreRefusedBeforeAnythingHappens) {
  for (std::string name : {"../escape.txt", "a/../../escape.txt", "./x", "a//b", "/etc/passwd"}) {
    SCOPED_TRACE(name);
    g_alerts.clear();
    EXPECT_THROW(read("I\n900\nINSTALLER\nDIR Vantrel/\nFILE 1 0 1 1 1 " + kSig + " " + name + "\n"), fatal_alert);
    EXPECT_EQ(664, g_alerts.back().line);
    EXPECT_EQ("Vantrel/" + name, g_alerts.back().lines[3]);
  }
  EXPECT_TRUE(list_tree(dest.path()).empty());
}
