// A minimal PNG encoder: one IHDR, one zlib-compressed IDAT, IEND.
#include "support/png_writer.h"

#include <zlib.h>

#include <cstdio>

static void put32(std::string& s, unsigned v) {
  s += (char)(v >> 24);
  s += (char)(v >> 16);
  s += (char)(v >> 8);
  s += (char)v;
}

static void chunk(std::string& out, const char* type, const std::string& data) {
  put32(out, (unsigned)data.size());
  std::string body = std::string(type, 4) + data;
  out += body;
  put32(out, (unsigned)crc32(0, (const Bytef*)body.data(), (uInt)body.size()));
}

bool write_png(const std::string& path, int w, int h, const std::vector<unsigned char>& pixels) {
  if (w <= 0 || h <= 0 || pixels.size() < (size_t)w * h * 4) return false;
  std::string raw;
  raw.reserve((size_t)(w * 4 + 1) * h);
  for (int y = h - 1; y >= 0; y--) {
    raw += '\0';  // filter: none
    raw.append((const char*)&pixels[(size_t)y * w * 4], (size_t)w * 4);
  }
  uLongf packed_size = compressBound((uLong)raw.size());
  std::string packed(packed_size, '\0');
  if (compress2((Bytef*)&packed[0], &packed_size, (const Bytef*)raw.data(), (uLong)raw.size(), 6) != Z_OK)
    return false;
  packed.resize(packed_size);

  std::string out = "\x89PNG\r\n\x1a\n";
  std::string ihdr;
  put32(ihdr, (unsigned)w);
  put32(ihdr, (unsigned)h);
  ihdr += (char)8;  // bit depth
  ihdr += (char)6;  // RGBA
  ihdr += std::string(3, '\0');
  chunk(out, "IHDR", ihdr);
  chunk(out, "IDAT", packed);
  chunk(out, "IEND", "");
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(out.data(), 1, out.size(), f) == out.size();
  return fclose(f) == 0 && ok;
}
