// Drawing in the real window, read back with glReadPixels: rectangle edges, the
// half-pixel shift of lines, textured quads placed 1:1, scissors, the colour
// selection, the centring margins and the theme colours against the swatches.
#include <gtest/gtest.h>

#include <cstring>

#include "gui/colr.h"
#include "gui/ogl_gl.h"
#include "gui/oglp.h"
#include "ins_texes_data.h"
#include "shell/hl_mnw.h"
#include "support/gl_helpers.h"

namespace {
class Drawing : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_test_start()) << "no display: the drawing tests need X (xvfb-run)";
    mnw.win_x = mnw.win_y = 0;
    gl_clear(0, 0, 0);
  }
};

bool is_colour(px8 p, int r, int g, int b, int tol = 1) {
  return abs(p.r - r) <= tol && abs(p.g - g) <= tol && abs(p.b - b) <= tol;
}

// Texel (s, t) of the interface sheet composited over black, as the quad should show it.
px8 sheet_over_black(int s, int t) {
  const unsigned char* p = t_interface_dat + ((size_t)t * 512 + s) * 4;
  return px8{p[0] * p[3] / 255, p[1] * p[3] / 255, p[2] * p[3] / 255, 255};
}
}  // namespace

TEST_F(Drawing, FilledRectangleCoversExactlyItsPixels) {
  colr.assign(102, 1, 0, 0);
  mnw.win_x = 5;
  mnw.win_y = 7;
  OGL_fillrect(102, 1.0f, 10, 20, 30, 15);  // pixels x 15..44, y 27..41
  EXPECT_TRUE(is_colour(gl_pixel(15, 27), 255, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(44, 41), 255, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(14, 27), 0, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(45, 30), 0, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(20, 26), 0, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(20, 42), 0, 0, 0));
}

TEST_F(Drawing, LinesFallOnPixelCentres) {
  colr.assign(102, 0, 1, 0);
  OGL_line(102, 1.0f, 100, 50, 140, 50);  // a row of pixels at y 50
  OGL_line(102, 1.0f, 200, 60, 200, 90);  // a column at x 200
  EXPECT_TRUE(is_colour(gl_pixel(120, 50), 0, 255, 0));
  EXPECT_TRUE(is_colour(gl_pixel(120, 49), 0, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(120, 51), 0, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(200, 75), 0, 255, 0));
  EXPECT_TRUE(is_colour(gl_pixel(199, 75), 0, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(201, 75), 0, 0, 0));
}

TEST_F(Drawing, TexturedQuadIsPlacedOneToOne) {
  // The check-box sprite: texels 178..195 x 139..156, drawn at (300, 200).
  const float k = 1.0f / 512;
  OGL_2dquad(388, 0, 1.0f, 300, 200, 178 * k, 139 * k, 300, 218, 178 * k, 157 * k, 318, 218,
             196 * k, 157 * k, 318, 200, 196 * k, 139 * k, 1, 5);
  std::vector<unsigned char> got = gl_read(300, 200, 18, 18);
  int mismatches = 0;
  for (int y = 0; y < 18; y++)
    for (int x = 0; x < 18; x++) {
      px8 want = sheet_over_black(178 + x, 139 + y);
      const unsigned char* g = &got[((size_t)y * 18 + x) * 4];
      if (abs(g[0] - want.r) > 2 || abs(g[1] - want.g) > 2 || abs(g[2] - want.b) > 2) mismatches++;
    }
  EXPECT_EQ(0, mismatches);
}

TEST_F(Drawing, ScissorsClipAndNegativeSizesClipEverything) {
  colr.assign(102, 1, 1, 1);
  OGL_scissors(10, 10, 20, 20);
  OGL_fillrect(102, 1.0f, 0, 0, 100, 100);
  OGL_scissors_end();
  EXPECT_TRUE(is_colour(gl_pixel(10, 10), 255, 255, 255));
  EXPECT_TRUE(is_colour(gl_pixel(29, 29), 255, 255, 255));
  EXPECT_TRUE(is_colour(gl_pixel(30, 29), 0, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(9, 15), 0, 0, 0));

  OGL_scissors(50, 50, -20, 20);
  OGL_fillrect(102, 1.0f, 0, 0, 100, 100);
  OGL_scissors_end();
  EXPECT_TRUE(is_colour(gl_pixel(40, 60), 0, 0, 0));
  EXPECT_TRUE(is_colour(gl_pixel(55, 60), 0, 0, 0));
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(Drawing, OpacityAboveNinetyNineHundredthsIsOpaque) {
  glColor4f(0.2f, 0.2f, 0.2f, 0.3f);
  colr.set_index(0, 1.0f);
  GLfloat c[4];
  glGetFloatv(GL_CURRENT_COLOR, c);
  EXPECT_FLOAT_EQ(1.0f, c[3]);
  colr.set_index(0, 0.995f);
  glGetFloatv(GL_CURRENT_COLOR, c);
  EXPECT_FLOAT_EQ(1.0f, c[3]);
  colr.set_index(0, 0.99f);
  glGetFloatv(GL_CURRENT_COLOR, c);
  EXPECT_NEAR(0.99f, c[3], 1e-6);
}

TEST_F(Drawing, BackgroundIsThemeColour34) {
  OGL_plot_back_col();
  const float* c = colr.col_rgb[34];
  for (int xy : {0, 383, 767})
    EXPECT_TRUE(is_colour(gl_pixel(xy, xy), (int)(c[0] * 255 + 0.5f), (int)(c[1] * 255 + 0.5f),
                          (int)(c[2] * 255 + 0.5f)));
  EXPECT_TRUE(is_colour(gl_pixel(1023, 0), (int)(c[0] * 255 + 0.5f), (int)(c[1] * 255 + 0.5f),
                        (int)(c[2] * 255 + 0.5f)));
}

TEST_F(Drawing, ThemeColoursAreTheSheetSwatches) {
  // Draw the swatch column 1:1 and compare the sampled texels with the table.
  const struct { int index, x, row; } swatches[] = {
      {34, 319, 155}, {35, 319, 147}, {36, 319, 139}, {37, 319, 131}, {38, 319, 123},
      {40, 319, 115}, {41, 319, 107}, {42, 319, 99},  {43, 319, 91},  {45, 319, 83},
      {46, 319, 75},  {47, 319, 67},  {44, 395, 115}};
  const float k = 1.0f / 512;
  OGL_2dquad(388, 0, 1.0f, 0, 0, 0, 0, 0, 512, 0, 1, 512, 512, 1, 1, 512, 0, 1, 0, 1, 5);
  (void)k;
  for (const auto& s : swatches) {
    px8 p = gl_pixel(s.x, s.row);
    const float* c = colr.col_rgb[s.index];
    EXPECT_TRUE(is_colour(p, (int)(c[0] * 255 + 0.5f), (int)(c[1] * 255 + 0.5f), (int)(c[2] * 255 + 0.5f)))
        << "colour " << s.index;
    EXPECT_EQ(255, t_interface_dat[((size_t)s.row * 512 + s.x) * 4 + 3]) << "swatch must be opaque";
  }
  for (int ch = 0; ch < 3; ch++)
    EXPECT_FLOAT_EQ((colr.col_rgb[35][ch] + colr.col_rgb[38][ch]) * 0.5f, colr.col_rgb[39][ch]);
}

TEST_F(Drawing, CentringMarginsFollowTheWindowSize) {
  const int saved_x = mnw.x_res_now, saved_y = mnw.y_res_now, saved_top = mnw.top_win_now;
  const struct { int w, h, top; float sx, ty; } cases[] = {
      {1024, 768, 0, 0, 0}, {1280, 1024, 0, 128, 256}, {800, 600, 0, 0, 0}, {1280, 1024, -1, 0, 256}};
  for (const auto& c : cases) {
    mnw.x_res_now = c.w;
    mnw.y_res_now = c.h;
    mnw.top_win_now = c.top;
    OGL_pix_specs(0);
    EXPECT_FLOAT_EQ(c.sx, mnw.extra_sx) << c.w;
    EXPECT_FLOAT_EQ(c.ty, mnw.extra_ty) << c.w;
    EXPECT_FLOAT_EQ(384, mnw.y_ctr);
    EXPECT_FLOAT_EQ(c.w * 0.5f, mnw.x_ctr);
  }
  mnw.x_res_now = saved_x;
  mnw.y_res_now = saved_y;
  mnw.top_win_now = saved_top;
  OGL_pix_specs(0);
  EXPECT_DOUBLE_EQ(2.0 / 1024, xcam.mPerspective[0]);
  EXPECT_DOUBLE_EQ(-1.0, xcam.mPerspective[12]);
  EXPECT_DOUBLE_EQ(1.0, xcam.mNear);  // the projection is set up with near -1, far +1
  EXPECT_DOUBLE_EQ(-1.0, xcam.mFar);
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  EXPECT_EQ(1024, vp[2]);
  EXPECT_EQ(768, vp[3]);
}

TEST_F(Drawing, WindowOriginMovesEveryPrimitive) {
  colr.assign(102, 0, 0, 1);
  mnw.win_x = 100;
  mnw.win_y = 50;
  OGL_line(102, 1.0f, 0, 0, 10, 0);
  const float k = 1.0f / 512;
  OGL_2dquad(388, 0, 1.0f, 0, 10, 316 * k, 152 * k, 0, 18, 316 * k, 160 * k, 8, 18, 324 * k,
             160 * k, 8, 10, 324 * k, 152 * k, 1, 5);  // the colour-34 swatch
  EXPECT_TRUE(is_colour(gl_pixel(105, 50), 0, 0, 255));
  const float* c = colr.col_rgb[34];
  EXPECT_TRUE(is_colour(gl_pixel(104, 64), (int)(c[0] * 255 + 0.5f), (int)(c[1] * 255 + 0.5f),
                        (int)(c[2] * 255 + 0.5f)));
}
