// The artwork generator's canvas, shapes, noise and text.
#include "raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

rgba hex(uint32_t rgb, float a) {
  return rgba{((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, a};
}

rgba mix(const rgba& x, const rgba& y, float t) {
  return rgba{x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
              x.a + (y.a - x.a) * t};
}

rgba with_alpha(rgba c, float a) {
  c.a = a;
  return c;
}

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float e0, float e1, float x) {
  float t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

paint_fn solid(rgba c) {
  return [c](float, float) { return c; };
}

paint_fn vgrad(float y0, rgba c0, float y1, rgba c1) {
  return [=](float, float y) { return mix(c0, c1, clamp01((y - y0) / (y1 - y0))); };
}

canvas::canvas(int w_, int h_) : w(w_), h(h_), px((size_t)w_ * h_) {}

rgba canvas::get(int x, int y) const {
  if (x < 0 || y < 0 || x >= w || y >= h) return rgba{};
  return px[(size_t)y * w + x];
}

void canvas::set(int x, int y, rgba c) {
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  px[(size_t)y * w + x] = c;
}

void canvas::blend(int x, int y, rgba c, float cover) {
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  float sa = clamp01(c.a * cover);
  if (sa <= 0) return;
  rgba& d = px[(size_t)y * w + x];
  float oa = sa + d.a * (1 - sa);
  if (oa <= 0) {
    d = rgba{};
    return;
  }
  d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
  d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
  d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
  d.a = oa;
}

void canvas::clear_rect(int x0, int y0, int x1, int y1, rgba c) {
  for (int y = y0; y < y1; y++)
    for (int x = x0; x < x1; x++) set(x, y, c);
}

void canvas::fill_rect(int x0, int y0, int x1, int y1, const paint_fn& p) {
  for (int y = y0; y < y1; y++)
    for (int x = x0; x < x1; x++) blend(x, y, p(x + 0.5f, y + 0.5f));
}

void canvas::fill_sdf(int x0, int y0, int x1, int y1, const std::function<float(float, float)>& sdf,
                      const paint_fn& p) {
  for (int y = y0; y < y1; y++)
    for (int x = x0; x < x1; x++) {
      float cx = x + 0.5f, cy = y + 0.5f;
      float cover = clamp01(0.5f - sdf(cx, cy));
      if (cover > 0) blend(x, y, p(cx, cy), cover);
    }
}

void canvas::fill_polygon(const std::vector<float>& xy, const paint_fn& p) {
  size_t n = xy.size() / 2;
  if (n < 3) return;
  float minx = 1e9f, miny = 1e9f, maxx = -1e9f, maxy = -1e9f;
  for (size_t i = 0; i < n; i++) {
    minx = std::min(minx, xy[2 * i]);
    maxx = std::max(maxx, xy[2 * i]);
    miny = std::min(miny, xy[2 * i + 1]);
    maxy = std::max(maxy, xy[2 * i + 1]);
  }
  const int S = 8;
  for (int y = (int)floorf(miny); y <= (int)ceilf(maxy); y++)
    for (int x = (int)floorf(minx); x <= (int)ceilf(maxx); x++) {
      int inside = 0;
      for (int sy = 0; sy < S; sy++)
        for (int sx = 0; sx < S; sx++) {
          float qx = x + (sx + 0.5f) / S, qy = y + (sy + 0.5f) / S;
          bool in = false;
          for (size_t i = 0, j = n - 1; i < n; j = i++) {
            float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > qy) != (yj > qy) && qx < (xj - xi) * (qy - yi) / (yj - yi) + xi) in = !in;
          }
          inside += in;
        }
      if (inside) blend(x, y, p(x + 0.5f, y + 0.5f), (float)inside / (S * S));
    }
}

void canvas::copy_from(const canvas& src, int sx, int sy, int cw, int ch, int dx, int dy) {
  for (int y = 0; y < ch; y++)
    for (int x = 0; x < cw; x++) set(dx + x, dy + y, src.get(sx + x, sy + y));
}

void canvas::draw(const canvas& src, int dx, int dy, float opacity) {
  for (int y = 0; y < src.h; y++)
    for (int x = 0; x < src.w; x++) blend(dx + x, dy + y, src.get(x, y), opacity);
}

std::vector<unsigned char> canvas::bytes() const {
  std::vector<unsigned char> out(px.size() * 4);
  for (size_t i = 0; i < px.size(); i++) {
    const rgba& c = px[i];
    // Fully transparent texels keep no colour, so identical art gives identical bytes.
    float a = clamp01(c.a);
    unsigned char ab = (unsigned char)lroundf(a * 255);
    out[4 * i + 0] = ab ? (unsigned char)lroundf(clamp01(c.r) * 255) : 0;
    out[4 * i + 1] = ab ? (unsigned char)lroundf(clamp01(c.g) * 255) : 0;
    out[4 * i + 2] = ab ? (unsigned char)lroundf(clamp01(c.b) * 255) : 0;
    out[4 * i + 3] = ab;
  }
  return out;
}

float sd_round_box(float x, float y, float cx, float cy, float hx, float hy, float r) {
  float qx = fabsf(x - cx) - (hx - r), qy = fabsf(y - cy) - (hy - r);
  float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return sqrtf(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

float sd_circle(float x, float y, float cx, float cy, float r) {
  return hypotf(x - cx, y - cy) - r;
}

float sd_segment(float x, float y, float ax, float ay, float bx, float by) {
  float px_ = x - ax, py_ = y - ay, dx = bx - ax, dy = by - ay;
  float t = clamp01((px_ * dx + py_ * dy) / (dx * dx + dy * dy));
  return hypotf(px_ - dx * t, py_ - dy * t);
}

void drop_shadow(canvas& c, float cx, float cy, float hx, float hy, float r, float soft,
                 float opacity) {
  int x0 = (int)floorf(cx - hx - soft - 1), x1 = (int)ceilf(cx + hx + soft + 1);
  int y0 = (int)floorf(cy - hy - soft - 1), y1 = (int)ceilf(cy + hy + soft + 1);
  for (int y = y0; y < y1; y++)
    for (int x = x0; x < x1; x++) {
      float d = sd_round_box(x + 0.5f, y + 0.5f, cx, cy, hx, hy, r);
      float a = 1 - smoothstep(-soft * 0.5f, soft, d);
      if (a > 0) c.blend(x, y, col(0, 0, 0, opacity), a);
    }
}

// ---- Noise ----

static uint32_t hash3(int x, int y, uint32_t seed) {
  uint32_t h = (uint32_t)x * 374761393u + (uint32_t)y * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

float noise2(float x, float y, uint32_t seed) {
  int xi = (int)floorf(x), yi = (int)floorf(y);
  float fx = x - xi, fy = y - yi;
  auto v = [&](int a, int b) { return (hash3(xi + a, yi + b, seed) & 0xffff) / 65535.0f; };
  float ux = fx * fx * (3 - 2 * fx), uy = fy * fy * (3 - 2 * fy);
  float a = v(0, 0) + (v(1, 0) - v(0, 0)) * ux;
  float b = v(0, 1) + (v(1, 1) - v(0, 1)) * ux;
  return a + (b - a) * uy;
}

float fbm(float x, float y, int octaves, uint32_t seed) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; i++) {
    sum += amp * noise2(x, y, seed + (uint32_t)i * 101u);
    norm += amp;
    x = x * 2.03f + 17.1f;
    y = y * 2.03f + 5.3f;
    amp *= 0.5f;
  }
  return sum / norm;
}

// ---- Text ----

struct font_face {
  FT_Face face;
};

static FT_Library ft_library() {
  static FT_Library lib = nullptr;
  if (!lib && FT_Init_FreeType(&lib)) {
    fprintf(stderr, "artgen: FreeType would not start\n");
    exit(1);
  }
  return lib;
}

font_face* font_open(const std::string& path) {
  font_face* f = new font_face;
  if (FT_New_Face(ft_library(), path.c_str(), 0, &f->face)) {
    fprintf(stderr, "artgen: cannot open font %s\n", path.c_str());
    exit(1);
  }
  return f;
}

glyph_bitmap render_glyph(font_face* f, float px, unsigned code, float x_scale, float x_shift) {
  glyph_bitmap g;
  FT_Set_Char_Size(f->face, 0, (FT_F26Dot6)lroundf(px * 64), 72, 72);
  // The transform applies after hinting, so a narrowed glyph keeps its crisp rows.
  FT_Matrix m = {(FT_Fixed)lroundf(x_scale * 65536), 0, 0, 0x10000};
  FT_Vector delta = {(FT_Pos)lroundf(x_shift * 64), 0};
  FT_Set_Transform(f->face, &m, &delta);
  FT_UInt index = FT_Get_Char_Index(f->face, code);
  int err = FT_Load_Glyph(f->face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL);
  FT_Set_Transform(f->face, nullptr, nullptr);
  if (err) return g;
  FT_GlyphSlot slot = f->face->glyph;
  g.advance = slot->advance.x / 64.0f;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    g.outline_x_min = box.xMin / 64.0f;
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) return g;
  const FT_Bitmap& bm = slot->bitmap;
  g.w = (int)bm.width;
  g.h = (int)bm.rows;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.cover.resize((size_t)g.w * g.h);
  for (int y = 0; y < g.h; y++)
    for (int x = 0; x < g.w; x++)
      g.cover[(size_t)y * g.w + x] = bm.buffer[y * bm.pitch + x] / 255.0f;
  return g;
}

// Decodes one UTF-8 sequence at s[i], advancing i.
static unsigned next_code(const std::string& s, size_t& i) {
  unsigned char c = (unsigned char)s[i++];
  if (c < 0x80) return c;
  int extra = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : 1;
  unsigned code = c & (0x3f >> extra);
  for (int k = 0; k < extra && i < s.size(); k++) code = (code << 6) | ((unsigned char)s[i++] & 0x3f);
  return code;
}

float text_width(font_face* f, float px, const std::string& text) {
  FT_Set_Char_Size(f->face, 0, (FT_F26Dot6)lroundf(px * 64), 72, 72);
  float w = 0;
  FT_UInt prev = 0;
  for (size_t i = 0; i < text.size();) {
    FT_UInt index = FT_Get_Char_Index(f->face, next_code(text, i));
    if (prev && FT_HAS_KERNING(f->face)) {
      FT_Vector k;
      FT_Get_Kerning(f->face, prev, index, FT_KERNING_DEFAULT, &k);
      w += k.x / 64.0f;
    }
    if (!FT_Load_Glyph(f->face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL))
      w += f->face->glyph->advance.x / 64.0f;
    prev = index;
  }
  return w;
}

void draw_text(canvas& c, font_face* f, float px, float x, float y, const std::string& text,
               const paint_fn& p, float tracking) {
  float pen = x;
  FT_UInt prev = 0;
  for (size_t i = 0; i < text.size();) {
    unsigned code = next_code(text, i);
    FT_Set_Char_Size(f->face, 0, (FT_F26Dot6)lroundf(px * 64), 72, 72);
    FT_UInt index = FT_Get_Char_Index(f->face, code);
    if (prev && FT_HAS_KERNING(f->face)) {
      FT_Vector k;
      FT_Get_Kerning(f->face, prev, index, FT_KERNING_DEFAULT, &k);
      pen += k.x / 64.0f;
    }
    prev = index;
    glyph_bitmap g = render_glyph(f, px, code);
    int ox = (int)lroundf(pen) + g.left, oy = (int)lroundf(y) + g.top;
    for (int gy = 0; gy < g.h; gy++)
      for (int gx = 0; gx < g.w; gx++) {
        float cover = g.cover[(size_t)gy * g.w + gx];
        if (cover > 0) {
          int X = ox + gx, Y = oy - 1 - gy;
          c.blend(X, Y, p(X + 0.5f, Y + 0.5f), cover);
        }
      }
    pen += g.advance + tracking;
  }
}
