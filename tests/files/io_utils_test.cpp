// Files and folders, listing, error texts, path safety and the settings stream.
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

#include "files/IO_UTILS.h"
#include "files/xmap.h"
#include "support/fs_helpers.h"

TEST(FileOps, DeleteMakeRenameUnlock) {
  TempDir d;
  EXPECT_EQ(2, delete_file(""));
  make_dirs(d / "full");
  write_file(d / "full/f", "x");
  EXPECT_EQ(ENOTEMPTY, delete_file(d / "full/"));
  EXPECT_TRUE(file_exists(d / "full/f"));
  EXPECT_EQ(0, delete_file(d / "full/f"));
  EXPECT_EQ(0, delete_file(d / "full/"));
  EXPECT_FALSE(file_exists(d / "full"));

  EXPECT_EQ(0, make_folder(d / "new/"));
  int again = make_folder(d / "new/");
  EXPECT_EQ(EEXIST, again);
  EXPECT_EQ(0, show_make_dir_err(again));
  EXPECT_EQ(0, show_make_dir_err(183));
  EXPECT_EQ(1, show_make_dir_err(ENOENT));
  EXPECT_EQ(ENOENT, make_folder(d / "no/parent/"));

  write_file(d / "a", "a");
  write_file(d / "b", "b");
  EXPECT_EQ(EEXIST, rename_file(d.path(), "a", "b")) << "renaming never replaces";
  EXPECT_EQ("b", read_file(d / "b"));
  EXPECT_EQ(0, rename_file(d.path(), "a", "c"));
  EXPECT_EQ(0, rename_file(d.path(), "new/", "renamed/"));
  EXPECT_TRUE(file_exists(d / "renamed"));

  chmod((d / "c").c_str(), 0444);
  EXPECT_EQ(0, unlock_file(d / "c"));
  struct stat st;
  stat((d / "c").c_str(), &st);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
  EXPECT_EQ(ENOENT, unlock_file(d / "missing"));
}

TEST(FileOps, ListingSkipsDotNamesAndSortsByBytes) {
  TempDir d;
  std::vector<std::string> names;
  std::vector<unsigned long> types;
  write_file(d / ".hidden", "");
  EXPECT_EQ(0, opensave_getitems(d.path(), 0, names, types));
  write_file(d / "b", "");
  write_file(d / "B", "");
  make_dirs(d / "a");
  EXPECT_EQ(3, opensave_getitems(d.path(), 0, names, types));
  EXPECT_EQ((std::vector<std::string>{"B", "a", "b"}), names);
  EXPECT_EQ((std::vector<unsigned long>{0, 1, 0}), types);
}

TEST(FileOpsDeathTest, ListingAFileNameIsAProgrammingError) {
  EXPECT_EXIT(
      {
        std::vector<std::string> n;
        std::vector<unsigned long> t;
        opensave_getitems("/tmp/no-slash", 0, n, t);
      },
      testing::ExitedWithCode(1), "Working path does not appear to be a directory!");
}

TEST(ErrorStr, TableFirstThenTheSystem) {
  EXPECT_EQ("We could not find the server over the network", error_str(20011));
  EXPECT_EQ("Permission denied. Perhaps you do not have access to a directory or file system", error_str(13));
  EXPECT_EQ("No space left on device. Perhaps your hard drive is full", error_str(28));
  EXPECT_EQ("Network is unreachable", error_str(ENETUNREACH));  // not in the table: the system's text
  EXPECT_EQ("Unknown error (code 77777)", error_str(77777));
}

TEST(SafePaths, OneRuleForEveryCaller) {
  const struct {
    const char* path;
    int safe;
  } cases[] = {
      {"a.txt", 1}, {"Resources/plugins/x.dll", 1}, {"folder/", 1}, {"with space/a b", 1}, {"DISK:1/x", 1},
      {"..a/b..", 1}, {"", 0}, {"/", 0}, {"/etc/passwd", 0}, {"../x", 0}, {"a/../b", 0}, {"a/..", 0},
      {"./a", 0}, {"a/./b", 0}, {"a//b", 0}, {"a\\..\\b", 0}, {"\\x", 0}, {"C:/x", 0}, {"c:x", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.safe, is_safe_relative_path(c.path)) << c.path;
}

TEST(OufOpen, WritesHeadersAndLowerCasesTheExtension) {
  TempDir d;
  ASSERT_EQ(1, ouf_open(d / "Settings.PRF", 10001, 9001, "no-copyright-string"));
  ouf << "TAG " << 1.5f << "\n";
  ouf.close();
  EXPECT_FALSE(ouf.fail());
  EXPECT_EQ("I\n9001 version\nTAG 1.500000\n", read_file(d / "Settings.prf"));
  xmap_class m(d / "Settings.prf");
  const int v[] = {9001, 0};
  EXPECT_EQ(9001, m.check_file(10001, v, nullptr, nullptr));

  ASSERT_EQ(1, ouf_open(d / "bin.dat", 10000, 900, ""));
  ouf.close();
  EXPECT_EQ(std::string("i\x84\x03\x00\x00", 5), read_file(d / "bin.dat"));
  ASSERT_EQ(1, ouf_open(d / "c.txt", 10001, 1, " (c) us"));
  ouf.close();
  EXPECT_EQ("I\n1 version (c) us\n", read_file(d / "c.txt"));
}

TEST(OufOpen, CreatesAMissingFolderAndNeverLeavesAHalfFile) {
  TempDir d;
  ASSERT_EQ(1, ouf_open(d / "sub/p.prf", 10001, 9001, ""));
  ouf << "complete\n";
  ouf.close();
  EXPECT_EQ("I\n9001 version\ncomplete\n", read_file(d / "sub/p.prf"));

  // A save that fails half-way (here: the stream goes bad) keeps the old file whole.
  ASSERT_EQ(1, ouf_open(d / "sub/p.prf", 10001, 9001, ""));
  ouf << "half";
  EXPECT_EQ("I\n9001 version\ncomplete\n", read_file(d / "sub/p.prf")) << "nothing replaced before close";
  ouf.setstate(std::ios::badbit);
  ouf.close();
  EXPECT_TRUE(ouf.fail());
  EXPECT_EQ("I\n9001 version\ncomplete\n", read_file(d / "sub/p.prf"));
  EXPECT_EQ((std::vector<std::string>{"p.prf"}), list_tree(d / "sub/"));
}

TEST(OufOpen, UnwritablePlaceAlertsAndReturnsZero) {
  TempDir d;
  write_file(d / "file", "a file where a folder should be");
  EXPECT_EQ(0, ouf_open(d / "file/p.prf", 10001, 9001, ""));
  EXPECT_EQ("a file where a folder should be", read_file(d / "file"));
}
