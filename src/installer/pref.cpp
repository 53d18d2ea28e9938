// The preferences file.
#include "installer/pref.h"

#include <cstdlib>

#include "files/IO_UTILS.h"
#include "files/xmap.h"
#include "installer/dest.h"
#include "installer/main.h"
#include "net/http.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_alert.h"

pref_class pref;

std::string pref_file_path() {
  std::string folder;
  get_OS_abs_path(4, folder);
  return folder + "Vantrel Installer.prf";
}

scan_class::scan_class(const std::string& path, int in_opr) : opr_typ(in_opr) {
  if (opr_typ == 1) {
    ouf_open(path, 10001, 9001, "no-copyright-string");
    return;
  }
  prefs_map.clear();
  xmap_class m(path);
  const int versions[] = {9001, 0};
  if (m.check_file(10001, versions, nullptr, nullptr) != 9001) return;
  while (true) {
    m.skip_line_ends();
    if (m.at_end()) break;
    const std::string tag = m.read_word();
    if (tag.empty()) {
      m.skip_to_eol();
      continue;
    }
    const std::string value = m.read_rest_of_line();
    auto it = prefs_map.find(tag);
    if (it != prefs_map.end())
      __DOVAVI_alert(0, "ERROR: A prefs tag is being read twice!", tag, it->second, value, t_alert, "pref", 120);
    prefs_map[tag] = value;
  }
}

scan_class::~scan_class() { prefs_map.clear(); }

int scan_class::fetch_or_get(const std::string& input, std::string& output, const std::string& tag) {
  if (opr_typ == 1) {
    ouf << tag << " " << input << "\n";
    return 0;
  }
  if (opr_typ != 0) return 1;
  const std::string option = "--pref:" + tag;
  if (cmdline.has_option(option.c_str())) {
    output = cmdline.get_option(option.c_str());
    return 1;
  }
  auto it = prefs_map.find(tag);
  if (it == prefs_map.end()) return 0;
  output = it->second;
  return 1;
}

void pref_class::IO_set(int prf_typ, int opr_typ) {
  if (prf_typ != 11) return;
  scan_class scan(pref_file_path(), opr_typ);
  if (opr_typ == 1 && !ouf.is_open()) return;  // ouf_open already told the user

  struct int_key {
    const char* tag;
    int* value;
  };
  const int_key int_keys[] = {
      {"_use_max_cpu", &stg.use_max_cpu},       {"_rename_folder", &stg.rename_folder},
      {"_stream_count", &stg.stream_count},     {"_log_actions", &stg.log_actions},
      {"_always_ask_dir", &stg.always_ask_dir}, {"_proxy_port_int", &http.ProxyPort_int},
  };
  for (const int_key& k : int_keys) {
    std::string text = opr_typ == 1 ? std::to_string(*k.value) : std::string();
    if (scan.fetch_or_get(text, text, k.tag) == 1) *k.value = atoi(text.c_str());
  }
  struct string_key {
    const char* tag;
    std::string* value;
  };
  const string_key string_keys[] = {
      {"_dest_dir_path", &dest_dir_path},
      {"_proxy_host", &http.ProxyHost},
      {"_proxy_port", &http.ProxyPort_str},
  };
  for (const string_key& k : string_keys) {
    if (opr_typ == 1 && k.value->empty()) continue;  // an empty string is not written
    scan.fetch_or_get(*k.value, *k.value, k.tag);
  }
  if (opr_typ == 1) ouf.close();
}
