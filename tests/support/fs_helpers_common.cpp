// Test helpers over the file system and the shell that are the same on Linux
// and in the Windows test programs; the rest is in fs_helpers.cpp and
// win32/fs_helpers_win32.cpp.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "support/fs_helpers.h"

namespace fs = std::filesystem;

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), (std::streamsize)bytes.size());
  if (!f) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void make_dirs(const std::string& path) { fs::create_directories(path); }

std::string random_bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (size_t i = 0; i < n; i++) s[i] = (char)(gen() & 0xFF);
  return s;
}

std::string shell_quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string md5sum_of(const std::string& path) {
  std::string out;
  if (run_command("md5sum " + shell_quote(path), &out) != 0 || out.size() < 32) return "";
  return out.substr(0, 32);
}

std::vector<std::string> list_tree(const std::string& root) {
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    std::string rel = fs::relative(e.path(), root).generic_string();
    files.push_back(e.is_directory() ? rel + "/" : rel);
  }
  std::sort(files.begin(), files.end());
  return files;
}
