// The preferences file on Windows: at the root of the applications' drive
// (C:\Vantrel Installer.prf), written and read back like anywhere else.
// (No windows.h here: the installer's entry shares its name with the system's.)
#include <gtest/gtest.h>

#include "installer/main.h"
#include "installer/pref.h"
#include "platform/plat_files.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"

TEST(WinSystem, PreferencesRoundTripAtTheDriveRoot) {
  TempDir dest, temp;
  reset_engine(dest.path(), temp.path());
  const std::string file = pref_file_path();
  PLAT_delete_file(file);
  struct cleanup {
    std::string file;
    ~cleanup() { PLAT_delete_file(file); }
  } undo{file};
  stg.stream_count = 3;
  stg.rename_folder = 0;
  pref.IO_set(11, 1);
  EXPECT_TRUE(g_alerts.empty()) << "saved without an alert: " << (g_alerts.empty() ? "" : g_alerts[0].lines[0]);
  std::string text;  // a text file of this system: its lines end with CR LF
  for (char c : read_file(file))
    if (c != '\r') text += c;
  EXPECT_NE(std::string::npos, read_file(file).find("I\r\n9001 version\r\n"));
  EXPECT_EQ(0u, text.find("I\n9001 version\n")) << text;
  EXPECT_NE(std::string::npos, text.find("_dest_dir_path " + dest.path() + "\n"));
  stg.stream_count = 0;
  stg.rename_folder = 1;
  dest_dir_path.clear();
  pref.IO_set(11, 0);
  EXPECT_EQ(3, stg.stream_count);
  EXPECT_EQ(0, stg.rename_folder);
  EXPECT_EQ(dest.path(), dest_dir_path);
}
