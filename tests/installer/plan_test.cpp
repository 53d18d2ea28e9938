// Planning: every row of the plan table, the prompts with their five answers and
// the folder memories, and the folder skeleton.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "installer/main.h"
#include "platform/plat_files.h"
#include "installer/utils.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"

namespace {
class Plan : public testing::Test {
 protected:
  TempDir dest, temp;
  void SetUp() override { reset_engine(dest.path(), temp.path()); }
  void read(const std::vector<release_file>& files) {
    write_file(temp / "directory.txt", directory_text(files));
    ASSERT_EQ(3, read_directory(temp / "directory.txt", "t"));
  }
  // "grab", "nuke" or "leave" for the file at product path p.
  std::string plan_of(const std::string& p) {
    for (auto& h : sim_info.files) {
      auto& v = h.versions.back();
      if (v.path == "Vantrel/" + p) return v.want_to_grab_it ? "grab" : v.want_to_nuke_it ? "nuke" : "leave";
    }
    return "absent";
  }
};
}  // namespace

TEST_F(Plan, EveryRowOfThePlanTable) {
  write_file(dest / "current", "current");
  write_file(dest / "older", "v1");
  write_file(dest / "older-gone", "v1");
  write_file(dest / "changed", "user edit");
  write_file(dest / "changed-gone", "user edit");
  write_file(dest / "other-os", "v1");
  read({
      {"missing", "new"},                            // nothing on disk, a signature: download
      {"missing-gone", "", 0, {"v1"}, true},         // nothing on disk, GONE: leave
      {"current", "current"},                        // current: leave
      {"older", "v2", 0, {"v1"}},                    // an earlier version: replace silently
      {"older-gone", "", 0, {"v1"}, true},           // an earlier version, GONE: delete silently
      {"changed", "v2", 0, {"v1"}},                  // something else: prompt (answer 1: replace)
      {"changed-gone", "", 0, {"v1"}, true},         // something else, GONE: prompt (answer 2: keep)
      {"other-os", "v2", 2, {"v1"}, false},          // Windows only: left alone
  });
  g_prompt_answers = {1, 2};
  ASSERT_EQ(1, choose_files());
  EXPECT_EQ("grab", plan_of("missing"));
  EXPECT_EQ("leave", plan_of("missing-gone"));
  EXPECT_EQ("leave", plan_of("current"));
  EXPECT_EQ("grab", plan_of("older"));
  EXPECT_EQ("nuke", plan_of("older-gone"));
  EXPECT_EQ("grab", plan_of("changed"));
  EXPECT_EQ("leave", plan_of("changed-gone"));
  EXPECT_EQ("leave", plan_of("other-os"));
  EXPECT_EQ((std::vector<std::string>{dest / "changed", dest / "changed-gone"}), g_prompted_paths);
}

TEST_F(Plan, FolderAnswersCoverExactlyThatFolder) {
  make_dirs(dest / "a/sub");
  make_dirs(dest / "b");
  for (std::string p : {"a/1", "a/2", "a/3-gone", "a/sub/4", "b/5", "b/6-gone"}) write_file(dest / p, "user edit");
  read({{"a/1", "x"}, {"a/2", "x"}, {"a/3-gone", "", 0, {"v"}, true}, {"a/sub/4", "x"}, {"b/5", "x"},
        {"b/6-gone", "", 0, {"v"}, true}});
  g_prompt_answers = {5 /* keep every changed file of a/ */, 2 /* a/sub/4 */, 4 /* everything in b/ */};
  ASSERT_EQ(1, choose_files());
  EXPECT_EQ((std::vector<std::string>{dest / "a/1", dest / "a/sub/4", dest / "b/5"}), g_prompted_paths);
  EXPECT_EQ("leave", plan_of("a/2"));
  EXPECT_EQ("leave", plan_of("a/3-gone")) << "one answer covers install and delete prompts";
  EXPECT_EQ("grab", plan_of("b/5"));
  EXPECT_EQ("nuke", plan_of("b/6-gone"));
}

TEST_F(Plan, CancelStopsPlanning) {
  write_file(dest / "a", "edit");
  write_file(dest / "b", "edit");
  read({{"a", "x"}, {"b", "y"}, {"c", "z"}});
  g_prompt_answers = {3};
  EXPECT_EQ(0, choose_files());
  EXPECT_EQ("leave", plan_of("c")) << "files after the cancellation are not planned";
}

TEST_F(Plan, MakeDirsBuildsTheSkeleton) {
  dest_dir_path = dest / "new/deeper/Vantrel/";
  read({{"Resources/plugins/x", "x"}, {"Airfoils/a.afl", "a"}, {"mac/only", "m", 1},
        {"gone/file", "", 0, {"v"}, true}});
  make_dirs();
  EXPECT_TRUE(g_alerts.empty());
  for (std::string d : {"Resources/plugins", "Airfoils", "Output/FMS plans", "Output/logbooks", "Output/movies",
                        "Output/situations", "Resources/preferences"})
    EXPECT_EQ(2, PLAT_path_kind(dest / ("new/deeper/Vantrel/" + d))) << d;
  EXPECT_FALSE(file_exists(dest / "new/deeper/Vantrel/mac"));
  EXPECT_FALSE(file_exists(dest / "new/deeper/Vantrel/gone"));
  make_dirs();
  EXPECT_TRUE(g_alerts.empty()) << "existing folders are no failure";
}

TEST_F(Plan, MakeDirsReportsFailuresPerStep) {
  write_file(dest / "blocker", "a file where the destination should be");
  dest_dir_path = dest / "blocker/Vantrel/";
  read({{"Resources/x", "x"}});
  make_dirs();
  // One report for the destination, one for the first product folder, and one
  // for each of the seven fixed folders.
  ASSERT_EQ(9u, g_alerts.size());
  EXPECT_EQ(177, g_alerts[0].line);
  EXPECT_EQ("Install Path:" + dest / "blocker/Vantrel", g_alerts[0].lines[3]);
  EXPECT_EQ("Error: Not a directory", g_alerts[0].lines[1]);
}
