// The file services on Windows: the system's error numbers as the installer
// sees them, the read-only attribute, mapping, signatures from mappings, the
// path rules with drive prefixes, and zip extraction of Info-ZIP archives.
#include <gtest/gtest.h>

#include <windows.h>

#include "files/IO_UTILS.h"
#include "files/xmap.h"
#include "platform/plat_files.h"
#include "shell/PlatformUtils.h"
#include "shell/hl_alert.h"
#include "support/fs_helpers.h"
#include "support/zip_maker.h"

namespace {
struct alert_raised {
  std::string s1, s2;
  int type;
};
void throwing_alert(int, const std::string& s1, const std::string& s2, const std::string&, const std::string&,
                    int type, const char*, int) {
  throw alert_raised{s1, s2, type};
}
struct AlertsThrow {
  AlertsThrow() { g_alert_intercept = throwing_alert; }
  ~AlertsThrow() { g_alert_intercept = nullptr; }
};
}  // namespace

TEST(WinFiles, ErrorNumbersAreTheSystems) {
  TempDir d;
  EXPECT_EQ(183, PLAT_ERR_EXISTS);
  EXPECT_EQ(145, PLAT_ERR_NOT_EMPTY);
  EXPECT_EQ(2, PLAT_ERR_NOT_FOUND);
  EXPECT_EQ(1, PLAT_windows_paths());

  ASSERT_EQ(0, make_folder(d / "new/"));
  EXPECT_EQ(183, make_folder(d / "new/")) << "an existing folder";
  EXPECT_EQ(0, show_make_dir_err(183));
  EXPECT_EQ(3, make_folder(d / "no/parent/")) << "a missing parent is a missing path";
  EXPECT_EQ(1, show_make_dir_err(3));

  write_file(d / "new/f", "x");
  EXPECT_EQ(145, delete_file(d / "new/")) << "a folder that still holds a file";
  EXPECT_TRUE(file_exists(d / "new/f"));
  EXPECT_EQ(2, delete_file(d / "missing"));
  EXPECT_EQ(2, delete_file(""));

  write_file(d / "a", "a");
  write_file(d / "b", "b");
  EXPECT_EQ(183, rename_file(d.path(), "a", "b")) << "renaming never replaces";
  EXPECT_EQ("b", read_file(d / "b"));
  EXPECT_EQ(0, rename_file(d.path(), "new/", "renamed/"));
  EXPECT_TRUE(file_exists(d / "renamed/f"));
}

TEST(WinFiles, UnlockClearsTheReadOnlyAttribute) {
  TempDir d;
  write_file(d / "ro", "x");
  ASSERT_TRUE(SetFileAttributesA((d / "ro").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(5, delete_file(d / "ro")) << "a read-only file refuses deletion";
  EXPECT_EQ(0, unlock_file(d / "ro"));
  EXPECT_EQ(0u, GetFileAttributesA((d / "ro").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(0, delete_file(d / "ro"));
  EXPECT_EQ(2, unlock_file(d / "missing"));
}

TEST(WinFiles, ErrorTextsTableFirstThenTheSystems) {
  EXPECT_EQ("No such file or directory", error_str(2)) << "the table is searched by number";
  EXPECT_EQ("No such process", error_str(3));
  EXPECT_EQ("We could not find the server over the network", error_str(20011));
  // Numbers the table lacks get the system's sentence, without its line break.
  const std::string not_empty = error_str(145);
  EXPECT_FALSE(not_empty.empty());
  EXPECT_EQ(std::string::npos, not_empty.find('\n'));
  EXPECT_NE(std::string::npos, error_str(183).find("exist")) << error_str(183);
}

TEST(WinFiles, MappedReaderTakesDrivePathsAndRefusesOtherSeparators) {
  AlertsThrow alerts;
  TempDir d;
  write_file(d / "h.txt", "I\n900 version\nDVD\n");
  write_file(d / "empty.txt", "");
  ASSERT_EQ("Z:\\", d.path().substr(0, 3));
  {
    xmap_class m(d / "h.txt");
    ASSERT_TRUE(m.mBegin);
    const int versions[] = {900, 0};
    EXPECT_EQ(900, m.check_file(10001, versions, "DVD", nullptr));
  }
  EXPECT_FALSE(xmap_class(d / "empty.txt").mBegin) << "a zero-length file reads as missing";
  EXPECT_FALSE(xmap_class(d / "missing.txt").mBegin);
  // A backslash after the drive prefix, or a colon without one, ends the program.
  for (std::string bad : {d.path() + "sub\\h.txt", std::string("Z:/tmp/h.txt")}) {
    try {
      xmap_class m(bad);
      ADD_FAILURE() << bad << " was accepted";
    } catch (const alert_raised& a) {
      EXPECT_EQ("I got a bad dirchar! I only want '/'!", a.s2) << bad;
      EXPECT_EQ(t_exit, a.type);
    }
  }
}

TEST(WinFiles, SignaturesComeFromTheMapping) {
  TempDir d;
  EXPECT_EQ(1, PLAT_hash_from_mapping());
  write_file(d / "abc", "abc");
  write_file(d / "empty", "");
  write_file(d / "big", random_bytes(3 * 1024 * 1024 + 17, 4));
  std::string sig = "NONE";
  EXPECT_EQ(0, calc_file_md5(d / "abc", sig));
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", sig);
  EXPECT_EQ(0, calc_file_md5(d / "big", sig));
  EXPECT_EQ(md5sum_of(d / "big"), sig) << "a file larger than one slice";
  sig = "NONE";
  EXPECT_EQ(20006, calc_file_md5(d / "empty", sig));
  EXPECT_EQ(20006, calc_file_md5(d / "missing", sig));
  EXPECT_EQ("NONE", sig);
}

TEST(WinFiles, PathRulesWithDrivePrefixes) {
  struct {
    const char *in, *form, *file, *parent;
  } cases[] = {
      {"C:\\", "C:\\", "C:\\", "C:\\"},
      {"C:\\a\\b", "C:\\a/b", "b", "C:\\a/"},
      {"C:\\a\\b\\", "C:\\a/b/", "b/", "C:\\a/"},
      {"\\\\server\\share", "//server/share", "share", "//server/"},
      {"a:b", "a/b", "b", "a/b"},  // three characters: its own parent
  };
  EXPECT_EQ(1, g_windows_paths);
  for (const auto& c : cases) {
    std::string p = c.in, f, parent;
    set_path_to_right_dirchars(p);
    EXPECT_EQ(c.form, p) << c.in;
    get_file_with_path(f, p);
    EXPECT_EQ(c.file, f) << c.in;
    get_path_with_path(parent, p);
    EXPECT_EQ(c.parent, parent) << c.in;
  }
  EXPECT_EQ("C:\\", path_default_root());
}

TEST(WinFiles, ListsFoldersSorted) {
  TempDir d;
  make_dirs(d / "Resources");
  write_file(d / "b.txt", "");
  write_file(d / "A.txt", "");
  write_file(d / ".hidden", "");
  std::vector<std::string> names;
  std::vector<unsigned long> types;
  EXPECT_EQ(3, opensave_getitems(d.path(), 0, names, types));
  EXPECT_EQ((std::vector<std::string>{"A.txt", "Resources", "b.txt"}), names);
  EXPECT_EQ((std::vector<unsigned long>{0, 1, 0}), types);
}

TEST(WinFiles, ExtractsInfoZipAndMinizipArchives) {
  TempDir src, out, work;
  make_dirs(src / "Resources/plugins");
  write_file(src / "Resources/plugins/data.bin", random_bytes(200000, 1));
  write_file(src / "name with spaces.txt", "spaces are fine");
  ASSERT_EQ(0, run_command("cd " + shell_quote(src.path()) + " && zip -q -r " + shell_quote(work / "tree.zip") +
                           " . -i '*'"));
  ASSERT_EQ(0, make_folder(out / "Resources/"));
  ASSERT_EQ(0, make_folder(out / "Resources/plugins/"));
  ASSERT_EQ(0, zip_to_file(work / "tree.zip", out.path(), nullptr, 0));
  EXPECT_EQ(read_file(src / "Resources/plugins/data.bin"), read_file(out / "Resources/plugins/data.bin"));
  EXPECT_EQ("spaces are fine", read_file(out / "name with spaces.txt"));

  // A member whose name would leave the folder is refused before anything is written.
  make_zip(work / "bad.zip", {{"good.txt", "fine"}, {"..\\escape.txt", "evil"}});
  TempDir out2;
  EXPECT_EQ(20013, zip_to_file(work / "bad.zip", out2.path(), nullptr, 0));
  EXPECT_TRUE(list_tree(out2.path()).empty());
  EXPECT_FALSE(file_exists(out2.path() + "../escape.txt"));
}
