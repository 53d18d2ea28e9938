// Memory figures on Linux: /proc/meminfo for the system, /proc/self/status and
// getrusage for the process, /proc/self/maps for the address space and glibc's
// malloc_info and mallinfo2 for the heaps and the allocator.
#include "platform/plat_memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <map>
#include <set>
#include <sys/resource.h>

// The value of a "Name:   123 kB" line of a /proc file, in bytes (a plain
// number when the line has no unit). 0 when the file or the line is missing.
static uint64_t proc_field(const char* path, const char* name) {
  FILE* f = fopen(path, "r");
  if (!f) return 0;
  char line[256];
  size_t len = strlen(name);
  uint64_t value = 0;
  while (fgets(line, sizeof(line), f)) {
    if (strncmp(line, name, len) != 0 || line[len] != ':') continue;
    char* end = nullptr;
    value = strtoull(line + len + 1, &end, 10);
    if (end && strstr(end, "kB")) value *= 1024;
    break;
  }
  fclose(f);
  return value;
}

// The top of the user address space of this process.
static uint64_t address_space_limit() {
  struct rlimit rl;
  uint64_t arch_limit = sizeof(void*) == 8 ? 0x7ffffffff000ULL : 0xC0000000ULL;
  if (getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY &&
      (uint64_t)rl.rlim_cur < arch_limit)
    return (uint64_t)rl.rlim_cur;
  return arch_limit;
}

struct map_line {
  uint64_t start, end, offset;
  char perms[5];
  std::string path;
};

static int read_maps(std::vector<map_line>& out) {
  FILE* f = fopen("/proc/self/maps", "r");
  if (!f) return -1;
  char line[4096 + 256];
  while (fgets(line, sizeof(line), f)) {
    map_line m{};
    unsigned long long start, end, offset;
    char perms[8] = {};
    int path_at = 0;
    if (sscanf(line, "%llx-%llx %7s %llx %*s %*s %n", &start, &end, perms, &offset, &path_at) < 4)
      continue;
    m.start = start;
    m.end = end;
    m.offset = offset;
    memcpy(m.perms, perms, 4);
    m.perms[4] = 0;
    if (path_at > 0) {
      m.path = line + path_at;
      while (!m.path.empty() && (m.path.back() == '\n' || m.path.back() == ' ')) m.path.pop_back();
    }
    out.push_back(m);
  }
  fclose(f);
  return 0;
}

void PLAT_get_memory_status(PLAT_memory_status* out) {
  *out = PLAT_memory_status();
  out->total_phys = proc_field("/proc/meminfo", "MemTotal");
  out->avail_phys = proc_field("/proc/meminfo", "MemAvailable");
  if (out->total_phys > 0 && out->avail_phys <= out->total_phys)
    out->load = (out->total_phys - out->avail_phys) * 100 / out->total_phys;
  out->total_page = proc_field("/proc/meminfo", "CommitLimit");
  uint64_t committed = proc_field("/proc/meminfo", "Committed_AS");
  out->avail_page = committed < out->total_page ? out->total_page - committed : 0;
  out->total_virtual = address_space_limit();
  std::vector<map_line> maps;
  uint64_t used = 0;
  if (read_maps(maps) == 0)
    for (const map_line& m : maps)
      if (m.start < out->total_virtual)
        used += (m.end < out->total_virtual ? m.end : out->total_virtual) - m.start;
  out->avail_virtual = used < out->total_virtual ? out->total_virtual - used : 0;
}

int PLAT_get_process_counters(PLAT_process_counters* out) {
  *out = PLAT_process_counters();
  FILE* f = fopen("/proc/self/status", "r");
  if (!f) return -1;
  fclose(f);
  struct rusage ru;
  if (getrusage(RUSAGE_SELF, &ru) == 0)
    out->page_faults = (uint64_t)ru.ru_minflt + (uint64_t)ru.ru_majflt;
  out->peak_working_set = proc_field("/proc/self/status", "VmHWM");
  out->working_set = proc_field("/proc/self/status", "VmRSS");
  out->nonpaged_pool = proc_field("/proc/self/status", "VmPTE");
  out->pagefile = proc_field("/proc/self/status", "VmSwap");
  return 0;
}

// The report's protection code for a maps entry. A private writable file mapping
// is copy-on-write.
static int prot_code(const map_line& m) {
  bool r = m.perms[0] == 'r', w = m.perms[1] == 'w', x = m.perms[2] == 'x';
  bool cow = w && m.perms[3] == 'p' && !m.path.empty() && m.path[0] == '/';
  if (!r && !w && !x) return PLAT_PROT_NA;
  if (r && !w && !x) return PLAT_PROT_R;
  if (r && w && !x) return cow ? PLAT_PROT_WC : PLAT_PROT_RW;
  if (!r && !w && x) return PLAT_PROT_X;
  if (r && !w && x) return PLAT_PROT_XR;
  if (r && w && x) return cow ? PLAT_PROT_EWC : PLAT_PROT_XRW;
  return PLAT_PROT_OTHER;
}

int PLAT_list_regions(uint64_t limit, std::vector<PLAT_region>& out) {
  std::vector<map_line> maps;
  if (read_maps(maps) != 0) return -1;
  // A file with an executable mapping was loaded as a program or library.
  std::set<std::string> images;
  for (const map_line& m : maps)
    if (m.perms[2] == 'x' && !m.path.empty() && m.path[0] == '/') images.insert(m.path);
  std::map<std::string, uint64_t> file_base;  // where the latest mapping of each file began
  uint64_t at = 0;
  for (const map_line& m : maps) {
    if (m.start >= limit) break;
    if (m.start > at) {
      PLAT_region gap;
      gap.base = at;
      gap.size = m.start - at;
      gap.prot = PLAT_PROT_NA;
      gap.state = PLAT_STATE_FREE;
      out.push_back(gap);
    }
    PLAT_region r;
    r.base = m.start;
    r.size = (m.end < limit ? m.end : limit) - m.start;
    r.prot = prot_code(m);
    bool is_file = !m.path.empty() && m.path[0] == '/';
    // Address space held back without access (guard pages, the unused part of a
    // thread heap) is reserved rather than committed.
    r.state = (r.prot == PLAT_PROT_NA && !is_file) ? PLAT_STATE_RESERVE : PLAT_STATE_COMMIT;
    if (is_file) {
      r.file = m.path;
      if (m.offset == 0 || !file_base.count(m.path)) file_base[m.path] = m.start;
      r.alloc_base = file_base[m.path];
      r.type = images.count(m.path) ? PLAT_TYPE_IMAGE : PLAT_TYPE_MAPPED;
    } else {
      r.alloc_base = m.start;
      r.type = m.path == "[vdso]" ? PLAT_TYPE_IMAGE : PLAT_TYPE_PRIVATE;
    }
    out.push_back(r);
    at = m.start + r.size;
  }
  if (at < limit) {
    PLAT_region gap;
    gap.base = at;
    gap.size = limit - at;
    gap.prot = PLAT_PROT_NA;
    gap.state = PLAT_STATE_FREE;
    out.push_back(gap);
  }
  return 0;
}

// The number after `key="` in `s`, 0 when absent.
static uint64_t xml_attr(const char* s, const char* key) {
  char pat[32];
  snprintf(pat, sizeof(pat), "%s=\"", key);
  const char* p = strstr(s, pat);
  return p ? strtoull(p + strlen(pat), nullptr, 10) : 0;
}

// The heaps from glibc's malloc_info report: per arena, its used part as one busy
// entry, each size class of free chunks as one free entry (the top chunk and
// what the classes do not show as one more), and address space the arena holds
// without using as an uncommitted entry. glibc does not tell chunk addresses.
void PLAT_list_heaps(int max_heaps, std::vector<PLAT_heap>& out) {
  char* text = nullptr;
  size_t len = 0;
  FILE* f = open_memstream(&text, &len);
  if (!f) return;
  malloc_info(0, f);
  fclose(f);
  PLAT_heap heap;
  bool in_heap = false;
  uint64_t listed_free = 0, fast = 0, rest = 0, current = 0, aspace = 0, mprotect = 0;
  for (char* line = strtok(text, "\n"); line; line = strtok(nullptr, "\n")) {
    if (strstr(line, "<heap ")) {
      heap = PLAT_heap();
      heap.handle = xml_attr(line, "nr");
      heap.is_process_heap = heap.handle == 0;
      in_heap = true;
      listed_free = fast = rest = current = aspace = mprotect = 0;
    } else if (!in_heap) {
      continue;
    } else if (strstr(line, "<size ") || strstr(line, "<unsorted ")) {
      PLAT_heap_entry e;
      e.size = xml_attr(line, "total");
      if (e.size == 0) continue;
      listed_free += e.size;
      heap.entries.push_back(e);
    } else if (strstr(line, "type=\"fast\"")) {
      fast = xml_attr(line, "size");
    } else if (strstr(line, "type=\"rest\"")) {
      rest = xml_attr(line, "size");
    } else if (strstr(line, "<system type=\"current\"")) {
      current = xml_attr(line, "size");
    } else if (strstr(line, "<aspace type=\"total\"")) {
      aspace = xml_attr(line, "size");
    } else if (strstr(line, "<aspace type=\"mprotect\"")) {
      mprotect = xml_attr(line, "size");
    } else if (strstr(line, "</heap>")) {
      uint64_t free_total = fast + rest;
      if (free_total > listed_free) {
        PLAT_heap_entry top;
        top.size = free_total - listed_free;
        heap.entries.push_back(top);
      }
      PLAT_heap_entry busy;
      busy.size = current > free_total ? current - free_total : 0;
      busy.flags = PLAT_HEAP_BUSY;
      heap.entries.insert(heap.entries.begin(), busy);
      if (aspace > mprotect) {
        PLAT_heap_entry unco;
        unco.size = aspace - mprotect;
        unco.flags = PLAT_HEAP_UNCOMMITTED;
        heap.entries.push_back(unco);
      }
      if ((int)out.size() < max_heaps) out.push_back(heap);
      in_heap = false;
    }
  }
  free(text);
}

void PLAT_get_allocator_stats(PLAT_allocator_stats* out) {
  struct mallinfo2 mi = mallinfo2();
  out->arena = mi.arena;
  out->ordblks = mi.ordblks;
  out->smblks = mi.smblks;
  out->hblks = mi.hblks;
  out->hblkhd = mi.hblkhd;
  out->fsmblks = mi.fsmblks;
  out->uordblks = mi.uordblks;
  out->fordblks = mi.fordblks;
  out->keepcost = mi.keepcost;
  // glibc leaves usmblks at 0; malloc_info has the most the arenas ever held.
  out->usmblks = 0;
  char* text = nullptr;
  size_t len = 0;
  FILE* f = open_memstream(&text, &len);
  if (!f) return;
  malloc_info(0, f);
  fclose(f);
  const char* last_max = nullptr;
  for (const char* p = text; (p = strstr(p, "<system type=\"max\"")); p++) last_max = p;
  if (last_max) out->usmblks = xml_attr(last_max, "size");
  free(text);
}
