// String helpers.
#include "shell/hl_string.h"

#include <cstring>

#include "shell/hl_alert.h"

void check_len(const char* s) {
  if (strlen(s) >= 500) __DOVAVI_alert(0, "String too long!", s, "", "", t_exit, "hl_string", 136);
}
