// The memory report and the global allocation operators.
// Sections: size texts, the report, the heap listing, operator new and delete.
#include "shell/UTL_memory.h"

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "shell/UTL_Debug.h"
#include "shell/hl_structs.h"

int first_dump = 1;

// ---- size texts ----

void UTL_size_with_unit(uint64_t n, uint64_t* number, char* unit) {
  // The thresholds are 1.4 of each unit, compared exactly (n > 1.4 * 2^k
  // exactly when 5n > 7 * 2^k).
  if (n > 15032385536ULL) {
    *number = n >> 30;
    *unit = 'G';
  } else if (n * 5 > 7ULL * (1ULL << 20)) {
    *number = n >> 20;
    *unit = 'M';
  } else if (n * 5 > 7ULL * (1ULL << 10)) {
    *number = n >> 10;
    *unit = 'K';
  } else {
    *number = n;
    *unit = 'B';
  }
}

// Number and letter of `n` for a "% 5lld%c" or "%5llu%c" field.
struct sized {
  long long num;
  char unit;
  explicit sized(uint64_t n) {
    uint64_t v;
    UTL_size_with_unit(n, &v, &unit);
    num = (long long)v;
  }
};

// ---- the report ----

static const char* prot_text(int prot) {
  switch (prot) {
    case PLAT_PROT_NA: return "na";
    case PLAT_PROT_R: return "r";
    case PLAT_PROT_RW: return "rw";
    case PLAT_PROT_WC: return "wc";
    case PLAT_PROT_X: return "x";
    case PLAT_PROT_XR: return "xr";
    case PLAT_PROT_XRW: return "xrw";
    case PLAT_PROT_EWC: return "ewc";
  }
  return "?";
}

static const char* state_text(int state) {
  switch (state) {
    case PLAT_STATE_COMMIT: return "commit";
    case PLAT_STATE_RESERVE: return "reserve";
    case PLAT_STATE_FREE: return "free";
  }
  return "unknown";
}

static const char* type_text(const PLAT_region& r) {
  if (r.state == PLAT_STATE_FREE) return "";
  switch (r.type) {
    case PLAT_TYPE_PRIVATE: return "private";
    case PLAT_TYPE_MAPPED: return "mapped";
    case PLAT_TYPE_IMAGE: return "image";
  }
  return "unknown";
}

// Lines of a figure with its unit: `format` has one "%lld%c"-style pair.
#define SZ(v) sized(v).num, sized(v).unit

static void write_memory_status(FILE* fi, const PLAT_memory_status& ms) {
  fprintf(fi, "Windows Virtual Memory Info:\n");
  fprintf(fi, "    Load:                  % 5lld            Overall memory utilization, from 0 to 100.\n", (long long)ms.load);
  fprintf(fi, "    Total Physical Memory: %5llu%c           Total physical memory on this machine.\n", SZ(ms.total_phys));
  fprintf(fi, "    Avail Physical Memory: %5llu%c           Currently available physical memory.\n", SZ(ms.avail_phys));
  fprintf(fi, "    Total Pagefile Memory: %5llu%c           Total size of the paging file, used and available.\n", SZ(ms.total_page));
  fprintf(fi, "    Avail Pagefile Memory: %5llu%c           Available paging file.\n", SZ(ms.avail_page));
  fprintf(fi, "    Total Virtual Memory:  %5llu%c           Total virtual address space available to Vantrel, used and unused.\n", SZ(ms.total_virtual));
  fprintf(fi, "    Avail Virtual Memory:  %5llu%c           Unused virutal address space for Vantrel.\n", SZ(ms.avail_virtual));
  if (ms.total_virtual > 0x80000000ULL)
    fprintf(fi, "    This copy of Vantrel is running with 3 GB of available address space.\n");
  else
    fprintf(fi, "\tThis copy of Vantrel is running with 2 GB of available address space.\n");
}

static void write_process_counters(FILE* fi) {
  PLAT_process_counters pc;
  if (PLAT_get_process_counters(&pc) != 0) {
    fprintf(fi, "    This operating system is too old to list per-process information.\n");
    return;
  }
  fprintf(fi, "    Page faults:          % 10lld             Total page faults Vantrel has had in total.\n", (long long)pc.page_faults);
  fprintf(fi, "    Peak working set size:     %5llu%c            This is the largest amount of physical RAM Vantrel has ever needed at once time during this run.\n", SZ(pc.peak_working_set));
  fprintf(fi, "    Curr working set size:     %5llu%c            This is how much physical RAM Vantrel needs now to run without page-faulting and virtual memory thrash.\n", SZ(pc.working_set));
  fprintf(fi, "    Peak Paged-Pool Usage:     %5llu%c            This is the most memory the OS ever allocated for Vantrel-related stuff (paged pool means this stuff could be paged out.)\n", SZ(pc.peak_paged_pool));
  fprintf(fi, "    Curr Paged-Pool Usage:     %5llu%c            This is how much memory the OS has allocated for Vantrel-related stuff (paged pool, so it can be paged out.)\n", SZ(pc.paged_pool));
  fprintf(fi, "    Peak Non-Paged-Pool Usage: %5llu%c            This is how much memory the OS ever allocated for Vantrel-related stuff (non-paged pool means this stuff MUST be in physical RAM!!)\n", SZ(pc.peak_nonpaged_pool));
  fprintf(fi, "    Curr Non-Paged-Pool Usage: %5llu%c            This is how much memory the OS ever allocated for Vantrel-related stuff (paged pool means this stuff must be in RAM now. \n", SZ(pc.nonpaged_pool));
  fprintf(fi, "    Peak Pagefile Usage:       %5llu%c            This is the most page file Vantrel used during this run.\n", SZ(pc.peak_pagefile));
  fprintf(fi, "    Curr Pagefile Usage:       %5llu%c            This is how much page file Vantrel is using now.\n", SZ(pc.pagefile));
}

// The last component of a path.
static const char* last_component(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return path.c_str() + (cut == std::string::npos ? 0 : cut + 1);
}

static void write_address_space(FILE* fi, uint64_t limit) {
  fprintf(fi, "    I will now print the contents of virtual memory.\n");
  fprintf(fi, "        ptr        base_ptr     len      prot   state  type\n");
  std::vector<PLAT_region> regions;
  PLAT_list_regions(limit, regions);
  uint64_t t_free = 0, t_commit = 0, t_reserve = 0, t_image = 0, t_mapped = 0, t_private = 0,
           largest_free = 0;
  uint64_t at = 0;
  for (const PLAT_region& r : regions) {
    // Each row starts where the last ended; anything else would revisit memory.
    if (at >= limit || r.base != at || r.size == 0) break;
    fprintf(fi, "        0x%08llx 0x%08llx % 5lld%c    (%3s %7s %7s) %s\n", (unsigned long long)r.base,
            (unsigned long long)r.alloc_base, SZ(r.size), prot_text(r.prot), state_text(r.state),
            type_text(r), last_component(r.file));
    if (r.state == PLAT_STATE_COMMIT) t_commit += r.size;
    if (r.state == PLAT_STATE_RESERVE) t_reserve += r.size;
    if (r.state == PLAT_STATE_FREE) {
      t_free += r.size;
      if (r.size > largest_free) largest_free = r.size;
    } else if (r.type == PLAT_TYPE_IMAGE) {
      t_image += r.size;
    } else if (r.type == PLAT_TYPE_MAPPED) {
      t_mapped += r.size;
    } else if (r.type == PLAT_TYPE_PRIVATE) {
      t_private += r.size;
    }
    at = r.base + r.size;
  }
  fprintf(fi, "    Total Free:    % 5lld%c     This is the total free virtual address space Vantrel can use.\n", SZ(t_free));
  fprintf(fi, "    Total Commited % 5lld%c     This is all of the memory Vantrel is actually using, physical and virtual, total.\n", SZ(t_commit));
  fprintf(fi, "    Total Reserved % 5lld%c     This is virtual address space Vantrel has asked for that isn't backed with memory or pagefile yet.\n", SZ(t_reserve));
  fprintf(fi, "    Total Images   % 5lld%c     This is the total address space used for DLLs and code.\n", SZ(t_image));
  fprintf(fi, "    Total Mapped   % 5lld%c     This is the total address space used for memory-mapped files.  (Note: nedmalloc uses mapped memory for loaded scenery.)\n", SZ(t_mapped));
  fprintf(fi, "    Total Private  % 5lld%c     This is the total address space used for everything else, including heaps.\n", SZ(t_private));
  fprintf(fi, "    Largest Free   % 5lld%c     This is the largest contiguous free block of virtual address space.\n", SZ(largest_free));
}

static void write_heaps(FILE* fi) {
  std::vector<PLAT_heap> heaps;
  PLAT_list_heaps(1000, heaps);
  fprintf(fi, "    Vantrel has has %d heaps - I will now list them.\n", (int)heaps.size());
  uint64_t all_size = 0, all_free = 0, all_unco = 0, all_used = 0, all_over = 0, all_big_free = 0,
           all_big_unco = 0;
  for (const PLAT_heap& h : heaps) {
    uint64_t size, fr, unco, used, over, big_free, big_unco;
    dump_heap(fi, h, size, fr, unco, used, over, big_free, big_unco);
    all_size += size;
    all_free += fr;
    all_unco += unco;
    all_used += used;
    all_over += over;
    if (big_free > all_big_free) all_big_free = big_free;
    if (big_unco > all_big_unco) all_big_unco = big_unco;
  }
  fprintf(fi, "    Summary info for all heaps:\n");
  fprintf(fi, "        Total size:          % 5lld%c      This is the total size of all heaps including free, used blocks and overhead.\n", SZ(all_size));
  fprintf(fi, "        Total free:          % 5lld%c      This is the total free space in all heaps.\n", SZ(all_free));
  fprintf(fi, "        Total uncommitted:   % 5lld%c      This is the reserved memory for all heaps that isn't backed by anything yet.\n", SZ(all_unco));
  fprintf(fi, "        Total used:          % 5lld%c      This is how much memory is being used by Vantrel in all heaps.\n", SZ(all_used));
  fprintf(fi, "        Total overhead:      % 5lld%c      This is the total overhead - the cost of bookkeeping for all heaps.\n", SZ(all_over));
  fprintf(fi, "        Biggest uncommitted: % 5lld%c      This is the largest single uncommitted block in any heap.\n", SZ(all_big_unco));
  fprintf(fi, "        Biggest free:        % 5lld%c      This is the largest single free block in any heap.\n", SZ(all_big_free));
}

static void write_allocator(FILE* fi) {
  PLAT_allocator_stats st;
  PLAT_get_allocator_stats(&st);
  // Used minus free, as the allocator's figures stand; never below 0.
  uint64_t used = st.uordblks > st.fordblks ? st.uordblks - st.fordblks : 0;
  fprintf(fi, "NED-MALLOC INFO:\n");
  fprintf(fi, "    This version of Vantrel is using the NED allocator.\n");
  fprintf(fi, "    Arena:             %5llu%c     This is the space NED is using that was not created using mmap.\n", SZ(st.arena));
  fprintf(fi, "    Free Chunks:       %5llu       \n", (unsigned long long)st.ordblks);
  fprintf(fi, "    Mapped Space:      %5llu%c     This is the space NED has allocated for use via mmap.\n", SZ(st.hblkhd));
  fprintf(fi, "    Max Alloc Space:   %5llu%c     This is the most space NED ever had reserved from any source.\n", SZ(st.usmblks));
  fprintf(fi, "    Total Alloc Space: %5llu%c     This is the current space NED has reserved now from any source.\n", SZ(st.uordblks));
  fprintf(fi, "    Total Free Space:  %5llu%c     This is how much free space NED has in its reserves.\n", SZ(st.fordblks));
  fprintf(fi, "    Total Used Space:  %5llu%c     This is how much space Vantrel has allocated fmor NED.\n", SZ(used));
  fprintf(fi, "    Releasable Space:  %5llu%c     This is how much space NED could give back to the OS if desired.\n", SZ(st.keepcost));
}

void dump_mem_stats(const char* message) {
  xer << "OK check MemoryLog.txt! I just sent him a dump from " << (message ? message : "") << "\n";
  FILE* fi = fopen((app_path + "MemoryLog.txt").c_str(), first_dump ? "w" : "a");
  if (!fi) fi = stdout;
  first_dump = 0;
  PLAT_memory_status ms;
  PLAT_get_memory_status(&ms);
  write_memory_status(fi, ms);
  write_process_counters(fi);
  write_address_space(fi, ms.total_virtual);
  write_heaps(fi);
  write_allocator(fi);
  if (fi != stdout) fclose(fi);
  else fflush(fi);
}

// ---- the heap listing ----

void dump_heap(FILE* fi, const PLAT_heap& heap, uint64_t& total_size, uint64_t& total_free,
               uint64_t& total_unco, uint64_t& total_used, uint64_t& total_over,
               uint64_t& big_free, uint64_t& big_unco) {
  total_size = total_free = total_unco = total_used = total_over = big_free = big_unco = 0;
  fprintf(fi, "        %s 0x%04llX\n", heap.is_process_heap ? "Process Heap" : "Additional Heap",
          (unsigned long long)heap.handle);
  for (const PLAT_heap_entry& e : heap.entries) {
    fprintf(fi, "            0x%08llX   % 5lld%c+%2d   0x%04x ", (unsigned long long)e.address,
            SZ(e.size), (int)e.overhead, e.flags);
    if (e.flags & PLAT_HEAP_BUSY) fprintf(fi, "Busy ");
    if (e.flags & PLAT_HEAP_UNCOMMITTED) fprintf(fi, "Uncommitted ");
    if (e.flags & PLAT_HEAP_REGION)
      fprintf(fi, "(%lld%c used, %lld%c free)", SZ(e.region_committed), SZ(e.region_uncommitted));
    fprintf(fi, "\n");
    total_size += e.size + e.overhead;
    total_over += e.overhead;
    switch (e.flags) {
      case 0:
        total_free += e.size;
        if (e.size > big_free) big_free = e.size;
        break;
      case PLAT_HEAP_UNCOMMITTED:
        total_unco += e.size;
        if (e.size > big_unco) big_unco = e.size;
        break;
      case PLAT_HEAP_BUSY:
        total_used += e.size;
        break;
      default:
        total_over += e.size;
        break;
    }
  }
  fprintf(fi, "        Total size:          % 5lld%c      This is the total size of this heap including free, used blocks and overhead.\n", SZ(total_size));
  fprintf(fi, "        Total free:          % 5lld%c      This is the total free space in this heap.\n", SZ(total_free));
  fprintf(fi, "        Total uncommitted:   % 5lld%c      This is the reserved memory for this heap that isn't backed by anything yet.\n", SZ(total_unco));
  fprintf(fi, "        Total used:          % 5lld%c      This is how much memory is being used by Vantrel in this heap.\n", SZ(total_used));
  fprintf(fi, "        Total overhead:      % 5lld%c      This is the total overhead - the cost of bookkeeping for this heap.\n", SZ(total_over));
  fprintf(fi, "        Biggest uncommitted: % 5lld%c      This is the largest single uncommitted block in this heap.\n", SZ(big_unco));
  fprintf(fi, "        Biggest free:        % 5lld%c      This is the largest single free block in this heap.\n", SZ(big_free));
}

// ---- operator new and delete ----

void* operator new(std::size_t size, const char*, int) {
  if (size == 0) size = 1;
  for (;;) {
    void* p = malloc(size);
    if (p) return p;
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

void operator delete(void* p, const char*, int) noexcept { free(p); }

void* operator new(std::size_t size) { return operator new(size, "anonymous new", 0); }
void* operator new[](std::size_t size) { return operator new(size, "anonymous new", 0); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, std::size_t) noexcept { free(p); }
void operator delete[](void* p, std::size_t) noexcept { free(p); }
