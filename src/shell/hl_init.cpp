// Start-up and shutdown of the program.
#include "shell/hl_init.h"

#include <cstdlib>

#include "installer/pref.h"
#include "shell/HL_THREAD.h"
#include "shell/PlatformUtils.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"

// Seeds the C generator used by the installer's random choices: a fixed warm-up,
// then the clock, then a clock-dependent number of discarded values.
static void seed_random() {
  srand(1);
  for (int i = 0; i < 10000; i++) rand();
  unsigned seed = (unsigned)(uint32_t)xtim_class::microsecs_tot();
  srand(seed);
  for (unsigned i = 0; i < seed % 1000; i++) rand();
}

int UTL_rand15() { return (int)((long long)rand() * 32768 / ((long long)RAND_MAX + 1)); }

void DOVAVI_init(int argc, char** argv) {
  UTL_debug_init();
  app_path.clear();
  g_case_sensitive = !g_windows_paths;

  std::string log_folder;
  DOVAVI_set_app_path(&log_folder);
  UTL_log_open(log_folder + "Log.txt");

  seed_random();
  UTL_write_log_header(xer);
  xer.flush();
  cmdline.init_win(argc > 0 ? argv[0] : "");
  THREAD_init();
  THREAD_make_workers();
}

void DOVAVI_finishup(int is_normal_exit) {
  if (is_normal_exit && !cmdline.has_option("--fps_test")) pref.IO_set(11, 1);
  if (is_normal_exit) THREAD_shutdown();
  UTL_log_close();
}
