// The texts of the main screen: sizes, percentages, the status line, the install
// lines for each step, time left, and the progress bar's geometry.
#include <gtest/gtest.h>

#include "installer/engine.h"
#include "installer/main.h"
#include "installer/sub_wins.h"
#include "installer/utils.h"
#include "shell/xtim.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"

TEST(SizeTexts, DecimalsAndUnits) {
  EXPECT_EQ("12.3", one_decimal_str(12.34f, 1));
  EXPECT_EQ("1.0", one_decimal_str(0.96f, 1));
  EXPECT_EQ(" 5.3", one_decimal_str(5.3f, 2));
  EXPECT_EQ(" 0.0", one_decimal_str(0, 2));
  EXPECT_EQ("100.0", one_decimal_str(100, 2));
  EXPECT_EQ("-2.5", one_decimal_str(-2.46f, 1));
  EXPECT_EQ("2.5 Meg", set_size_str(2500));
  EXPECT_EQ("1.5 Gig", set_size_str(1500000));
  EXPECT_EQ("999.9 Meg", set_size_str(999900));
  EXPECT_EQ("1000.0 Meg", set_size_str(999999)) << "the unit switches on the megabytes before rounding";
  EXPECT_EQ("1.0 Gig", set_size_str(1000000));
  EXPECT_EQ("3.0 Meg", set_size_str(2960));
}

namespace {
class Lines : public testing::Test {
 protected:
  TempDir dest, temp;
  void SetUp() override { reset_engine(dest.path(), temp.path()); }
};
}  // namespace

TEST_F(Lines, StatusLineFirstRuleWins) {
  int colour;
  EXPECT_EQ("Looking for servers... you need internet for this...", status_line(&colour));
  stg.num_servers = 0;
  EXPECT_EQ("I could not find any servers to get Vantrel from!", status_line(&colour));
  EXPECT_EQ(1, colour);
  stg.num_servers = 2;
  EXPECT_EQ("I am checking the net for the latest version of Vantrel right now, and I am 0% done checking.",
            status_line(&colour));
  stg.dir_scan = 3;
  EXPECT_EQ(0u, status_line(&colour).find("To make the download a LOT faster"));
  for (std::string d : {"Airfoils", "Instructions", "Output", "Resources"}) make_dirs(dest / d);
  EXPECT_EQ(0u, status_line(&colour).find("You have selected an earlier version"));
  stg.step = 1;
  EXPECT_EQ("OK I am installing this now...", status_line(&colour));
  next.dir_done = 1;
  EXPECT_EQ("INSTALLATION COMPLETE!", status_line(&colour));
  EXPECT_EQ(13, colour);
}

TEST_F(Lines, StepZeroSummaryAndSpace) {
  engine_update_lines();
  EXPECT_EQ("I am figuring out what the latest version of Vantrel is right now...", app.lines[0].text);
  stg.dir_scan = 3;
  engine_update_lines();
  EXPECT_EQ("Your copy of Vantrel is already the latest version.", app.lines[0].text);
  EXPECT_EQ("This is a full installer.", app.lines[2].text);
  install_name = "Vantrel 12";
  stg.disk_req = 2500;
  dest_dir_path = dest / "not/yet/made/";  // the free space of the nearest existing folder counts
  engine_update_lines();
  EXPECT_EQ("You are about to install 2.5 Meg of files to get Vantrel 12.", app.lines[0].text);
  EXPECT_EQ(0u, app.lines[1].text.find("You have "));
  EXPECT_EQ("You may install at will.", app.lines[2].text);
  EXPECT_EQ(13, app.lines[2].colour);
  EXPECT_EQ(1, engine_install_enabled());
  stg.disk_req = 1e15f;  // more than any disk
  engine_update_lines();
  EXPECT_EQ("You don't have enough disk space to install this!", app.lines[2].text);
  EXPECT_EQ(0, engine_install_enabled());
}

TEST_F(Lines, InstallingTimeLeftAndTheErrorOverride) {
  stg.step = 1;
  app.tot_disk_req = app.tot_down_req = 1000;
  app.tot_disk_req_str = set_size_str(1000);
  app.totl_inst_rat = 0.5f;
  next.totl_disk = 500;
  next.comp_down = 500;
  next.stream_active[0] = next.stream_active[1] = next.stream_active[2] = 1;
  stg.crnt_file_stat = 1;
  stg.crnt_file_rat = 0.257f;
  crnt_file_name = "a.dds";
  xtim.real_time = next.star_time + 10;  // 50 kB/s, 500 kB left: 10 s
  engine_update_lines();
  EXPECT_EQ("Downloading and installing a.dds, currently 25% done with that file.", app.lines[0].text);
  EXPECT_EQ("50.0% done with the internet install, having installed 0.5 Meg of 1.0 Meg for the internet install.",
            app.lines[1].text);
  EXPECT_EQ("About 10 seconds left in the install, downloading at 50 kilobytes/second with 3 simultaneous download "
            "streams.",
            app.lines[2].text);
  const struct {
    float seconds_left;
    const char* text;
  } left[] = {{119.9f, "About 119 seconds"}, {120.5f, "About 2 minutes"}, {7199, "About 119 minutes"},
              {7200.5f, "About 2 hours"}};
  for (const auto& c : left) {
    // Over 10 seconds, D kilobytes done of 1000 leave (1000 - D) * 10 / D seconds.
    next.comp_down = 10000.0f / (c.seconds_left + 10);
    engine_update_lines();
    EXPECT_EQ(0u, app.lines[2].text.find(c.text)) << app.lines[2].text;
  }
  stg.got_404 = 1;
  crnt_file_path = "/m/Vantrel/a.dds.zip";
  engine_update_lines();
  EXPECT_EQ("I can NOT download the file '/m/Vantrel/a.dds.zip'!", app.lines[0].text);
  EXPECT_EQ(69, app.lines[2].colour);
}

TEST_F(Lines, ProgressBarGeometry) {
  float ec, ew, fc, fw;
  app.totl_inst_rat = 0.5f;
  progress_bar_geometry(&ec, &ew, &fc, &fw);
  EXPECT_EQ(574, ec);
  EXPECT_EQ(884, ew);
  EXPECT_EQ(354, fc) << "the filled part from 132 to 574: centre 353, rounded up to even";
  EXPECT_EQ(444, fw) << "width 442, halfway between multiples of 4, rounds away from zero";
}
