// Drawing primitives, the GL state cache, and bitmap-font text and numbers.
//
// Sections: records and matrices; pixel set-up and viewport; state cache;
// primitives; font tables; text; numbers.
#include "gui/oglp.h"

#include <cmath>

#include "gui/colr.h"
#include "gui/ogl_gl.h"
#include "platform/plat_window.h"
#include "shell/OGL_extensions.h"
#include "shell/hl_alert.h"
#include "shell/hl_mnw.h"
#include "shell/xtim.h"
#include "textures/tman.h"

ren_class ren;
oglp_class oglp;
xcam_class xcam;

// ---- Records and matrices ----

const double gIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void setIdentityMatrix(double m[16]) {
  for (int i = 0; i < 16; i++) m[i] = gIdentity[i];
}

void buildOrthoMatrix(double m[16], double left, double right, double bottom, double top,
                      double nearval, double farval) {
  for (int i = 0; i < 16; i++) m[i] = 0;
  m[0] = 2 / (right - left);
  m[5] = 2 / (top - bottom);
  m[10] = -2 / (farval - nearval);
  m[12] = -(right + left) / (right - left);
  m[13] = -(top + bottom) / (top - bottom);
  m[14] = -(farval + nearval) / (farval - nearval);
  m[15] = 1;
}

xcam_class::xcam_class() {
  setIdentityMatrix(mPerspective);
  setIdentityMatrix(mModelView);
}

void xcam_class::SetupOrtho(double left, double right, double bottom, double top, double zNear,
                            double zFar) {
  mIsOrtho = true;
  buildOrthoMatrix(mPerspective, left, right, bottom, top, zNear, zFar);
  mOrthoLeft = left;
  mOrthoRight = right;
  mOrthoBottom = bottom;
  mOrthoTop = top;
  mNear = -zNear;
  mFar = mFakeFar = -zFar;
  mLocationStale = true;
}

void xcam_class::Identity() {
  setIdentityMatrix(mModelView);
  mLocationStale = true;
}

// Halves away from zero, as the layouts expect of "the nearest pixel".
static float round_half_away(float v) { return v < 0 ? -floorf(-v + 0.5f) : floorf(v + 0.5f); }

// ---- Pixel set-up and viewport ----

void OGL_pix_specs(int) {
  mnw.xy_scale_coc = mnw.xy_scale_now = 1.0f;
  mnw.x1_pix = mnw.y1_pix = 0;
  mnw.x2_pix = mnw.x_res_now / mnw.xy_scale_now;
  mnw.y2_pix = mnw.y_res_now / mnw.xy_scale_now;
  mnw.extra_ty = mnw.y2_pix - 768 > 0 ? mnw.y2_pix - 768 : 0;
  mnw.extra_sx = mnw.x2_pix - 1024 > 0 ? (mnw.x2_pix - 1024) * 0.5f : 0;
  if (mnw.top_win_now == -1) mnw.extra_sx = 0;
  mnw.x_ctr = mnw.x_res_now * 0.5f;
  mnw.y_ctr = 384;
  if (mnw.top_win_now >= 0) OGL_viewport(2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1.0f, 0);
}

void OGL_viewport(int dims, float rat_x1, float pix_x1, float rat_y1, float pix_y1, float rat_x2,
                  float pix_x2, float, float rat_y2, float pix_y2, float, float zoom, int) {
  if (dims != 2) return;  // the only projection this program draws with
  rat_x1 = mnw.x1_pix;
  rat_y1 = mnw.y1_pix;
  rat_x2 = mnw.x2_pix;
  rat_y2 = mnw.y2_pix;
  pix_x1 = pix_y1 = 0;
  pix_x2 = (float)mnw.x_res_now;
  pix_y2 = (float)mnw.y_res_now;
  if (zoom == 0) zoom = 1.0f;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  xcam.SetupOrtho(rat_x1 / zoom, rat_x2 / zoom, rat_y1 / zoom, rat_y2 / zoom, -1.0, 1.0);
  glViewport((int)pix_x1, (int)pix_y1, (int)(pix_x2 - pix_x1), (int)(pix_y2 - pix_y1));
  xcam.Identity();
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(xcam.mPerspective);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(xcam.mModelView);
  xcam.mCameraStale = false;
}

// ---- State cache ----
//
// -1 means "not read from GL yet". Depth writes start known (off, as the context's
// defaults leave them) and one texture unit is in use.

static int o_fog = -1, o_tex = -1, o_lit = -1, o_alB = -1, o_alT = -1, o_deR = -1;
static int o_deW = 11, num_units = 1;

void OGL_forget_state() {
  o_fog = o_tex = o_lit = o_alB = o_alT = o_deR = -1;
  o_deW = 11;
  num_units = 1;
}

static void set_cap(GLenum cap, bool on) { (on ? ogl_calls.Enable : ogl_calls.Disable)(cap); }

void OGL_setstate(const int fog, int tex, const int lit, const int al, const int deR,
                  const int deW) {
  if (o_fog < 0) o_fog = ogl_calls.IsEnabled(GL_FOG) ? 0 : 1;
  if (o_tex < 0) o_tex = ogl_calls.IsEnabled(GL_TEXTURE_2D) ? 1 : 0;
  if (o_lit < 0) o_lit = ogl_calls.IsEnabled(GL_LIGHTING) ? 2 : 3;
  if (o_alB < 0) o_alB = ogl_calls.IsEnabled(GL_BLEND) ? 1 : 0;
  if (o_alT < 0) o_alT = ogl_calls.IsEnabled(GL_ALPHA_TEST) ? 1 : 0;
  if (o_deR < 0) o_deR = ogl_calls.IsEnabled(GL_DEPTH_TEST) ? 8 : 9;

  if (fog != o_fog) set_cap(GL_FOG, fog == 0);

  // Units are compared after clamping to what the driver has, so asking for more
  // units than exist costs nothing on the second call.
  int max_units = ren.num_tex_units > 0 ? ren.num_tex_units : 1;
  int n = tex < 0 ? 0 : (tex > max_units ? max_units : tex);
  if (n != o_tex) {
    set_cap(GL_TEXTURE_2D, n > 0);
    if (n > 1 || o_tex > 1) {
      for (int k = 1; k <= 8; k++) {
        if (o_tex < k && k <= n) {
          ogl_calls.ActiveTexture(GL_TEXTURE0_ARB + k - 1);
          ogl_calls.Enable(GL_TEXTURE_2D);
        } else if (n < k && k <= o_tex) {
          ogl_calls.ActiveTexture(GL_TEXTURE0_ARB + k - 1);
          ogl_calls.Disable(GL_TEXTURE_2D);
        }
      }
      ogl_calls.ActiveTexture(GL_TEXTURE0_ARB);
    }
    num_units = n;
  }

  if (lit != o_lit) {
    set_cap(GL_LIGHTING, lit == 2);
    set_cap(GL_LIGHT0, lit == 2);
  }

  if (al >= 4 && al <= 7) {
    int blend = al == 5 || al == 7, test = al == 6 || al == 7;
    if (blend != o_alB) set_cap(GL_BLEND, blend);
    if (test != o_alT) set_cap(GL_ALPHA_TEST, test);
    o_alB = blend;
    o_alT = test;
  }

  if (deR != o_deR) set_cap(GL_DEPTH_TEST, deR == 8);
  if (deW != o_deW) ogl_calls.DepthMask(deW == 10 ? GL_TRUE : GL_FALSE);

  o_fog = fog;
  o_tex = n;
  o_lit = lit;
  o_deR = deR;
  o_deW = deW;
}

void OGL_nrml_colors() { glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); }

// ---- Primitives ----

void OGL_line(int color, float alpha, float x1, float y1, float x2, float y2) {
  OGL_setstate(1, 0, 3, 5, 9, 11);
  colr.set_index(color, alpha);
  glBegin(GL_LINES);
  glVertex2f(mnw.win_x + x1 + 0.5f, mnw.win_y + y1 + 0.5f);
  glVertex2f(mnw.win_x + x2 + 0.5f, mnw.win_y + y2 + 0.5f);
  glEnd();
}

void OGL_fillrect(int color, float alpha, float x, float y, float dx, float dy) {
  OGL_setstate(1, 0, 3, 5, 9, 11);
  colr.set_index(color, alpha);
  x += mnw.win_x;
  y += mnw.win_y;
  glBegin(GL_QUADS);
  glVertex2f(x, y);
  glVertex2f(x, y + dy);
  glVertex2f(x + dx, y + dy);
  glVertex2f(x + dx, y);
  glEnd();
}

void OGL_2dquad(int tex, int col, float alp, float x1, float y1, float s1, float t1, float x2,
                float y2, float s2, float t2, float x3, float y3, float s3, float t3, float x4,
                float y4, float s4, float t4, int num_tex, int alB) {
  OGL_setstate(1, num_tex, 3, alB, 9, 11);
  if (tex > 0) tman.bind_ref(tex, 0, 0);
  colr.set_index(col, alp);
  const float wx = mnw.win_x, wy = mnw.win_y;
  glBegin(GL_QUADS);
  glTexCoord2f(s1, t1);
  glVertex2f(wx + x1, wy + y1);
  glTexCoord2f(s2, t2);
  glVertex2f(wx + x2, wy + y2);
  glTexCoord2f(s3, t3);
  glVertex2f(wx + x3, wy + y3);
  glTexCoord2f(s4, t4);
  glVertex2f(wx + x4, wy + y4);
  glEnd();
}

void OGL_plot_back_col() {
  OGL_setstate(1, 0, 3, 5, 9, 11);
  colr.set_index(34, 1.0f);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(0, (float)mnw.y_res_now);
  glVertex2f((float)mnw.x_res_now, (float)mnw.y_res_now);
  glVertex2f((float)mnw.x_res_now, 0);
  glEnd();
}

void OGL_scissors(float x, float y, float dx, float dy) {
  const float k = mnw.xy_scale_now;
  float x1 = (x + mnw.win_x) * k, y1 = (y + mnw.win_y) * k;
  float x2 = (x + dx + mnw.win_x) * k, y2 = (y + dy + mnw.win_y) * k;
  float w = x2 - x1 > 0 ? x2 - x1 : 0, h = y2 - y1 > 0 ? y2 - y1 : 0;
  glEnable(GL_SCISSOR_TEST);
  glScissor((int)x1, (int)y1, (int)w, (int)h);
}

void OGL_scissors_end() { glDisable(GL_SCISSOR_TEST); }

void OGL_sbuff() {
  glColor4f(1, 1, 1, 1);
  xtim.profile_chart("sb1", 0);
  PLAT_gl_swap(mnw.dc[mnw.current_con]);
  xtim.profile_chart("sb2", 0);
}

// ---- Font tables ----

// Grid of the glyph cells, row by row; -1 marks the Latin-1 bytes of row 4.
static const char* const k_rows[5] = {
    " 0123456789AaBbCcDdEe", "FfGgHhIiJjKkLlMmNnOoP", "pQqRrSsTtUuVvWwXxYyZz",
    "!@#$%^&*()-_+=[]|\\':;", "<.>,?/`"};
static const unsigned char k_row4_high[] = {251, 193, 225, 201, 233, 205, 237,
                                            211, 243, 218, 250, 209, 241, 191};

struct font_tables {
  unsigned char col[256], row[256];
  float adv[256];
  font_tables() {
    for (int i = 0; i < 256; i++) col[i] = row[i] = 0, adv[i] = 0;
    for (int r = 0; r < 5; r++)
      for (int c = 0; k_rows[r][c]; c++) {
        unsigned char b = (unsigned char)k_rows[r][c];
        col[b] = (unsigned char)c;
        row[b] = (unsigned char)r;
      }
    for (int i = 0; i < 14; i++) col[k_row4_high[i]] = (unsigned char)(7 + i), row[k_row4_high[i]] = 4;
    static const struct { int width; const char* chars; } k_adv[] = {
        {2, ",."},
        {3, " '/:;I\\`ijl|\xfb"},
        {4, "!()-J[]frst"},
        {5, "c"},
        {6, "#$*0123456789?EFLPSTZ^_aekvxyz\xbf\xc1\xc9\xcd\xd1\xd3\xda\xe1\xe9\xed\xf1\xf3\xfa"},
        {7, "+<=>BCKRVXYbdghnopqu"},
        {8, "&ADGHNU"},
        {9, "@OQw"},
        {10, "Mm"},
        {11, "%W"},
    };
    for (const auto& a : k_adv)
      for (const char* p = a.chars; *p; p++) adv[(unsigned char)*p] = (float)a.width;
  }
};
static const font_tables k_font;

float chr_dx(const char& c) { return k_font.adv[(unsigned char)c]; }

float menu_dx(std::string str) {
  float w = 0;
  for (char c : str) w += chr_dx(c);
  return w;
}

// ---- Text ----

int OGL_strtex(int charset, int color, float* s1_pix, float* t1_pix, float* ds_pix,
               float* dt_pix) {
  int pitch;
  if (charset == 100)
    pitch = 0;
  else if (charset == 102)
    pitch = 10;
  else {
    __DOVAVI_alert(0, "String proc with bad charset!", "", "", "", t_exit, "oglp", 493);
    return 0;
  }
  OGL_setstate(1, 1, 3, 5, 9, 11);
  colr.set_index(color, 1.0f);
  tman.bind_ref(388, 0, 0);
  *s1_pix = 0;
  *t1_pix = 0;
  *ds_pix = 14;
  *dt_pix = 15;
  return pitch;
}

// One glyph quad with its bottom-left corner at (xi, yi); the caller is inside glBegin(GL_QUADS).
static void emit_glyph(unsigned char b, float xi, float yi, float s0, float t0, float ds,
                       float dt) {
  const float k = 1.0f / 512;
  float s = s0 + ds * k_font.col[b], t = t0 + dt * k_font.row[b];
  glTexCoord2f(s * k, t * k);
  glVertex2f(xi, yi);
  glTexCoord2f(s * k, (t + dt) * k);
  glVertex2f(xi, yi + dt);
  glTexCoord2f((s + ds) * k, (t + dt) * k);
  glVertex2f(xi + ds, yi + dt);
  glTexCoord2f((s + ds) * k, t * k);
  glVertex2f(xi + ds, yi);
}

void str_one_line(int color, float x, float y, const std::string& input, int charset, int just) {
  float s0, t0, ds, dt;
  int pitch = OGL_strtex(charset, color, &s0, &t0, &ds, &dt);
  if (just == 1) x -= 0.5f * menu_dx(input);
  if (just == 2) x -= menu_dx(input);
  const float yi = (float)(int)y - 4;
  glBegin(GL_QUADS);
  for (char c : input) {
    if (c == 13 || c == 10 || c == 9) continue;
    emit_glyph((unsigned char)c, (float)(int)x, yi, s0, t0, ds, dt);
    x += pitch > 0 ? (float)pitch : chr_dx(c);
  }
  glEnd();
}

static bool is_break(char c) { return c == ' ' || c == '-' || c == '/'; }

float OGL_string(int color, float x, float y, const std::string& input, float dx, int charset,
                 int just) {
  float s0, t0, ds, dt;
  int pitch = OGL_strtex(charset, color, &s0, &t0, &ds, &dt);
  x = round_half_away(x + mnw.win_x);
  y = round_half_away(y + mnw.win_y - 2);
  if (dx <= 0 || dx >= 9999) {
    str_one_line(color, x, y, input, charset, just);
    return y - mnw.win_y + 2;
  }
  const float x0 = x, limit = x0 + dx;
  std::string line;
  const size_t n = input.size();
  for (size_t i = 0; i < n; i++) {
    const char c = input[i];
    line += c;
    x += pitch > 0 ? (float)pitch : chr_dx(c);
    bool flush = c == '\n' || i == n - 1;
    if (!flush && is_break(c)) {
      size_t next_word = 0;
      for (size_t j = i + 1; j < n && !is_break(input[j]); j++) next_word++;
      flush = x + 6.0f * next_word > limit;
    }
    if (flush) {
      str_one_line(color, x0, y, line, charset, just);
      y -= 10;
      line.clear();
      x = x0;
    }
  }
  return y - mnw.win_y + 2;
}

// ---- Numbers ----

// Digit p (1 = units) of the rounded value, 0..9.
static int digit_at(double inum, int p) {
  double d = fmod(floor(inum / pow(10.0, p - 1)), 10.0);
  return d >= 0 && d <= 9 ? (int)d : 0;
}

void OGL_number(int color, float x, float y, float input, int dig, int dec, int charset) {
  const bool neg = input < 0;
  float a = fabsf(input);
  const float scale = powf(10.0f, (float)dec);
  const float fnum = a * scale;
  const double inum = (double)fnum + 0.5;
  const bool sign = neg && fnum > 0.1f;

  if (charset == 102) {
    float s0, t0, ds, dt;
    const int pitch = OGL_strtex(charset, color, &s0, &t0, &ds, &dt);
    const float X = round_half_away(x + mnw.win_x);
    const float Y = round_half_away(y + mnw.win_y) - 2;
    const float yi = (float)(int)Y - 4;
    auto glyph = [&](char c, float at) { emit_glyph((unsigned char)c, (float)(int)at, yi, s0, t0, ds, dt); };
    glBegin(GL_QUADS);
    if (sign) glyph('-', X - pitch + 1);
    if (dec > 0) glyph('.', X + (dig - dec - 0.5f) * pitch);
    const int whole = dig - dec;
    if (whole >= 4) glyph(',', X + (whole - 3.5f) * pitch);
    if (whole >= 7) glyph(',', X + (whole - 6.5f) * pitch);
    if (whole >= 10) glyph(',', X + (whole - 9.5f) * pitch);
    for (int p = dig < 11 ? dig : 11; p >= 1; p--)
      glyph((char)('0' + digit_at(inum, p)), X + (float)(dig - p) * pitch);
    glEnd();
    return;
  }

  std::string s = sign ? "-" : "";
  int dig_req = 1;
  const float steps[] = {9, 99, 999, 9999, 99999, 999999, 9999999, 1e8f, 1e9f};
  for (int i = 0; i < 9; i++)
    if (fnum > steps[i]) dig_req = i + 2;
  if (dig_req < dec + 1) dig_req = dec + 1;
  if (dig_req <= dig) {
    const int whole = dig - dec;
    for (int p = dig; p >= 1; p--) {
      if (p == dec && whole >= 1) s += '.';
      const int q = p - dec;
      if ((q == 3 && whole >= 4) || (q == 6 && whole >= 7) || (q == 9 && whole >= 10)) s += ',';
      s += (char)('0' + digit_at(inum, p));
    }
  } else {
    int e = 2;
    while (a >= 999) {
      a /= 10;
      e += 1;
    }
    const int n = (int)round_half_away(a);
    s += (char)('0' + n / 100 % 10);
    s += '.';
    s += (char)('0' + n / 10 % 10);
    s += (char)('0' + n % 10);
    s += 'x';
    s += (char)(e > 9 ? '0' : '0' + e);
  }
  OGL_string(color, x, y, s, 9999, charset, 0);
}
