// The server list: fetched in download slot 0 each frame until it has been read.
#include "installer/serverlist.h"

#include <cmath>
#include <cstdlib>

#include "files/xmap.h"
#include "installer/main.h"
#include "installer/utils.h"
#include "net/http.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_init.h"

std::string server_list_host() {
  std::string host = cmdline.get_option("--server_list");
  return host.empty() ? std::string(VANTREL_SERVER_LIST_HOST) : host;
}

void pick_weighted_server() {
  const float x = (float)(UTL_rand15() * 1.0 / 32767.0);
  const float w = x > 0 ? powf(x, 1.5f) : 0.0f;
  int pick = (int)(stg.num_servers * w);
  if (pick > stg.num_servers - 1) pick = stg.num_servers - 1;
  if (pick < 0) pick = 0;
  stg.sel_server = pick;
}

// The rest of the next non-empty line (the cursor is at the end of a line).
static std::string next_line(xmap_class& m) {
  m.skip_line_ends();
  return m.read_rest_of_line();
}

int read_server_list(const std::string& path) {
  xmap_class m(path);
  const int versions[] = {820, 0};
  if (!m.mBegin || m.check_file(10001, versions, "SERVERS", nullptr) != 820) {
    new_format(path);
    return 0;
  }
  stg.num_servers = 0;
  while (true) {
    m.skip_line_ends();
    if (m.at_end()) break;
    if (m.take_keyword("BETA", true)) {
      m.skip_to_eol();
    } else if (m.take_keyword("FINAL", true)) {
      install_name = m.read_rest_of_line();
    } else if (m.take_keyword("ENDOFLIST", true)) {
      break;
    } else if (m.take_keyword("SERVER", true)) {
      std::string host = m.read_rest_of_line();
      std::string folder = next_line(m);
      std::string desc = next_line(m);
      if (stg.num_servers < 10) {
        server_name[stg.num_servers] = host;
        server_path[stg.num_servers] = folder + install_name + "/";
        server_desc[stg.num_servers] = desc;
        stg.num_servers++;
      }
    } else {
      m.skip_to_eol();
    }
  }
  if (stg.num_servers > 0) {
    pick_weighted_server();
  } else {
    stg.sel_server = -1;
  }
  return 1;
}

void server_list_step() {
  if (stg.num_servers != -1) return;
  const std::string local = temp_path + "serverlist.txt";
  if (http.net_check(0, server_list_host(), "/serverlist.txt", local) != 1) return;
  read_server_list(local);
}
