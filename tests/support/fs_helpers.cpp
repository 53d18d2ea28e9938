// Test helpers over the file system and the shell.
#include "support/fs_helpers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string base = fs::temp_directory_path().string() + "/vantrel-test-XXXXXX";
  std::vector<char> buf(base.begin(), base.end());
  buf.push_back(0);
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = std::string(buf.data()) + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests make folders read-only on purpose; give them back before removing.
  for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

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

bool file_exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

void make_dirs(const std::string& path) { fs::create_directories(path); }

std::string random_bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (size_t i = 0; i < n; i++) s[i] = (char)(gen() & 0xFF);
  return s;
}

int run_command(const std::string& command, std::string* out) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int status = pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    std::string rel = fs::relative(e.path(), root).string();
    files.push_back(e.is_directory() ? rel + "/" : rel);
  }
  std::sort(files.begin(), files.end());
  return files;
}
