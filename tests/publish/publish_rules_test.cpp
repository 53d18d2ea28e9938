// The publisher's pure rules: which product paths and release names can be
// published, the os_type globs and their rules file, and the size unit.
#include <gtest/gtest.h>

#include "publish/publish.h"
#include "support/fs_helpers.h"

TEST(PublishNames, ProductPathsThatTheInstallerTakesAsWritten) {
  const char* accepted[] = {
      "Vantrel/a.txt",
      "Vantrel/Resources/my file.txt",        // blanks inside names are kept by the reader
      "Vantrel/Resources/trailing blank ",    // and so are blanks at the end
      "Vantrel/Aircraft/Caf\xc3\xa9/x.acf",   // UTF-8
      "Vantrel/a..b/c.d",                     // dots inside a name are no ".." component
      "Vantrel/[x] (y) & z + w=1,'q'.txt",
      "Vantrel/.hidden",
      "Vantrel/900 red/terrain.dat",          // the dropped phrase only counts whole
  };
  for (const char* p : accepted) EXPECT_EQ(product_path_problem(p), "") << p;
}

TEST(PublishNames, ProductPathsThatWouldBeRefusedDroppedOrUnfetchable) {
  struct { const char* path; const char* why; } refused[] = {
      {"Vantrel/a/../b.txt", "\"..\""},
      {"Vantrel/./b.txt", "\".\""},
      {"Vantrel//b.txt", "empty name"},
      {"Vantrel/dir/", "names no file"},
      {"Vantrel/x/900 red terrain.dat", "900 red terrain"},
      {"Vantrel/Earth Orbit Textures/x.png", "Earth Orbit Textures"},
      {"Vantrel/line\nbreak.txt", "line break"},
      {"Vantrel/cr\rname", "line break"},
      {"Vantrel/tab\x01.txt", "control character"},
      {"Vantrel/back\\slash.txt", "\\"},
      {"Vantrel/what?.txt", "\"?\""},
      {"Vantrel/c#.txt", "\"#\""},
      {"Vantrel/100%.txt", "\"%\""},
      {"Vantrel/ leading.txt", "starts with a blank"},
      {"Vantrel/\tleading.txt", "control character"},
      {" Vantrel/a.txt", "top folder name that starts with a blank"},
      {"Vantrel/.vantrel-partial-a.txt", "partial downloads"},
      {"a.txt", "outside the product's top folder"},
      {"", "empty"},
  };
  for (const auto& c : refused) {
    const std::string why = product_path_problem(c.path);
    EXPECT_NE(why.find(c.why), std::string::npos) << "path '" << c.path << "' gave '" << why << "'";
  }
}

TEST(PublishNames, ReleaseNames) {
  EXPECT_EQ(release_name_problem("Vantrel 9.70r1"), "");
  EXPECT_EQ(release_name_problem("release-2"), "");
  for (const char* bad : {"", "a/b", "..", ".", " lead", "trail ", "x\ny", "50%", "Name?"})
    EXPECT_NE(release_name_problem(bad), "") << "'" << bad << "'";
}

TEST(PublishRules, GlobMatching) {
  struct { const char* glob; const char* text; int match; } cases[] = {
      {"*.exe", "Vantrel.exe", 1},
      {"*.exe", "Resources/plugins/x.exe", 1},  // "*" crosses folders
      {"*.exe", "Resources/x.exe.txt", 0},
      {"Resources/plugins/*", "Resources/plugins/a/b.so", 1},
      {"Resources/plugins/*", "Resources/pluginsX", 0},
      {"?.dat", "a.dat", 1},
      {"?.dat", "ab.dat", 0},
      {"a*b*c", "aXbYbZc", 1},
      {"a*b*c", "aXbYcZ", 0},
      {"*", "", 1},
      {"", "", 1},
      {"", "a", 0},
      {"**x", "yyx", 1},
      {"my file*", "my file.txt", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(glob_match(c.glob, c.text), c.match) << c.glob << " vs " << c.text;
}

TEST(PublishRules, RulesFileFirstMatchWinsAndMalformedLinesAreNamed) {
  TempDir dir;
  write_file(dir / "rules",
             "# programs per system\n"
             "\n"
             "  Resources/plugins/mac/*   1\n"
             "*.exe\t2\r\n"
             "Resources/plugins/*  3\n"
             "Resources/shared docs/*  0\n"
             "*  6\n");
  const std::vector<os_rule> rules = read_os_rules(dir / "rules");
  ASSERT_EQ(rules.size(), 5u);
  EXPECT_EQ(rules[3].glob, "Resources/shared docs/*");
  EXPECT_EQ(rules[0].line, 3);
  EXPECT_EQ(os_type_for(rules, "Resources/plugins/mac/a.plugin"), 1);
  EXPECT_EQ(os_type_for(rules, "Resources/plugins/win.exe"), 2);  // the earlier rule wins
  EXPECT_EQ(os_type_for(rules, "Resources/plugins/lin.so"), 3);
  EXPECT_EQ(os_type_for(rules, "Resources/shared docs/a.txt"), 0);
  EXPECT_EQ(os_type_for(rules, "Airfoils/a.afl"), 6);
  EXPECT_EQ(os_type_for({}, "Airfoils/a.afl"), 0);

  struct { const char* text; const char* message; } bad[] = {
      {"*.exe\n", "rules:1: a rule is a glob and an os_type"},
      {"# ok\n*.exe 7\n", "rules:2: the os_type \"7\""},
      {"*.exe two\n", "rules:1: the os_type \"two\""},
      {"*.exe -1\n", "rules:1: the os_type \"-1\""},
  };
  for (const auto& c : bad) {
    write_file(dir / "rules", c.text);
    try {
      read_os_rules(dir / "rules");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const publish_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(read_os_rules(dir / "missing"), publish_error);
}

TEST(PublishSizes, KilobytesOf1000RoundedUp) {
  struct { uint64_t bytes, kb; } cases[] = {{0, 0}, {1, 1}, {999, 1}, {1000, 1}, {1001, 2}, {2500000, 2500},
                                            {5000000001ull, 5000001}};
  for (const auto& c : cases) EXPECT_EQ(size_in_kb(c.bytes), c.kb) << c.bytes;
}
