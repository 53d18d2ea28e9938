// The two full-screen backgrounds, 1024 x 768 and opaque. The main one (texture
// 390) frames a sky over hills with the installer's own chrome: a light header
// band for the logo and the version panels, a frosted column on the left for the
// server list and a light deck at the bottom for the destination, the buttons,
// the status panel and the progress bar. The second (391) is the sky at dusk.
#include <cmath>
#include <string>

#include "artgen.h"

// Sky with clouds and layered hills, for y in [y0, y1) of a canvas.
struct sky_palette {
  uint32_t zenith, horizon, haze, cloud_lit, cloud_shade, hill_far, hill_near, ground;
  float sun_x, sun_y;
  uint32_t sun;
};

static void draw_scene(canvas& c, int y0, int y1, const sky_palette& p, uint32_t seed) {
  const float h = (float)(y1 - y0);
  const float horizon = y0 + h * 0.30f;
  for (int y = y0; y < y1; y++)
    for (int x = 0; x < c.w; x++) {
      const float fy = y + 0.5f, fx = x + 0.5f;
      float k = clamp01((fy - horizon) / (y1 - horizon));
      rgba sky = mix(hex(p.horizon), hex(p.zenith), powf(k, 0.7f));
      sky = mix(sky, hex(p.haze), clamp01(1 - k * 3.5f) * 0.6f);
      // Sun glow.
      float ds = hypotf(fx - p.sun_x, (fy - p.sun_y) * 1.4f);
      sky = mix(sky, hex(p.sun), clamp01(1 - ds / 420) * 0.55f);
      // Clouds: stretched fractal noise, thicker toward the middle of the sky.
      float n = fbm(fx / 230.0f, fy / 70.0f, 6, seed);
      float band = clamp01(1 - fabsf((fy - (horizon + h * 0.42f)) / (h * 0.45f)));
      float density = smoothstep(0.52f, 0.78f, n * (0.75f + 0.45f * band));
      if (density > 0 && fy > horizon) {
        float light = clamp01((fbm(fx / 230.0f, (fy + 9) / 70.0f, 6, seed) - n) * 6 + 0.6f);
        rgba cloud = mix(hex(p.cloud_shade), hex(p.cloud_lit), light);
        sky = mix(sky, cloud, density * 0.9f);
      }
      c.set(x, y, sky);
    }
  // Hills: three ridges, lighter and hazier with distance.
  for (int layer = 0; layer < 3; layer++) {
    const float base = horizon - layer * h * 0.09f;
    const float amp = h * (0.07f + 0.03f * layer);
    const rgba tone = mix(hex(p.hill_far), hex(p.hill_near), layer / 2.0f);
    for (int x = 0; x < c.w; x++) {
      float fx = x + 0.5f;
      float ridge = base + amp * (fbm(fx / (360.0f - layer * 80), 0.5f + layer * 3, 5, seed + 40 + layer) - 0.35f);
      for (int y = y0; y < y1 && y < ridge + 1; y++) {
        float cover = clamp01(ridge - y);
        float shade = 1 - 0.12f * clamp01((ridge - y) / (h * 0.2f));
        rgba t = tone;
        t.r *= shade, t.g *= shade, t.b *= shade;
        float grain = (noise2(fx / 3.0f, y / 3.0f, seed + 9 + layer) - 0.5f) * 0.03f;
        t.r += grain, t.g += grain, t.b += grain;
        c.blend(x, y, t, cover);
      }
    }
  }
  (void)p.ground;
}

// A frosted panel over the scene: the scene lightened and bleached toward `tint`.
static void frost(canvas& c, int x0, int y0, int x1, int y1, uint32_t tint, float amount) {
  for (int y = y0; y < y1; y++)
    for (int x = x0; x < x1; x++) c.set(x, y, mix(c.get(x, y), hex(tint), amount));
}

canvas make_background_main(const art_fonts& f) {
  canvas c(1024, 768);
  const sky_palette day = {0x3d77b8, 0xb9d6ee, 0xe4eef6, 0xffffff, 0xb8c8d9,
                           0x9fb6cc, 0x5b7f73, 0x3f5f48, 760, 470, 0xfff3d6};
  draw_scene(c, 0, 768, day, 7);

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
  const sky_palette dusk = {0x1b2b4f, 0xf0a46a, 0xf7c998, 0xffd9b0, 0x7b6a8a,
                            0x6e5f7e, 0x3b3552, 0x2a2538, 300, 300, 0xffe0a8};
  draw_scene(c, 0, 768, dusk, 21);
  return c;
}
