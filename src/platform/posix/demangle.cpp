// A small reader of the compiler's mangled C++ names, enough for crash reports:
// the qualified function name without its parameter list ("ns::cls::func",
// templates shown as "<...>"). It allocates nothing, so the crash handler can use
// it; a name it does not understand is left to the caller to print as it is.
#include <cstdio>
#include <cstring>

#include "platform/plat_debug.h"

namespace {

struct out_text {
  char* buf;
  size_t cap, len = 0;
  bool ok = true;
  out_text(char* b, size_t c) : buf(b), cap(c) { buf[0] = 0; }
  void add(const char* s, size_t n) {
    if (len + n + 1 > cap) {
      ok = false;
      return;
    }
    memcpy(buf + len, s, n);
    len += n;
    buf[len] = 0;
  }
  void add(const char* s) { add(s, strlen(s)); }
};

struct reader {
  const char* p;
  const char* end;
  bool ok = true;
  char peek(size_t i = 0) const { return p + i < end ? p[i] : 0; }
};

const struct {
  const char code[3];
  const char* text;
} kOperators[] = {
    {"nw", "new"},   {"na", "new[]"}, {"dl", "delete"}, {"da", "delete[]"}, {"ps", "+"},
    {"ng", "-"},     {"ad", "&"},     {"de", "*"},      {"co", "~"},        {"pl", "+"},
    {"mi", "-"},     {"ml", "*"},     {"dv", "/"},      {"rm", "%"},        {"an", "&"},
    {"or", "|"},     {"eo", "^"},     {"aS", "="},      {"pL", "+="},       {"mI", "-="},
    {"mL", "*="},    {"dV", "/="},    {"rM", "%="},     {"aN", "&="},       {"oR", "|="},
    {"eO", "^="},    {"ls", "<<"},    {"rs", ">>"},     {"lS", "<<="},      {"rS", ">>="},
    {"eq", "=="},    {"ne", "!="},    {"lt", "<"},      {"gt", ">"},        {"le", "<="},
    {"ge", ">="},    {"ss", "<=>"},   {"nt", "!"},      {"aa", "&&"},       {"oo", "||"},
    {"pp", "++"},    {"mm", "--"},    {"cm", ","},      {"pm", "->*"},      {"pt", "->"},
    {"cl", "()"},    {"ix", "[]"},    {"qu", "?"},
};

// Skips template arguments after their "I", up to and including the matching
// "E". Lengths of source names are honoured, so an "E" inside a name does not end it.
void skip_template_args(reader& r) {
  int depth = 1;
  while (r.ok && depth > 0) {
    char c = r.peek();
    if (!c) {
      r.ok = false;
      return;
    }
    if (c >= '0' && c <= '9') {
      size_t n = 0;
      while (r.peek() >= '0' && r.peek() <= '9') n = n * 10 + (size_t)(*r.p++ - '0');
      if ((size_t)(r.end - r.p) < n) {
        r.ok = false;
        return;
      }
      r.p += n;
      continue;
    }
    r.p++;
    if (c == 'I' || c == 'N' || c == 'L' || c == 'X' || c == 'J') depth++;
    else if (c == 'E') depth--;
  }
}

// One component of a name; `last` is the previous component (for constructors
// and destructors).
bool component(reader& r, out_text& o, const char** last, size_t* last_len) {
  char c = r.peek();
  if (c == 'L') {  // internal linkage
    r.p++;
    c = r.peek();
  }
  if (c >= '0' && c <= '9') {
    size_t n = 0;
    while (r.peek() >= '0' && r.peek() <= '9') n = n * 10 + (size_t)(*r.p++ - '0');
    if (n == 0 || (size_t)(r.end - r.p) < n) return false;
    o.add(r.p, n);
    *last = r.p;
    *last_len = n;
    r.p += n;
  } else if (c == 'C' && r.peek(1) >= '1' && r.peek(1) <= '5') {
    if (!*last) return false;
    o.add(*last, *last_len);
    r.p += 2;
  } else if (c == 'D' && r.peek(1) >= '0' && r.peek(1) <= '2') {
    if (!*last) return false;
    o.add("~");
    o.add(*last, *last_len);
    r.p += 2;
  } else {
    for (const auto& op : kOperators)
      if (c == op.code[0] && r.peek(1) == op.code[1]) {
        o.add("operator");
        o.add(op.text);
        r.p += 2;
        goto tags;
      }
    return false;
  }
tags:
  while (r.peek() == 'B') {  // ABI tags are not shown
    r.p++;
    size_t n = 0;
    while (r.peek() >= '0' && r.peek() <= '9') n = n * 10 + (size_t)(*r.p++ - '0');
    if ((size_t)(r.end - r.p) < n) return false;
    r.p += n;
  }
  if (r.peek() == 'I') {
    r.p++;
    skip_template_args(r);
    o.add("<...>");
  }
  return r.ok;
}

bool name(reader& r, out_text& o);

bool nested(reader& r, out_text& o) {
  // r.p is after "N": qualifiers, then components up to "E".
  while (r.peek() == 'r' || r.peek() == 'V' || r.peek() == 'K') r.p++;
  if (r.peek() == 'R' || r.peek() == 'O') r.p++;
  const char* last = nullptr;
  size_t last_len = 0;
  bool first = true;
  while (r.ok && r.peek() != 'E') {
    if (!r.peek()) return false;
    if (!first) o.add("::");
    if (r.peek() == 'S' && r.peek(1) == 't') {
      o.add("std");
      r.p += 2;
    } else if (r.peek() == 'S' && r.peek(1) == 'a') {
      o.add("std::allocator");
      r.p += 2;
    } else if (r.peek() == 'S' && (r.peek(1) == 's' || r.peek(1) == 'b')) {
      o.add("std::basic_string");
      r.p += 2;
    } else if (!component(r, o, &last, &last_len)) {
      return false;
    }
    first = false;
  }
  r.p++;
  return r.ok;
}

bool name(reader& r, out_text& o) {
  if (r.peek() == 'N') {
    r.p++;
    return nested(r, o);
  }
  if (r.peek() == 'Z') {  // a function inside a function: outer::inner
    r.p++;
    if (!name(r, o)) return false;
    // The outer function's parameters run up to the "E" that closes it.
    int depth = 0;
    while (r.peek() && !(depth == 0 && r.peek() == 'E')) {
      char c = *r.p;
      if (c >= '0' && c <= '9') {
        size_t n = 0;
        while (r.peek() >= '0' && r.peek() <= '9') n = n * 10 + (size_t)(*r.p++ - '0');
        if ((size_t)(r.end - r.p) < n) return false;
        r.p += n;
        continue;
      }
      r.p++;
      if (c == 'I' || c == 'N') depth++;
      else if (c == 'E') depth--;
    }
    if (r.peek() != 'E') return false;
    r.p++;
    if (r.peek() == 's') return false;  // a string literal, not a name
    o.add("::");
    return name(r, o);
  }
  if (r.peek() == 'S' && r.peek(1) == 't') {
    o.add("std::");
    r.p += 2;
  }
  const char* last = nullptr;
  size_t last_len = 0;
  return component(r, o, &last, &last_len);
}

}  // namespace

int PLAT_demangle(const char* mangled, char* out, size_t cap) {
  if (cap == 0 || strncmp(mangled, "_Z", 2) != 0) return 0;
  // A compiler clone (".cold", ".isra.0", ...) keeps its suffix.
  const char* dot = strchr(mangled, '.');
  reader r{mangled + 2, dot ? dot : mangled + strlen(mangled)};
  out_text o(out, cap);
  if (!name(r, o) || !r.ok || !o.ok) {
    out[0] = 0;
    return 0;
  }
  if (dot) o.add(dot);
  if (!o.ok) {
    out[0] = 0;
    return 0;
  }
  return 1;
}
