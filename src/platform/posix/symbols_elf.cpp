// The symbol of an address from the module's own file: the ELF symbol table for
// the function, the DWARF line table for the source file and line. The file is
// mapped afresh for each lookup and read in place; nothing is allocated, so the
// crash handler may use it. Sections: file access, the ELF reader, the line
// table, names.
#include "platform/plat_debug.h"

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// In crash_posix.cpp: the file and load address of the module holding `address`.
int PLAT_module_of(const void* address, char* path_out, size_t cap, void** base_out);

// ---- file access ----

// Reads little-endian fields of a mapped file with bounds checks; a read past
// the end sets `bad` and yields 0.
struct cursor {
  const unsigned char* p;
  const unsigned char* end;
  bool bad = false;
  cursor(const unsigned char* b, const unsigned char* e) : p(b), end(e) {}
  bool has(size_t n) {
    if (bad || (size_t)(end - p) < n) {
      bad = true;
      return false;
    }
    return true;
  }
  uint64_t u(int n) {
    if (!has((size_t)n)) return 0;
    uint64_t v = 0;
    for (int i = 0; i < n; i++) v |= (uint64_t)p[i] << (8 * i);
    p += n;
    return v;
  }
  uint64_t uleb() {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      if (!has(1)) return 0;
      unsigned char b = *p++;
      if (shift < 64) v |= (uint64_t)(b & 0x7f) << shift;
      if (!(b & 0x80)) return v;
    }
  }
  int64_t sleb() {
    int64_t v = 0;
    int shift = 0;
    unsigned char b;
    do {
      if (!has(1)) return 0;
      b = *p++;
      if (shift < 64) v |= (int64_t)(b & 0x7f) << shift;
      shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40)) v |= -((int64_t)1 << shift);
    return v;
  }
  const char* str() {
    const unsigned char* s = p;
    while (p < end && *p) p++;
    if (p >= end) {
      bad = true;
      return "";
    }
    p++;
    return (const char*)s;
  }
  void skip(uint64_t n) {
    if (has((size_t)n)) p += n;
  }
};

struct mapped_file {
  const unsigned char* base = nullptr;
  size_t size = 0;
  explicit mapped_file(const char* path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_size > 0) {
      void* m = mmap(nullptr, (size_t)st.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
      if (m != MAP_FAILED) {
        base = (const unsigned char*)m;
        size = (size_t)st.st_size;
      }
    }
    close(fd);
  }
  ~mapped_file() {
    if (base) munmap((void*)base, size);
  }
};

// ---- the ELF reader ----

struct elf_section {
  uint32_t name, type;
  uint64_t flags, addr, offset, size;
  uint32_t link, info;
  uint64_t entsize;
};

struct elf_image {
  const unsigned char* data = nullptr;
  size_t size = 0;
  bool is64 = true;
  uint64_t shoff = 0, phoff = 0;
  unsigned shnum = 0, shentsize = 0, shstrndx = 0, phnum = 0, phentsize = 0;

  bool open(const unsigned char* d, size_t n) {
    if (n < 52 || memcmp(d, "\x7f" "ELF", 4) != 0 || d[5] != 1) return false;  // little-endian only
    data = d;
    size = n;
    is64 = d[4] == 2;
    cursor c(d, d + n);
    if (is64) {
      c.skip(24);
      c.u(8);  // entry
      phoff = c.u(8);
      shoff = c.u(8);
      c.u(4);
      c.u(2);
      phentsize = (unsigned)c.u(2);
      phnum = (unsigned)c.u(2);
      shentsize = (unsigned)c.u(2);
      shnum = (unsigned)c.u(2);
      shstrndx = (unsigned)c.u(2);
    } else {
      c.skip(24);
      c.u(4);
      phoff = c.u(4);
      shoff = c.u(4);
      c.u(4);
      c.u(2);
      phentsize = (unsigned)c.u(2);
      phnum = (unsigned)c.u(2);
      shentsize = (unsigned)c.u(2);
      shnum = (unsigned)c.u(2);
      shstrndx = (unsigned)c.u(2);
    }
    return !c.bad;
  }

  bool section(unsigned i, elf_section* s) const {
    if (i >= shnum || shoff + (uint64_t)(i + 1) * shentsize > size) return false;
    cursor c(data + shoff + (uint64_t)i * shentsize, data + size);
    int w = is64 ? 8 : 4;
    s->name = (uint32_t)c.u(4);
    s->type = (uint32_t)c.u(4);
    s->flags = c.u(w);
    s->addr = c.u(w);
    s->offset = c.u(w);
    s->size = c.u(w);
    s->link = (uint32_t)c.u(4);
    s->info = (uint32_t)c.u(4);
    c.u(w);
    s->entsize = c.u(w);
    return !c.bad && s->offset <= size && s->size <= size - s->offset;
  }

  const char* section_name(const elf_section& s) const {
    elf_section names;
    if (!section(shstrndx, &names) || s.name >= names.size) return "";
    const char* p = (const char*)data + names.offset + s.name;
    return memchr(p, 0, names.size - s.name) ? p : "";
  }

  bool find_section(const char* name, elf_section* out) const {
    for (unsigned i = 0; i < shnum; i++)
      if (section(i, out) && strcmp(section_name(*out), name) == 0) return true;
    return false;
  }

  // The link-time address of the start of the file: the first loaded segment's
  // address less its file offset.
  uint64_t load_bias() const {
    for (unsigned i = 0; i < phnum; i++) {
      uint64_t at = phoff + (uint64_t)i * phentsize;
      if (at + phentsize > size) break;
      cursor c(data + at, data + size);
      uint32_t type = (uint32_t)c.u(4);
      uint64_t offset, vaddr;
      if (is64) {
        c.u(4);
        offset = c.u(8);
        vaddr = c.u(8);
      } else {
        offset = c.u(4);
        vaddr = c.u(4);
      }
      if (type == 1 /* PT_LOAD */) return vaddr - offset;
    }
    return 0;
  }
};

// The string at `off` of a string section, "" when out of range.
static const char* section_string(const elf_image& elf, const elf_section& strtab, uint64_t off) {
  if (off >= strtab.size) return "";
  const char* p = (const char*)elf.data + strtab.offset + off;
  return memchr(p, 0, strtab.size - off) ? p : "";
}

static void copy_text(char* dst, size_t cap, const char* src) {
  size_t n = strlen(src);
  if (n >= cap) n = cap - 1;
  memcpy(dst, src, n);
  dst[n] = 0;
}

// Function pass: the function symbol of the address's section with the greatest
// start not above the address whose extent holds it (a later symbol wins a tie). A local function also
// names the source file its symbol group belongs to.
static void lookup_function(const elf_image& elf, uint64_t vaddr, PLAT_symbol* out,
                            uintptr_t runtime_delta, char* file_of_local, size_t file_cap) {
  unsigned section_index = 0;
  bool found = false;
  elf_section s;
  for (unsigned i = 1; i < elf.shnum && !found; i++) {
    if (!elf.section(i, &s)) continue;
    if ((s.flags & 0x2 /* SHF_ALLOC */) && s.type != 8 /* NOBITS */ && vaddr >= s.addr &&
        vaddr < s.addr + s.size) {
      section_index = i;
      found = true;
    }
  }
  if (!found) return;
  // The full symbol table when the file has one, else the dynamic one.
  elf_section symtab, strtab;
  bool have = false;
  for (uint32_t want : {2u /* SYMTAB */, 11u /* DYNSYM */}) {
    for (unsigned i = 1; i < elf.shnum && !have; i++)
      if (elf.section(i, &symtab) && symtab.type == want && elf.section(symtab.link, &strtab))
        have = true;
    if (have) break;
  }
  if (!have || symtab.entsize == 0) return;
  uint64_t count = symtab.size / symtab.entsize;
  uint64_t best = 0;
  const char* best_name = nullptr;
  const char* best_file = nullptr;
  const char* current_file = nullptr;
  for (uint64_t i = 0; i < count; i++) {
    cursor c(elf.data + symtab.offset + i * symtab.entsize, elf.data + symtab.offset + symtab.size);
    uint64_t name, value, size;
    unsigned info, shndx;
    if (elf.is64) {
      name = c.u(4);
      info = (unsigned)c.u(1);
      c.u(1);
      shndx = (unsigned)c.u(2);
      value = c.u(8);
      size = c.u(8);
    } else {
      name = c.u(4);
      value = c.u(4);
      size = c.u(4);
      info = (unsigned)c.u(1);
      c.u(1);
      shndx = (unsigned)c.u(2);
    }
    if (c.bad) break;
    unsigned type = info & 0xf, bind = info >> 4;
    if (type == 4 /* STT_FILE */) {
      current_file = section_string(elf, strtab, name);
      continue;
    }
    if ((type != 2 /* FUNC */ && type != 10 /* GNU_IFUNC */) || shndx != section_index) continue;
    if (value > vaddr || value < best) continue;
    // A function that ends before the address does not hold it: the address
    // is in code whose symbol the table leaves out (a library's static functions).
    if (size > 0 && vaddr - value >= size) continue;
    best = value;
    best_name = section_string(elf, strtab, name);
    best_file = bind == 0 /* LOCAL */ ? current_file : nullptr;
  }
  if (!best_name || !best_name[0]) return;
  if (!PLAT_demangle(best_name, out->function_name, sizeof(out->function_name)))
    copy_text(out->function_name, sizeof(out->function_name), best_name);
  out->function_address = (void*)(uintptr_t)(best + runtime_delta);
  if (best_file) copy_text(file_of_local, file_cap, best_file);
}

// ---- the line table ----

struct line_sections {
  const unsigned char* line_str = nullptr;
  size_t line_str_size = 0;
  const unsigned char* str = nullptr;
  size_t str_size = 0;
};

// A string attribute of a file or directory entry; "" when the form is not a string.
static const char* entry_string(cursor& c, uint64_t form, bool dwarf64, const line_sections& ls) {
  auto from = [](const unsigned char* sec, size_t size, uint64_t off) -> const char* {
    if (!sec || off >= size) return "";
    const char* p = (const char*)sec + off;
    return memchr(p, 0, size - off) ? p : "";
  };
  switch (form) {
    case 0x08: return c.str();                                                    // string
    case 0x1f: return from(ls.line_str, ls.line_str_size, c.u(dwarf64 ? 8 : 4));  // line_strp
    case 0x0e: return from(ls.str, ls.str_size, c.u(dwarf64 ? 8 : 4));            // strp
  }
  return nullptr;
}

// Skips one attribute of the given form; false for a form it does not know.
static bool skip_form(cursor& c, uint64_t form, bool dwarf64) {
  switch (form) {
    case 0x0b: c.u(1); return true;                           // data1
    case 0x05: c.u(2); return true;                           // data2
    case 0x06: c.u(4); return true;                           // data4
    case 0x07: c.u(8); return true;                           // data8
    case 0x1e: c.skip(16); return true;                       // data16
    case 0x0f: c.uleb(); return true;                         // udata
    case 0x0d: c.sleb(); return true;                         // sdata
    case 0x09: c.skip(c.uleb()); return true;                 // block
    case 0x08: c.str(); return true;                          // string
    case 0x1f: case 0x0e: c.u(dwarf64 ? 8 : 4); return true;  // line_strp, strp
  }
  return false;
}

// The header of one line-number program.
struct line_header {
  int version = 0;
  bool dwarf64 = false;
  int address_size = 8;
  unsigned min_inst = 1, line_range = 1, opcode_base = 1;
  int line_base = 0;
  const unsigned char* std_lengths = nullptr;
  const unsigned char* dirs = nullptr;  // start of the directory table
  const unsigned char* program = nullptr;
  const unsigned char* unit_end = nullptr;
};

static bool read_line_header(cursor& c, line_header* h) {
  uint64_t len = c.u(4);
  if (len == 0xffffffff) {
    h->dwarf64 = true;
    len = c.u(8);
  }
  if (c.bad || len > (uint64_t)(c.end - c.p)) return false;
  h->unit_end = c.p + len;
  h->version = (int)c.u(2);
  if (h->version < 2 || h->version > 5) return false;
  if (h->version >= 5) {
    h->address_size = (int)c.u(1);
    c.u(1);
  }
  uint64_t header_len = c.u(h->dwarf64 ? 8 : 4);
  if (c.bad || header_len > (uint64_t)(h->unit_end - c.p)) return false;
  h->program = c.p + header_len;
  h->min_inst = (unsigned)c.u(1);
  if (h->version >= 4) c.u(1);
  c.u(1);  // default is_stmt
  h->line_base = (int)(signed char)c.u(1);
  h->line_range = (unsigned)c.u(1);
  h->opcode_base = (unsigned)c.u(1);
  h->std_lengths = c.p;
  if (h->opcode_base > 0) c.skip(h->opcode_base - 1);
  h->dirs = c.p;
  return !c.bad && h->line_range != 0;
}

// Writes the name (with its directory when it has one) of file `index` of a
// line program into `out`.
static void line_file_name(const line_header& h, const unsigned char* section_end, uint64_t index,
                           const line_sections& ls, char* out, size_t cap) {
  cursor c(h.dirs, h.program < section_end ? h.program : section_end);
  const char* dir = "";
  const char* name = "";
  if (h.version >= 5) {
    uint64_t dir_index = 0;
    uint64_t dformat[16][2];
    unsigned dcount = (unsigned)c.u(1);
    if (dcount > 16) return;
    for (unsigned i = 0; i < dcount; i++) {
      dformat[i][0] = c.uleb();
      dformat[i][1] = c.uleb();
    }
    uint64_t ndirs = c.uleb();
    const unsigned char* dir_entries = c.p;
    for (uint64_t d = 0; d < ndirs && !c.bad; d++)
      for (unsigned i = 0; i < dcount; i++)
        if (!skip_form(c, dformat[i][1], h.dwarf64)) return;
    uint64_t fformat[16][2];
    unsigned fcount = (unsigned)c.u(1);
    if (fcount > 16) return;
    for (unsigned i = 0; i < fcount; i++) {
      fformat[i][0] = c.uleb();
      fformat[i][1] = c.uleb();
    }
    uint64_t nfiles = c.uleb();
    bool found = false;
    for (uint64_t f = 0; f < nfiles && !c.bad && !found; f++) {
      const char* fname = "";
      uint64_t fdir = 0;
      for (unsigned i = 0; i < fcount; i++) {
        uint64_t kind = fformat[i][0], form = fformat[i][1];
        if (kind == 1) {  // path
          const char* s = entry_string(c, form, h.dwarf64, ls);
          if (!s) return;
          fname = s;
        } else if (kind == 2) {  // directory index
          if (form == 0x0b) fdir = c.u(1);
          else if (form == 0x05) fdir = c.u(2);
          else if (form == 0x0f) fdir = c.uleb();
          else if (!skip_form(c, form, h.dwarf64)) return;
        } else if (!skip_form(c, form, h.dwarf64)) {
          return;
        }
      }
      if (f == index) {
        name = fname;
        dir_index = fdir;
        found = true;
      }
    }
    if (!found) return;
    cursor d(dir_entries, c.end);
    for (uint64_t di = 0; di <= dir_index && di < ndirs && !d.bad; di++)
      for (unsigned i = 0; i < dcount; i++) {
        if (dformat[i][0] == 1) {
          const char* s = entry_string(d, dformat[i][1], h.dwarf64, ls);
          if (!s) return;
          if (di == dir_index) dir = s;
        } else if (!skip_form(d, dformat[i][1], h.dwarf64)) {
          return;
        }
      }
  } else {
    // Directories are numbered from 1 (0 is the unit's own folder), files from 1.
    uint64_t ndir = 0;
    const unsigned char* dir_start = c.p;
    while (!c.bad && *c.str()) ndir++;
    uint64_t want_dir = 0;
    for (uint64_t f = 1; !c.bad; f++) {
      const char* fname = c.str();
      if (!*fname) return;
      uint64_t fdir = c.uleb();
      c.uleb();
      c.uleb();
      if (f == index) {
        name = fname;
        want_dir = fdir;
        break;
      }
    }
    if (want_dir > 0 && want_dir <= ndir) {
      cursor d(dir_start, c.end);
      for (uint64_t i = 1; i <= want_dir; i++) dir = d.str();
    }
  }
  if (c.bad) return;
  if (name[0] != '/' && dir[0])
    snprintf(out, cap, "%s/%s", dir, name);
  else
    copy_text(out, cap, name);
}

// Line pass: over every line program, the row with the greatest address not
// above `vaddr` inside a sequence that covers it (a later row wins a tie).
static void lookup_line(const elf_image& elf, uint64_t vaddr, PLAT_symbol* out) {
  elf_section debug_line, sec;
  if (!elf.find_section(".debug_line", &debug_line)) return;
  line_sections ls;
  if (elf.find_section(".debug_line_str", &sec)) {
    ls.line_str = elf.data + sec.offset;
    ls.line_str_size = sec.size;
  }
  if (elf.find_section(".debug_str", &sec)) {
    ls.str = elf.data + sec.offset;
    ls.str_size = sec.size;
  }
  const unsigned char* start = elf.data + debug_line.offset;
  const unsigned char* end = start + debug_line.size;
  const unsigned char* best_unit = nullptr;
  uint64_t best_addr = 0, best_file = 0;
  int best_line = -1;
  bool found = false;

  cursor units(start, end);
  while (units.p < end && !units.bad) {
    const unsigned char* unit_start = units.p;
    line_header h;
    cursor hc(unit_start, end);
    if (!read_line_header(hc, &h)) break;
    units.p = h.unit_end;
    cursor c(h.program, h.unit_end);
    uint64_t addr = 0, file = h.version >= 5 ? 0 : 1;
    int64_t line = 1;
    bool have_prev = false;
    uint64_t prev_addr = 0, prev_file = 0;
    int64_t prev_line = 0;
    auto row = [&](bool end_seq) {
      if (have_prev && prev_addr <= vaddr && vaddr < addr && (!found || prev_addr >= best_addr)) {
        found = true;
        best_addr = prev_addr;
        best_file = prev_file;
        best_line = (int)prev_line;
        best_unit = unit_start;
      }
      have_prev = !end_seq;
      prev_addr = addr;
      prev_file = file;
      prev_line = line;
    };
    while (c.p < h.unit_end && !c.bad) {
      unsigned op = (unsigned)c.u(1);
      if (op >= h.opcode_base) {
        unsigned adj = op - h.opcode_base;
        addr += (uint64_t)(adj / h.line_range) * h.min_inst;
        line += h.line_base + (int)(adj % h.line_range);
        row(false);
        continue;
      }
      switch (op) {
        case 0: {
          uint64_t len = c.uleb();
          if (len == 0 || !c.has((size_t)len)) {
            c.bad = true;
            break;
          }
          const unsigned char* next = c.p + len;
          unsigned sub = (unsigned)c.u(1);
          if (sub == 1) {
            row(true);
            addr = 0;
            file = h.version >= 5 ? 0 : 1;
            line = 1;
          } else if (sub == 2) {
            addr = c.u((int)(len - 1 > 8 ? 8 : len - 1));
          }
          c.p = next;
          break;
        }
        case 1: row(false); break;
        case 2: addr += c.uleb() * h.min_inst; break;
        case 3: line += c.sleb(); break;
        case 4: file = c.uleb(); break;
        case 5: c.uleb(); break;
        case 6: case 7: case 10: case 11: break;
        case 8: addr += (uint64_t)((255 - h.opcode_base) / h.line_range) * h.min_inst; break;
        case 9: addr += c.u(2); break;
        case 12: c.uleb(); break;
        default:
          for (unsigned i = 0; i < h.std_lengths[op - 1]; i++) c.uleb();
      }
    }
  }
  if (!found) return;
  line_header h;
  cursor hc(best_unit, end);
  if (!read_line_header(hc, &h)) return;
  char name[1024] = "";
  line_file_name(h, end, best_file, ls, name, sizeof(name));
  if (!name[0]) return;
  copy_text(out->file_name, sizeof(out->file_name), name);
  out->line_number = best_line;
}

void PLAT_lookup_symbol(const void* address, PLAT_symbol* out) {
  out->module_name[0] = 0;
  out->module_address = nullptr;
  out->function_name[0] = 0;
  out->function_address = nullptr;
  out->file_name[0] = 0;
  out->line_number = -1;
  void* base = nullptr;
  if (!PLAT_module_of(address, out->module_name, sizeof(out->module_name), &base)) {
    out->module_name[0] = 0;
    return;
  }
  out->module_address = base;
  mapped_file file(out->module_name);
  elf_image elf;
  if (!file.base || !elf.open(file.base, file.size)) return;
  uint64_t bias = elf.load_bias();
  uint64_t vaddr = (uintptr_t)address - (uintptr_t)base + bias;
  uintptr_t delta = (uintptr_t)base - (uintptr_t)bias;
  char local_file[1024] = "";
  lookup_function(elf, vaddr, out, delta, local_file, sizeof(local_file));
  lookup_line(elf, vaddr, out);
  if (!out->file_name[0] && local_file[0]) copy_text(out->file_name, sizeof(out->file_name), local_file);
}
