// The memory figures of the system and of this process, for the memory report.
// Codes for protection, state and type are the report's own vocabulary; each
// backend maps its system's notions onto them. A figure the system does not have
// is 0.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct PLAT_memory_status {
  uint64_t load = 0;            // percent of physical memory in use, 0..100
  uint64_t total_phys = 0, avail_phys = 0;        // bytes
  uint64_t total_page = 0, avail_page = 0;        // commit limit and what is left of it
  uint64_t total_virtual = 0, avail_virtual = 0;  // this process's address space
};
// Always succeeds; figures that cannot be read stay 0.
void PLAT_get_memory_status(PLAT_memory_status* out);

struct PLAT_process_counters {
  uint64_t page_faults = 0;
  uint64_t peak_working_set = 0, working_set = 0;        // resident bytes
  uint64_t peak_paged_pool = 0, paged_pool = 0;          // kernel memory that may be paged
  uint64_t peak_nonpaged_pool = 0, nonpaged_pool = 0;    // kernel memory held in RAM
  uint64_t peak_pagefile = 0, pagefile = 0;              // bytes in the paging area
};
// 0 with the counters, or -1 when the system cannot list per-process figures.
int PLAT_get_process_counters(PLAT_process_counters* out);

enum {
  PLAT_PROT_NA = 0x01, PLAT_PROT_R = 0x02, PLAT_PROT_RW = 0x04, PLAT_PROT_WC = 0x08,
  PLAT_PROT_X = 0x10, PLAT_PROT_XR = 0x20, PLAT_PROT_XRW = 0x40, PLAT_PROT_EWC = 0x80,
  PLAT_PROT_OTHER = 0x100,
};
enum { PLAT_STATE_COMMIT = 0x1000, PLAT_STATE_RESERVE = 0x2000, PLAT_STATE_FREE = 0x10000 };
enum { PLAT_TYPE_PRIVATE = 0x20000, PLAT_TYPE_MAPPED = 0x40000, PLAT_TYPE_IMAGE = 0x1000000 };

struct PLAT_region {
  uint64_t base = 0;        // first address
  uint64_t alloc_base = 0;  // start of the mapping this region belongs to; 0 for free space
  uint64_t size = 0;        // bytes
  int prot = 0, state = 0, type = 0;  // codes above; type 0 for free space
  std::string file;         // full path of the mapped file, "" if none
};
// The address space from 0 up to `limit`, in address order, free gaps included.
// Returns 0, or -1 when the system's map cannot be read (nothing is listed then).
int PLAT_list_regions(uint64_t limit, std::vector<PLAT_region>& out);

enum { PLAT_HEAP_REGION = 0x0001, PLAT_HEAP_UNCOMMITTED = 0x0002, PLAT_HEAP_BUSY = 0x0004 };
struct PLAT_heap_entry {
  uint64_t address = 0;   // data address, 0 when the allocator does not tell
  uint64_t size = 0;      // data bytes
  unsigned overhead = 0;  // bookkeeping bytes
  unsigned flags = 0;     // PLAT_HEAP_*; 0 a free block
  uint64_t region_committed = 0, region_uncommitted = 0;  // for a region entry
};
struct PLAT_heap {
  uint64_t handle = 0;      // the allocator's number for the heap
  int is_process_heap = 0;  // 1 for the process's default heap
  std::vector<PLAT_heap_entry> entries;
};
// The allocator's heaps, at most `max_heaps` of them.
void PLAT_list_heaps(int max_heaps, std::vector<PLAT_heap>& out);

struct PLAT_allocator_stats {
  uint64_t arena = 0, ordblks = 0, smblks = 0, hblks = 0, hblkhd = 0, usmblks = 0,
           fsmblks = 0, uordblks = 0, fordblks = 0, keepcost = 0;
};
void PLAT_get_allocator_stats(PLAT_allocator_stats* out);
