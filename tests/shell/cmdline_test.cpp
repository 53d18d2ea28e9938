// Command-line parsing, the logged lines, and the two options that end the process.
#include <gtest/gtest.h>

#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/cmnd.h"
#include "support/fs_helpers.h"

namespace {
// Parses `text` with the log going to a file; returns what was logged.
std::string parse_logged(UTL_cmdline& c, const char* text) {
  TempDir d;
  UTL_log_open(d / "Log.txt");
  c.parse(text);
  UTL_log_close();
  return read_file(d / "Log.txt");
}
}  // namespace

TEST(Cmdline, ParsesNamesValuesAndRepeats) {
  UTL_cmdline c;
  EXPECT_EQ("     '--fps_test'='101'\n     '--no_vbos'\n", parse_logged(c, "--fps_test=101 --no_vbos"));
  EXPECT_EQ("101", c.get_option("--fps_test"));
  EXPECT_EQ(1, c.has_option("--no_vbos"));
  EXPECT_EQ("", c.get_option("--no_vbos"));
  EXPECT_EQ(0, c.has_option("--No_vbos")) << "names match exactly, case included";

  UTL_cmdline twice;
  EXPECT_EQ("     '--no_vbos'\nWARNING: command line option --no_vbos=included twice.\n     '--no_vbos'\n",
            parse_logged(twice, "--no_vbos --no_vbos"));
  EXPECT_EQ(1u, twice.options.size());

  UTL_cmdline nothing;
  parse_logged(nothing, "=5");
  EXPECT_TRUE(nothing.options.empty());

  UTL_cmdline words;  // no quoting: a path with spaces is several names
  parse_logged(words, "  /home/a b\t--pref:stream_count=2  ");
  EXPECT_EQ((std::map<std::string, std::string>{{"/home/a", ""}, {"b", ""}, {"--pref:stream_count", "2"}}),
            words.options);
}

TEST(CmdlineDeathTest, HelpAndCommandListingEndTheProcess) {
  EXPECT_EXIT({ UTL_cmdline c; c.init_win("-h"); }, testing::ExitedWithCode(0), "");
  EXPECT_EXIT({ UTL_cmdline c; c.init_win("--cmnds=all"); }, testing::ExitedWithCode(0), "");
}

TEST(Cmnd, TableAndPathListing) {
  std::vector<std::string> out;
  cmnd.get_cmds_in_path("sim/", out);
  EXPECT_EQ(std::vector<std::string>{"operation/"}, out);
  cmnd.get_cmds_in_path("sim/operation/", out);
  EXPECT_EQ(std::vector<std::string>{"none"}, out);
  cmnd.get_cmds_in_path("sim/operation/none", out);
  EXPECT_TRUE(out.empty()) << "a name must be longer than the path";
  EXPECT_EQ(0, cmnd.get_cmnd_by_name("sim/operation/none"));
  EXPECT_EQ("Do nothing at all!", cmnd.get_cmnd_desc(0));
}

TEST(Program, HelpAndCommandsFromTheBuiltBinary) {
  const std::string bin = std::string(VANTREL_BUILD_DIR) + "/vantrel-installer";
  std::string out;
  EXPECT_EQ(0, run_command(bin + " --help", &out));
  EXPECT_EQ(0u, out.rfind("Usage: Vantrel [options...]", 0));
  for (const char* section : {"OPTIONS TO DISABLE HARDWARE ACCELERATION",
                              "OPTIONS TO ENABLE INCOMPATIBLE HARDWARE ACCELERATION", "FRAMERATE TEST"})
    EXPECT_NE(std::string::npos, out.find(section)) << section;
  for (const char* option :
       {"--no_sound", "--no_vbos", "--no_fbos", "--no_pbos", "--no_sprites", "--no_pixel_counters",
        "--no_aniso_filtering", "--no_hw_mipmap", "--no_fshaders", "--no_vshaders", "--no_glsl",
        "--no_threaded_ogl", "--use_vbos", "--use_sprites", "--use_fshaders", "--use_vshaders", "--use_glsl",
        "--force_run", "--fps_test=n", "--require_fps=n"})
    EXPECT_NE(std::string::npos, out.find(option)) << option;
  EXPECT_EQ(0, run_command(bin + " --cmnds=all", &out));
  EXPECT_EQ("sim/operation/none                                 Do nothing at all!\n", out);
  EXPECT_EQ(0, run_command(bin + " --cmnds=sim/", &out));
  EXPECT_EQ("operation/\n", out);
}
