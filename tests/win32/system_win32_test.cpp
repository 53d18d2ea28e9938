// The system's folders and figures on Windows: the folder kinds and the default
// destination at the drive root, the preferences at the root of the
// applications' drive, the program's folder, free space, the optical drives of
// the disc search, and the log header's Windows lines.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <sstream>

#include "installer/dest.h"
#include "installer/pref.h"
#include "platform/plat_sys.h"
#include "shell/PlatformUtils.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"
#include "support/win32/log_header_check.h"
#include "support/fs_helpers.h"

namespace {
// A folder of the system in the program's form.
std::string program_form(std::string p) {
  set_path_to_right_dirchars(p);
  return p;
}
std::string shell_folder(int csidl) {
  char buf[MAX_PATH];
  EXPECT_EQ(S_OK, SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf));
  return buf;
}
}  // namespace

TEST(WinSystem, FolderKindsAndTheDefaultDestination) {
  std::string f;
  get_OS_abs_path(1, f);
  EXPECT_EQ(program_form(shell_folder(CSIDL_DESKTOP) + "/"), f);
  get_OS_abs_path(2, f);
  const std::string apps = program_form(shell_folder(CSIDL_PROGRAM_FILES) + "/");
  EXPECT_EQ(apps, f);
  EXPECT_EQ("C:\\", apps.substr(0, 3));
  EXPECT_EQ("C:\\Vantrel/", default_dest_dir()) << "new installations go to the drive root";
  get_OS_abs_path(3, f);
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  EXPECT_EQ(program_form(tmp), f);
  EXPECT_EQ('/', f.back());
  get_OS_abs_path(4, f);
  EXPECT_EQ("C:\\", f) << "the preferences folder is the applications' drive root";
  EXPECT_EQ("C:\\Vantrel Installer.prf", pref_file_path());
  EXPECT_EQ(2, PLAT_download_os());
}

TEST(WinSystem, ProgramFolderInProgramForm) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  EXPECT_EQ(exe, PLAT_program_file());
  std::string folder;
  app_path = "junk";
  DOVAVI_set_app_path(&folder);
  EXPECT_TRUE(app_path.empty());
  EXPECT_EQ(0, g_case_sensitive);
  std::string expected = program_form(exe);
  expected.erase(expected.rfind('/') + 1);
  EXPECT_EQ(expected, folder);
  EXPECT_EQ(":\\", folder.substr(1, 2));
  EXPECT_EQ(std::string::npos, folder.find('\\', 3));
}

TEST(WinSystem, FreeSpaceOfAFolderStillToBeMade) {
  unsigned long long root = 0, deep = 0;
  ASSERT_EQ(0, PLAT_free_space("C:\\", &root));
  EXPECT_GT(root, 0u);
  ASSERT_EQ(0, PLAT_free_space("C:\\no such/folder/here/", &deep)) << "the nearest existing parent answers";
  EXPECT_NEAR((double)root, (double)deep, 64.0 * 1024 * 1024);
}

TEST(WinSystem, DiscSearchFindsTheMarkerOnAnOpticalDrive) {
  // scripts/test-win.sh gives the prefix a drive Q: of type CD-ROM over an empty
  // folder (wine reads drive types when it starts).
  if (GetDriveTypeA("Q:\\") != DRIVE_CDROM) GTEST_SKIP() << "the prefix has no CD-ROM drive Q:";
  std::vector<std::string> roots = PLAT_removable_media_roots();
  EXPECT_NE(roots.end(), std::find(roots.begin(), roots.end(), "Q:\\"));
  EXPECT_EQ(roots.end(), std::find(roots.begin(), roots.end(), "C:\\")) << "only optical drives";
  dvd_path.clear();
  reset_disc_search();
  EXPECT_EQ(0, check_any(0, 1)) << "no marker yet";
  EXPECT_EQ("", dvd_path);
  write_file("Q:\\dvd_version.txt", "I\n900 version\nDVD\n");
  struct cleanup {
    ~cleanup() { DeleteFileA("Q:\\dvd_version.txt"); }
  } undo;
  EXPECT_EQ(0, check_any(0, 0)) << "within the hour the last result stands";
  EXPECT_EQ(1, check_any(0, 1));
  EXPECT_EQ("Q:\\", dvd_path);
}

TEST(WinSystem, LogHeaderCarriesTheWindowsLines) {
  std::ostringstream out;
  UTL_write_log_header(out);
  const std::string h = out.str();
  expect_windows_log_header(h);
  EXPECT_NE(std::string::npos, h.find("Vantrel-System folder:'', case sensitive=0\n\n")) << "the header ends there";
}

