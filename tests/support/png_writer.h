// Writes 8-bit RGBA images as PNG files (with zlib), for screenshots of what the
// tests drew.
#pragma once
#include <string>
#include <vector>

// `pixels` holds w x h RGBA pixels, rows bottom first as GL reads them; the file
// shows them the right way up. Returns false when the file cannot be written.
bool write_png(const std::string& path, int w, int h, const std::vector<unsigned char>& pixels);
