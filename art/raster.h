// The drawing kit of the artwork generator: a floating-point RGBA canvas whose
// row 0 is the bottom row (as the program stores its images), anti-aliased shapes
// from signed distances or polygons, gradients, and text through FreeType.
// Everything is deterministic: the same inputs give the same bytes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct rgba {
  float r = 0, g = 0, b = 0, a = 0;
};
inline rgba col(float r, float g, float b, float a = 1) { return rgba{r, g, b, a}; }
// A colour from 0xRRGGBB.
rgba hex(uint32_t rgb, float a = 1);
rgba mix(const rgba& x, const rgba& y, float t);
rgba with_alpha(rgba c, float a);
float clamp01(float v);
float smoothstep(float e0, float e1, float x);

// Paint: the colour of a point (pixel centres are at +0.5).
typedef std::function<rgba(float x, float y)> paint_fn;
paint_fn solid(rgba c);
// Vertical gradient from c0 at y0 to c1 at y1 (clamped outside).
paint_fn vgrad(float y0, rgba c0, float y1, rgba c1);

class canvas {
 public:
  canvas(int w, int h);
  int w, h;
  std::vector<rgba> px;  // row-major, row 0 at the bottom

  rgba get(int x, int y) const;
  void set(int x, int y, rgba c);
  // Composites `c` with extra coverage `cover` over the pixel (source-over).
  void blend(int x, int y, rgba c, float cover = 1);
  // Pixels of the rectangle [x0, x1) x [y0, y1), replaced or composited.
  void clear_rect(int x0, int y0, int x1, int y1, rgba c = rgba{});
  void fill_rect(int x0, int y0, int x1, int y1, const paint_fn& p);
  // Shape from a signed distance (negative inside), anti-aliased over one pixel,
  // limited to the box [x0, x1) x [y0, y1).
  void fill_sdf(int x0, int y0, int x1, int y1, const std::function<float(float, float)>& sdf,
                const paint_fn& p);
  // Polygon (even-odd), 8 x 8 samples per pixel.
  void fill_polygon(const std::vector<float>& xy, const paint_fn& p);
  // Copies a region of another canvas to (dx, dy), replacing pixels.
  void copy_from(const canvas& src, int sx, int sy, int w, int h, int dx, int dy);
  // Composites a whole canvas at (dx, dy).
  void draw(const canvas& src, int dx, int dy, float opacity = 1);
  // 8-bit RGBA, row 0 first, straight alpha.
  std::vector<unsigned char> bytes() const;
};

// Signed distances.
float sd_round_box(float x, float y, float cx, float cy, float hx, float hy, float r);
float sd_circle(float x, float y, float cx, float cy, float r);
float sd_segment(float x, float y, float ax, float ay, float bx, float by);

// A soft drop shadow: the rounded box grown by `spread`, fading over `soft` pixels.
void drop_shadow(canvas& c, float cx, float cy, float hx, float hy, float r, float soft,
                 float opacity);

// Deterministic value noise in [0, 1], tileable nowhere (for clouds, terrain, grain).
float noise2(float x, float y, uint32_t seed);
float fbm(float x, float y, int octaves, uint32_t seed);

// ---- Text ----

struct font_face;  // one FreeType face
font_face* font_open(const std::string& path);
// Width in pixels of `text` at pixel size `px` (advances plus kerning).
float text_width(font_face* f, float px, const std::string& text);
// Draws `text` with its baseline at y, left edge at x, in paint `p`, hinted.
// `squeeze` below 1 narrows the glyphs horizontally.
void draw_text(canvas& c, font_face* f, float px, float x, float y, const std::string& text,
               const paint_fn& p, float tracking = 0);

// One glyph as a coverage bitmap (rows top first), with its placement.
struct glyph_bitmap {
  int w = 0, h = 0;
  int left = 0, top = 0;  // ink origin relative to the pen and baseline (top above baseline)
  float advance = 0;
  float outline_x_min = 0;  // exact left edge of the outline, pixels from the pen
  std::vector<float> cover;
};
// Renders character `code` (Unicode) at size px, hinted, its outline scaled
// horizontally by `x_scale` and moved right by `x_shift` pixels; `advance` is the
// scaled advance.
glyph_bitmap render_glyph(font_face* f, float px, unsigned code, float x_scale = 1,
                          float x_shift = 0);
