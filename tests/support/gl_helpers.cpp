// Window bring-up, pixel readback and sheet frames for the drawing tests.
#include "support/gl_helpers.h"

#include <cmath>

#include "gui/colr.h"
#include "gui/ogl_gl.h"
#include "gui/oglp.h"
#include "shell/OGL_extensions.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/hl_window.h"
#include "support/png_writer.h"
#include "textures/texes.h"

bool gl_test_start() {
  static int state = -1;
  if (state >= 0) return state == 1;
  mnw.x_res_req = 1024;
  mnw.y_res_req = 768;
  mnw.col_res_req = 32;
  DOVAVI_setres(1);
  state = DOVAVI_make_context(0);
  if (!state) return false;
  OGL_pix_specs(0);
  glExt.init_extensions();
  recall_ins_texes();
  TEX_theme_colours(scratch_array);
  return true;
}

std::vector<unsigned char> gl_read(int x, int y, int w, int h) {
  std::vector<unsigned char> px((size_t)w * h * 4);
  glFinish();
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  return px;
}

px8 gl_pixel(int x, int y) {
  std::vector<unsigned char> p = gl_read(x, y, 1, 1);
  return px8{p[0], p[1], p[2], p[3]};
}

void gl_clear(int r, int g, int b) {
  glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
}

std::string gl_save_png(const std::string& name) {
  std::string path = std::string(VANTREL_BUILD_DIR) + "/" + name;
  write_png(path, mnw.x_res_now, mnw.y_res_now, gl_read(0, 0, mnw.x_res_now, mnw.y_res_now));
  return path;
}

// One textured rectangle of the sheet `tex` (size `n`), 1 texel : 1 pixel.
static void sheet_rect(int tex, float n, float x, float y, float w, float h, float s, float t,
                       int color) {
  if (w <= 0 || h <= 0) return;
  OGL_2dquad(tex, color, 1.0f, x, y, s / n, t / n, x, y + h, s / n, (t + h) / n, x + w, y + h,
             (s + w) / n, (t + h) / n, x + w, y, (s + w) / n, t / n, 1, 5);
}

// Fills [x0, x1) with copies of the sheet span [s0, s0 + span), the last one trimmed.
template <typename F>
static void tile(float x0, float x1, float span, F piece) {
  for (float x = x0; x < x1 - 0.001f; x += span) piece(x, std::fmin(span, x1 - x));
}

void test_frame1(int type, float x_center, float y_center, float dx_control, int color) {
  struct strip { int type; float cap, w, h, s, t, shadow, lower; };
  static const strip k[] = {{0, 10, 100, 26, 1, 487, 0, 3},   {1, 20, 100, 26, 102, 487, 0, 3},
                            {2, 10, 52, 26, 304, 486, 0, 0},  {3, 10, 52, 26, 304, 459, 0, 0},
                            {4, 10, 28, 16, 112, 161, 0, 0},  {5, 10, 28, 16, 83, 161, 0, 0},
                            {7, 10, 65, 24, 240, 242, 0, 0},  {8, 7, 16, 16, 289, 219, 0, 0},
                            {9, 10, 51, 26, 262, 133, 2, 0},  {10, 26, 68, 24, 357, 488, 2, 0}};
  for (const strip& st : k) {
    if (st.type != type) continue;
    float xc = std::round(x_center), dx = 2 * std::round(dx_control / 2);
    float W = dx + 2 * st.shadow, left = xc - W / 2, y = y_center - st.lower - st.h / 2;
    sheet_rect(388, 512, left, y, st.cap, st.h, st.s, st.t, color);
    sheet_rect(388, 512, left + W - st.cap, y, st.cap, st.h, st.s + st.w - st.cap, st.t, color);
    float mid = st.w - 2 * st.cap;
    tile(left + st.cap, left + W - st.cap, mid,
         [&](float x, float w) { sheet_rect(388, 512, x, y, w, st.h, st.s + st.cap, st.t, color); });
  }
}

void test_frame2(int type, float x, float y, float dx, float dy) {
  struct square { int type; float sx, sb, st, size, s, t, T, B, S; int tex; float n; };
  static const square k[] = {
      {11, 9, 14, 4, 100, 1, 358, 30, 30, 35, 388, 512},
      {12, 9, 14, 4, 100, 102, 358, 30, 30, 35, 388, 512},
      {13, 9, 14, 4, 100, 203, 358, 30, 30, 35, 388, 512},
      {14, 9, 14, 4, 100, 304, 358, 30, 30, 35, 388, 512},
      {15, 9, 14, 4, 100, 405, 358, 30, 30, 35, 388, 512},
      {16, 2, 2, 2, 68, 1, 289, 20.4f, 20.4f, 23.8f, 388, 512},
      {17, 8, 13, 2, 42, 70, 315, 14, 26, 20, 388, 512},
      {18, 8, 13, 2, 42, 113, 315, 12.6f, 12.6f, 14.7f, 388, 512},
      {19, 6, 9, 4, 44, 440, 12, 13.2f, 13.2f, 15.4f, 388, 512},
      {20, 1, 1, 1, 41, 774, 78, 12.3f, 12.3f, 14.35f, 389, 1024}};
  for (const square& q : k) {
    if (q.type != type) continue;
    float X0 = x - q.sx, Y0 = y - q.sb, W = dx + 2 * q.sx, H = dy + q.sb + q.st;
    // Column and row cuts of the square and of the rectangle.
    float cs[3] = {0, q.S, q.size - q.S}, cw[3] = {q.S, q.size - 2 * q.S, q.S};
    float rs[3] = {0, q.B, q.size - q.T}, rh[3] = {q.B, q.size - q.B - q.T, q.T};
    float cx[4] = {X0, X0 + q.S, X0 + W - q.S, X0 + W};
    float ry[4] = {Y0, Y0 + q.B, Y0 + H - q.T, Y0 + H};
    for (int r = 0; r < 3; r++)
      for (int c = 0; c < 3; c++) {
        tile(cx[c], cx[c + 1], cw[c], [&](float px, float pw) {
          tile(ry[r], ry[r + 1], rh[r], [&](float py, float ph) {
            sheet_rect(q.tex, q.n, px, py, pw, ph, q.s + cs[c], q.t + rs[r], 0);
          });
        });
      }
  }
}

void test_sheet_button(float x, float y, float s, float t, float w, float h, int state, int col_code) {
  if (col_code == 1)
    colr.assign(102, 0.8f, 1.0f, 0.8f);
  else if (col_code == 2)
    colr.assign(102, 1.0f, 0.8f, 0.8f);
  else
    colr.assign(102, 1, 1, 1);
  sheet_rect(389, 1024, x, y, w, h, s, t - state * (h + 1), 102);
}
