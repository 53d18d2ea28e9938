// The memory report "MemoryLog.txt": the system's memory figures, the process's
// counters, a map of the address space, every heap and the allocator's
// statistics. The alert writes one for every warning and fatal error.
// The global operator new and delete live here as well.
#pragma once
#include <cstdint>
#include <cstdio>

#include "platform/plat_memory.h"

extern int first_dump;  // 1 until the first report of the run (which replaces an older file)

// Writes one report: announces it in the log ("OK check MemoryLog.txt! I just sent
// him a dump from <message>"), then writes app_path + "MemoryLog.txt", replacing it
// for the first report of the run and appending afterwards; to standard output
// when the file cannot be opened.
void dump_mem_stats(const char* message);

// Lists one heap into `fi`: a heading, one row per entry, then the heap's seven
// totals. Returns the sums through the references, which it first sets to 0.
void dump_heap(FILE* fi, const PLAT_heap& heap, uint64_t& total_size, uint64_t& total_free,
               uint64_t& total_unco, uint64_t& total_used, uint64_t& total_over,
               uint64_t& big_free, uint64_t& big_unco);

// A byte count as the report prints it: above 14 GiB in G (n >> 30), above 1.4 MiB
// in M (n >> 20), above 1.4 KiB in K (n >> 10), else in B.
void UTL_size_with_unit(uint64_t n, uint64_t* number, char* unit);

// operator new(size, file, line): the allocation behind every new. A size of 0
// asks for 1 byte; when the allocator has nothing, the new-handler runs and the
// request is retried, and without a handler std::bad_alloc is thrown.
void* operator new(std::size_t size, const char* file, int line);
void operator delete(void* p, const char* file, int line) noexcept;
