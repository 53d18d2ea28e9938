// Immediate-mode drawing in window pixels: the coordinate set-up, the cached GL
// state switch, lines, filled rectangles, textured quads, scissors and the buffer
// swap; and the bitmap-font text and numbers cut from the interface sheet.
// Coordinates are window pixels relative to the current window's origin
// (mnw.win_x, mnw.win_y), y upward; colours are indices into `colr`. Everything
// here runs on the thread that owns the GL context.
#pragma once
#include <string>

// ---- Records ----

// What the driver is and can do, filled by capability detection (start-up).
class ren_class {
 public:
  std::string vendor, renderer, version, extensions;  // the driver's own texts
  int num_tex_units = 0;  // fixed-function texture units (at least 1 once detected)
  int num_img_units = 0;  // texture image units
  int num_cor_units = 0;  // texture coordinate sets
  float max_iso = 0;      // largest anisotropy, 1.0 without the feature
  float cur_alpha = 1.0f; // current drawing opacity
};
extern ren_class ren;  // the renderer's description (capability detection)

class oglp_class {
 public:
  float font_size = 1.0f;  // text is drawn at its native glyph size
};
extern oglp_class oglp;  // text scale (constant)

// The camera record. Only the orthographic set-up is used: the full-window
// projection of OGL_viewport.
class xcam_class {
 public:
  xcam_class();  // both matrices identity, every stale flag set

  bool mIsOrtho = false;
  double mNear = 0, mFar = 0, mFakeFar = 0;
  double mTop[3] = {}, mLeft[3] = {}, mRight[3] = {}, mBottom[3] = {};
  double mOrthoTop = 0, mOrthoLeft = 0, mOrthoRight = 0, mOrthoBottom = 0;
  double mLocation[4] = {};
  bool mLocationStale = true, mCameraStale = true;
  double mPerspective[16];  // projection, column-major as GL takes it
  double mModelView[16];

  // Orthographic projection of the box; stores the extents, mNear = -zNear and
  // mFar = mFakeFar = -zFar, and marks the location stale.
  void SetupOrtho(double left, double right, double bottom, double top, double zNear,
                  double zFar);
  // Model-view back to identity; marks the location stale.
  void Identity();
};
extern xcam_class xcam;  // the camera (drawing)

extern const double gIdentity[16];
void setIdentityMatrix(double m[16]);
// The glOrtho matrix of the box, column-major.
void buildOrthoMatrix(double m[16], double left, double right, double bottom, double top,
                      double nearval, double farval);

// ---- Set-up and state ----

// Pixel coordinates for the current window size: scales 1.0, projection extents,
// the centring margins extra_sx / extra_ty, the centre; then, once a window is
// current (top_win_now >= 0), the full-window viewport. The argument is unused.
void OGL_pix_specs(int);
// Loads projection, viewport and model-view. Only dims 2 is used: the whole window
// in pixels, every other argument taken from mnw (pass 0), zoom 1.0, auto_scale 0.
void OGL_viewport(int dims, float rat_x1, float pix_x1, float rat_y1, float pix_y1, float rat_x2,
                  float pix_x2, float near_clip, float rat_y2, float pix_y2, float far_clip,
                  float zoom, int auto_scale);
// Brings GL into the asked state, touching GL only where the cache differs.
// fog 0 on / 1 off; tex = texture units enabled (0 untextured); lit 2 on / 3 off;
// al 4 none, 5 blend, 6 alpha test, 7 both; deR 8 depth test on / 9 off; deW 10
// depth writes on / 11 off. 2-D drawing uses (1, 0 or 1, 3, 5, 9, 11). Each cache
// entry is read from GL on its first use; depth writes start as off.
void OGL_setstate(const int fog, int tex, const int lit, const int al, const int deR,
                  const int deW);
// Forgets the cached state, so the next OGL_setstate reads GL again. For code that
// changed GL behind the cache's back (and for tests).
void OGL_forget_state();
// Normal alpha blending: source alpha, one minus source alpha.
void OGL_nrml_colors();

// ---- Primitives ----

// A one-pixel line; both ends are moved to pixel centres (+0.5).
void OGL_line(int color, float alpha, float x1, float y1, float x2, float y2);
// The rectangle with lower-left corner (x, y) and size dx x dy (no half-pixel shift).
void OGL_fillrect(int color, float alpha, float x, float y, float dx, float dy);
// One quadrilateral, four (vertex, texture coordinate) pairs in order, coordinates
// normalised. `tex` is a texture reference (0 none), bound on unit 0 through the
// texture manager. Callers pass num_tex 1 and alB 5.
void OGL_2dquad(int tex, int col, float alp, float x1, float y1, float s1, float t1, float x2,
                float y2, float s2, float t2, float x3, float y3, float s3, float t3, float x4,
                float y4, float s4, float t4, int num_tex, int alB);
// The whole window in theme colour 34.
void OGL_plot_back_col();
// Clips drawing to the rectangle until OGL_scissors_end. A negative size clips
// everything. Clipping does not nest.
void OGL_scissors(float x, float y, float dx, float dy);
void OGL_scissors_end();
// Presents the frame (swap on mnw.dc[mnw.current_con]).
void OGL_sbuff();

// ---- Text and numbers ----
//
// Charset 100 is the proportional interface font, 102 the same glyphs at a fixed
// 10-pixel pitch (number fields). Glyph cells are 14 x 15 texels in a 21 x 5 grid
// at the bottom of the interface sheet (texture 388); a glyph spans from 6 pixels
// below its baseline to 9 above.

// Sets the text state and colour, binds the charset's sheet and gives its cell
// origin, cell size and pitch (0 = proportional). Any other charset is a fatal
// alert "String proc with bad charset!".
int OGL_strtex(int charset, int color, float* s1_pix, float* t1_pix, float* ds_pix,
               float* dt_pix);
// One line at absolute window pixels (x, y): just 0 left edge at x, 1 centred on x,
// 2 right edge at x. Carriage returns, line feeds and tabs draw nothing.
void str_one_line(int color, float x, float y, const std::string& input, int charset, int just);
// Text at (x, y) relative to the window origin, wrapped at width dx (dx <= 0 or
// >= 9999: one line). Lines break after a space, '-' or '/' when the next word,
// counted as 6 pixels a byte, would pass x + dx, and at line feeds; lines are 10
// pixels apart and aligned by `just` around x. Returns the baseline below the text.
float OGL_string(int color, float x, float y, const std::string& input, float dx, int charset,
                 int just);
// A number with `dig` digit positions of which `dec` are decimals. Charset 102:
// fixed 10-pixel digit cells with leading zeros, '.' and ',' squeezed between
// cells. Other charsets: composed as text (scientific "d.ddxe" when too large).
void OGL_number(int color, float x, float y, float input, int dig, int dec, int charset);
// Advance of one character in pixels (0 for bytes the font lacks).
float chr_dx(const char& c);
// Width of a string: the sum of its advances.
float menu_dx(std::string str);
