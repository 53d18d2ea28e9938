// Path helpers under this system's rules and under the Windows rules.
#include <gtest/gtest.h>

#include "shell/PlatformUtils.h"
#include "shell/hl_structs.h"
#include "support/fs_helpers.h"

namespace {
struct rules {
  explicit rules(int windows) { g_windows_paths = windows; }
  ~rules() { g_windows_paths = 0; }
};
std::string dirchars(std::string p) {
  set_path_to_right_dirchars(p);
  return p;
}
std::string last(const std::string& p) {
  std::string f;
  get_file_with_path(f, p);
  return f;
}
std::string parent(const std::string& p) {
  std::string f;
  get_path_with_path(f, p);
  return f;
}
}  // namespace

TEST(Paths, WindowsRules) {
  rules w(1);
  EXPECT_EQ("C:\\", dirchars("C:\\"));
  EXPECT_EQ("C:\\a/b", dirchars("C:\\a\\b"));
  EXPECT_EQ("//server/share", dirchars("\\\\server\\share"));
  EXPECT_EQ("a/b", dirchars("a:b"));
  EXPECT_EQ("b/", last("C:/a/b/"));
  EXPECT_EQ("b", last("C:\\a\\b"));
  EXPECT_EQ("C:/a/", parent("C:/a/b/"));
  EXPECT_EQ("C:/", parent("C:/a"));
}

TEST(Paths, PosixRulesKeepColonsAndBackslashes) {
  rules p(0);
  EXPECT_EQ("/media/user/DISK:1/", dirchars("/media/user/DISK:1/"));
  EXPECT_EQ("a\\b", dirchars("a\\b"));
  EXPECT_EQ("a\\b", last("/x/a\\b"));
  EXPECT_EQ("/media/user/", parent("/media/user/DISK:1/"));
}

TEST(Paths, LastComponentAndParentEdgeCases) {
  const struct {
    const char *path, *file, *parent;
  } cases[] = {
      {"", "", ""},          {"ab", "ab", "ab"},         {"a/", "", "a/"},
      {"/a", "a", "/a"},     {"/usr/lib/", "lib/", "/usr/"}, {"/usr/lib/x.so", "x.so", "/usr/lib/"},
      {"/a/b", "b", "/a/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.file, last(c.path)) << c.path;
    EXPECT_EQ(c.parent, parent(c.path)) << c.path;
  }
}

TEST(Paths, ProgramFolderEndsWithSeparator) {
  app_path = "junk";
  std::string folder;
  DOVAVI_set_app_path(&folder);
  EXPECT_EQ(std::string(VANTREL_BUILD_DIR) + "/tests/", folder);
  EXPECT_TRUE(app_path.empty());
}
