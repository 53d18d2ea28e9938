// The mapped reader: header checks, text-reading rules and the path rules.
#include <gtest/gtest.h>

#include "files/xmap.h"
#include "shell/PlatformUtils.h"
#include "support/fs_helpers.h"

namespace {
const int k840_900[] = {840, 900, 0};
const int k820[] = {820, 0};

int check_text(const std::string& bytes, const int* versions, const char* keyword, std::string* rest = nullptr,
               std::string* after = nullptr) {
  TempDir dir;
  write_file(dir / "f.txt", bytes);
  xmap_class m(dir / "f.txt");
  int v = m.check_file(10001, versions, keyword, rest);
  if (after) *after = std::string((const char*)m.mCrt, (size_t)(m.mEnd - m.mCrt));
  return v;
}
}  // namespace

TEST(XmapCheckFile, TextHeaders) {
  const struct {
    const char* bytes;
    const int* versions;
    const char* keyword;
    int want;
    const char* cursor_at;  // what follows the cursor afterwards
  } cases[] = {
      {"I\n900 version\nINSTALLER\nDIR a/\n", k840_900, "INSTALLER", 900, "DIR a/\n"},
      {"I\n900 version\n", k820, nullptr, 0, nullptr},
      {"A\r\n840\r\n", k840_900, nullptr, 840, ""},
      {"X\n900\n", k840_900, nullptr, 0, nullptr},
      {"i\n900\n", k840_900, nullptr, 0, nullptr},            // binary letter in a text file
      {"I\n900\nINSTALLER", k840_900, "INSTALLER", 900, ""},   // keyword at the end of the data
      {"I\n900\n  INSTALLER\t\nrest", k840_900, "INSTALLER", 900, "rest"},
      {"I\n900\nINSTALLERS\n", k840_900, "INSTALLER", 0, "INSTALLERS\n"},  // a prefix of a longer word
      {"I\n900\ninstaller\n", k840_900, "INSTALLER", 0, "installer\n"},
      {"I   trailing words\n\n\n  900 version x\n", k840_900, nullptr, 900, ""},
  };
  for (const auto& c : cases) {
    std::string after;
    EXPECT_EQ(c.want, check_text(c.bytes, c.versions, c.keyword, nullptr, &after)) << c.bytes;
    if (c.cursor_at) {
      EXPECT_EQ(c.cursor_at, after) << c.bytes;
    }
  }
  std::string rest;
  check_text("I\n900 version of the day\n", k840_900, nullptr, &rest);
  EXPECT_EQ("version of the day", rest);
}

TEST(XmapCheckFile, BinaryHeadersInBothByteOrders) {
  TempDir dir;
  write_file(dir / "a.bin", std::string("a\x00\x00\x03\x84", 5));
  write_file(dir / "i.bin", std::string("i\x84\x03\x00\x00", 5));
  xmap_class a(dir / "a.bin"), i(dir / "i.bin");
  EXPECT_EQ(900, a.check_file(10000, k840_900, nullptr, nullptr));
  EXPECT_EQ(1, a.rev_inf_bin);
  EXPECT_EQ(900, i.check_file(10000, k840_900, nullptr, nullptr));
  EXPECT_EQ(0, i.rev_inf_bin);
}

TEST(Xmap, ZeroLengthOrMissingFileMapsNothing) {
  TempDir dir;
  write_file(dir / "empty", "");
  xmap_class empty(dir / "empty"), missing(dir / "missing");
  EXPECT_EQ(nullptr, empty.mBegin);
  EXPECT_EQ(nullptr, missing.mBegin);
  EXPECT_EQ(0, empty.check_file(10001, k840_900, nullptr, nullptr));
}

TEST(Xmap, ReadIntFollowsTheLooseDigitRule) {
  TempDir dir;
  write_file(dir / "n", " -+12 7x 5\n");
  xmap_class m(dir / "n");
  EXPECT_EQ(-12, m.read_int());
  EXPECT_EQ(7 * 10 + ('x' - '0'), m.read_int());  // characters are not validated
  EXPECT_EQ(5, m.read_int());
}

TEST(Xmap, ColonAndBackslashAreOrdinaryOnThisSystem) {
  TempDir dir;
  make_dirs(dir / "DISK:1");
  write_file(dir / "DISK:1/a\\b.txt", "I\n900\n");
  xmap_class m(dir / "DISK:1/a\\b.txt");
  EXPECT_EQ(900, m.check_file(10001, k840_900, nullptr, nullptr));
}

TEST(XmapDeathTest, WindowsRulesRefuseWrongSeparators) {
  g_windows_paths = 1;
  EXPECT_EXIT({ xmap_class m("C:/x/y.txt"); }, testing::ExitedWithCode(1), "bad dirchar");
  EXPECT_EXIT({ xmap_class m("C:\\x\\y.txt"); }, testing::ExitedWithCode(1), "bad dirchar");
  xmap_class fine("C:\\x/y.txt");  // accepted (and simply missing here)
  EXPECT_EQ(nullptr, fine.mBegin);
  g_windows_paths = 0;
  EXPECT_EXIT({ xmap_class m(std::string(500, 'a')); }, testing::ExitedWithCode(1), "String too long!");
  EXPECT_EXIT({ xmap_class m("x"); m.check_file(3, k820, nullptr, nullptr); }, testing::ExitedWithCode(1),
              "Bad check_file type!");
}
