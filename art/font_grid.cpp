// The interface font: DejaVu Sans rendered by FreeType into the glyph grid of the
// interface sheet. Each glyph sits on the cell's baseline (6 rows up from the
// cell's bottom) and inside its advance, which is fixed by the program's width
// table; glyphs wider than their advance are narrowed to fit.
#include <cmath>
#include <cstring>

#include "artgen.h"

// Grid layout, row by row from t = 0; code points (Latin-1 for row 4's tail).
static const char* const k_rows[4] = {" 0123456789AaBbCcDdEe", "FfGgHhIiJjKkLlMmNnOoP",
                                      "pQqRrSsTtUuVvWwXxYyZz", "!@#$%^&*()-_+=[]|\\':;"};
static const unsigned k_row4[21] = {'<', '.', '>', ',', '?', '/', '`', 251, 193, 225, 201,
                                    233, 205, 237, 211, 243, 218, 250, 209, 241, 191};

// The program's advance widths.
static int advance_of(unsigned c) {
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
    for (const char* p = a.chars; *p; p++)
      if ((unsigned char)*p == c) return a.width;
  return 0;
}

const float k_font_px = 11.0f;  // pixel size of the interface font
const int k_baseline = 6;       // rows below the baseline in a cell

// Ink columns actually used by a bitmap.
static void ink_span(const glyph_bitmap& g, int* x0, int* x1) {
  *x0 = g.w;
  *x1 = -1;
  for (int y = 0; y < g.h; y++)
    for (int x = 0; x < g.w; x++)
      if (g.cover[(size_t)y * g.w + x] > 0.02f) {
        if (x < *x0) *x0 = x;
        if (x > *x1) *x1 = x;
      }
}

// Copies the bitmap's ink into the cell at (cx, cy) with its first ink column at
// `left` and its baseline at the cell's baseline.
static void put_glyph(canvas& c, const glyph_bitmap& g, int ink_x0, int cx, int cy, int left,
                      int lift = 0) {
  for (int gy = 0; gy < g.h; gy++)
    for (int gx = 0; gx < g.w; gx++) {
      float cover = g.cover[(size_t)gy * g.w + gx];
      if (cover <= 0) continue;
      int x = gx - ink_x0 + left, y = k_baseline + g.top - 1 - gy + lift;
      if (x < 0 || x >= 14 || y < 0 || y >= 15) continue;
      c.blend(cx + x, cy + y, col(1, 1, 1), cover);
    }
}

// The glyph of `code` fitted to an advance of `adv` columns with its ink in
// [0, room): scaled horizontally so the font's own advance matches the table's
// (marks of 3 columns or less keep their shape), narrowed further when the ink
// is still too wide, and moved so its left stem starts on a pixel edge. Returns
// the glyph and, in *left, the column its first ink column belongs at.
static glyph_bitmap fitted(font_face* f, float px, unsigned code, int adv, int room, int* x0,
                           int* x1, int* left) {
  glyph_bitmap natural = render_glyph(f, px, code);
  float scale = 1;
  if (adv >= 4 && natural.advance > 0) scale = fminf(1.2f, fmaxf(0.62f, adv / natural.advance));
  glyph_bitmap g;
  for (;; scale -= 0.04f) {
    g = render_glyph(f, px, code, scale);
    float snap = roundf(g.outline_x_min) - g.outline_x_min;
    g = render_glyph(f, px, code, scale, snap);
    ink_span(g, x0, x1);
    if (*x1 - *x0 + 1 <= room || scale < 0.45f) break;
  }
  const int w = *x1 - *x0 + 1;
  int natural_left = g.left + *x0;
  *left = natural_left < 0 ? 0 : natural_left;
  if (*left > room - w) *left = room - w;
  if (*left < 0) *left = 0;
  return g;
}

// A capital with an accent: the letter as usual, the accent drawn close above it,
// since a full-size accent would not fit the nine rows above the baseline.
static void accented_capital(canvas& c, const art_fonts& f, char base, unsigned accent, int cx,
                             int cy, int adv) {
  int x0, x1, left;
  float px = k_font_px;
  glyph_bitmap g;
  do {  // small enough that the letter leaves two rows free above it
    g = fitted(f.regular, px, (unsigned char)base, adv, adv - 1, &x0, &x1, &left);
    px -= 0.25f;
  } while (g.top > 15 - k_baseline - 2 && px > 6);
  int w = x1 - x0 + 1;
  put_glyph(c, g, x0, cx, cy, left);
  int top_row = k_baseline + g.top;  // first row above the letter
  float mid = cx + left + w * 0.5f;
  paint_fn white = solid(col(1, 1, 1));
  if (accent == '~') {
    // A small tilde over two rows.
    c.fill_sdf(cx, cy + top_row, cx + 14, cy + 15,
               [&](float x, float y) {
                 float t = (x - mid) / 2.2f;
                 float curve = top_row + cy + 1.0f + 0.55f * sinf(t * 1.6f);
                 float d = fabsf(y - curve) - 0.45f;
                 float ends = fabsf(x - mid) - 2.6f;
                 return d > ends ? d : ends;
               },
               white);
  } else {
    // An acute accent: a short stroke rising to the right.
    float ax = mid - 0.6f, ay = cy + top_row + 0.4f;
    c.fill_sdf(cx, cy + top_row, cx + 14, cy + 15,
               [&](float x, float y) { return sd_segment(x, y, ax, ay, ax + 1.8f, ay + 1.8f) - 0.55f; },
               white);
  }
}

void draw_font_grid(canvas& c, const art_fonts& f) {
  for (int r = 0; r < 5; r++)
    for (int col_i = 0; col_i < 21; col_i++) {
      unsigned code = r < 4 ? (unsigned char)k_rows[r][col_i] : k_row4[col_i];
      const int cx = 14 * col_i, cy = 15 * r;
      const int adv = advance_of(code);
      if (code == ' ' || adv == 0) continue;
      switch (code) {
        case 193: accented_capital(c, f, 'A', '\'', cx, cy, adv); continue;
        case 201: accented_capital(c, f, 'E', '\'', cx, cy, adv); continue;
        case 205: accented_capital(c, f, 'I', '\'', cx, cy, adv); continue;
        case 211: accented_capital(c, f, 'O', '\'', cx, cy, adv); continue;
        case 218: accented_capital(c, f, 'U', '\'', cx, cy, adv); continue;
        case 209: accented_capital(c, f, 'N', '~', cx, cy, adv); continue;
        default: break;
      }
      if (code == 251) {
        // A bullet for the narrow 251 cell.
        c.fill_sdf(cx, cy, cx + 3, cy + 15,
                   [&](float x, float y) { return sd_circle(x, y, cx + 1.5f, cy + k_baseline + 3.5f, 1.1f); },
                   solid(col(1, 1, 1)));
        continue;
      }
      // Room for the ink: narrow marks may fill their advance; letters keep a
      // column free on the right so neighbours never touch.
      const int room = adv <= 3 ? adv : adv - 1;
      int x0, x1, left;
      glyph_bitmap g = fitted(f.regular, k_font_px, code, adv, room, &x0, &x1, &left);
      if (x1 < x0) continue;
      if (adv <= 3) left = (adv - (x1 - x0 + 1)) / 2;  // narrow marks sit in the middle
      put_glyph(c, g, x0, cx, cy, left);
    }
}
