// The os_type rules of a release: which product files are for which operating
// system, read from a small text file of "GLOB OS_TYPE" lines.
#include <fstream>

#include "publish/publish.h"

int glob_match(const std::string& glob, const std::string& text) {
  // Iterative match with one backtrack point: the last "*" seen.
  size_t g = 0, t = 0, star = std::string::npos, star_t = 0;
  while (t < text.size()) {
    if (g < glob.size() && (glob[g] == '?' || (glob[g] != '*' && glob[g] == text[t]))) {
      g++;
      t++;
    } else if (g < glob.size() && glob[g] == '*') {
      star = g++;
      star_t = t;
    } else if (star != std::string::npos) {
      g = star + 1;
      t = ++star_t;
    } else {
      return 0;
    }
  }
  while (g < glob.size() && glob[g] == '*') g++;
  return g == glob.size();
}

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::vector<os_rule> read_os_rules(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw publish_error(path + ": cannot read the os_type rules file");
  std::vector<os_rule> rules;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    number++;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t b = 0, e = line.size();
    while (b < e && is_blank(line[b])) b++;
    while (e > b && is_blank(line[e - 1])) e--;
    if (b == e || line[b] == '#') continue;
    const std::string where = path + ":" + std::to_string(number) + ": ";
    size_t w = e;
    while (w > b && !is_blank(line[w - 1])) w--;
    const std::string word = line.substr(w, e - w);
    size_t g = w;
    while (g > b && is_blank(line[g - 1])) g--;
    if (g == b) throw publish_error(where + "a rule is a glob and an os_type (0 to 6), as in \"*.exe 2\"");
    if (word.size() != 1 || word[0] < '0' || word[0] > '6')
      throw publish_error(where + "the os_type \"" + word + "\" is not a number from 0 to 6");
    os_rule r;
    r.glob = line.substr(b, g - b);
    r.os_type = word[0] - '0';
    r.line = number;
    rules.push_back(r);
  }
  return rules;
}

int os_type_for(const std::vector<os_rule>& rules, const std::string& rel_path) {
  for (const os_rule& r : rules)
    if (glob_match(r.glob, rel_path)) return r.os_type;
  return 0;
}
