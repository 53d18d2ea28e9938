// The spinning globe of the installer's animated icon: an orthographic view of a
// planet with procedural continents, lit from the upper left, turned 15 degrees
// further east in each of its 24 frames so the loop is seamless.
#include <cmath>

#include "artgen.h"

static float hash01(int x, int y, int z) {
  uint32_t h = (uint32_t)x * 73856093u ^ (uint32_t)y * 19349663u ^ (uint32_t)z * 83492791u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xffff) / 65535.0f;
}

static float noise3(float x, float y, float z) {
  int xi = (int)floorf(x), yi = (int)floorf(y), zi = (int)floorf(z);
  float fx = x - xi, fy = y - yi, fz = z - zi;
  auto s = [](float t) { return t * t * (3 - 2 * t); };
  float ux = s(fx), uy = s(fy), uz = s(fz);
  float v[2][2][2];
  for (int a = 0; a < 2; a++)
    for (int b = 0; b < 2; b++)
      for (int d = 0; d < 2; d++) v[a][b][d] = hash01(xi + a, yi + b, zi + d);
  float x00 = v[0][0][0] + (v[1][0][0] - v[0][0][0]) * ux;
  float x10 = v[0][1][0] + (v[1][1][0] - v[0][1][0]) * ux;
  float x01 = v[0][0][1] + (v[1][0][1] - v[0][0][1]) * ux;
  float x11 = v[0][1][1] + (v[1][1][1] - v[0][1][1]) * ux;
  float y0 = x00 + (x10 - x00) * uy, y1 = x01 + (x11 - x01) * uy;
  return y0 + (y1 - y0) * uz;
}

// Land height at a point of the unit sphere: above 0.5 is land.
static float terrain(float x, float y, float z) {
  float sum = 0, amp = 0.55f, f = 1.25f;
  for (int i = 0; i < 4; i++) {
    sum += amp * noise3(x * f + 11.3f, y * f + 3.1f, z * f + 7.7f);
    f *= 2.1f;
    amp *= 0.5f;
  }
  return sum / 1.0f;
}

void draw_globe(canvas& c, float cx, float cy, float radius, int frame) {
  const float spin = frame * (float)(2 * M_PI / 24);
  const float tilt = 0.38f;  // the axis leans toward the viewer's upper right
  const int S = 3;           // samples per pixel side
  const float lx = -0.55f, ly = 0.62f, lz = 0.56f;  // light direction
  for (int py = (int)(cy - radius - 2); py <= (int)(cy + radius + 2); py++)
    for (int px = (int)(cx - radius - 2); px <= (int)(cx + radius + 2); px++) {
      float r = 0, g = 0, b = 0, cover = 0;
      for (int sy = 0; sy < S; sy++)
        for (int sx = 0; sx < S; sx++) {
          float u = (px + (sx + 0.5f) / S - cx) / radius, v = (py + (sy + 0.5f) / S - cy) / radius;
          float d2 = u * u + v * v;
          if (d2 > 1) continue;
          float w = sqrtf(1 - d2);
          // View-space normal (u, v, w) into the planet's frame: undo the tilt, then the spin.
          float y1 = v * cosf(tilt) - w * sinf(tilt), z1 = v * sinf(tilt) + w * cosf(tilt);
          float x2 = u * cosf(spin) - z1 * sinf(spin), z2 = u * sinf(spin) + z1 * cosf(spin);
          float lat = asinf(fmaxf(-1, fminf(1, y1)));
          float h = terrain(x2, y1, z2);
          rgba surf;
          float ice = smoothstep(1.30f, 1.40f, fabsf(lat));
          if (h > 0.52f) {
            float k = clamp01((h - 0.52f) / 0.2f);
            rgba lowland = mix(hex(0x4f8f3c), hex(0x8a9a52), clamp01(fabsf(lat) * 0.4f + k * 0.6f));
            surf = mix(lowland, hex(0xb79a6a), clamp01(k * 1.3f - 0.35f));
          } else {
            float k = clamp01((0.52f - h) / 0.2f);
            surf = mix(hex(0x2f7cc0), hex(0x123f7a), k);
          }
          surf = mix(surf, hex(0xf2f6fa), 0.85f * ice);
          // Graticule: faint lines every 30 degrees of longitude and latitude.
          float lon = atan2f(x2, z2);
          float glon = fabsf(remainderf(lon, (float)(M_PI / 6))) * radius * cosf(lat);
          float glat = fabsf(remainderf(lat, (float)(M_PI / 6))) * radius;
          float line = fminf(glon, glat);
          if (line < 0.45f) surf = mix(surf, hex(0xdff0ff), 0.22f * (1 - line / 0.45f));
          float diffuse = fmaxf(0, u * lx + v * ly + w * lz);
          float shade = 0.28f + 0.82f * diffuse;
          float spec = powf(fmaxf(0, u * -0.35f + v * 0.45f + w * 0.82f), 40) * 0.45f;
          float rim = powf(1 - w, 3) * 0.55f;  // atmosphere at the limb
          rgba o = mix(with_alpha(surf, 1), hex(0x9fd2ff), rim);
          r += fminf(1, o.r * shade + spec);
          g += fminf(1, o.g * shade + spec);
          b += fminf(1, o.b * shade + spec);
          cover += 1;
        }
      if (cover > 0) c.blend(px, py, col(r / cover, g / cover, b / cover), cover / (S * S));
    }
  // A thin outer glow of atmosphere.
  c.fill_sdf((int)(cx - radius - 3), (int)(cy - radius - 3), (int)(cx + radius + 4), (int)(cy + radius + 4),
             [&](float x, float y) {
               float d = sd_circle(x, y, cx, cy, radius);
               return d < 0 ? 1.0f : d - 1.4f;
             },
             solid(hex(0x9fd2ff, 0.35f)));
}
