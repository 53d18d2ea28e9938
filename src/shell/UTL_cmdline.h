// Command-line options: "--name" or "--name=value" words of the raw command-line
// text, filled once at start-up and only read afterwards.
#pragma once
#include <map>
#include <string>

class UTL_cmdline {
 public:
  std::map<std::string, std::string> options;  // option name -> value ("" when none)

  // Parses the raw text (on Linux: the arguments joined by single spaces), logs
  // each option, then serves "--cmnds" and "--help"/"-h" (which end the process).
  void init_win(const char* cmdline);
  // Serves "--cmnds" and "--help"/"-h": prints to stdout and exits with status 0.
  void init_common();
  // Parses without serving anything; used by init_win and by tests.
  void parse(const char* cmdline);
  int has_option(const char* name) const;
  std::string get_option(const char* name) const;
};

extern UTL_cmdline cmdline;  // the program's options (start-up)

// The usage text printed by "--help".
std::string UTL_usage_text();
