// vantrel-installer: the program's entry on this system. The raw command-line
// text is the arguments joined by single spaces.
#include <string>

#include "installer/main.h"

int main(int argc, char** argv) {
  std::string raw;
  for (int i = 1; i < argc; i++) {
    if (i > 1) raw += ' ';
    raw += argv[i];
  }
  return WinMain(nullptr, nullptr, raw.c_str(), 0);
}
