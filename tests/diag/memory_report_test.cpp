// The memory report: size texts, the order and form of its sections, the heap
// listing's accounting, and replacing then appending the file within a run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/plat_sys.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_memory.h"
#include "support/fs_helpers.h"

TEST(SizeWithUnit, BoundariesOfEachUnit) {
  const struct {
    uint64_t bytes, number;
    char unit;
  } cases[] = {
      {0, 0, 'B'},
      {1433, 1433, 'B'},
      {1434, 1, 'K'},
      {1468006, 1433, 'K'},
      {1468007, 1, 'M'},
      {2147483648ULL, 2048, 'M'},        // 2 GiB stays in M: G starts above 14 GiB
      {15032385536ULL, 14336, 'M'},      // exactly 14 GiB
      {15032385537ULL, 14, 'G'},
      {0xFFFFFFFFFFFFFFFFULL, 0x3FFFFFFFFULL, 'G'},
  };
  for (const auto& c : cases) {
    uint64_t number = 0;
    char unit = 0;
    UTL_size_with_unit(c.bytes, &number, &unit);
    EXPECT_EQ(c.number, number) << c.bytes;
    EXPECT_EQ(c.unit, unit) << c.bytes;
  }
}

static std::vector<std::string> lines_of(const std::string& s) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < s.size()) {
    size_t nl = s.find('\n', at);
    if (nl == std::string::npos) nl = s.size();
    out.push_back(s.substr(at, nl - at));
    at = nl + 1;
  }
  return out;
}

// Runs the report in a fresh folder (the report goes to the current folder).
class MemoryReport : public testing::Test {
 protected:
  TempDir dir;
  std::string old_cwd;
  void SetUp() override {
    char buf[4096];
    old_cwd = getcwd(buf, sizeof(buf)) ? buf : ".";
    ASSERT_EQ(0, chdir(dir.path().c_str()));
    UTL_log_open(dir / "Log.txt");
  }
  void TearDown() override {
    UTL_log_close();
    if (chdir(old_cwd.c_str()) != 0) ADD_FAILURE();
  }
};

TEST_F(MemoryReport, SectionsInOrderWithTheirLineForms) {
  first_dump = 1;
  dump_mem_stats("the test");
  std::vector<std::string> lines = lines_of(read_file(dir / "MemoryLog.txt"));
  const std::string sz = " *[0-9]+[BKMG]";
  // Each pattern matches one line, in this order; "ROWS:<re>" matches zero or
  // more lines of that form.
  const std::vector<std::string> expected = {
      "Windows Virtual Memory Info:",
      "    Load:                  +[0-9]{1,3}            Overall memory utilization, from 0 to 100\\.",
      "    Total Physical Memory:" + sz + "           Total physical memory on this machine\\.",
      "    Avail Physical Memory:" + sz + "           Currently available physical memory\\.",
      "    Total Pagefile Memory:" + sz + "           Total size of the paging file, used and available\\.",
      "    Avail Pagefile Memory:" + sz + "           Available paging file\\.",
      "    Total Virtual Memory: " + sz + "           Total virtual address space available to Vantrel, used and unused\\.",
      "    Avail Virtual Memory: " + sz + "           Unused virutal address space for Vantrel\\.",
      "    This copy of Vantrel is running with 3 GB of available address space\\.",
      "    Page faults:          +[0-9]+             Total page faults Vantrel has had in total\\.",
      "    Peak working set size:    " + sz + "            This is the largest amount .*",
      "    Curr working set size:    " + sz + "            This is how much physical RAM .*",
      "    Peak Paged-Pool Usage:    " + sz + "            .*",
      "    Curr Paged-Pool Usage:    " + sz + "            .*",
      "    Peak Non-Paged-Pool Usage:" + sz + "            .*",
      "    Curr Non-Paged-Pool Usage:" + sz + "            .*must be in RAM now\\. ",
      "    Peak Pagefile Usage:      " + sz + "            This is the most page file Vantrel used during this run\\.",
      "    Curr Pagefile Usage:      " + sz + "            This is how much page file Vantrel is using now\\.",
      "    I will now print the contents of virtual memory\\.",
      "        ptr        base_ptr     len      prot   state  type",
      "ROWS:        0x[0-9a-f]{8,} 0x[0-9a-f]{8,}" + sz +
          "    \\( *(na|r|rw|wc|x|xr|xrw|ewc|\\?) +(commit|reserve|free|unknown) +(private|mapped|image|unknown|)\\) .*",
      "    Total Free:   " + sz + "     This is the total free virtual address space Vantrel can use\\.",
      "    Total Commited" + sz + "     This is all of the memory .*",
      "    Total Reserved" + sz + "     This is virtual address space .*",
      "    Total Images  " + sz + "     This is the total address space used for DLLs and code\\.",
      "    Total Mapped  " + sz + "     This is the total address space used for memory-mapped files\\. .*",
      "    Total Private " + sz + "     This is the total address space used for everything else, including heaps\\.",
      "    Largest Free  " + sz + "     This is the largest contiguous free block of virtual address space\\.",
      "    Vantrel has has [1-9][0-9]* heaps - I will now list them\\.",
      "        Process Heap 0x0000",
      "ROWS:(            0x[0-9A-F]{8,}  " + sz + "\\+ *[0-9]+   0x[0-9a-f]{4} .*|        (Additional Heap 0x[0-9A-F]{4,}|Total size: .*|Total free: .*|Total uncommitted: .*|Total used: .*|Total overhead: .*|Biggest uncommitted: .*|Biggest free: .*))",
      "    Summary info for all heaps:",
      "        Total size:         " + sz + "      This is the total size of all heaps including free, used blocks and overhead\\.",
      "        Total free:         " + sz + "      This is the total free space in all heaps\\.",
      "        Total uncommitted:  " + sz + "      This is the reserved memory for all heaps .*",
      "        Total used:         " + sz + "      This is how much memory is being used by Vantrel in all heaps\\.",
      "        Total overhead:     " + sz + "      This is the total overhead - the cost of bookkeeping for all heaps\\.",
      "        Biggest uncommitted:" + sz + "      This is the largest single uncommitted block in any heap\\.",
      "        Biggest free:       " + sz + "      This is the largest single free block in any heap\\.",
      "NED-MALLOC INFO:",
      "    This version of Vantrel is using the NED allocator\\.",
      "    Arena:            " + sz + "     This is the space NED is using that was not created using mmap\\.",
      "    Free Chunks:       +[0-9]+       ",
      "    Mapped Space:     " + sz + "     This is the space NED has allocated for use via mmap\\.",
      "    Max Alloc Space:  " + sz + "     This is the most space NED ever had reserved from any source\\.",
      "    Total Alloc Space:" + sz + "     This is the current space NED has reserved now from any source\\.",
      "    Total Free Space: " + sz + "     This is how much free space NED has in its reserves\\.",
      "    Total Used Space: " + sz + "     This is how much space Vantrel has allocated fmor NED\\.",
      "    Releasable Space: " + sz + "     This is how much space NED could give back to the OS if desired\\.",
  };
  size_t at = 0;
  size_t rows_of_address_space = 0;
  for (const std::string& pattern : expected) {
    bool rows = pattern.rfind("ROWS:", 0) == 0;
    std::regex re(rows ? pattern.substr(5) : pattern);
    if (rows) {
      size_t first = at;
      while (at < lines.size() && std::regex_match(lines[at], re)) at++;
      if (pattern.find("base_ptr") == std::string::npos && rows_of_address_space == 0)
        rows_of_address_space = at - first;
      continue;
    }
    ASSERT_LT(at, lines.size()) << "missing: " << pattern;
    ASSERT_TRUE(std::regex_match(lines[at], re)) << "line " << at << ": '" << lines[at]
                                                 << "'\nexpected: " << pattern;
    at++;
  }
  EXPECT_EQ(lines.size(), at) << "nothing after the allocator's lines";
  EXPECT_GT(rows_of_address_space, 5u);

  // The walk starts at address 0 with free space, and names our executable as an image.
  std::string text = read_file(dir / "MemoryLog.txt");
  EXPECT_NE(std::string::npos, text.find("        0x00000000 0x00000000 "));
  std::string exe = PLAT_program_file();
  std::string exe_name = exe.substr(exe.rfind('/') + 1);
  EXPECT_TRUE(std::regex_search(text, std::regex("\\( xr  commit   image\\) " + exe_name + "\n")));
  UTL_log_close();
  EXPECT_EQ("OK check MemoryLog.txt! I just sent him a dump from the test\n", read_file(dir / "Log.txt"));
}

TEST_F(MemoryReport, FirstReportReplacesTheFileLaterOnesAppend) {
  write_file(dir / "MemoryLog.txt", "from an earlier run\n");
  first_dump = 1;
  dump_mem_stats("one");
  EXPECT_EQ(0, first_dump);
  dump_mem_stats("two");
  std::string text = read_file(dir / "MemoryLog.txt");
  EXPECT_EQ(0u, text.find("Windows Virtual Memory Info:\n"));
  size_t second = text.find("Windows Virtual Memory Info:\n", 1);
  EXPECT_NE(std::string::npos, second);
  EXPECT_GT(text.rfind("NED-MALLOC INFO:\n"), second);
}

TEST(HeapListing, RowsAndAccountingByFlags) {
  PLAT_heap heap;
  heap.handle = 3;
  PLAT_heap_entry busy{0x1000, 1000, 8, PLAT_HEAP_BUSY, 0, 0};
  PLAT_heap_entry free_small{0x2000, 2000, 8, 0, 0, 0};
  PLAT_heap_entry free_big{0x3000, 5000, 0, 0, 0, 0};
  PLAT_heap_entry unco{0x4000, 3000, 0, PLAT_HEAP_UNCOMMITTED, 0, 0};
  PLAT_heap_entry region{0x5000, 4096, 16, PLAT_HEAP_REGION, 2048000, 1000};
  heap.entries = {busy, free_small, free_big, unco, region};
  char* text = nullptr;
  size_t len = 0;
  FILE* f = open_memstream(&text, &len);
  uint64_t size = 9, fr = 9, un = 9, used = 9, over = 9, big_free = 9, big_unco = 9;
  dump_heap(f, heap, size, fr, un, used, over, big_free, big_unco);
  fclose(f);
  std::string out(text, len);
  free(text);
  EXPECT_EQ(1000u + 8 + 2000 + 8 + 5000 + 3000 + 4096 + 16, size);
  EXPECT_EQ(7000u, fr);
  EXPECT_EQ(3000u, un);
  EXPECT_EQ(1000u, used);
  EXPECT_EQ(8u + 8 + 16 + 4096, over) << "a region counts as overhead";
  EXPECT_EQ(5000u, big_free);
  EXPECT_EQ(3000u, big_unco);
  EXPECT_EQ(0u, out.find("        Additional Heap 0x0003\n"
                         "            0x00001000    1000B+ 8   0x0004 Busy \n"
                         "            0x00002000       1K+ 8   0x0000 \n"
                         "            0x00003000       4K+ 0   0x0000 \n"
                         "            0x00004000       2K+ 0   0x0002 Uncommitted \n"
                         "            0x00005000       4K+16   0x0001 (1M used, 1000B free)\n"
                         "        Total size:             14K      This is the total size of this heap including free, used blocks and overhead.\n"))
      << out;
  EXPECT_NE(std::string::npos, out.find("        Biggest free:            4K      This is the largest single free block in this heap.\n"));
}

// A new-handler that gives up after its second call.
static int g_handler_calls = 0;
static void stingy_handler() {
  if (++g_handler_calls == 2) std::set_new_handler(nullptr);
}

TEST(OperatorNew, NewHandlerProtocolAndZeroSize) {
  void* a = operator new(0);
  void* b = operator new(0);
  EXPECT_NE(nullptr, a);
  EXPECT_NE(a, b) << "a size of 0 still gives distinct blocks";
  operator delete(a);
  operator delete(b);
  operator delete(nullptr);

  g_handler_calls = 0;
  std::set_new_handler(stingy_handler);
  EXPECT_THROW((void)operator new(~(size_t)0 / 2), std::bad_alloc);
  EXPECT_EQ(2, g_handler_calls) << "asked again after each handler call, until none is left";
  EXPECT_THROW((void)operator new[](~(size_t)0 / 2), std::bad_alloc);
  void* p = operator new(16, "here.cpp", 12);
  operator delete(p);
}
