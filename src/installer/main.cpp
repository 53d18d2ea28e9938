// The installer's entry procedure.
#include "installer/main.h"

#include <string>

#include "installer/engine.h"
#include "installer/headless.h"
#include "shell/hl_init.h"
#include "shell/hl_structs.h"

int WinMain(void* hinst, void* hprevinst, const char* cmdline_text, int windowstyle) {
  active_inst = hinst;
  active_windstyle = windowstyle;
  if (hprevinst) return 0;
  std::string raw = cmdline_text ? cmdline_text : "";
  char* argv[1] = {&raw[0]};
  DOVAVI_init(1, argv);
  int status = 0;
  if (headless_requested()) {
    status = headless_run(raw);
  } else {
    installer_setup(raw);
  }
  DOVAVI_finishup(1);
  return status;
}

void APP_handlemenu(int) {}
