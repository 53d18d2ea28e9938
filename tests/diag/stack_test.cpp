// The stack listing's stopping rules, the three forms of a resolved address, the
// symbol lookup in our own executable and the memory probe.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "platform/plat_sys.h"
#include "shell/UTL_Debug.h"

// Everything the listing writes to a stream.
template <typename F>
static std::string captured(F write) {
  char* text = nullptr;
  size_t len = 0;
  FILE* f = open_memstream(&text, &len);
  write(f);
  fclose(f);
  std::string s(text, len);
  free(text);
  return s;
}

static std::vector<std::string> lines_of(const std::string& s) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < s.size()) {
    size_t nl = s.find('\n', at);
    out.push_back(s.substr(at, nl - at));
    at = nl + 1;
  }
  return out;
}

static const int kKnownLine = __LINE__ + 1;
__attribute__((noinline)) int known_function(int x) {
  return x * 3 + (int)getpid();
}

// Two pages: frames in the first (read-write), the second without any access.
struct frame_pages {
  size_t page = (size_t)sysconf(_SC_PAGESIZE);
  char* base = (char*)mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  frame_pages() { mprotect(base + page, page, PROT_NONE); }
  ~frame_pages() { munmap(base, 2 * page); }
  stack_frame* frames() { return (stack_frame*)base; }
  size_t count() const { return page / sizeof(stack_frame); }
};

TEST(StackListing, StopsAtTheRulesOfTheChain) {
  frame_pages pages;
  stack_frame* f = pages.frames();
  void* ret = (char*)&known_function + 4;
  size_t n = pages.count();
  for (size_t i = 0; i < n; i++) f[i] = stack_frame{&f[i + 1], ret};

  // Deep chain: 100 lines whether or not a first caller line is given.
  std::vector<std::string> deep = lines_of(captured([&](FILE* fi) { UTL_dump_stack(fi, f, nullptr); }));
  ASSERT_EQ(100u, deep.size());
  EXPECT_EQ(0u, deep[0].find("  0) known_function + 4 (stack_test.cpp:")) << deep[0];
  EXPECT_EQ(0u, deep[99].find("  99) known_function + 4"));
  std::vector<std::string> with_caller =
      lines_of(captured([&](FILE* fi) { UTL_dump_stack(fi, f, ret); }));
  ASSERT_EQ(100u, with_caller.size());
  EXPECT_EQ(0u, with_caller[1].find("  1) known_function"));

  // A link that points downward ends the listing; its frame is not printed.
  f[2].next = &f[1];
  EXPECT_EQ(2u, lines_of(captured([&](FILE* fi) { UTL_dump_stack(fi, f, nullptr); })).size());
  f[2].next = &f[3];

  // A link into memory that cannot be read ends it too.
  f[n - 1].next = (stack_frame*)(pages.base + pages.page);
  f[5].next = &f[n - 1];
  EXPECT_EQ(7u, lines_of(captured([&](FILE* fi) { UTL_dump_stack(fi, f, nullptr); })).size());

  // So does a frame that can be read but not written, and a null frame.
  mprotect(pages.base, pages.page, PROT_READ);
  EXPECT_EQ("", captured([&](FILE* fi) { UTL_dump_stack(fi, f, nullptr); }));
  mprotect(pages.base, pages.page, PROT_READ | PROT_WRITE);
  f[0].next = nullptr;
  EXPECT_EQ(1u, lines_of(captured([&](FILE* fi) { UTL_dump_stack(fi, f, ret); })).size());
}

TEST(StackListing, OwnFrameListsItsCallers) {
  std::string text = captured([](FILE* fi) { UTL_dump_stack(fi, nullptr, nullptr); });
  EXPECT_NE(std::string::npos, text.find("StackListing_OwnFrameListsItsCallers_Test::TestBody + ")) << text;
}

TEST(PrintSymbol, ThreeFormsOfAnAddress) {
  // Our own function: name, distance, source file and line, module.
  std::string own = captured([](FILE* fi) { print_symbol(fi, (char*)&known_function + 1); });
  std::string exe = PLAT_program_file();
  std::string exe_name = exe.substr(exe.rfind('/') + 1);
  EXPECT_EQ(0u, own.find("known_function + 1 (stack_test.cpp:" + std::to_string(kKnownLine) + ") (" +
                         exe_name + " + "))
      << own;
  EXPECT_EQ('\n', own.back());

  // A library function without line data: no file part.
  std::string lib = captured([](FILE* fi) { print_symbol(fi, (char*)&getpid + 2); });
  EXPECT_EQ(0u, lib.find("getpid + 2 (libc.so.6 + ")) << lib;

  // Memory that belongs to no module: bare address and "(???)".
  void* anon = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  char expect[64];
  snprintf(expect, sizeof(expect), "0x%08lx (\?\?\?)\n", (unsigned long)(uintptr_t)anon);
  EXPECT_EQ(expect, captured([&](FILE* fi) { print_symbol(fi, anon); }));
  munmap(anon, 4096);
}

TEST(SymbolLookup, FindsFunctionFileLineAndModule) {
  symbol_info info;
  UTL_get_debug_symbol((char*)&known_function + 2, &info);
  EXPECT_EQ(PLAT_program_file(), info.module_name);
  EXPECT_NE(nullptr, info.module_address);
  EXPECT_STREQ("known_function", info.function_name);
  EXPECT_EQ((void*)&known_function, info.function_address);
  std::string file = info.file_name;
  EXPECT_EQ("/tests/diag/stack_test.cpp", file.substr(file.size() - strlen("/tests/diag/stack_test.cpp")));
  EXPECT_EQ(kKnownLine, info.line_number);

  UTL_get_debug_symbol(nullptr, &info);
  EXPECT_STREQ("", info.module_name);
  EXPECT_EQ(nullptr, info.module_address);
  EXPECT_STREQ("", info.function_name);
  EXPECT_EQ(-1, info.line_number);
}

TEST(Demangle, QualifiedNamesWithoutParameters) {
  const struct {
    const char* mangled;
    const char* readable;  // null: not understood, the caller keeps the raw name
  } cases[] = {
      {"_ZL19crash_by_null_writev", "crash_by_null_write"},
      {"_ZN26CrashReport_NullWrite_Test8TestBodyEv", "CrashReport_NullWrite_Test::TestBody"},
      {"_ZNSt6vectorIiSaIiEE9push_backERKi", "std::vector<...>::push_back"},
      {"_ZNKSt6vectorIiSaIiEE4sizeEv", "std::vector<...>::size"},
      {"_ZN3foo3barC2Ev", "foo::bar::bar"},
      {"_ZN3foo3barD1Ev", "foo::bar::~bar"},
      {"_ZN3fooplERKS_", "foo::operator+"},
      {"_Z7isEmptyI4ElemEbv", "isEmpty<...>"},
      {"_ZN3app6renderEv.cold", "app::render.cold"},
      {"_ZZ4mainE5local", "main::local"},
      {"main", nullptr},
      {"_ZN3fo", nullptr},
      {"_ZN3foo3barEv1", "foo::bar"},
      {"_ZZ4mainENKUlvE_clEv", nullptr},
  };
  for (const auto& c : cases) {
    char out[256];
    int ok = PLAT_demangle(c.mangled, out, sizeof(out));
    if (c.readable) {
      EXPECT_EQ(1, ok) << c.mangled;
      EXPECT_STREQ(c.readable, out) << c.mangled;
    } else {
      EXPECT_EQ(0, ok) << c.mangled << " -> " << out;
    }
  }
  char tiny[8];
  EXPECT_EQ(0, PLAT_demangle("_ZN26CrashReport_NullWrite_Test8TestBodyEv", tiny, sizeof(tiny)));
}

TEST(ValidMemory, ReadAndWriteChecksNeverFault) {
  size_t page = (size_t)sysconf(_SC_PAGESIZE);
  char* m = (char*)mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  mprotect(m + page, page, PROT_READ);
  mprotect(m + 2 * page, page, PROT_NONE);
  int local = 0;
  const struct {
    void* at;
    unsigned len;
    int read_ok, write_ok;
  } cases[] = {
      {&local, sizeof(local), 1, 1},
      {m, (unsigned)page, 1, 1},
      {m + page, 8, 1, 0},               // read-only
      {m + 2 * page, 8, 0, 0},           // no access
      {m + page - 4, 8, 1, 0},           // runs into the read-only page
      {m + 2 * page - 4, 8, 0, 0},       // runs into the page without access
      {nullptr, 8, 0, 0},
      {(void*)"literal", 8, 1, 0},       // program text and constants
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.read_ok, UTL_valid_memory(c.at, c.len, 1, 0)) << c.at;
    EXPECT_EQ(c.write_ok, UTL_valid_memory(c.at, c.len, 0, 1)) << c.at;
    EXPECT_EQ(c.read_ok && c.write_ok, UTL_valid_memory(c.at, c.len, 1, 1)) << c.at;
  }
  munmap(m, 3 * page);
}
