// The server list: its format rules, the ten-server limit, the weighted and the
// uniform server choice.
#include <gtest/gtest.h>

#include <cstdlib>

#include "installer/main.h"
#include "installer/serverlist.h"
#include "shell/UTL_cmdline.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"

namespace {
class ServerList : public testing::Test {
 protected:
  TempDir dest, temp;
  void SetUp() override { reset_engine(dest.path(), temp.path()); }
  int read(const std::string& text) {
    write_file(temp / "serverlist.txt", text);
    return read_server_list(temp / "serverlist.txt");
  }
};
}  // namespace

TEST_F(ServerList, FormatRules) {
  ASSERT_EQ(1, read("I\n820 version\nSERVERS\n\n"
                    "   FINAL Vantrel 12  \n"
                    "\tBETA Vantrel 13 beta\n"
                    "SERVERS are not a keyword here\n"
                    "SERVER mirror-one.example\n\n   /files/\n\tFirst mirror\n"
                    "SERVER\n/empty-host/\nNo host\n"
                    "BETA after final\n"
                    "ENDOFLIST\n"
                    "SERVER after.end\n/x/\nignored\n"));
  EXPECT_EQ("Vantrel 12  ", install_name) << "trailing blanks belong to the name";
  ASSERT_EQ(2, stg.num_servers);
  EXPECT_EQ("mirror-one.example", server_name[0]);
  EXPECT_EQ("/files/Vantrel 12  /", server_path[0]);
  EXPECT_EQ("First mirror", server_desc[0]);
  EXPECT_EQ("", server_name[1]);
  EXPECT_EQ("No host", server_desc[1]);
}

TEST_F(ServerList, LimitsAndMissingParts) {
  std::string text = "I\n820\nSERVERS\nSERVER early\n/a/\nbefore final\nFINAL V\n";
  for (int i = 0; i < 12; i++) text += "SERVER s" + std::to_string(i) + "\n/p/\nd\n";
  text += "SERVER last";  // its path and description are missing
  ASSERT_EQ(1, read(text));
  EXPECT_EQ(10, stg.num_servers);
  EXPECT_EQ("/a/Not Yet Scanned/", server_path[0]) << "a server before FINAL gets the placeholder name";
  EXPECT_EQ("s8", server_name[9]);

  ASSERT_EQ(1, read("I\n820\nSERVERS\nFINAL V\n"));
  EXPECT_EQ(0, stg.num_servers);
  EXPECT_EQ(-1, stg.sel_server);
}

TEST_F(ServerList, RefusedListsEndTheRun) {
  for (std::string text : {"", "I\n821\nSERVERS\n", "I\n820\nSERVER\n", "X\n820\nSERVERS\n"}) {
    g_alerts.clear();
    stg.num_servers = -1;
    EXPECT_EQ(0, read(text)) << text;
    EXPECT_EQ(1u, g_alerts.size());
    EXPECT_EQ(-1, stg.num_servers);
  }
}

TEST_F(ServerList, WeightedChoiceFavoursTheFirstServers) {
  const int draws = 200000;
  for (int n : {1, 2, 10}) {
    stg.num_servers = n;
    std::vector<int> count(n, 0);
    srand(12345);
    for (int i = 0; i < draws; i++) {
      pick_weighted_server();
      ASSERT_GE(stg.sel_server, 0);
      ASSERT_LT(stg.sel_server, n);
      count[stg.sel_server]++;
    }
    if (n == 1) {
      EXPECT_EQ(draws, count[0]);
    } else if (n == 2) {
      EXPECT_NEAR(0.63, count[0] / (double)draws, 0.01);
    } else {
      EXPECT_NEAR(0.215, count[0] / (double)draws, 0.01);
      EXPECT_NEAR(0.068, count[9] / (double)draws, 0.01);
    }
    std::vector<int> uniform(n, 0);
    for (int i = 0; i < draws; i++) {
      pick_random_server();
      ASSERT_GE(stg.sel_server, 0);
      ASSERT_LT(stg.sel_server, n);
      uniform[stg.sel_server]++;
    }
    for (int k = 0; k < n; k++) EXPECT_NEAR(1.0 / n, uniform[k] / (double)draws, 0.01);
  }
}

TEST_F(ServerList, HostComesFromTheBuildOrTheOption) {
  EXPECT_EQ(VANTREL_SERVER_LIST_HOST, server_list_host());
  cmdline.parse("--server_list=127.0.0.1:8080");
  EXPECT_EQ("127.0.0.1:8080", server_list_host());
}
