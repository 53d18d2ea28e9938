// The installer sheet (texture 389): 1024 texels a row, 764 rows of which the
// program embeds the first 1010 x 764 worth of bytes. It holds the main screen's
// and the licence window's buttons, each in three copies stacked downward (normal,
// under the mouse, pressed; 23 rows apart), the logo, the title-panel square of
// frame type 20 and the 24 frames of the spinning globe.
#include <cmath>
#include <string>

#include "artgen.h"
#include "widgets.h"

// One sheet button with lower-left texel (s, t) and size w x h in the state
// 0 normal, 1 under the mouse, 2 pressed. The program tints the whole button
// (green when it can be used, red when not), so the face is kept neutral.
static void draw_sheet_button(canvas& c, const art_fonts& f, int s, int t, int w, int h,
                              const std::string& text, int state) {
  const float x0 = s + 0.5f, y0 = t + 0.5f, x1 = s + w - 0.5f, y1 = t + h - 0.5f;
  const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, hx = (x1 - x0) / 2, hy = (y1 - y0) / 2;
  const float r = 5;
  uint32_t edge = state == 1 ? 0x2a5f99 : (state == 2 ? 0x203c5c : 0x4d5b6b);
  c.fill_sdf(s, t, s + w, t + h, [&](float x, float y) { return sd_round_box(x, y, cx, cy, hx, hy, r); },
             solid(hex(edge)));
  uint32_t top_rgb = state == 0 ? 0xffffff : (state == 1 ? 0xffffff : 0xb7c2ce);
  uint32_t bot_rgb = state == 0 ? 0xc9d2dc : (state == 1 ? 0xd6e4f2 : 0xe3e9ef);
  c.fill_sdf(s, t, s + w, t + h,
             [&](float x, float y) { return sd_round_box(x, y, cx, cy, hx - 1, hy - 1, r - 1); },
             [&](float, float y) {
               float k = clamp01((y - y0) / (y1 - y0));
               rgba base = mix(hex(bot_rgb), hex(top_rgb), k);
               if (state != 2 && k > 0.5f) base = mix(base, hex(0xffffff), 0.35f);  // gloss
               if (state == 2 && y > y1 - 3) base = mix(base, hex(0x000000), 0.12f);
               return base;
             });
  if (state == 1) {
    // A soft blue ring inside the edge marks the button under the mouse.
    c.fill_sdf(s, t, s + w, t + h,
               [&](float x, float y) {
                 float d = sd_round_box(x, y, cx, cy, hx - 1, hy - 1, r - 1);
                 return fabsf(d + 0.5f) - 0.5f;
               },
               solid(hex(0x6ea8e6, 0.9f)));
  }
  const float px = 11;
  float tw = text_width(f.bold, px, text) + 0.6f * (text.size() - 1);
  float tx = roundf(s + (w - tw) / 2);
  float ty = t + 7 - (state == 2 ? 1 : 0);
  draw_text(c, f.bold, px, tx, ty + (state == 2 ? 0 : -1) + 1, text, solid(hex(0xffffff, 0.55f)), 0.6f);
  draw_text(c, f.bold, px, tx, ty + 1, text, solid(hex(theme::ink)), 0.6f);
}

static void draw_button_column(canvas& c, const art_fonts& f, int s, int t, int w,
                               const std::string& text) {
  const int h = 22;
  for (int state = 0; state < 3; state++) draw_sheet_button(c, f, s, t - state * (h + 1), w, h, text, state);
}

// The logo, 128 x 86 at (644, 33): a pair of wings behind a ring where the globe
// spins (the icon is drawn over the logo at its offset (29, 13)), and the name below.
static void draw_logo(canvas& c, const art_fonts& f) {
  const int s = 644, t = 33;
  const float gx = s + 29 + 32, gy = t + 13 + 32;  // the globe's centre
  // Wings: swept feathers fanning out from the ring, three layers per side.
  for (int side = -1; side <= 1; side += 2) {
    for (int k = 0; k < 4; k++) {
      const float inner = 26, outer = 64 - k * 7.5f;
      const float y_root = gy + 6 - k * 8.5f, y_tip = gy + 15 - k * 7.0f;
      std::vector<float> poly = {gx + side * inner, y_root + 5.5f, gx + side * outer, y_tip + 2.6f,
                                 gx + side * (outer - 3.5f), y_tip - 3.4f, gx + side * inner, y_root - 3.5f};
      uint32_t top = k == 0 ? 0x2c5f96 : (k == 1 ? 0x3a72ad : (k == 2 ? 0x5589c0 : 0x79a6d4));
      c.fill_polygon(poly, vgrad(y_root - 4, hex(0x173a61), y_tip + 3, hex(top)));
      // A light edge along each feather's upper side.
      c.fill_sdf(s, t, s + 128, t + 86,
                 [&](float x, float y) {
                   return sd_segment(x, y, gx + side * inner, y_root + 5.0f, gx + side * outer, y_tip + 2.2f) - 0.45f;
                 },
                 solid(hex(0xd6e6f7, 0.75f)));
    }
  }
  // The ring: a polished bezel around the globe.
  c.fill_sdf(s, t, s + 128, t + 86, [&](float x, float y) { return sd_circle(x, y, gx, gy, 31.5f); },
             vgrad(gy - 31, hex(0x5b6b7d), gy + 31, hex(0xf2f5f8)));
  c.fill_sdf(s, t, s + 128, t + 86, [&](float x, float y) { return sd_circle(x, y, gx, gy, 29.2f); },
             vgrad(gy - 29, hex(0xe9eef3), gy + 29, hex(0x4f5f71)));
  c.fill_sdf(s, t, s + 128, t + 86, [&](float x, float y) { return sd_circle(x, y, gx, gy, 28.0f); },
             solid(hex(0x0d2340)));
  // The name, letter-spaced below the ring.
  const std::string name = "VANTREL";
  const float px = 11, track = 2.2f;
  float tw = text_width(f.bold, px, name) + track * (name.size() - 1);
  draw_text(c, f.bold, px, roundf(gx - tw / 2), t + 1, name, solid(hex(0x1b3a5e)), track);
}

canvas make_installer_sheet(const art_fonts& f) {
  canvas c(1024, 764);
  draw_button_column(c, f, 513, 166, 126, "DESTINATION");
  draw_button_column(c, f, 640, 166, 83, "INSTALL");
  draw_button_column(c, f, 780, 166, 51, "QUIT");
  draw_button_column(c, f, 832, 166, 85, "DECLINE");
  draw_button_column(c, f, 918, 166, 59, "ACCEPT");
  draw_button_column(c, f, 822, 235, 116, "VISIT STORE");
  draw_logo(c, f);
  // Frame type 20: the title panel of the main screen, square 41 at (774, 78),
  // margins 1; borders are 12.3 rows, so the panel's own edges stay within them.
  panel_style card;
  card.body = 0xf5f7fa;
  card.edge = 0x8d9aa9;
  card.radius = 4;
  card.shadow_soft = 1.2f;
  card.shadow_alpha = 0.25f;
  card.shadow_drop = 0.6f;
  draw_panel(c, 774 + 1, 78 + 1, 815 - 1, 119 - 1, card);
  for (int frame = 0; frame < 24; frame++) {
    const int s = 64 * (frame % 8), t = 66 + 64 * (frame / 8);
    draw_globe(c, s + 32.0f, t + 32.0f, 27.0f, frame);
  }
  return c;
}
