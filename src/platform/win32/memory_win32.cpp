// The memory report's figures on Windows: GlobalMemoryStatus, the process
// counters and mapped-file names of Psapi.dll (looked up at run time, so an old
// system without it still gets the rest of the report), VirtualQuery region by
// region, and HeapWalk over every heap. The report's codes are the system's own
// values, so they pass unchanged.
#include "platform/plat_memory.h"

#include <windows.h>
#include <psapi.h>

void PLAT_get_memory_status(PLAT_memory_status* out) {
  MEMORYSTATUS ms;
  ms.dwLength = sizeof ms;
  GlobalMemoryStatus(&ms);
  out->load = ms.dwMemoryLoad;
  out->total_phys = ms.dwTotalPhys;
  out->avail_phys = ms.dwAvailPhys;
  out->total_page = ms.dwTotalPageFile;
  out->avail_page = ms.dwAvailPageFile;
  out->total_virtual = ms.dwTotalVirtual;
  out->avail_virtual = ms.dwAvailVirtual;
}

static HMODULE psapi() {
  static HMODULE lib = LoadLibraryA("Psapi.dll");
  return lib;
}

int PLAT_get_process_counters(PLAT_process_counters* out) {
  typedef BOOL(WINAPI * get_info_fn)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
  HMODULE lib = psapi();
  get_info_fn get_info = lib ? (get_info_fn)(void*)GetProcAddress(lib, "GetProcessMemoryInfo") : nullptr;
  if (!get_info) return -1;
  PROCESS_MEMORY_COUNTERS pc;
  memset(&pc, 0, sizeof pc);
  pc.cb = sizeof pc;
  if (!get_info(GetCurrentProcess(), &pc, sizeof pc)) return -1;
  out->page_faults = pc.PageFaultCount;
  out->peak_working_set = pc.PeakWorkingSetSize;
  out->working_set = pc.WorkingSetSize;
  out->peak_paged_pool = pc.QuotaPeakPagedPoolUsage;
  out->paged_pool = pc.QuotaPagedPoolUsage;
  out->peak_nonpaged_pool = pc.QuotaPeakNonPagedPoolUsage;
  out->nonpaged_pool = pc.QuotaNonPagedPoolUsage;
  out->peak_pagefile = pc.PeakPagefileUsage;
  out->pagefile = pc.PagefileUsage;
  return 0;
}

static int prot_code(DWORD p) {
  switch (p) {
    case PAGE_NOACCESS: return PLAT_PROT_NA;
    case PAGE_READONLY: return PLAT_PROT_R;
    case PAGE_READWRITE: return PLAT_PROT_RW;
    case PAGE_WRITECOPY: return PLAT_PROT_WC;
    case PAGE_EXECUTE: return PLAT_PROT_X;
    case PAGE_EXECUTE_READ: return PLAT_PROT_XR;
    case PAGE_EXECUTE_READWRITE: return PLAT_PROT_XRW;
    case PAGE_EXECUTE_WRITECOPY: return PLAT_PROT_EWC;
  }
  return PLAT_PROT_OTHER;  // combined or modified protections
}

int PLAT_list_regions(uint64_t limit, std::vector<PLAT_region>& out) {
  typedef DWORD(WINAPI * mapped_name_fn)(HANDLE, LPVOID, LPSTR, DWORD);
  HMODULE lib = psapi();
  mapped_name_fn mapped_name = lib ? (mapped_name_fn)(void*)GetProcAddress(lib, "GetMappedFileNameA") : nullptr;
  uint64_t at = 0;
  while (at < limit) {
    MEMORY_BASIC_INFORMATION mbi;
    // A failed query ends the walk, so no address is visited twice.
    if (VirtualQuery((void*)(uintptr_t)at, &mbi, sizeof mbi) == 0) break;
    PLAT_region r;
    r.base = at;
    r.alloc_base = (uintptr_t)mbi.AllocationBase;
    r.size = mbi.RegionSize;
    r.prot = prot_code(mbi.Protect);
    r.state = (int)mbi.State;
    r.type = mbi.State == MEM_FREE ? 0 : (int)mbi.Type;
    if (mapped_name && mbi.State != MEM_FREE) {
      char name[1024];
      DWORD n = mapped_name(GetCurrentProcess(), (void*)(uintptr_t)at, name, sizeof name);
      if (n > 0 && n < sizeof name) r.file.assign(name, n);
    }
    out.push_back(r);
    const uint64_t next = (uintptr_t)mbi.BaseAddress + mbi.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return 0;
}

// Walks one heap under its lock. Storing entries must not allocate from a heap
// being walked, so the entries are counted first and room is made before the walk.
static void walk_heap(HANDLE heap, PLAT_heap& h) {
  size_t count = 0;
  PROCESS_HEAP_ENTRY e;
  if (!HeapLock(heap)) return;
  memset(&e, 0, sizeof e);
  while (HeapWalk(heap, &e)) count++;
  HeapUnlock(heap);
  h.entries.reserve(count + 256);
  const size_t room = h.entries.capacity();
  if (!HeapLock(heap)) return;
  memset(&e, 0, sizeof e);
  while (h.entries.size() < room && HeapWalk(heap, &e)) {
    PLAT_heap_entry x;
    x.address = (uintptr_t)e.lpData;
    x.size = e.cbData;
    x.overhead = e.cbOverhead;
    x.flags = e.wFlags & (PLAT_HEAP_REGION | PLAT_HEAP_UNCOMMITTED | PLAT_HEAP_BUSY);
    if (e.wFlags & PROCESS_HEAP_REGION) {
      x.region_committed = e.Region.dwCommittedSize;
      x.region_uncommitted = e.Region.dwUnCommittedSize;
    }
    h.entries.push_back(x);
  }
  HeapUnlock(heap);
}

void PLAT_list_heaps(int max_heaps, std::vector<PLAT_heap>& out) {
  if (max_heaps <= 0) return;
  std::vector<HANDLE> heaps((size_t)max_heaps);
  DWORD n = GetProcessHeaps((DWORD)max_heaps, heaps.data());
  if (n > (DWORD)max_heaps) n = (DWORD)max_heaps;
  out.reserve(n);
  HANDLE process_heap = GetProcessHeap();
  for (DWORD i = 0; i < n; i++) {
    out.emplace_back();
    out.back().handle = (uintptr_t)heaps[i];
    out.back().is_process_heap = heaps[i] == process_heap;
  }
  for (DWORD i = 0; i < n; i++) walk_heap(heaps[i], out[i]);
}

void PLAT_get_allocator_stats(PLAT_allocator_stats* out) {
  // The C runtime allocates from the process heap: its walk stands for the
  // allocator's statistics (nothing here is mapped apart or kept back).
  HANDLE heap = GetProcessHeap();
  PROCESS_HEAP_ENTRY e;
  if (!HeapLock(heap)) return;
  memset(&e, 0, sizeof e);
  while (HeapWalk(heap, &e)) {
    if (e.wFlags & PROCESS_HEAP_REGION) {
      out->arena += e.Region.dwCommittedSize;
      out->usmblks += (uint64_t)e.Region.dwCommittedSize + e.Region.dwUnCommittedSize;
    } else if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
      out->uordblks += e.cbData;
    } else if (!(e.wFlags & PROCESS_HEAP_UNCOMMITTED_RANGE)) {
      out->ordblks++;
      out->fordblks += e.cbData;
    }
  }
  HeapUnlock(heap);
}
