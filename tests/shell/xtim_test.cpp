// The frame clock, stepped by a test clock: period estimate, ticks, mouse timing.
#include <gtest/gtest.h>

#include <cmath>

#include "gui/colr.h"
#include "shell/hl_mnw.h"
#include "platform/plat_clock.h"
#include "shell/xtim.h"

namespace {
int64_t fake_now = 0;
int64_t fake_clock() { return fake_now; }

class Clock : public testing::Test {
 protected:
  void SetUp() override {
    xtim_clock_source = fake_clock;
    fake_now = 5000000;
    xtim.reset();
    mnw = mnw_class();
  }
  void TearDown() override { xtim_clock_source = PLAT_microsecs; }
  // Runs `n` frames of `seconds` each.
  void frames(int n, double seconds) {
    for (int i = 0; i < n; i++) {
      xtim.xtim_update();
      fake_now += (int64_t)llround(seconds * 1e6);
    }
  }
};
}  // namespace

TEST_F(Clock, PeriodEstimateFollowsAndClamps) {
  frames(400, 0.02);
  EXPECT_NEAR(0.02, xtim.prd_act, 1e-5);
  EXPECT_NEAR(1.0, xtim.rt_rat, 1e-3);
  EXPECT_EQ(xtim.prd_act, xtim.prd_sim);
  frames(400, 0.5);
  EXPECT_FLOAT_EQ(0.05263158f, xtim.prd_act);
  frames(2000, 0.0001);
  EXPECT_FLOAT_EQ(0.0010001f, xtim.prd_act);
}

TEST_F(Clock, AlertWindowFreezesBothEstimates) {
  frames(50, 0.02);
  float before = xtim.prd_act;
  mnw.top_win_now = 995;
  frames(100, 0.5);
  EXPECT_EQ(before, xtim.prd_act);
  EXPECT_EQ(before, xtim.prd_time_advance);
}

TEST_F(Clock, SpeedMultiplierZeroStopsOnlyTheTimeAdvance) {
  xtim.flt_speed_mult = 0;
  frames(3, 0.02);
  EXPECT_EQ(0.0f, xtim.prd_time_advance);
  EXPECT_EQ(xtim.prd_act, xtim.prd_sim);
}

TEST_F(Clock, SlowFrameRaisesEachTickOnce) {
  frames(1, 0.3);  // first frame at 0; the next one comes 0.3 s later
  xtim.xtim_update();
  EXPECT_FLOAT_EQ(0.3f, xtim.real_time);
  EXPECT_EQ(1, xtim.act_puff40);
  EXPECT_EQ(1, xtim.act_puff20);
  EXPECT_EQ(1, xtim.act_puff10);
  EXPECT_EQ(1, xtim.act_puff5);
  EXPECT_EQ(0, xtim.act_puff2);
  EXPECT_EQ(0, xtim.act_puff01);
  fake_now += 10000;
  xtim.xtim_update();
  EXPECT_EQ(0, xtim.act_puff10) << "one firing per period, not a queue";
}

TEST_F(Clock, DoubleClickNeedsTwoPressesWithinAQuarterSecond) {
  auto press = [&]() {
    mnw.mouse_clicked = 1;
    xtim.xtim_update();
    mnw.mouse_clicked = 0;
  };
  frames(1, 1.0);
  press();
  fake_now += 200000;
  press();
  EXPECT_EQ(1, mnw.mouse_double_clicked);
  fake_now += 300000;
  press();
  EXPECT_EQ(0, mnw.mouse_double_clicked);
  EXPECT_EQ(1, mnw.now_dragging);
  fake_now += 300000;
  xtim.xtim_update();
  EXPECT_EQ(1, mnw.delay_dragging);
  mnw.mouse_lifted = 1;
  xtim.xtim_update();
  EXPECT_EQ(0, mnw.now_dragging);
  EXPECT_EQ(0, mnw.delay_dragging);
  EXPECT_EQ(0, mnw.mouse_did_click) << "released after more than a quarter second";
}

TEST_F(Clock, PulsingColours) {
  frames(1, 0.1);
  xtim.xtim_update();
  float p = 0.7f + 0.3f * sinf(20 * xtim.real_time);
  EXPECT_FLOAT_EQ(p, colr.pulse_alpha);
  EXPECT_FLOAT_EQ(p, colr.col_rgb[78][0]);
  EXPECT_FLOAT_EQ(0.5f * p, colr.col_rgb[79][1]);
  EXPECT_FLOAT_EQ(0.8f * p, colr.col_rgb[82][1]);
}
