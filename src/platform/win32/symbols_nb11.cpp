// Symbol lookup on Windows: the module of an address from its memory region, the
// module's file mapped afresh, and the function, source file and line from its
// CodeView "NB11" data. A program without such data (as made by GCC, which
// writes DWARF) is listed by bare addresses and its module.
#include "platform/win32/nb11.h"

#include <windows.h>

#include <cstring>

namespace {
// Bounds-checked little-endian reads over the image.
struct image_view {
  const unsigned char* p;
  size_t size;
  bool has(uint64_t off, uint64_t len) const { return off <= size && len <= size - off; }
  uint16_t u16(uint64_t off) const { return has(off, 2) ? (uint16_t)(p[off] | p[off + 1] << 8) : 0; }
  uint32_t u32(uint64_t off) const {
    return has(off, 4) ? (uint32_t)p[off] | (uint32_t)p[off + 1] << 8 | (uint32_t)p[off + 2] << 16 |
                             (uint32_t)p[off + 3] << 24
                       : 0;
  }
  // A cv_string (length byte, characters) into `dst`; "" when it does not fit the image.
  void cv_string(uint64_t off, char* dst, size_t cap) const {
    dst[0] = 0;
    if (!has(off, 1)) return;
    size_t n = p[off];
    if (!has(off + 1, n)) return;
    if (n >= cap) n = cap - 1;
    memcpy(dst, p + off + 1, n);
    dst[n] = 0;
  }
};

struct pe_sections {
  uint64_t table = 0;  // file offset of the first section header
  unsigned count = 0;
};
const unsigned kSectionHeader = 40;
}  // namespace

int nb11_lookup(const unsigned char* image, size_t size, uint64_t rel, const void* address, PLAT_symbol* out) {
  image_view v{image, size};
  if (!v.has(0, 64) || image[0] != 'M' || image[1] != 'Z') return 0;
  const uint32_t pe = v.u32(0x3C);
  if (!v.has(pe, 24) || memcmp(image + pe, "PE\0\0", 4) != 0) return 0;
  pe_sections sec;
  sec.count = v.u16(pe + 6);
  const uint16_t opt_size = v.u16(pe + 20);
  const uint64_t opt = pe + 24;
  sec.table = opt + opt_size;

  // The section holding the address, and the address's offset inside it.
  int section = -1;
  uint32_t in_section = 0;
  for (unsigned i = 0; i < sec.count; i++) {
    const uint64_t h = sec.table + (uint64_t)i * kSectionHeader;
    if (!v.has(h, kSectionHeader)) return 0;
    const uint32_t va = v.u32(h + 12), vsize = v.u32(h + 8);
    if (rel >= va && rel < (uint64_t)va + vsize) {
      section = (int)i;
      in_section = (uint32_t)(rel - va);
      break;
    }
  }
  if (section < 0) return 0;

  // The debug directory: entry 6 of the optional header's data directories.
  const uint16_t magic = v.u16(opt);
  const uint64_t dirs = opt + (magic == 0x20B ? 112 : 96);
  const uint32_t debug_va = v.u32(dirs + 6 * 8), debug_size = v.u32(dirs + 6 * 8 + 4);
  if (debug_size / 28 == 0) return 0;
  uint64_t debug_off = 0;
  bool found = false;
  for (unsigned i = 0; i < sec.count; i++) {
    const uint64_t h = sec.table + (uint64_t)i * kSectionHeader;
    const uint32_t va = v.u32(h + 12), vsize = v.u32(h + 8), raw = v.u32(h + 20);
    if (debug_va >= va && debug_va < (uint64_t)va + vsize) {
      debug_off = raw + (uint64_t)(debug_va - va);
      found = true;
      break;
    }
  }
  if (!found || !v.has(debug_off, 28)) return 0;
  const uint64_t base = v.u32(debug_off + 24);  // the first entry's raw data in the file
  if (!v.has(base, 8) || memcmp(image + base, "NB11", 4) != 0) return 0;
  const uint64_t dir = base + v.u32(base + 4);
  if (!v.has(dir, 16)) return 1;
  const uint32_t entries = v.u32(dir + 4);
  const uint16_t want_section = (uint16_t)(section + 1);

  // Functions: the procedure of the section with the greatest start not above the address.
  uint32_t best_proc = 0;
  for (uint32_t e = 0; e < entries; e++) {
    const uint64_t ent = dir + 16 + (uint64_t)e * 12;
    if (!v.has(ent, 12)) break;
    if (v.u16(ent) != CV_SST_ALIGN_SYM) continue;
    const uint64_t start = base + v.u32(ent + 4), end = start + v.u32(ent + 8);
    for (uint64_t r = start; r + 4 <= end && v.has(r, 4);) {
      const uint16_t len = v.u16(r), kind = v.u16(r + 2);
      if ((kind == CV_S_GPROC || kind == CV_S_LPROC) && v.has(r, 40)) {
        const uint32_t off = v.u32(r + 32);
        const uint16_t seg = v.u16(r + 36);
        if (seg == want_section && off <= in_section && off >= best_proc) {
          best_proc = off;
          v.cv_string(r + 39, out->function_name, sizeof out->function_name);
          out->function_address = (void*)((uintptr_t)address - in_section + off);
        }
      }
      r += (uint64_t)len + 2;
    }
  }

  // Lines: over all files and blocks of the section, the greatest offset not above it.
  uint32_t best_line = 0;
  bool have_line = false;
  for (uint32_t e = 0; e < entries; e++) {
    const uint64_t ent = dir + 16 + (uint64_t)e * 12;
    if (!v.has(ent, 12)) break;
    if (v.u16(ent) != CV_SST_SRC_MODULE) continue;
    const uint64_t sub = base + v.u32(ent + 4);
    const uint16_t files = v.u16(sub);
    for (uint16_t f = 0; f < files; f++) {
      const uint64_t file = sub + v.u32(sub + 4 + (uint64_t)f * 4);
      const uint16_t blocks = v.u16(file);
      const uint64_t name_at = file + 4 + (uint64_t)blocks * 4 + (uint64_t)blocks * 8;
      for (uint16_t b = 0; b < blocks; b++) {
        const uint64_t block = sub + v.u32(file + 4 + (uint64_t)b * 4);
        if (!v.has(block, 4) || v.u16(block) != want_section) continue;
        const uint16_t pairs = v.u16(block + 2);
        if (!v.has(block + 4, (uint64_t)pairs * 6)) continue;
        for (uint16_t k = 0; k < pairs; k++) {
          const uint32_t off = v.u32(block + 4 + (uint64_t)k * 4);
          if (off > in_section || off < best_line) continue;
          best_line = off;
          have_line = true;
          out->line_number = v.u16(block + 4 + (uint64_t)pairs * 4 + (uint64_t)k * 2);
          v.cv_string(name_at, out->file_name, sizeof out->file_name);
        }
      }
    }
  }

  // Without a line record, the module whose code range holds the address names the file.
  if (!have_line || !out->file_name[0]) {
    for (uint32_t e = 0; e < entries; e++) {
      const uint64_t ent = dir + 16 + (uint64_t)e * 12;
      if (!v.has(ent, 12)) break;
      if (v.u16(ent) != CV_SST_MODULE) continue;
      const uint64_t mod = base + v.u32(ent + 4);
      const uint16_t segs = v.u16(mod + 4);
      for (uint16_t s = 0; s < segs; s++) {
        const uint64_t si = mod + 8 + (uint64_t)s * 12;
        if (!v.has(si, 12)) break;
        const uint32_t off = v.u32(si + 4), len = v.u32(si + 8);
        if (v.u16(si) == want_section && in_section >= off && in_section < (uint64_t)off + len) {
          v.cv_string(mod + 8 + (uint64_t)segs * 12, out->file_name, sizeof out->file_name);
          out->line_number = -1;
        }
      }
    }
  }
  return 1;
}

void PLAT_lookup_symbol(const void* address, PLAT_symbol* out) {
  out->module_name[0] = out->function_name[0] = out->file_name[0] = 0;
  out->module_address = out->function_address = nullptr;
  out->line_number = -1;

  MEMORY_BASIC_INFORMATION mbi;
  if (!address || VirtualQuery(address, &mbi, sizeof mbi) == 0 || !mbi.AllocationBase) return;
  out->module_address = mbi.AllocationBase;
  const uint64_t rel = (uintptr_t)address - (uintptr_t)mbi.AllocationBase;
  char name[512];
  DWORD n = GetModuleFileNameA((HMODULE)mbi.AllocationBase, name, sizeof name);
  if (n == 0 || n >= sizeof name) return;
  memcpy(out->module_name, name, n + 1);

  HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size;
  HANDLE map = nullptr;
  const unsigned char* view = nullptr;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0) map = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (map) view = (const unsigned char*)MapViewOfFile(map, FILE_MAP_READ, 0, 0, 0);
  if (view) nb11_lookup(view, (size_t)size.QuadPart, rel, address, out);
  if (view) UnmapViewOfFile(view);
  if (map) CloseHandle(map);
  CloseHandle(file);
}
