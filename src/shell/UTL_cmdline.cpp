// Command-line parsing and the two options served at once.
#include "shell/UTL_cmdline.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "shell/UTL_Debug.h"
#include "shell/cmnd.h"

UTL_cmdline cmdline;

void UTL_cmdline::parse(const char* text) {
  const char* p = text ? text : "";
  while (*p) {
    while (*p && isspace((unsigned char)*p)) p++;
    if (!*p) break;
    const char* name_start = p;
    while (*p && !isspace((unsigned char)*p) && *p != '=') p++;
    std::string name(name_start, p);
    if (*p == '=') p++;
    const char* value_start = p;
    while (*p && !isspace((unsigned char)*p)) p++;
    std::string value(value_start, p);
    if (name.empty()) continue;
    if (options.count(name))
      xer << "WARNING: command line option " << name << "=" << value << "included twice.\n";
    options[name] = value;
    xer << "     '" << name;
    if (!value.empty()) xer << "'='" << value;
    xer << "'\n";
  }
}

void UTL_cmdline::init_win(const char* text) {
  parse(text);
  init_common();
}

void UTL_cmdline::init_common() {
  if (has_option("--cmnds")) {
    std::string value = get_option("--cmnds");
    if (value == "all") {
      for (size_t i = 0; i < cmnd.cmnd_names.size(); i++)
        printf("%-50s %s\n", cmnd.cmnd_names[i].c_str(), cmnd.cmnd_descs[i].c_str());
    } else {
      std::vector<std::string> found;
      cmnd.get_cmds_in_path(value, found);
      for (const std::string& s : found) printf("%s\n", s.c_str());
    }
    fflush(stdout);
    exit(0);
  }
  if (has_option("-h") || has_option("--help")) {
    fputs(UTL_usage_text().c_str(), stdout);
    fflush(stdout);
    exit(0);
  }
}

int UTL_cmdline::has_option(const char* name) const { return options.count(name) ? 1 : 0; }

std::string UTL_cmdline::get_option(const char* name) const {
  auto it = options.find(name);
  return it == options.end() ? std::string() : it->second;
}
