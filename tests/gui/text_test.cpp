// Text and numbers: advances, the wrapping rule and its returned baseline, glyph
// placement in the window, alignment, and both number paths, read back from the
// real window where placement matters.
#include <gtest/gtest.h>


#include "gui/colr.h"
#include "gui/ogl_gl.h"
#include "gui/oglp.h"
#include "ins_texes_data.h"
#include "shell/hl_alert.h"
#include "shell/hl_mnw.h"
#include "support/gl_helpers.h"

namespace {
class Text : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_test_start()) << "no display: the text tests need X (xvfb-run)";
    mnw.win_x = mnw.win_y = 0;
    gl_clear(0, 0, 0);
  }
};

// Columns [x0, x1) of the window that hold any lit pixel in rows [y0, y1).
std::pair<int, int> ink_columns(int x0, int y0, int x1, int y1) {
  std::vector<unsigned char> px = gl_read(x0, y0, x1 - x0, y1 - y0);
  int lo = -1, hi = -1;
  for (int x = 0; x < x1 - x0; x++)
    for (int y = 0; y < y1 - y0; y++)
      if (px[((size_t)y * (x1 - x0) + x) * 4] > 40) {
        if (lo < 0) lo = x0 + x;
        hi = x0 + x;
        break;
      }
  return {lo, hi};
}

// Rows with ink in the window columns [x0, x1).
std::vector<int> ink_rows(int x0, int y0, int x1, int y1) {
  std::vector<unsigned char> px = gl_read(x0, y0, x1 - x0, y1 - y0);
  std::vector<int> rows;
  for (int y = 0; y < y1 - y0; y++)
    for (int x = 0; x < x1 - x0; x++)
      if (px[((size_t)y * (x1 - x0) + x) * 4] > 40) {
        rows.push_back(y0 + y);
        break;
      }
  return rows;
}

// Equal up to the rounding of blending done in another order.
bool same_pixels(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (abs(a[i] - b[i]) > 2) return false;
  return true;
}
}  // namespace

TEST(TextMetrics, AdvanceTable) {
  const struct { const char* chars; float width; } cases[] = {
      {",.", 2},  {" '/:;I\\`ijl|\xfb", 3}, {"!()-J[]frst", 4}, {"c", 5},
      {"#$*09?EFLPSTZ^_aekvxyz\xbf\xc1\xf1", 6}, {"+<=>BCKRVXYbdghnopqu", 7},
      {"&ADGHNU", 8}, {"@OQw", 9}, {"Mm", 10}, {"%W", 11}, {"\"{}~\x7f\x80\xa0\t\n", 0}};
  for (const auto& c : cases)
    for (const char* p = c.chars; *p; p++) EXPECT_EQ(c.width, chr_dx(*p)) << "byte " << (int)(unsigned char)*p;
  EXPECT_EQ(8 + 6 + 3 + 3 + 7, menu_dx("Hello"));
  EXPECT_EQ(0, menu_dx(""));
}

TEST_F(Text, ReturnedBaselineAndWrapping) {
  mnw.win_y = 100;
  EXPECT_FLOAT_EQ(50, OGL_string(0, 10, 50, "one line", 0, 100, 0));
  EXPECT_FLOAT_EQ(50, OGL_string(0, 10, 50, "one line", 9999, 100, 0));
  EXPECT_FLOAT_EQ(40, OGL_string(0, 10, 50, "short", 300, 100, 0));
  EXPECT_FLOAT_EQ(50, OGL_string(0, 10, 49.6f, "rounded", 0, 100, 0));
  // "ab illi": the break test counts the next word as 6 pixels a byte: after "ab "
  // x is 16 past the start and 16 + 24 passes a width of 30, though "illi" is only
  // 12 wide and would fit.
  EXPECT_FLOAT_EQ(30, OGL_string(0, 10, 50, "ab illi", 30, 100, 0));
  EXPECT_FLOAT_EQ(40, OGL_string(0, 10, 50, "ab illi", 45, 100, 0));
  // A line feed always breaks; a word longer than the width is never split.
  EXPECT_FLOAT_EQ(30, OGL_string(0, 10, 50, "a\nb", 500, 100, 0));
  EXPECT_FLOAT_EQ(40, OGL_string(0, 10, 50, "averyveryverylongword", 20, 100, 0));
}

TEST_F(Text, WrappedLinesAreTenPixelsApartAndLeftAligned) {
  OGL_string(0, 100, 300, "ab cdefgh", 40, 100, 0);
  // Baselines 300 and 290 (cells 294..308 and 284..298): the x-height rows of each
  // line start at the same left edge.
  std::vector<int> rows = ink_rows(100, 270, 200, 320);
  ASSERT_FALSE(rows.empty());
  EXPECT_GE(rows.front(), 284);
  EXPECT_LE(rows.back(), 308);
  auto first = ink_columns(100, 301, 200, 305), second = ink_columns(100, 291, 200, 294);
  ASSERT_GE(first.first, 0);
  ASSERT_GE(second.first, 0);
  EXPECT_LE(abs(first.first - second.first), 1);
  EXPECT_LE(second.first, 102);
}

TEST_F(Text, GlyphIsTheSheetCellOneToOne) {
  // 'A' is cell (11, 0); drawn white with its cell's lower-left at (200, 96).
  str_one_line(0, 200, 100, "A", 100, 0);
  std::vector<unsigned char> got = gl_read(200, 96, 14, 15);
  for (int y = 0; y < 15; y++)
    for (int x = 0; x < 14; x++) {
      const unsigned char* t = t_interface_dat + ((size_t)y * 512 + 14 * 11 + x) * 4;
      EXPECT_NEAR(t[3], got[((size_t)y * 14 + x) * 4], 2) << x << "," << y;
    }
}

TEST_F(Text, EveryGlyphStaysInsideItsAdvance) {
  for (int c = 33; c < 256; c++) {
    const char ch = (char)c;
    const float adv = chr_dx(ch);
    gl_clear(0, 0, 0);
    str_one_line(0, 300, 300, std::string(1, ch), 100, 0);
    auto cols = ink_columns(290, 290, 330, 312);
    if (adv == 0) {
      EXPECT_EQ(-1, cols.first) << "byte " << c << " has no advance but draws";
      continue;
    }
    if (cols.first < 0) continue;  // nothing visible (none expected, but not an error here)
    EXPECT_GE(cols.first, 300) << "byte " << c;
    EXPECT_LT(cols.second, 300 + (int)adv) << "byte " << c;
  }
}

TEST_F(Text, AlignmentUsesProportionalWidths) {
  // Right-aligned at 400: the text ends just left of 400. Centred: half the width to
  // the left, for the fixed-pitch charset too.
  str_one_line(0, 400, 300, "HH", 100, 2);
  auto right = ink_columns(360, 290, 420, 312);
  EXPECT_LT(right.second, 400);
  EXPECT_GE(right.first, 400 - 16);
  gl_clear(0, 0, 0);
  str_one_line(0, 400, 300, "HH", 102, 1);  // width 16 by the table, so it starts at 392
  auto centred = ink_columns(360, 290, 440, 312);
  EXPECT_GE(centred.first, 392);
  EXPECT_LT(centred.first, 396);
  EXPECT_GE(centred.second, 402);  // pitch 10: the second H starts at 402
}

TEST_F(Text, FixedPitchNumberPlacesDigitsAndSeparators) {
  // 1234.5 with 6 digits, 1 decimal: digits 0 1 2 3 4 5 in 10-pixel cells from x,
  // ',' at 1.5 cells, '.' at 4.5 cells, all on the baseline y - 2.
  OGL_number(0, 100, 200, 1234.5f, 6, 1, 102);
  std::vector<unsigned char> got = gl_read(90, 180, 80, 40);
  gl_clear(0, 0, 0);
  const char* digits = "012345";
  for (int i = 0; i < 6; i++) str_one_line(0, 100.0f + 10 * i, 198, std::string(1, digits[i]), 102, 0);
  str_one_line(0, 115, 198, ",", 102, 0);
  str_one_line(0, 145, 198, ".", 102, 0);
  EXPECT_TRUE(same_pixels(got, gl_read(90, 180, 80, 40)));
}

TEST_F(Text, NumberSignOnlyWhenItShows) {
  OGL_number(0, 100, 200, -0.01f, 2, 1, 102);  // shows 00.0: no minus
  std::vector<unsigned char> no_sign = gl_read(80, 180, 60, 40);
  gl_clear(0, 0, 0);
  OGL_number(0, 100, 200, 0.0f, 2, 1, 102);
  EXPECT_TRUE(same_pixels(no_sign, gl_read(80, 180, 60, 40)));
  gl_clear(0, 0, 0);
  OGL_number(0, 100, 200, -0.02f, 2, 1, 102);  // 00.0 but fnum 0.2: a minus at x - 9
  auto cols = ink_columns(80, 190, 100, 210);
  EXPECT_GE(cols.first, 91);
  EXPECT_LT(cols.second, 95);
}

TEST_F(Text, StringPathComposesTheText) {
  const struct { float value; int dig, dec; const char* text; } cases[] = {
      {12, 6, 0, "000,012"}, {512, 2, 0, "5.12x2"}, {1234.5f, 6, 1, "01,234.5"},
      {-3.25f, 3, 2, "-3.25"}, {123456789012.0f, 3, 0, "1.23x0"}, {7.5f, 3, 1, "07.5"}};
  for (const auto& c : cases) {
    gl_clear(0, 0, 0);
    OGL_number(0, 100, 200, c.value, c.dig, c.dec, 100);
    std::vector<unsigned char> got = gl_read(80, 180, 200, 40);
    gl_clear(0, 0, 0);
    OGL_string(0, 100, 200, c.text, 9999, 100, 0);
    EXPECT_TRUE(same_pixels(got, gl_read(80, 180, 200, 40))) << c.text;
  }
}

TEST_F(Text, BadCharsetIsFatal) {
  static std::string seen;
  g_alert_intercept = [](int, const std::string& s1, const std::string&, const std::string&,
                         const std::string&, int type, const char* file, int line) {
    seen = s1 + "|" + file + "|" + std::to_string(line) + "|" + std::to_string(type);
    throw 1;
  };
  EXPECT_THROW(OGL_string(0, 0, 0, "x", 0, 101, 0), int);
  g_alert_intercept = nullptr;
  EXPECT_EQ("String proc with bad charset!|oglp|493|" + std::to_string(t_exit), seen);
}
