// The command table: named commands that keys can be bound to. The installer has
// one command, which does nothing; the table is listed by "--cmnds".
#pragma once
#include <string>
#include <vector>

struct prebuilt_command {
  const char* def_cmnd_enums;
  const char* def_cmnd_names;  // slash-separated path, e.g. "sim/operation/none"
  const char* def_cmnd_descs;
  int def_cmnd_type;
  int def_cmnd_vkey;
  int def_cmnd_flag;
};

class cmnd_class {
 public:
  std::vector<std::string> cmnd_enums;
  std::vector<std::string> cmnd_names;
  std::vector<std::string> cmnd_descs;
  std::vector<int> cmnd_type;

  cmnd_class();  // fills the arrays from the built-in table
  std::string get_cmnd_name(int index) const;
  std::string get_cmnd_desc(int index) const;
  // Index of the first command with exactly this name; 0 when there is none.
  int get_cmnd_by_name(const std::string& name) const;
  // The distinct next components of every command name below `path`, sorted: each
  // is the rest of the name up to and including the next "/", or the whole rest.
  void get_cmds_in_path(const std::string& path, std::vector<std::string>& out) const;
  // The command's actions on press, release and while held: none in this program.
  void press_one(int index);
  void release_one(int index);
  void press_always(int index);
};

extern cmnd_class cmnd;  // the command table (built before start-up)
