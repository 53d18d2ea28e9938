// The interface sheet (texture 388, 512 x 512): the font grid, every frame strip
// and panel square of the widget tables, the small sprites (check and list boxes
// with their marks, close boxes, digit arrows, the two arrow cursors) and the
// theme swatches the program samples its colours from. Positions are the lower-
// left texels of the sprite tables; t counts upward from the first stored row.
#include <cmath>

#include "artgen.h"
#include "widgets.h"

// ---- Frame strips (3-slice, drawn by BTN_frame1) ----

// Strip types 0..10 at their sheet boxes: corner, size, and the face drawn inside.
static void draw_strips(canvas& c) {
  // 0: window-manager bar, 100 x 26 at (1, 487). Its 26th row lies past the
  // sheet's top and samples row 0 (blank glyph space), so it is left transparent.
  draw_face(c, 1, 488, 101, 512, face_bar, 0);
  // 1: title band across a window, 100 x 26 at (102, 487), caps of 20.
  draw_face(c, 102 + 1, 488, 202 - 1, 511, face_title_band, 4);
  // 2 and 3: push button up and pressed, 52 x 26 at (304, 486) and (304, 459);
  // the face takes rows 3..22 so the label (baseline 3 below the centre) sits centred.
  draw_face(c, 305, 486 + 3, 355, 486 + 23, face_button, 4);
  draw_face(c, 305, 459 + 3, 355, 459 + 23, face_button_down, 4);
  // 4: progress track, 28 x 16 at (112, 161).
  draw_face(c, 112, 161, 140, 177, face_track, 8);
  // 5: progress fill, 28 x 16 at (83, 161), inset 7 columns at each end: its top-
  // left corner is also the lower-right of the down-arrow sprite, which must stay
  // empty there.
  draw_face(c, 83 + 7, 161 + 3, 111 - 7, 177 - 3, face_fill, 3);
  // 7: tab, 65 x 24 at (240, 242).
  draw_face(c, 241, 243, 304, 265, face_tab, 4);
  // 8: small pill, 16 x 16 at (289, 219), caps of 7.
  draw_face(c, 289, 221, 305, 233, face_tab, 6);
  // 9: text and number field, 51 x 26 at (262, 133), 2 columns of margin; the box
  // takes rows 4..21 so text drawn 3 below the frame's centre sits inside.
  draw_face(c, 262 + 2, 133 + 4, 313 - 2, 133 + 22, face_field, 3);
  // 10: popup-list button, 68 x 24 at (357, 488), caps of 26: the right cap holds
  // the drop-down mark.
  draw_face(c, 357 + 2, 488 + 2, 425 - 2, 488 + 22, face_popup, 4);
  c.fill_rect(425 - 22, 488 + 5, 425 - 21, 488 + 19, solid(hex(0xb3bdc9)));
  c.fill_rect(425 - 21, 488 + 5, 425 - 20, 488 + 19, solid(hex(0xffffff)));
  const float ax = 425 - 11.5f, ay = 488 + 11.5f;
  c.fill_polygon({ax - 4, ay + 2, ax + 4, ay + 2, ax, ay - 3}, solid(hex(0x33414f)));
}

// ---- Panel squares (9-slice, drawn by BTN_frame2) ----

static panel_style window_style() {
  panel_style st;
  st.radius = 5;
  st.shadow_soft = 7;
  st.shadow_alpha = 0.42f;
  st.shadow_drop = 4;
  return st;
}

static void draw_squares(canvas& c) {
  // 11: window with title bar; 12: window without. Square 100, margins 9 / 14 / 4.
  panel_style w = window_style();
  w.title_bar = 20;
  draw_panel(c, 1 + 9, 358 + 14, 101 - 9, 458 - 4, w);
  draw_panel(c, 102 + 9, 358 + 14, 202 - 9, 458 - 4, window_style());
  // 13: inset panel inside a window (no shadow: it is recessed).
  panel_style in;
  in.body = theme::inset;
  in.edge = 0x9aa6b3;
  in.inset = true;
  in.radius = 4;
  draw_panel(c, 203 + 9, 358 + 14, 303 - 9, 458 - 4, in);
  // 14: help box, a pale note with a soft shadow.
  panel_style tip;
  tip.body = 0xfff8dc;
  tip.edge = 0xb9a768;
  tip.radius = 4;
  tip.shadow_soft = 6;
  tip.shadow_alpha = 0.35f;
  tip.shadow_drop = 3;
  tip.highlight = false;
  draw_panel(c, 304 + 9, 358 + 14, 404 - 9, 458 - 4, tip);
  // 15: dark panel (start-up and progress displays, white text).
  panel_style dark;
  dark.body = 0x1e2a38;
  dark.edge = 0x0e151d;
  dark.radius = 6;
  dark.shadow_soft = 7;
  dark.shadow_alpha = 0.5f;
  dark.shadow_drop = 4;
  dark.highlight = false;
  draw_panel(c, 405 + 9, 358 + 14, 505 - 9, 458 - 4, dark);
  // An inner light rim for the dark panel, along its top edge only (top border slice).
  c.fill_rect(405 + 9 + 5, 458 - 4 - 2, 505 - 9 - 5, 458 - 4 - 1, solid(hex(0x3d5068)));
  // 16: small raised panel, square 68, margins 2.
  panel_style small;
  small.radius = 3;
  small.shadow_soft = 2;
  small.shadow_alpha = 0.3f;
  small.shadow_drop = 1;
  draw_panel(c, 1 + 2, 289 + 2, 69 - 2, 357 - 2, small);
  // 17: popup menu box, square 42, margins 8 / 13 / 2.
  panel_style menu;
  menu.body = 0xfbfcfd;
  menu.edge = 0x7b8898;
  menu.radius = 3;
  menu.shadow_soft = 6;
  menu.shadow_alpha = 0.38f;
  menu.shadow_drop = 4;
  menu.highlight = false;
  draw_panel(c, 70 + 8, 315 + 13, 112 - 8, 357 - 2, menu);
  // 18: card, square 42, margins 8 / 13 / 2; its bottom border slice (12.6 rows) is
  // shorter than the bottom margin, so the card reaches four rows into the margin
  // to keep its rounded lower edge out of the tiled middle.
  panel_style card = menu;
  card.body = 0xf3f6f9;
  card.shadow_soft = 4;
  card.shadow_drop = 2;
  draw_panel(c, 113 + 8, 315 + 9, 155 - 8, 357 - 2, card);
  // 19: information box, square 44 at (440, 12), margins 6 / 9 / 4.
  panel_style info;
  info.body = 0xdfeaf6;
  info.edge = 0x7f9cbc;
  info.radius = 4;
  info.shadow_soft = 4;
  info.shadow_alpha = 0.3f;
  info.shadow_drop = 2;
  draw_panel(c, 440 + 6, 12 + 9, 484 - 6, 56 - 4, info);
}

// ---- Small sprites ----

// The 18 x 18 box whose centre texel is (cx, cy): pixels [cx - 9, cx + 9).
static void draw_check_box(canvas& c, int cx, int cy, bool round) {
  const float x = cx + 0.0f, y = cy + 0.0f;
  auto shape = [&](float px, float py, float grow) {
    return round ? sd_circle(px, py, x, y, 6.5f + grow) : sd_round_box(px, py, x, y, 6.5f + grow, 6.5f + grow, 2.5f + grow);
  };
  c.fill_sdf(cx - 9, cy - 9, cx + 9, cy + 9, [&](float px, float py) { return shape(px, py, 0); },
             solid(hex(0x6f7d8e)));
  c.fill_sdf(cx - 9, cy - 9, cx + 9, cy + 9, [&](float px, float py) { return shape(px, py, -1); },
             vgrad(y - 6, hex(0xffffff), y + 6, hex(0xe3e8ee)));
  c.fill_sdf(cx - 9, cy - 9, cx + 9, cy + 9,
             [&](float px, float py) {
               float d = shape(px, py, -1);
               return py > y + 3.5f ? d : 1.0f;
             },
             solid(hex(0xcbd3dc, 0.6f)));
}

static void draw_check_mark(canvas& c, int cx, int cy) {
  const float x = (float)cx, y = (float)cy;
  c.fill_sdf(cx - 9, cy - 9, cx + 9, cy + 9,
             [&](float px, float py) {
               float a = sd_segment(px, py, x - 4.2f, y + 0.2f, x - 1.2f, y - 3.2f);
               float b = sd_segment(px, py, x - 1.2f, y - 3.2f, x + 4.6f, y + 4.8f);
               return (a < b ? a : b) - 1.15f;
             },
             solid(hex(0x1f5fa8)));
}

static void draw_radio_mark(canvas& c, int cx, int cy) {
  c.fill_sdf(cx - 9, cy - 9, cx + 9, cy + 9,
             [&](float px, float py) { return sd_circle(px, py, (float)cx, (float)cy, 3.4f); },
             vgrad(cy - 3.4f, hex(0x174f8f), cy + 3.4f, hex(0x3d86d6)));
}

static void draw_close_box(canvas& c, int cx, int cy, bool pressed) {
  const float x = (float)cx, y = (float)cy;
  c.fill_sdf(cx - 9, cy - 9, cx + 9, cy + 9,
             [&](float px, float py) { return sd_round_box(px, py, x, y, 7, 7, 3); },
             solid(hex(pressed ? 0x0f2a48 : 0x163a62)));
  c.fill_sdf(cx - 9, cy - 9, cx + 9, cy + 9,
             [&](float px, float py) { return sd_round_box(px, py, x, y, 6, 6, 2); },
             pressed ? vgrad(y - 6, hex(0x8a2f25), y + 6, hex(0x6e2119))
                     : vgrad(y - 6, hex(0xb8473a), y + 6, hex(0xde6b5c)));
  c.fill_sdf(cx - 9, cy - 9, cx + 9, cy + 9,
             [&](float px, float py) {
               float a = sd_segment(px, py, x - 2.8f, y - 2.8f, x + 2.8f, y + 2.8f);
               float b = sd_segment(px, py, x - 2.8f, y + 2.8f, x + 2.8f, y - 2.8f);
               return (a < b ? a : b) - 0.85f;
             },
             solid(hex(pressed ? 0xe8d0cc : 0xffffff)));
}

// Digit arrows, 14 x 18 around (cx, cy). The down arrow keeps its ink above row
// cy - 1: its lower-right quarter overlaps the progress fill strip.
static void draw_digit_arrow(canvas& c, int cx, int cy, bool up) {
  const float x = cx + 0.0f;
  std::vector<float> tri = up ? std::vector<float>{x - 3.5f, cy - 2.0f, x + 3.5f, cy - 2.0f, x, cy + 2.0f}
                              : std::vector<float>{x - 3.5f, cy + 3.0f, x + 3.5f, cy + 3.0f, x, cy - 1.0f};
  c.fill_polygon(tri, solid(hex(0x3b4a5b)));
}

// The arrow cursors shown over number fields: a pointer with its tip at the hot
// spot (13, 19) of the 30 x 30 cell, and a badge saying which way the click counts.
static void draw_cursor(canvas& c, int x0, int y0, bool up) {
  const float hx = x0 + 13.0f, hy = y0 + 19.0f;
  std::vector<float> arrow = {hx, hy, hx, hy - 15, hx + 3.6f, hy - 11.6f, hx + 6.2f, hy - 17.2f,
                              hx + 8.4f, hy - 16.2f, hx + 5.9f, hy - 10.8f, hx + 10.8f, hy - 10.8f};
  // Outline by drawing the arrow grown, then the arrow itself.
  std::vector<float> outline;
  const float cxm = hx + 4, cym = hy - 10;
  for (size_t i = 0; i < arrow.size(); i += 2) {
    float dx = arrow[i] - cxm, dy = arrow[i + 1] - cym, len = hypotf(dx, dy);
    outline.push_back(arrow[i] + dx / len * 1.3f);
    outline.push_back(arrow[i + 1] + dy / len * 1.3f);
  }
  c.fill_polygon(outline, solid(hex(0x10161d)));
  c.fill_polygon(arrow, solid(hex(0xffffff)));
  const float bx = x0 + 22.5f, by = y0 + 6.5f;
  c.fill_sdf(x0, y0, x0 + 30, y0 + 30, [&](float px, float py) { return sd_circle(px, py, bx, by, 5.8f); },
             solid(hex(0x10161d)));
  c.fill_sdf(x0, y0, x0 + 30, y0 + 30, [&](float px, float py) { return sd_circle(px, py, bx, by, 4.8f); },
             solid(hex(0x2f6fb5)));
  std::vector<float> tri = up ? std::vector<float>{bx - 2.8f, by - 1.6f, bx + 2.8f, by - 1.6f, bx, by + 2.2f}
                              : std::vector<float>{bx - 2.8f, by + 1.6f, bx + 2.8f, by + 1.6f, bx, by - 2.2f};
  c.fill_polygon(tri, solid(hex(0xffffff)));
}

// ---- Theme swatches ----

// 8 x 8 squares around each sampled texel, so the sample is never at an edge.
static void draw_swatches(canvas& c) {
  static const struct { int row; uint32_t rgb; } k_column[] = {
      {155, theme::back},      {147, theme::rule_dark}, {139, theme::hover},
      {131, theme::rule_light}, {123, theme::menu_text}, {115, theme::title_text},
      {107, theme::accent},    {99, theme::muted},      {91, theme::label},
      {83, theme::field_text}, {75, theme::body_text},  {67, theme::help_text}};
  for (const auto& s : k_column) c.clear_rect(316, s.row - 3, 324, s.row + 5, hex(s.rgb));
  c.clear_rect(392, 112, 400, 120, hex(theme::warning));
}

canvas make_interface_sheet(const art_fonts& f) {
  canvas c(512, 512);
  draw_font_grid(c, f);
  draw_strips(c);
  draw_squares(c);
  draw_check_box(c, 187, 148, false);
  draw_check_mark(c, 206, 148);
  draw_check_box(c, 132, 92, true);
  draw_radio_mark(c, 151, 92);
  draw_close_box(c, 187, 129, false);
  draw_close_box(c, 206, 129, true);
  draw_digit_arrow(c, 83, 197, true);
  draw_digit_arrow(c, 83, 178, false);
  draw_cursor(c, 168, 325, true);
  draw_cursor(c, 168, 293, false);
  draw_swatches(c);
  return c;
}
