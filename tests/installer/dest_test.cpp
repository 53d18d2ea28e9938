// Standard folders, the destination rules, the chooser and the disc marker.
#include <gtest/gtest.h>

#include <cstdlib>

#include "installer/dest.h"
#include "platform/plat_files.h"
#include "installer/engine.h"
#include "installer/main.h"
#include "shell/PlatformUtils.h"
#include "shell/hl_structs.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"

namespace {
class Dest : public testing::Test {
 protected:
  TempDir dest, temp;
  void SetUp() override { reset_engine(dest.path(), temp.path()); }
  void TearDown() override {
    g_folder_chooser = nullptr;
    g_windows_paths = 0;
  }
};
std::string stripped(std::string p) {
  strip_to_root(p);
  return p;
}
std::string trimmed(std::string p) {
  trim_dest_folder(p);
  return p;
}
}  // namespace

TEST_F(Dest, PathRules) {
  g_windows_paths = 1;
  EXPECT_EQ("C:\\", stripped("C:\\Program Files/"));
  EXPECT_EQ("C:\\", stripped("C:\\1/2/3/4/5/6/7/8/9/10/"));
  EXPECT_EQ("C:\\1/2/", stripped("C:\\1/2/3/4/5/6/7/8/9/10/11/12/"));
  g_windows_paths = 0;
  EXPECT_EQ("/", stripped("/home/user/"));
  EXPECT_EQ("Resources/a.txt", trimmed("Top/Resources/a.txt"));
  EXPECT_EQ("readme.txt", trimmed("readme.txt"));
  EXPECT_EQ(1, path_has_no_file("a/"));
  EXPECT_EQ(0, path_has_no_file(""));
}

TEST_F(Dest, SystemFolders) {
  TempDir home, tmp;
  const std::string saved_home = getenv("HOME") ? getenv("HOME") : "";
  const std::string saved_tmp = getenv("TMPDIR") ? getenv("TMPDIR") : "";
  struct restore {
    const std::string &home, &tmp;
    ~restore() {
      setenv("HOME", home.c_str(), 1);
      if (tmp.empty()) unsetenv("TMPDIR"); else setenv("TMPDIR", tmp.c_str(), 1);
    }
  } restore_env{saved_home, saved_tmp};
  setenv("HOME", home.path().c_str(), 1);
  setenv("TMPDIR", tmp.path().c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DESKTOP_DIR");
  std::string f;
  get_OS_abs_path(2, f);
  EXPECT_EQ(home.path(), f);
  EXPECT_EQ(home / "Vantrel/", default_dest_dir());
  get_OS_abs_path(1, f);
  EXPECT_EQ(home / "Desktop/", f);
  get_OS_abs_path(3, f);
  EXPECT_EQ(tmp.path(), f);
  get_OS_abs_path(4, f);
  EXPECT_EQ(home / ".config/vantrel/", f);
  EXPECT_EQ(2, PLAT_path_kind(f)) << "the preferences folder is created";
  get_OS_abs_path(0, f);
  EXPECT_EQ(std::string(VANTREL_BUILD_DIR) + "/tests/", f);
}

TEST_F(Dest, ExistingInstallationIsRecognised) {
  EXPECT_EQ(0, path_is_to_a_sim());
  for (std::string d : {"Airfoils", "Instructions", "My Resources"}) make_dirs(dest / d);
  write_file(dest / "Output", "a file, not a folder");
  EXPECT_EQ(0, path_is_to_a_sim());
  remove((dest / "Output").c_str());
  make_dirs(dest / "Output");
  EXPECT_EQ(1, path_is_to_a_sim());
}

TEST_F(Dest, ChoosingAFolder) {
  static std::string answer;
  g_folder_chooser = [](const char*, const char*, std::string* chosen) {
    *chosen = answer;
    return answer.empty() ? 0 : 1;
  };
  answer = "";
  dest_dir_path = "/unchanged/";
  EXPECT_EQ(0, pick_dest_path());
  EXPECT_EQ("/unchanged/", dest_dir_path);

  answer = dest / "games";  // no trailing separator: the chooser's result gets one
  EXPECT_EQ(1, pick_dest_path());
  EXPECT_EQ(dest / "games/Vantrel/", dest_dir_path) << "a new installation goes into its own folder";

  for (std::string d : {"Airfoils", "Instructions", "Output", "Resources"}) make_dirs(dest / ("sim/" + d));
  answer = dest / "sim/";
  EXPECT_EQ(1, pick_dest_path());
  EXPECT_EQ(dest / "sim/", dest_dir_path) << "an existing installation is updated in place";
}

TEST_F(Dest, DiscMarker) {
  write_file(dest / "dvd_version.txt", "I\n900\nDVD\n");
  EXPECT_EQ(1, check_dvd(dest.path()));
  EXPECT_EQ(dest.path(), dvd_path);
  write_file(temp / "dvd_version.txt", "I\n900\nDVDX\n");
  EXPECT_EQ(0, check_dvd(temp.path()));
  reset_disc_search();
  EXPECT_EQ(0, check_any(3, 0));
  int first = check_any(0, 0);
  EXPECT_EQ(first, check_any(0, 0)) << "cached within the hour";
}

TEST_F(Dest, CommandLineDestination) {
  const struct {
    const char *raw, *dest;
  } cases[] = {
      {"", ""},
      {"/data/sim", "/data/sim/"},
      {"/data/sim/", "/data/sim/"},
      {"--headless /data/my sim --accept_licence", "/data/my sim/"},
      {"--fps_test --no_vbos", ""},
      {"/media/user/DISK:1", "/media/user/DISK:1/"},
      {"/home/u/\"quoted\" \\ name", "/home/u/\"quoted\" \\ name/"},  // ordinary characters here
  };
  for (const auto& c : cases) EXPECT_EQ(c.dest, command_line_destination(c.raw)) << c.raw;
  // Under the Windows rules a path typed with backslashes keeps only its drive's.
  g_windows_paths = 1;
  const struct {
    const char *raw, *dest;
  } windows[] = {
      {"C:\\Games\\Sim\\", "C:\\Games/Sim/"},
      {"--headless D:\\My Sim", "D:\\My Sim/"},
      {"C:\\", "C:\\"},
      // Quoted as the system quotes a path with spaces (a trailing backslash doubled).
      {"\"Z:\\tmp\\My Sim 1.0\\\\\"", "Z:\\tmp/My Sim 1.0/"},
      {"--trace_screen \"D:\\A B\"", "D:\\A B/"},
  };
  for (const auto& c : windows) EXPECT_EQ(c.dest, command_line_destination(c.raw)) << c.raw;
  g_windows_paths = 0;
}
