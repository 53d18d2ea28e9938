// The install run's shared records and the stream reset.
#include <cstdlib>

#include "files/IO_UTILS.h"
#include "installer/main.h"
#include "installer/utils.h"
#include "net/http.h"
#include "platform/plat_files.h"
#include "shell/hl_init.h"
#include "shell/xtim.h"

stg_class stg;
next_class next;

std::string dest_dir_path;
std::string temp_path;
std::string install_name;
const std::string no_install_name = "Not Yet Scanned";
std::string server_name[10];
std::string server_path[10];
std::string server_desc[10];
std::string crnt_file_name;
std::string crnt_file_path;

void reset_streams() {
  for (int s = 0; s < 4; s++) {
    http.net_abandon(s + 2);  // a transfer still running must not write into a deleted file
    const std::string archive = stream_archive_path(s);
    if (PLAT_path_kind(archive) == 1) delete_file(archive);
  }
  next.next_index = 0;
  for (int s = 0; s < 4; s++) {
    next.stream_active[s] = next.stream_waiting[s] = s < 2 ? 1 : 0;
    next.stream_index[s] = 0;
  }
  next.star_time = xtim.real_time;
  next.file_down = next.comp_down = next.totl_disk = 0;
}

void pick_random_server() { stg.sel_server = UTL_rand15() * stg.num_servers / 32768; }
