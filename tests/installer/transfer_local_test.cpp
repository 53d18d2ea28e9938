// The transfer without a network: deletions, the clean-up of emptied folders
// deepest first, the stream count, and the final rename.
#include <gtest/gtest.h>

#include "installer/engine.h"
#include "installer/main.h"
#include "installer/utils.h"
#include "platform/plat_files.h"
#include "shell/xtim.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"

namespace {
class Transfer : public testing::Test {
 protected:
  TempDir root, temp;
  std::string dest;
  void SetUp() override {
    dest = root / "Old/";
    make_dirs(dest);
    reset_engine(dest, temp.path());
  }
  void plan(const std::vector<release_file>& files) {
    write_file(temp / "directory.txt", directory_text(files));
    ASSERT_EQ(3, read_directory(temp / "directory.txt", "t"));
    ASSERT_EQ(1, choose_files());
    reset_streams();
  }
  int run_to_end() {
    for (int calls = 0; calls < 100000; calls++) {
      int r = grab_files();
      if (r) return r;
    }
    return -1;
  }
};
}  // namespace

TEST_F(Transfer, DeletionsOnlyNeedNoNetworkAndCleanUpDeepestFirst) {
  make_dirs(dest + "a/b/c");
  make_dirs(dest + "keep");
  write_file(dest + "a/b/c/old1", "v1");
  write_file(dest + "a/b/old2", "v1");
  write_file(dest + "keep/old3", "v1");
  write_file(dest + "keep/mine.txt", "the user's own file");
  stg.log_actions = 1;
  plan({{"a/b/c/old1", "", 0, {"v1"}, true}, {"a/b/old2", "", 0, {"v1"}, true}, {"keep/old3", "", 0, {"v1"}, true}});
  EXPECT_EQ(1, run_to_end());
  EXPECT_EQ(1, next.dir_done);
  EXPECT_EQ((std::vector<std::string>{"keep/", "keep/mine.txt"}), list_tree(dest));
  EXPECT_EQ((std::set<std::string>{dest + "a/", dest + "a/b/", dest + "a/b/c/", dest + "keep/"}), deleted_files);
}

TEST_F(Transfer, FixedStreamCountOfOne) {
  stg.stream_count = 1;
  std::vector<release_file> files;
  for (int i = 0; i < 6; i++) files.push_back({"f" + std::to_string(i), "x"});
  for (auto& f : files) write_file(dest + f.path, "x");  // all current: every file is passed over
  plan(files);
  grab_files();  // both streams take a file and finish it; the first to finish stops
  EXPECT_EQ(1, active_stream_count());
  EXPECT_EQ(1, run_to_end());
  EXPECT_EQ(2, stg.crnt_file_stat) << "passing over files already on disk";
}

TEST_F(Transfer, RenameAfterAnInstallWithPrograms) {
  write_file(dest + "old.exe", "v1");
  install_name = "Vantrel 12";
  plan({{"old.exe", "", 0, {"v1"}, true}});
  this_install_has_exes = 1;
  EXPECT_EQ(1, run_to_end());
  EXPECT_EQ(root / "Vantrel 12/", dest_dir_path);
  EXPECT_EQ(2, PLAT_path_kind(root / "Vantrel 12"));
}

TEST_F(Transfer, RenameRefusesNamesThatWouldMoveTheFolder) {
  for (std::string bad : {"../elsewhere", "a/b", "..", ""}) {
    SCOPED_TRACE(bad);
    reset_engine(dest, temp.path());
    install_name = bad;
    plan({});
    this_install_has_exes = 1;
    EXPECT_EQ(1, run_to_end());
    EXPECT_EQ(dest, dest_dir_path);
  }
  EXPECT_TRUE(file_exists(dest));
}
