// Builds zip archives for tests with minizip's writer, including archives that no
// well-behaved tool would make (hostile member names).
#pragma once
#include <string>
#include <vector>

struct zip_member {
  std::string name;   // stored name; ending in "/" makes a folder entry
  std::string bytes;  // contents of a file entry
  unsigned unix_mode = 0;  // when set, stored as a Unix member with this mode
  bool store = false;      // true: no compression
};

// Writes the archive; throws on failure.
void make_zip(const std::string& path, const std::vector<zip_member>& members);
