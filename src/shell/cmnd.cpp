// The command table.
#include "shell/cmnd.h"

#include <algorithm>

static const prebuilt_command default_commands[] = {
    {"cmnd_nothing", "sim/operation/none", "Do nothing at all!", 3, 0, 0},
};

cmnd_class cmnd;

cmnd_class::cmnd_class() {
  for (const prebuilt_command& c : default_commands) {
    cmnd_enums.push_back(c.def_cmnd_enums);
    cmnd_names.push_back(c.def_cmnd_names);
    cmnd_descs.push_back(c.def_cmnd_descs);
    cmnd_type.push_back(c.def_cmnd_type);
  }
}

std::string cmnd_class::get_cmnd_name(int index) const {
  return index >= 0 && index < (int)cmnd_names.size() ? cmnd_names[index] : std::string();
}

std::string cmnd_class::get_cmnd_desc(int index) const {
  return index >= 0 && index < (int)cmnd_descs.size() ? cmnd_descs[index] : std::string();
}

int cmnd_class::get_cmnd_by_name(const std::string& name) const {
  for (size_t i = 0; i < cmnd_names.size(); i++)
    if (cmnd_names[i] == name) return (int)i;
  return 0;
}

void cmnd_class::get_cmds_in_path(const std::string& path, std::vector<std::string>& out) const {
  out.clear();
  for (const std::string& name : cmnd_names) {
    if (name.size() <= path.size() || name.compare(0, path.size(), path) != 0) continue;
    std::string rest = name.substr(path.size());
    size_t slash = rest.find('/');
    if (slash != std::string::npos) rest.resize(slash + 1);
    out.push_back(rest);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

void cmnd_class::press_one(int) {}
void cmnd_class::release_one(int) {}
void cmnd_class::press_always(int) {}
