// Panels and control faces.
#include "widgets.h"

#include <cmath>

// A rounded box filled with `p`, with its outline in `edge`.
static void outlined_box(canvas& c, float x0, float y0, float x1, float y1, float r, rgba edge,
                         const paint_fn& p) {
  const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, hx = (x1 - x0) / 2, hy = (y1 - y0) / 2;
  int X0 = (int)floorf(x0) - 1, Y0 = (int)floorf(y0) - 1, X1 = (int)ceilf(x1) + 1,
      Y1 = (int)ceilf(y1) + 1;
  if (edge.a > 0)
    c.fill_sdf(X0, Y0, X1, Y1, [&](float x, float y) { return sd_round_box(x, y, cx, cy, hx, hy, r); },
               solid(edge));
  const float ri = r > 1 ? r - 1 : 0;
  c.fill_sdf(X0, Y0, X1, Y1,
             [&](float x, float y) { return sd_round_box(x, y, cx, cy, hx - 1, hy - 1, ri); }, p);
}

void draw_panel(canvas& c, int x0, int y0, int x1, int y1, const panel_style& st) {
  const float cx = (x0 + x1) / 2.0f, cy = (y0 + y1) / 2.0f;
  const float hx = (x1 - x0) / 2.0f, hy = (y1 - y0) / 2.0f;
  if (st.shadow_alpha > 0)
    drop_shadow(c, cx, cy - st.shadow_drop, hx - 1, hy - 1, st.radius + 1, st.shadow_soft,
                st.shadow_alpha);
  const rgba body = hex(st.body), edge = hex(st.edge, st.edge_alpha);
  const float top = (float)y1;
  const int title = st.title_bar;
  const bool inset = st.inset, highlight = st.highlight;
  paint_fn p = [=](float x, float y) {
    if (title && y > top - title) {
      // Title bar: a vertical gradient, a light line on top, a dark line below.
      float t = (top - y) / title;
      if (y > top - 2) return hex(0x6d97c4);
      if (y < top - title + 1) return hex(0x173456);
      return mix(hex(theme::navy_light), hex(theme::navy), t);
    }
    rgba b = body;
    if (inset) {
      if (y > top - 3) b = mix(b, hex(0x000000), y > top - 2 ? 0.16f : 0.07f);
      if (x < x0 + 2.5f) b = mix(b, hex(0x000000), 0.06f);
      if (y < y0 + 2.5f) b = mix(b, hex(0xffffff), 0.7f);
    } else if (highlight) {
      if (y > top - (title ? title : 0) - 2.5f && !title) b = mix(b, hex(0xffffff), 0.8f);
      if (x < x0 + 2.5f) b = mix(b, hex(0xffffff), 0.55f);
      if (y < y0 + 2.5f) b = mix(b, hex(0x000000), 0.06f);
    }
    return b;
  };
  outlined_box(c, (float)x0, (float)y0, (float)x1, (float)y1, st.radius, edge, p);
}

void draw_face(canvas& c, int x0, int y0, int x1, int y1, face_kind kind, float radius) {
  const float top = (float)y1, bot = (float)y0, h = (float)(y1 - y0);
  auto grad = [=](uint32_t top_rgb, uint32_t bottom_rgb) {
    return [=](float, float y) { return mix(hex(bottom_rgb), hex(top_rgb), clamp01((y - bot) / h)); };
  };
  switch (kind) {
    case face_button: {
      paint_fn g = grad(0xfdfefe, 0xd9e0e8);
      outlined_box(c, (float)x0, bot, (float)x1, top, radius, hex(0x7b8898), [=](float x, float y) {
        if (y > top - 2.5f) return hex(0xffffff);
        if (y < bot + 2.5f) return hex(0xc9d1db);
        return g(x, y);
      });
      break;
    }
    case face_button_down: {
      paint_fn g = grad(0xc3cdd8, 0xe2e8ee);
      outlined_box(c, (float)x0, bot, (float)x1, top, radius, hex(0x5f6d7d), [=](float x, float y) {
        if (y > top - 2.5f) return hex(0xa9b5c2);
        if (y > top - 3.5f) return hex(0xb9c4cf);
        return g(x, y);
      });
      break;
    }
    case face_field:
      outlined_box(c, (float)x0, bot, (float)x1, top, radius, hex(0x8391a1), [=](float, float y) {
        if (y > top - 2.5f) return hex(0xd5dce4);
        if (y > top - 3.5f) return hex(0xeef1f5);
        return hex(0xffffff);
      });
      break;
    case face_track: {
      paint_fn g = grad(0xb5c0cc, 0xd6dde5);
      outlined_box(c, (float)x0, bot, (float)x1, top, radius, hex(0x7b8898), [=](float x, float y) {
        if (y > top - 2.5f) return hex(0xa3afbc);
        return g(x, y);
      });
      break;
    }
    case face_fill: {
      outlined_box(c, (float)x0, bot, (float)x1, top, radius, hex(0x1f4f8a), [=](float, float y) {
        float t = clamp01((y - bot) / h);
        rgba base = mix(hex(0x2566b0), hex(0x58a2ea), t);
        if (t > 0.55f) base = mix(base, hex(0xffffff), 0.22f);  // gloss on the upper half
        if (y > top - 2.5f) base = hex(0x9fcaf5);
        return base;
      });
      break;
    }
    case face_bar: {
      paint_fn g = grad(0xf7f9fb, 0xdbe2ea);
      c.fill_rect(x0, y0, x1, y1, [=](float x, float y) {
        if (y < bot + 1) return hex(0x8f9bab);
        if (y > top - 1) return hex(0xffffff);
        return g(x, y);
      });
      break;
    }
    case face_title_band: {
      paint_fn g = grad(0x4b7fb6, 0x2a578a);
      outlined_box(c, (float)x0, bot, (float)x1, top, radius, hex(0x1c3f66), [=](float x, float y) {
        if (y > top - 2.5f) return hex(0x86aad3);
        return g(x, y);
      });
      break;
    }
    case face_tab:
      outlined_box(c, (float)x0, bot, (float)x1, top, radius, hex(0x8ea6c1), [=](float, float y) {
        if (y > top - 2.5f) return hex(0xf4f8fc);
        return hex(0xdce7f3);
      });
      break;
    case face_popup: {
      paint_fn g = grad(0xfdfefe, 0xdfe6ed);
      outlined_box(c, (float)x0, bot, (float)x1, top, radius, hex(0x7b8898), [=](float x, float y) {
        if (y > top - 2.5f) return hex(0xffffff);
        return g(x, y);
      });
      break;
    }
  }
}
