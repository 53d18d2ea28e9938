// Zip extraction: Info-ZIP archives, hostile members, damaged members, the
// signature check and the guarantee that a failed member leaves the old file.
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

#include "files/IO_UTILS.h"
#include "support/fs_helpers.h"
#include "support/zip_maker.h"

namespace {
// Runs Info-ZIP's zip in `dir` with `args`; the archive is `zip_path`.
void info_zip(const std::string& dir, const std::string& zip_path, const std::string& args) {
  ASSERT_EQ(0, run_command("cd " + shell_quote(dir) + " && zip -q " + args + " " + shell_quote(zip_path) +
                           " . -i '*' >/dev/null"))
      << args;
}
}  // namespace

TEST(ZipToFile, ExtractsInfoZipArchives) {
  TempDir src, out, work;
  make_dirs(src / "Resources/plugins/deep");
  make_dirs(src / "__MACOSX/Resources");
  write_file(src / "Resources/plugins/deep/data.bin", random_bytes(200000, 1));
  write_file(src / "Resources/empty file.txt", "");
  write_file(src / "name with spaces.txt", "spaces are fine");
  write_file(src / "__MACOSX/Resources/._data.bin", "resource fork");
  ASSERT_EQ(0, symlink("name with spaces.txt", (src / "a link").c_str()));
  const std::string zip = work / "tree.zip";
  info_zip(src.path(), zip, "-r -y");

  ASSERT_EQ(0, zip_to_file(zip, out.path(), nullptr, 0));
  EXPECT_EQ((std::vector<std::string>{"Resources/", "Resources/empty file.txt", "Resources/plugins/",
                                      "Resources/plugins/deep/", "Resources/plugins/deep/data.bin",
                                      "name with spaces.txt"}),
            list_tree(out.path()));
  EXPECT_EQ(read_file(src / "Resources/plugins/deep/data.bin"), read_file(out / "Resources/plugins/deep/data.bin"));
  EXPECT_EQ("spaces are fine", read_file(out / "name with spaces.txt"));
}

TEST(ZipToFile, OnlyMetadataAndLinksUnpackToNothing) {
  TempDir out, work;
  make_zip(work / "meta.zip", {{"__MACOSX/", ""}, {"__MACOSX/._x", "fork"}, {"link", "target", 0120777}});
  EXPECT_EQ(0, zip_to_file(work / "meta.zip", out.path(), nullptr, 0));
  EXPECT_TRUE(list_tree(out.path()).empty());
}

TEST(ZipToFile, RefusesMembersThatWouldLandOutside) {
  TempDir root;
  make_dirs(root / "out");
  for (std::string bad : {"../escape.txt", "sub/../../escape.txt", "/tmp/vantrel-abs-escape.txt", "./x", "a//b",
                          "..\\escape.txt", "C:/escape.txt"}) {
    SCOPED_TRACE(bad);
    make_zip(root / "bad.zip", {{"good.txt", "fine"}, {bad, "evil"}});
    EXPECT_EQ(20013, zip_to_file(root / "bad.zip", root / "out/", nullptr, 0));
    EXPECT_TRUE(list_tree(root / "out/").empty()) << "the archive is refused before anything is written";
    EXPECT_FALSE(file_exists(root / "escape.txt"));
    EXPECT_FALSE(file_exists("/tmp/vantrel-abs-escape.txt"));
  }
  EXPECT_EQ("The zip file holds a file that would land outside its folder", error_str(20013));
}

TEST(ZipToFile, DamagedMemberFailsAndLeavesTheOldFile) {
  TempDir root;
  make_dirs(root / "out");
  write_file(root / "out/first.txt", "old first");
  write_file(root / "out/victim.bin", "the previous version");
  std::string payload = random_bytes(100000, 3);
  make_zip(root / "d.zip", {{"first.txt", "new first", 0, true}, {"victim.bin", payload, 0, true}});
  // Flip one byte inside the stored data of the second member.
  std::string zip = read_file(root / "d.zip");
  size_t at = zip.find(payload.substr(5000, 64));
  ASSERT_NE(std::string::npos, at);
  zip[at] ^= 0x55;
  write_file(root / "d.zip", zip);

  EXPECT_EQ(-105, zip_to_file(root / "d.zip", root / "out/", nullptr, 0));  // minizip's checksum error
  EXPECT_EQ("new first", read_file(root / "out/first.txt")) << "members before the damaged one stay written";
  EXPECT_EQ("the previous version", read_file(root / "out/victim.bin"));
  EXPECT_EQ((std::vector<std::string>{"first.txt", "victim.bin"}), list_tree(root / "out/")) << "no debris";
}

TEST(ZipToFile, SignatureCheckKeepsTheOldFileOnMismatch) {
  TempDir root;
  write_file(root / "f.txt", "old");
  make_zip(root / "f.zip", {{"f.txt", "abc"}});
  const std::string wrong = "00000000000000000000000000000000";
  const std::string right = "900150983cd24fb0d6963f7d28e17f72";
  EXPECT_EQ(20014, zip_to_file(root / "f.zip", root.path(), nullptr, 0, &wrong));
  EXPECT_EQ("old", read_file(root / "f.txt"));
  EXPECT_EQ(0, zip_to_file(root / "f.zip", root.path(), nullptr, 0, &right));
  EXPECT_EQ("abc", read_file(root / "f.txt"));
}

TEST(ZipToFile, UnixProgramsStayRunnableAndNamesAreReported) {
  TempDir root;
  make_zip(root / "p.zip", {{"tool", "#!/bin/sh\n", 0100755}, {"data", "x", 0100644}});
  std::string first;
  ASSERT_EQ(0, zip_to_file(root / "p.zip", root.path(), &first, 0));
  EXPECT_EQ("tool", first);
  EXPECT_EQ(0, access((root / "tool").c_str(), X_OK));
  EXPECT_NE(0, access((root / "data").c_str(), X_OK));
}

TEST(ZipToFile, MissingArchiveOrFolder) {
  TempDir root;
  EXPECT_EQ(20001, zip_to_file(root / "none.zip", root.path(), nullptr, 0));
  make_zip(root / "n.zip", {{"sub/file.txt", "x"}});
  EXPECT_EQ(2, zip_to_file(root / "n.zip", root.path(), nullptr, 0)) << "file entries need their folder";
}

TEST(PartialNames, AreHiddenInTheSameFolderAndRecognised) {
  EXPECT_EQ("/a/b/.vantrel-partial-c.dll", partial_path_for("/a/b/c.dll"));
  EXPECT_TRUE(is_partial_name(".vantrel-partial-c.dll"));
  EXPECT_FALSE(is_partial_name("c.dll"));
  std::string long_name(300, 'n');
  std::string p = partial_path_for("/a/" + long_name);
  EXPECT_EQ(3u + 255u, p.size());
}
