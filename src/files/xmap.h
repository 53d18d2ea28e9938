// Read-only access to a whole file as one range of bytes, through a memory
// mapping, with a cursor for sequential parsing. Every reader of the program's
// files (server list, directory, preferences, disc marker, MD5 of files) uses it.
#pragma once
#include <string>

#include "platform/plat_files.h"

class xmap_class {
 public:
  int rev_inf_bin = 0;         // 1: a binary file's numbers are in the other byte order ("a")
  std::string crt_path;        // shown in the "Bad check_file type!" alert
  int io_opr = 0;              // unused
  unsigned char* mBegin = nullptr;  // first byte; null when nothing is mapped
  unsigned char* mCrt = nullptr;    // read cursor, mBegin <= mCrt <= mEnd
  unsigned char* mEnd = nullptr;    // one past the last byte
  PLAT_mapping mMapping;            // the open file and its view

  // Maps `path` (empty: nothing). A missing, unreadable or empty file leaves mBegin null.
  explicit xmap_class(const std::string& path);
  ~xmap_class();
  xmap_class(const xmap_class&) = delete;
  xmap_class& operator=(const xmap_class&) = delete;

  // (Re)maps a file and puts the cursor at its start; returns mBegin (null on failure).
  // A wrong separator in `path` or a path of 500 characters or more ends the program.
  unsigned char* retry(const std::string& path);
  // Checks the program's own file header. `type` 10000 binary, 10001 text;
  // `versions` accepted versions ended by 0; `keyword` (text, may be null) must
  // follow the version line; `rest` (may be null) gets the rest of that line.
  // Returns the version when acceptable, with the cursor after the header; else 0.
  int check_file(int type, const int* versions, const char* keyword, std::string* rest);

  // Text-reading rules shared by the program's readers. A blank is a space or a
  // tab; a line end is LF, CR or NUL.
  static bool is_blank(unsigned char c) { return c == ' ' || c == '\t'; }
  static bool is_line_end(unsigned char c) { return c == '\n' || c == '\r' || c == 0; }
  void skip_blanks();      // over spaces and tabs
  void skip_to_eol();      // stops in front of the first line-end character
  void skip_line_ends();   // over any run of line-end characters and blanks
  int read_int();          // blanks, optional "-", optional "+", then digits up to a blank or line end
  std::string read_word(); // blanks, then everything up to the next blank or line end
  std::string read_rest_of_line();  // blanks, then everything up to the line end
  // A keyword at the cursor, followed by a blank (or, with `line_end_ok`, by a line
  // end or the end of the data): the cursor passes it and the result is true.
  // Otherwise the cursor stays and the result is false.
  bool take_keyword(const char* word, bool line_end_ok);
  bool at_end() const { return mCrt >= mEnd; }

 private:
  void release();
};
