// The log stream.
#include "shell/UTL_Debug.h"

std::ofstream xer;

void UTL_log_open(const std::string& path) {
  if (xer.is_open()) xer.close();
  xer.clear();
  xer.open(path, std::ios::out | std::ios::trunc);
  xer.setf(std::ios::fixed, std::ios::floatfield);
}

void UTL_log_close() {
  if (xer.is_open()) xer.close();
}
