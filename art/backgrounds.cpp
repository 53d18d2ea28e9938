// The two full-screen backgrounds, 1024 x 768 and opaque. The main one (texture
// 390) frames a sky over hills with the installer's own chrome: a light header
// band for the logo and the version panels, a frosted column on the left for the
// server list and a light deck at the bottom for the destination, the buttons,
// the status panel and the progress bar. The second (391) is the sky at dusk.
#include <cmath>
#include <string>

#include "artgen.h"

// Sky with clouds, layered mountains and an airliner, for rows [y0, y1).
struct sky_palette {
  uint32_t zenith, horizon, glow, cloud_lit, cloud_shade;
  uint32_t ridge[4];  // far to near
  float sun_x, sun_y;
  float snow;  // how much snow the far ridges carry
  uint32_t plane;
};

// Height of a mountain ridge at x: rolling fractal noise with sharpened peaks.
static float ridge_height(float x, int layer, uint32_t seed) {
  float scale = 520.0f - layer * 110.0f;
  float n = fbm(x / scale, 3.7f * layer + 1.3f, 5, seed + 40 + (uint32_t)layer);
  float p = 1 - fabsf(2 * fbm(x / (scale * 0.55f), 9.1f + layer, 4, seed + 90 + (uint32_t)layer) - 1);
  return n * 0.65f + p * p * 0.55f;
}

// An airliner seen from the side and a little below, nose toward +x, scaled by k.
static void draw_airliner(canvas& c, float x, float y, float k, float angle, uint32_t tone,
                          float opacity) {
  const float ca = cosf(angle), sa = sinf(angle);
  auto place = [&](std::vector<float> pts) {
    for (size_t i = 0; i < pts.size(); i += 2) {
      float px = pts[i] * k, py = pts[i + 1] * k;
      pts[i] = x + px * ca - py * sa;
      pts[i + 1] = y + px * sa + py * ca;
    }
    return pts;
  };
  const rgba body = hex(tone, opacity), shade = mix(hex(tone), hex(0x000000), 0.25f);
  // Far wing and tailplane first, darker.
  c.fill_polygon(place({-4, 1, 10, 1, -12, 17, -18, 17}), solid(with_alpha(shade, opacity)));
  c.fill_polygon(place({-44, 2, -36, 2, -50, 10, -54, 10}), solid(with_alpha(shade, opacity)));
  // Fuselage: a long capsule with a tapered tail.
  std::vector<float> hull;
  for (int i = 0; i <= 16; i++) {  // nose, a half circle
    float t = (float)M_PI * (-0.5f + i / 16.0f);
    hull.push_back(46 + 6 * cosf(t) * 1.6f);
    hull.push_back(5 * sinf(t));
  }
  const float tail[] = {-40, -5, -52, 2, -56, 6, -52, 6, -40, 5};
  for (float v : tail) hull.push_back(v);
  // Reverse the tail part's winding into the loop.
  std::vector<float> loop;
  for (size_t i = 0; i < 34; i++) loop.push_back(hull[i]);
  loop.push_back(-40), loop.push_back(5), loop.push_back(-52), loop.push_back(6);
  loop.push_back(-56), loop.push_back(6), loop.push_back(-52), loop.push_back(2);
  loop.push_back(-40), loop.push_back(-5);
  c.fill_polygon(place(loop), solid(body));
  // Fin, near wing, near tailplane, engine.
  c.fill_polygon(place({-40, 5, -48, 5, -60, 24, -54, 24}), solid(body));
  c.fill_polygon(place({-2, -2, 12, -2, -14, -22, -21, -22}), solid(body));
  c.fill_polygon(place({-46, 0, -38, 0, -52, -9, -56, -9}), solid(body));
  std::vector<float> engine = place({-4, -9, 8, -9, 8, -14, -4, -14});
  c.fill_polygon(engine, solid(with_alpha(shade, opacity)));
}

static void draw_scene(canvas& c, int y0, int y1, const sky_palette& p, uint32_t seed) {
  const float h = (float)(y1 - y0);
  const float horizon = y0 + h * 0.27f;
  for (int y = y0; y < y1; y++)
    for (int x = 0; x < c.w; x++) {
      const float fy = y + 0.5f, fx = x + 0.5f;
      float k = clamp01((fy - horizon) / (y1 - horizon));
      rgba sky = mix(hex(p.horizon), hex(p.zenith), powf(k, 0.62f));
      // The sun's glow, wide and soft.
      float ds = hypotf((fx - p.sun_x) * 0.8f, fy - p.sun_y);
      sky = mix(sky, hex(p.glow), clamp01(1 - ds / 520) * clamp01(1 - ds / 520) * 0.75f);
      // Cumulus: fractal noise, flattened, with lit tops and grey bases.
      float n = fbm(fx / 260.0f, fy / 95.0f, 6, seed);
      float band = clamp01(1 - fabsf((fy - (horizon + h * 0.40f)) / (h * 0.42f)));
      float density = smoothstep(0.50f, 0.74f, n * (0.70f + 0.50f * band));
      if (density > 0 && fy > horizon + 12) {
        float above = fbm(fx / 260.0f, (fy + 14) / 95.0f, 6, seed);
        float light = clamp01((n - above) * 5 + 0.62f);
        rgba cloud = mix(hex(p.cloud_shade), hex(p.cloud_lit), light);
        sky = mix(sky, cloud, density * 0.92f);
      }
      c.set(x, y, sky);
    }
  // Mountains: four ridges, hazier with distance, snow on the far peaks.
  for (int layer = 0; layer < 4; layer++) {
    const float base = horizon + h * (0.015f - layer * 0.042f);
    const float amp = h * (0.105f - 0.014f * layer);
    const rgba tone = hex(p.ridge[layer]);
    for (int x = 0; x < c.w; x++) {
      const float fx = x + 0.5f;
      const float rel = ridge_height(fx, layer, seed);
      const float top = base + amp * rel;
      const float slope = (top - (base + amp * ridge_height(fx - 2, layer, seed))) / 2;
      for (int y = y0; y < y1 && y < top + 1; y++) {
        float cover = clamp01(top - y);
        float depth = clamp01((top - y) / (h * 0.18f));
        // Lit faces toward the sun, shade below the crest, a little texture.
        rgba t = mix(tone, hex(0x000000), 0.12f * depth);
        t = mix(t, hex(0xffffff), clamp01(slope * 0.5f) * 0.10f * (4 - layer) / 4 * (1 - depth));
        float rock = fbm(fx / 18.0f, y / 9.0f, 3, seed + 70 + (uint32_t)layer);
        t = mix(t, hex(0x000000), (rock - 0.5f) * 0.10f);
        if (layer < 2 && rel > 0.86f && x > 150) {
          float line = (rel - 0.86f) * amp * 2.0f + (rock - 0.5f) * 4;
          float snow = clamp01((line - (top - y)) / 2);
          t = mix(t, hex(0xf3f6fa), snow * p.snow * (layer == 0 ? 0.9f : 0.6f));
        }
        c.blend(x, y, t, cover);
      }
    }
  }
}

// A contrail: two soft parallel lines fading with distance from the aircraft.
static void draw_contrail(canvas& c, float x0, float y0, float x1, float y1, float opacity) {
  const float len = hypotf(x1 - x0, y1 - y0);
  const float nx = -(y1 - y0) / len, ny = (x1 - x0) / len;
  for (int side = -1; side <= 1; side += 2) {
    float ox = nx * 2.2f * side, oy = ny * 2.2f * side;
    int bx0 = (int)fminf(x0, x1) - 6, bx1 = (int)fmaxf(x0, x1) + 6;
    int by0 = (int)fminf(y0, y1) - 6, by1 = (int)fmaxf(y0, y1) + 6;
    for (int y = by0; y < by1; y++)
      for (int x = bx0; x < bx1; x++) {
        float px = x + 0.5f, py = y + 0.5f;
        float t = clamp01(((px - x0) * (x1 - x0) + (py - y0) * (y1 - y0)) / (len * len));
        float d = sd_segment(px, py, x0 + ox, y0 + oy, x1 + ox, y1 + oy);
        float width = 0.8f + 2.6f * (1 - t);
        float a = clamp01(1 - d / width) * opacity * (0.25f + 0.75f * t);
        if (a > 0) c.blend(x, y, hex(0xffffff), a);
      }
  }
}

// A frosted panel over the scene: the scene lightened and bleached toward `tint`.
static void frost(canvas& c, int x0, int y0, int x1, int y1, uint32_t tint, float amount) {
  for (int y = y0; y < y1; y++)
    for (int x = x0; x < x1; x++) c.set(x, y, mix(c.get(x, y), hex(tint), amount));
}

canvas make_background_main(const art_fonts& f) {
  canvas c(1024, 768);
  const sky_palette day = {0x2c66ad, 0xc9dff2, 0xfff1d2, 0xffffff, 0xa9bccf,
                           {0x9db3ca, 0x7894ad, 0x4f6f78, 0x314f45}, 820, 520, 0.9f, 0x2b3846};
  draw_scene(c, 0, 768, day, 7);
  draw_contrail(c, 420, 382, 700, 452, 0.8f);
  draw_airliner(c, 728, 459, 1.0f, 0.245f, 0x3a4c62, 1.0f);

  // Header band: logo, title and the version panels sit here.
  const int header = 588;
  for (int y = header; y < 768; y++)
    for (int x = 0; x < 1024; x++) {
      float k = (y - header) / 180.0f;
      rgba band = mix(hex(0xdde5ee), hex(0xf6f8fb), k);
      c.set(x, y, mix(c.get(x, y), band, 0.93f));
    }
  c.clear_rect(0, header, 1024, header + 1, hex(0x8593a3));
  c.clear_rect(0, header + 1, 1024, header + 2, hex(0xffffff, 1));
  for (int y = header - 6; y < header; y++)
    for (int x = 0; x < 1024; x++)
      c.blend(x, y, col(0, 0, 0, 1), 0.16f * (1 - (header - y) / 6.0f));

  // The product's name in the header, right of the logo, above the version panel.
  const std::string name = "VANTREL";
  const float name_w = text_width(f.bold, 30, name) + 3.0f * (name.size() - 1);
  draw_text(c, f.bold, 30, 150, 706, name, solid(hex(0x1b3a5e)), 3.0f);
  draw_text(c, f.regular, 15, roundf(150 + name_w + 16), 707, "Installer and Updater",
            solid(hex(0x3d6ea3)), 0.6f);
  c.clear_rect(150, 696, 620, 697, hex(0xb5c2d0));

  // Flight routes: faint dashed arcs between airports across the header's right side.
  const struct { float x0, y0, x1, y1, lift; } routes[] = {
      {690, 700, 1005, 735, 36}, {740, 750, 965, 690, 24}, {660, 728, 860, 756, 16}};
  for (const auto& r : routes) {
    const int steps = 220;
    for (int i = 0; i <= steps; i++) {
      float t = (float)i / steps;
      if ((i / 4) % 2) continue;  // dashes
      float x = r.x0 + (r.x1 - r.x0) * t, y = r.y0 + (r.y1 - r.y0) * t + r.lift * 4 * t * (1 - t);
      c.fill_sdf((int)x - 2, (int)y - 2, (int)x + 3, (int)y + 3,
                 [&](float px, float py) { return sd_circle(px, py, x, y, 0.7f); },
                 solid(hex(0x8fb0d3, 0.45f)));
    }
    for (int end = 0; end < 2; end++) {
      float x = end ? r.x1 : r.x0, y = end ? r.y1 : r.y0;
      c.fill_sdf((int)x - 5, (int)y - 5, (int)x + 6, (int)y + 6,
                 [&](float px, float py) { return fabsf(sd_circle(px, py, x, y, 3.0f)) - 0.6f; },
                 solid(hex(0x5f8fc2, 0.7f)));
    }
  }

  // Left column for the server list.
  const int deck = 132, column = 158;
  frost(c, 0, deck, column, header, 0xeef3f8, 0.80f);
  c.clear_rect(column, deck, column + 1, header, hex(0x9aa8b7));
  for (int x = column + 1; x < column + 6; x++)
    for (int y = deck; y < header; y++) c.blend(x, y, col(0, 0, 0, 1), 0.12f * (1 - (x - column - 1) / 5.0f));

  // Deck: the destination, buttons, status panel and progress bar.
  for (int y = 0; y < deck; y++)
    for (int x = 0; x < 1024; x++) {
      float k = y / (float)deck;
      rgba d = mix(hex(0xcfd8e2), hex(0xeef2f6), k);
      float grain = (noise2(x / 2.0f, y / 2.0f, 3) - 0.5f) * 0.012f;
      d.r += grain, d.g += grain, d.b += grain;
      c.set(x, y, d);
    }
  c.clear_rect(0, deck - 1, 1024, deck, hex(0x8593a3));
  c.clear_rect(0, deck - 2, 1024, deck - 1, hex(0xffffff));
  for (int y = deck; y < deck + 6; y++)
    for (int x = column; x < 1024; x++) c.blend(x, y, col(0, 0, 0, 1), 0.14f * (1 - (y - deck) / 6.0f));
  return c;
}

canvas make_background_alt(const art_fonts&) {
  canvas c(1024, 768);
  const sky_palette dusk = {0x182a52, 0xf3a56b, 0xffd9a0, 0xffcf9e, 0x6c5878,
                            {0x8a6d86, 0x5e4c69, 0x3b3150, 0x241f33}, 300, 250, 0.25f, 0x1a1726};
  draw_scene(c, 0, 768, dusk, 21);
  draw_contrail(c, 380, 520, 640, 588, 0.55f);
  draw_airliner(c, 668, 595, 1.3f, 0.255f, 0x1a1726, 1.0f);
  return c;
}
