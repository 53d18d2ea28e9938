// A small recursive-descent JSON validator.
#include "support/json_check.h"

#include <cctype>
#include <cstring>

namespace {
struct parser {
  const std::string& s;
  size_t i = 0;
  void ws() {
    while (i < s.size() && strchr(" \t\r\n", s[i])) i++;
  }
  bool lit(const char* w) {
    size_t n = strlen(w);
    if (s.compare(i, n, w) != 0) return false;
    i += n;
    return true;
  }
  bool string() {
    if (i >= s.size() || s[i] != '"') return false;
    for (i++; i < s.size(); i++) {
      unsigned char c = (unsigned char)s[i];
      if (c == '"') {
        i++;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        if (++i >= s.size()) return false;
        if (s[i] == 'u') {
          for (int k = 0; k < 4; k++)
            if (++i >= s.size() || !isxdigit((unsigned char)s[i])) return false;
        } else if (!strchr("\"\\/bfnrt", s[i])) {
          return false;
        }
      }
    }
    return false;
  }
  bool number() {
    size_t start = i;
    if (i < s.size() && s[i] == '-') i++;
    if (i >= s.size() || !isdigit((unsigned char)s[i])) return false;
    if (s[i] == '0') {
      i++;
    } else {
      while (i < s.size() && isdigit((unsigned char)s[i])) i++;
    }
    if (i < s.size() && s[i] == '.') {
      if (++i >= s.size() || !isdigit((unsigned char)s[i])) return false;
      while (i < s.size() && isdigit((unsigned char)s[i])) i++;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
      i++;
      if (i < s.size() && (s[i] == '+' || s[i] == '-')) i++;
      if (i >= s.size() || !isdigit((unsigned char)s[i])) return false;
      while (i < s.size() && isdigit((unsigned char)s[i])) i++;
    }
    return i > start;
  }
  bool value() {
    ws();
    if (i >= s.size()) return false;
    char c = s[i];
    if (c == '{') return object();
    if (c == '[') return array();
    if (c == '"') return string();
    if (lit("true") || lit("false") || lit("null")) return true;
    return number();
  }
  bool object() {
    i++;
    ws();
    if (i < s.size() && s[i] == '}') return ++i, true;
    while (true) {
      ws();
      if (!string()) return false;
      ws();
      if (i >= s.size() || s[i++] != ':') return false;
      if (!value()) return false;
      ws();
      if (i < s.size() && s[i] == ',') {
        i++;
        continue;
      }
      return i < s.size() && s[i++] == '}';
    }
  }
  bool array() {
    i++;
    ws();
    if (i < s.size() && s[i] == ']') return ++i, true;
    while (true) {
      if (!value()) return false;
      ws();
      if (i < s.size() && s[i] == ',') {
        i++;
        continue;
      }
      return i < s.size() && s[i++] == ']';
    }
  }
};
}  // namespace

bool json_object_is_valid(const std::string& text) {
  parser p{text};
  p.ws();
  if (p.i >= text.size() || text[p.i] != '{' || !p.object()) return false;
  p.ws();
  return p.i == text.size();
}
