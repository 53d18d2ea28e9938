// The program's clock. Once per frame the frame loop calls xtim_update, which
// advances real_time, keeps a smoothed frame-period estimate, raises tick flags at
// fixed frequencies, derives click and drag timing for the mouse and pulses a few
// interface colours.
#pragma once
#include <cstdint>

class xtim_class {
 public:
  float real_time = 0;          // seconds since the first xtim_update
  float prd_act = 0.02f;        // frame-period estimate, seconds (the three are equal here)
  float prd_sim = 0.02f;
  float prd_time_advance = 0.02f;
  float rt_rat = 1.0f;          // last measured actual/estimated period, in [0.5, 1.5]
  float flt_speed_mult = 1.0f;  // time multiplier applied to prd_sim
  int total_frames = 0;         // frames completed (frame loop)
  // One-frame tick flags at 0.1, 0.2, 0.5, 1, 2, 5, 10, 20 and 40 Hz.
  int act_puff01 = 0, act_puff02 = 0, act_puff05 = 0, act_puff1 = 0, act_puff2 = 0,
      act_puff5 = 0, act_puff10 = 0, act_puff20 = 0, act_puff40 = 0;

  // The high-resolution clock in microseconds (the injectable source below).
  static int64_t microsecs_tot();
  // The per-frame update; called only by the frame loop (and tests).
  void xtim_update();
  // Profiling hook; acts only while mnw.track_cpu is on, which nothing turns on.
  void profile_chart(const char* loc, int is_last);
  // Puts the object and the clock's process-wide state back to their start (tests).
  void reset();
};

extern xtim_class xtim;  // the clock (frame loop)

// Seconds since the clock's first reading anywhere in the program.
double xtim_seconds();

// The clock source; PLAT_microsecs unless a test steps its own time.
extern int64_t (*xtim_clock_source)();
