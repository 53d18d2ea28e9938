// The frame clock.
#include "shell/xtim.h"

#include <cmath>

#include "gui/butn.h"
#include "gui/colr.h"
#include "platform/plat_clock.h"
#include "shell/hl_mnw.h"

xtim_class xtim;
int64_t (*xtim_clock_source)() = PLAT_microsecs;

namespace {
// Clock state that lives for the whole process, outside the object.
struct clock_state {
  bool have_first_reading = false;
  int64_t first_reading = 0;
  bool started = false;
  double start_time = 0;
  float prd_win_0 = 0.02f, prd_win_n = 0.02f;  // main window / other full windows
  int cntr_FM = 0, cntr_UI = 0;
  float last_time_FM = 0, last_time_UI = 0;
  float act_ot[9] = {};  // last firing of each tick
  float last_mx = 0, last_my = 0;
};
clock_state cs;

const float kTickPeriods[9] = {10, 5, 2, 1, 0.5f, 0.2f, 0.1f, 0.05f, 0.025f};

float clampf(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

// One step of a period estimate: every tenth frame it moves by the fourth root
// of the measured error.
void adjust_estimate(xtim_class& t, float& E, int& C, float& L) {
  if (C % 10 == 0) {
    float r = clampf((t.real_time - L) * 0.1f / E, 0.5f, 1.5f);
    t.rt_rat = r;
    E = clampf(E * powf(r, 0.25f), 0.0010001f, 0.05263158f);
    L = t.real_time;
  }
  C++;
}
}  // namespace

int64_t xtim_class::microsecs_tot() { return xtim_clock_source(); }

double xtim_seconds() {
  int64_t now = xtim_class::microsecs_tot();
  if (!cs.have_first_reading) {
    cs.have_first_reading = true;
    cs.first_reading = now;
  }
  return (double)(now - cs.first_reading) / 1000000.0;
}

void xtim_class::reset() {
  *this = xtim_class();
  cs = clock_state();
}

void xtim_class::xtim_update() {
  double now = xtim_seconds();
  if (!cs.started) {
    cs.started = true;
    cs.start_time = now;
  }
  real_time = (float)(now - cs.start_time);

  const int win = mnw.top_win_now;
  const bool main_active = win == 0 || mnw.sec_mon_inuse;
  const bool window_active = !main_active && !(win >= 995 && win <= 999);
  if (main_active) {
    adjust_estimate(*this, cs.prd_win_0, cs.cntr_FM, cs.last_time_FM);
    prd_act = prd_sim = prd_time_advance = cs.prd_win_0;
    if (flt_speed_mult == 0) {
      prd_time_advance = 0;
    } else {
      prd_sim *= flt_speed_mult;
      prd_time_advance *= flt_speed_mult;
    }
  } else {
    cs.last_time_FM = real_time;
  }
  if (window_active) {
    adjust_estimate(*this, cs.prd_win_n, cs.cntr_UI, cs.last_time_UI);
    prd_act = prd_sim = prd_time_advance = cs.prd_win_n;
  } else {
    cs.last_time_UI = real_time;
  }

  int* flags[9] = {&act_puff01, &act_puff02, &act_puff05, &act_puff1, &act_puff2,
                   &act_puff5,  &act_puff10, &act_puff20, &act_puff40};
  for (int i = 0; i < 9; i++) {
    *flags[i] = fabsf(real_time - cs.act_ot[i]) > kTickPeriods[i];
    if (*flags[i]) cs.act_ot[i] = real_time;
  }

  mnw.delay_dragging = mnw.now_dragging && real_time > mnw.m_down_time + 0.25f;
  mnw.mouse_double_clicked = mnw.mouse_clicked && real_time < mnw.m_down_time + 0.25f;
  mnw.mouse_did_click = mnw.mouse_lifted && real_time < mnw.m_down_time + 0.25f;
  if (mnw.mouse_clicked) {
    mnw.now_dragging = 1;
    mnw.m_move_time = mnw.m_down_time = real_time;
    BTN_unfocus_any();
  }
  if (mnw.mouse_lifted) {
    mnw.now_dragging = 0;
    mnw.delay_dragging = 0;
  }
  if (fabsf(mnw.mx - cs.last_mx) > 0.5f || fabsf(mnw.my - cs.last_my) > 0.5f)
    mnw.m_move_time = real_time;
  cs.last_mx = mnw.mx;
  cs.last_my = mnw.my;

  float p = 0.7f + 0.3f * sinf(20 * real_time);
  colr.assign(78, p, p, p);
  colr.assign(79, p, 0.5f * p, 0);
  colr.assign(80, p, 0.3f * p, 0.3f * p);
  colr.assign(81, 0.3f * p, 0.3f * p, p);
  colr.assign(82, 0.2f * p, 0.8f * p, 0.2f * p);
  colr.assign(83, 0.7f * p, 0.7f * p, 0.2f * p);
  colr.pulse_alpha = p;
}

void xtim_class::profile_chart(const char*, int) {
  if (!mnw.track_cpu) return;
}
