// The installer's preferences file "Vantrel Installer.prf": tagged lines read at
// start-up and written at shutdown. Any tag can be overridden for one run with
// the option "--pref:" + tag.
#pragma once
#include <map>
#include <string>

// One reading or writing pass over a preferences file.
class scan_class {
 public:
  int opr_typ = 0;                              // 0 read, 1 write
  std::map<std::string, std::string> prefs_map; // tag -> value, when reading

  // Writing: opens the file (through ouf) and writes its header. Reading: reads
  // every tagged line of an acceptable file into prefs_map.
  scan_class(const std::string& path, int in_opr);
  ~scan_class();
  // Writing: writes "tag input" and returns 0. Reading: sets output to the
  // command-line override or the stored value and returns 1, or returns 0 when
  // neither exists (output unchanged).
  int fetch_or_get(const std::string& input, std::string& output, const std::string& tag);
};

class pref_class {
 public:
  ~pref_class() {}
  // prf_typ 11 (the installer's file); opr_typ 0 reads it into the variables, 1
  // writes the variables out.
  void IO_set(int prf_typ, int opr_typ);
};

extern pref_class pref;  // the preferences procedure (set-up reads, shutdown writes)

// The preferences file's path: the preferences folder + "Vantrel Installer.prf".
std::string pref_file_path();
