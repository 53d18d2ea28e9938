// Small helpers shared by the tests: temporary folders, whole-file reads and
// writes, running a command and capturing what it printed.
#pragma once
#include <string>
#include <vector>

// A fresh empty folder, removed with everything in it when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder's path, ending with "/".
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& rel) const { return path_ + rel; }

 private:
  std::string path_;
};

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
// Creates the folder and any missing parents.
void make_dirs(const std::string& path);
// `n` bytes from a fixed pseudo-random sequence chosen by `seed`.
std::string random_bytes(size_t n, unsigned seed);

// Runs a shell command; returns its exit status and puts its standard output in *out.
int run_command(const std::string& command, std::string* out = nullptr);
// The MD5 of a file as md5sum prints it ("" when md5sum fails).
std::string md5sum_of(const std::string& path);
// Quotes a string for the shell.
std::string shell_quote(const std::string& s);

// Every file below `root` (relative paths, sorted), for comparing trees.
std::vector<std::string> list_tree(const std::string& root);
