// The preferences file: first run, round trip, overrides, duplicates, odd values.
#include <gtest/gtest.h>

#include <cstdlib>

#include "installer/main.h"
#include "installer/pref.h"
#include "net/http.h"
#include "shell/UTL_cmdline.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"

namespace {
class Prefs : public testing::Test {
 protected:
  TempDir dest, temp, config;
  void SetUp() override {
    reset_engine(dest.path(), temp.path());
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    http.ProxyHost.clear();
    http.ProxyPort_str.clear();
    http.ProxyPort_int = 0;
  }
  void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }
  std::string file() { return config / "vantrel/Vantrel Installer.prf"; }
};
}  // namespace

TEST_F(Prefs, FirstRunWritesEveryKeyButEmptyStrings) {
  EXPECT_EQ(file(), pref_file_path());
  pref.IO_set(11, 0);  // no file: nothing changes
  EXPECT_EQ(1, stg.rename_folder);
  pref.IO_set(11, 1);
  EXPECT_EQ("I\n9001 version\n_use_max_cpu 0\n_rename_folder 1\n_stream_count 0\n_log_actions 0\n"
            "_always_ask_dir 0\n_proxy_port_int 0\n_dest_dir_path " + dest.path() + "\n",
            read_file(file()));
}

TEST_F(Prefs, RoundTripKeepsEveryValueWithItsBlanks) {
  stg.use_max_cpu = 1;
  stg.rename_folder = 0;
  stg.stream_count = 3;
  stg.log_actions = 1;
  stg.always_ask_dir = 1;
  dest_dir_path = "/home/user/My Games/Vantrel  /";
  http.ProxyHost = "proxy.local";
  http.ProxyPort_str = "3128 ";
  http.ProxyPort_int = 3128;
  pref.IO_set(11, 1);

  stg = stg_class();
  dest_dir_path.clear();
  http.ProxyHost.clear();
  http.ProxyPort_str.clear();
  http.ProxyPort_int = 0;
  pref.IO_set(11, 0);
  EXPECT_EQ(1, stg.use_max_cpu);
  EXPECT_EQ(0, stg.rename_folder);
  EXPECT_EQ(3, stg.stream_count);
  EXPECT_EQ(1, stg.log_actions);
  EXPECT_EQ(1, stg.always_ask_dir);
  EXPECT_EQ("/home/user/My Games/Vantrel  /", dest_dir_path);
  EXPECT_EQ("proxy.local", http.ProxyHost);
  EXPECT_EQ("3128 ", http.ProxyPort_str);
  EXPECT_EQ(3128, http.ProxyPort_int);
}

TEST_F(Prefs, CommandLineOverridesTheFile) {
  make_dirs(config / "vantrel");
  write_file(file(), "I\n9001 version\n_stream_count 4\n_dest_dir_path /from/file/\n");
  cmdline.parse("--pref:_stream_count=1 --pref:_dest_dir_path=/from/option/");
  pref.IO_set(11, 0);
  EXPECT_EQ(1, stg.stream_count);
  EXPECT_EQ("/from/option/", dest_dir_path);
}

TEST_F(Prefs, OddFilesAndValues) {
  make_dirs(config / "vantrel");
  write_file(file(), "I\n9001 version\n  _stream_count   2\n_stream_count 4\n_log_actions\n_use_max_cpu yes\n"
                     "_dest_dir_path\nunknown tag kept\n");
  stg.use_max_cpu = 1;
  dest_dir_path = "/before/";
  pref.IO_set(11, 0);
  ASSERT_EQ(1u, g_alerts.size());
  EXPECT_EQ("ERROR: A prefs tag is being read twice!", g_alerts[0].lines[0]);
  EXPECT_EQ("_stream_count", g_alerts[0].lines[1]);
  EXPECT_EQ("2", g_alerts[0].lines[2]);
  EXPECT_EQ("4", g_alerts[0].lines[3]);
  EXPECT_EQ(4, stg.stream_count) << "the later line wins";
  EXPECT_EQ(0, stg.log_actions);
  EXPECT_EQ(0, stg.use_max_cpu) << "not a number reads as 0";
  EXPECT_EQ("", dest_dir_path) << "a tag alone sets the empty value";

  write_file(file(), "I\n9000 version\n_stream_count 4\n");
  stg.stream_count = 2;
  pref.IO_set(11, 0);
  EXPECT_EQ(2, stg.stream_count) << "another version is not read";
}
