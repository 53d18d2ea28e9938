// The alert's terminal and log output and its fatal end; the number text helper.
#include <gtest/gtest.h>

#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"
#include "support/fs_helpers.h"

TEST(IntToStr, SignsAndPadding) {
  const struct {
    int num, min_digits, plus;
    const char* text;
  } cases[] = {
      {-45, 3, 0, "-045"}, {0, 0, 1, "+0"},   {7, 2, 0, "07"},   {0, 0, 0, "0"},
      {1234567890, 0, 0, "1234567890"},  {-2147483647 - 1, 0, 0, "-2147483648"}, {10, 1, 0, "10"},
  };
  for (const auto& c : cases) {
    char buf[16];
    int_to_str(c.num, buf, c.min_digits, c.plus);
    EXPECT_STREQ(c.text, buf) << c.num;
  }
}

TEST(Alert, MessageBoxTextIsCutToItsBuffer) {
  EXPECT_EQ("a\n\nb\n\n\n\nd", alert_box_text("a", "b", "", "d"));
  EXPECT_EQ(1999u, alert_box_text(std::string(3000, 'x'), "", "", "").size());
}

// Every warning and fatal alert announces the memory report it writes first.
static const std::string kReportLine =
    "OK check MemoryLog.txt! I just sent him a dump from This is the dump_mem_stats call from the "
    "following code: if(type==t_exit || type == t_alert || recursive_error)\n";

TEST(AlertDeathTest, FatalAlertEndsWithStatusOneAndItsLines) {
  TempDir d;
  const std::string log = d / "Log.txt";
  EXPECT_EXIT(
      {
        UTL_log_open(log);
        __DOVAVI_alert(0, "first line", "second line", "", "", t_exit, "somewhere", 42);
      },
      testing::ExitedWithCode(1), "first line.*second line.*\\(somewhere line 42\\)");
  EXPECT_EQ(kReportLine + "\nfirst line\nsecond line\n\n\n(somewhere line 42)\n", read_file(log));
}

TEST(Alert, WarningReturnsAndIsLogged) {
  TempDir d;
  UTL_log_open(d / "Log.txt");
  __DOVAVI_alert(0, "careful", "", "", "", t_alert, "here", 7);
  UTL_log_close();
  EXPECT_EQ(kReportLine + "\ncareful\n\n\n\n(here line 7)\n", read_file(d / "Log.txt"));
}
