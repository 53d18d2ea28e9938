// Publishing one release: walks the product folder, checks every path against
// what the installer can install, takes the histories from the previous release,
// makes (or takes over) one archive per file and writes the directory file, all
// in a staging folder that is renamed into place at the end.
//
// Sections: names and sizes; the product walk; the previous release; the
// archives (worker threads); the directory text; publish_release.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

#include "files/IO_UTILS.h"
#include "files/xmap.h"
#include "installer/dest.h"
#include "installer/utils.h"
#include "platform/plat_files.h"
#include "publish/publish.h"

namespace fs = std::filesystem;

std::atomic<int> publish_stop{0};

// ---------------------------------------------------------------------------
// Names and sizes
// ---------------------------------------------------------------------------

uint64_t size_in_kb(uint64_t bytes) { return (bytes + 999) / 1000; }

// A name as a message shows it: control characters written as escapes, so that
// every message stays on one line.
static std::string shown(const std::string& s) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || c == 0x7f) out += std::string("\\x") + digits[c >> 4] + digits[c & 15];
    else out += (char)c;
  }
  return out;
}

static std::string quoted(const std::string& s) { return "\"" + shown(s) + "\""; }

// The rules every single name (a folder or file name, or the release name) keeps.
static std::string component_problem(const std::string& c) {
  if (c.empty()) return "has an empty name";
  if (c == "." || c == "..") return "has a \"" + c + "\" component";
  for (unsigned char ch : c) {
    if (ch == '\n' || ch == '\r') return "holds a line break, which the directory file cannot carry";
    if (ch < 0x20 || ch == 0x7f) return "holds a control character";
    if (ch == '\\') return "holds a \"\\\", which installers on Windows read as a folder separator";
    if (ch == '?' || ch == '#' || ch == '%') return std::string("holds a \"") + (char)ch + "\", which changes the meaning of a download address";
  }
  if (is_partial_name(c)) return "uses a name the installer keeps for its partial downloads";
  return "";
}

std::string product_path_problem(const std::string& p) {
  if (p.empty()) return "is empty";
  if (path_has_no_file(p)) return "ends with \"/\", so it names no file";
  for (const char* dropped : {"900 red terrain", "Earth Orbit Textures"})
    if (p.find(dropped) != std::string::npos)
      return "contains " + quoted(dropped) + ", and the installer drops such files";
  size_t start = 0;
  while (true) {
    const size_t end = p.find('/', start);
    const std::string c = p.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::string why = component_problem(c);
    if (!why.empty()) return why;
    if (end == std::string::npos) {
      if (c[0] == ' ') return "has a file name that starts with a blank, which the directory file cannot carry";
      break;
    }
    if (start == 0 && c[0] == ' ')
      return "has a top folder name that starts with a blank, which the directory file cannot carry";
    start = end + 1;
  }
  if (p.find('/') == std::string::npos) return "lies outside the product's top folder";
  // The installer's own rule for where a product path may lead.
  if (!is_safe_relative_path(p.substr(p.find('/') + 1))) return "would lead outside the install folder";
  return "";
}

std::string release_name_problem(const std::string& name) {
  if (name.empty()) return "is empty";
  if (name.find('/') != std::string::npos) return "holds a \"/\"; a release name is one folder name";
  const std::string why = component_problem(name);
  if (!why.empty()) return why;
  if (name.front() == ' ' || name.front() == '\t' || name.back() == ' ' || name.back() == '\t')
    return "starts or ends with a blank";
  return "";
}

// ---------------------------------------------------------------------------
// The product walk
// ---------------------------------------------------------------------------

struct product_file {
  std::string rel;           // path below the top folder
  std::string product_path;  // top + "/" + rel
  std::string source;        // the file on disk
  unsigned mode = 0644;
  int64_t mtime = 0;
  int os_type = 0;
  // Filled by the archive workers:
  file_fingerprint fp;
  bool reused = false;
  uint64_t archive_size = 0;
};

static int64_t mtime_of(const fs::path& p) {
  using namespace std::chrono;
  const auto ft = fs::last_write_time(p);
  const auto sys = time_point_cast<system_clock::duration>(ft - fs::file_time_type::clock::now() + system_clock::now());
  return (int64_t)system_clock::to_time_t(sys);
}

// Every regular file below `root`, in byte order of their paths. Links and other
// special files are refused: a link could pull files from outside the product
// onto a public mirror.
static std::vector<product_file> walk_product(const fs::path& root, const std::string& top) {
  std::vector<product_file> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(root, fs::directory_options::none, ec), end;
  if (ec) throw publish_error(root.string() + ": cannot list the folder (" + ec.message() + ")");
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    const fs::path& p = it->path();
    const fs::file_status st = it->symlink_status(ec);
    if (ec) break;
    const std::string rel = p.lexically_relative(root).generic_string();
    if (fs::is_symlink(st))
      throw publish_error("refused " + shown(top + "/" + rel) + ": it is a symbolic link; put the file itself in the product");
    if (fs::is_directory(st)) continue;
    if (!fs::is_regular_file(st))
      throw publish_error("refused " + shown(top + "/" + rel) + ": it is not a regular file");
    product_file f;
    f.rel = rel;
    f.product_path = top + "/" + rel;
    f.source = p.string();
    f.mode = (unsigned)st.permissions() & 07777u;
    f.mtime = mtime_of(p);
    files.push_back(f);
  }
  if (ec) throw publish_error(root.string() + ": cannot list the folder (" + ec.message() + ")");
  std::sort(files.begin(), files.end(),
            [](const product_file& a, const product_file& b) { return a.product_path < b.product_path; });
  return files;
}

// ---------------------------------------------------------------------------
// The previous release
// ---------------------------------------------------------------------------

// One FILE record.
struct dir_record {
  int use_type = 1;
  int os_type = 0;
  int version_num = 1;
  uint64_t down_kb = 0, disk_kb = 0;
  std::string sig;
};

struct previous_path {
  std::string product_path;         // as the previous directory wrote it
  std::vector<dir_record> versions;  // in file order; the last is current
};

struct previous_release {
  std::string archive_root;  // the folder of its directory file; archives at + product path + ".zip"
  std::map<std::string, previous_path> paths;  // by path below the top folder
};

// Reads a directory text with the installer's reading rules. Paths are keyed
// below their top folder: that is where a file lives on the user's disk, so a
// product whose top folder was renamed keeps its histories.
static void read_directory_text(const std::string& text_path, const std::string& label, previous_release& prev) {
  xmap_class m(text_path);
  if (!m.mBegin) throw publish_error(label + ": the previous directory file is empty or cannot be read");
  const int versions[] = {840, 900, 0};
  if (m.check_file(10001, versions, "INSTALLER", nullptr) == 0)
    throw publish_error(label + ": not a directory file (it must start with \"I\", 840 or 900, \"INSTALLER\")");
  std::string prefix, name;
  file_version_struct v;
  while (next_directory_record(m, prefix, v, name)) {
    if (directory_name_dropped(name)) continue;  // the installer never sees these
    dir_record r;
    r.use_type = v.use_type;
    r.os_type = v.os_type;
    r.version_num = v.version_num;
    r.down_kb = (uint64_t)std::max(0.0f, v.down_size);
    r.disk_kb = (uint64_t)std::max(0.0f, v.disk_size);
    r.sig = v.sig_want;
    const size_t slash = v.path.find('/');
    const std::string key = slash == std::string::npos ? v.path : v.path.substr(slash + 1);
    previous_path& pp = prev.paths[key];
    if (pp.versions.empty()) pp.product_path = v.path;
    pp.versions.push_back(r);
  }
}

static bool is_zip_file(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char magic[4] = {0, 0, 0, 0};
  const size_t n = fread(magic, 1, 4, f);
  fclose(f);
  return n == 4 && magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4;
}

static previous_release read_previous(const std::string& path) {
  previous_release prev;
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) throw publish_error(path + ": the previous directory file does not exist");
  const fs::path abs = fs::absolute(path, ec);
  prev.archive_root = abs.parent_path().string() + "/";
  if (!is_zip_file(path)) {
    read_directory_text(abs.string(), path, prev);
    return prev;
  }
  // A "directory.txt.zip" as the mirror serves it: unpacked into a private folder.
  static std::atomic<int> counter{0};
  const fs::path tmp = fs::temp_directory_path(ec) /
                       ("vantrel-publish-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  fs::create_directories(tmp, ec);
  if (ec) throw publish_error(tmp.string() + ": cannot create a temporary folder (" + ec.message() + ")");
  try {
    const int err = zip_to_file(abs.string(), tmp.string() + "/", nullptr, 0);
    if (err) throw publish_error(path + ": cannot unpack the previous directory file (" + error_str(err) + ")");
    const std::string text = tmp.string() + "/directory.txt";
    if (PLAT_path_kind(text) != 1) throw publish_error(path + ": the archive holds no \"directory.txt\"");
    read_directory_text(text, path, prev);
  } catch (...) {
    fs::remove_all(tmp, ec);
    throw;
  }
  fs::remove_all(tmp, ec);
  return prev;
}

// Every folder above a path: "a/b/c" gives "a" and "a/b".
static void add_folders_of(const std::string& rel, std::set<std::string>& folders) {
  for (size_t slash = rel.find('/'); slash != std::string::npos; slash = rel.find('/', slash + 1))
    folders.insert(rel.substr(0, slash));
}

// A path that was a file in the previous release and is a folder now, or the
// other way round, cannot be updated in one go: the installer makes the new
// folders before it deletes the old file, and unpacks a file while the old
// folder is still there, so the update fails. Only files the previous release
// still had count; a path that was gone before may be reused.
static void refuse_file_folder_swaps(const std::vector<product_file>& files, const previous_release& prev,
                                     const std::string& top) {
  std::set<std::string> new_folders, old_folders;
  for (const product_file& f : files) add_folders_of(f.rel, new_folders);
  for (const auto& entry : prev.paths)
    if (entry.second.versions.back().sig != "GONE") add_folders_of(entry.first, old_folders);
  for (const auto& entry : prev.paths)
    if (entry.second.versions.back().sig != "GONE" && new_folders.count(entry.first))
      throw publish_error("refused " + shown(top + "/" + entry.first) +
                          "/: the previous release has a file there; the installer cannot turn a file into a folder "
                          "in one update (publish a release without it first); nothing was published");
  for (const product_file& f : files)
    if (old_folders.count(f.rel))
      throw publish_error("refused " + shown(f.product_path) +
                          ": the previous release has a folder there; the installer cannot turn a folder into a file "
                          "in one update (publish a release without it first); nothing was published");
}

// ---------------------------------------------------------------------------
// The archives
// ---------------------------------------------------------------------------

static std::string file_name_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Takes over an archive of the previous release: a hard link where the file
// system allows one (no copy, no space), a copy otherwise.
static void take_over_archive(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::create_hard_link(from, to, ec);
  if (!ec) return;
  fs::copy_file(from, to, ec);
  if (ec) throw publish_error(to + ": cannot copy the previous release's archive (" + ec.message() + ")");
}

// Works on one file: signature, then either the previous archive or a new one.
static void make_archive(product_file& f, const previous_release* prev, const std::string& staging, int level,
                         const std::atomic<int>* failed) {
  f.fp = fingerprint_file(f.source);
  const std::string archive = staging + f.product_path + ".zip";
  const std::string member = file_name_of(f.product_path);
  const bool runnable = (f.mode & 0111) != 0;
  if (prev) {
    auto it = prev->paths.find(f.rel);
    if (it != prev->paths.end() && it->second.versions.back().sig == f.fp.md5) {
      const std::string old = prev->archive_root + it->second.product_path + ".zip";
      if (archive_holds(old, member, f.fp.size, f.fp.crc, runnable)) {
        take_over_archive(old, archive);
        f.reused = true;
      }
    }
  }
  if (!f.reused) zip_file_as_member(f.source, member, archive, f.mode, f.mtime, level, f.fp.md5, failed);
  const int64_t size = PLAT_file_size(archive);
  if (size < 0) throw publish_error(archive + ": the archive cannot be read back");
  f.archive_size = (uint64_t)size;
}

// Runs make_archive over every file on `jobs` threads; the first failure stops
// the others and is thrown here.
static void make_archives(std::vector<product_file>& files, const previous_release* prev, const std::string& staging,
                          int jobs, int level, bool verbose) {
  std::atomic<size_t> next{0};
  std::atomic<int> failed{0};
  std::mutex lock;
  std::string failure;
  auto worker = [&]() {
    while (!publish_stop && !failed) {
      const size_t i = next++;
      if (i >= files.size()) return;
      try {
        make_archive(files[i], prev, staging, level, &failed);
        if (verbose) {
          std::lock_guard<std::mutex> hold(lock);
          std::cout << (files[i].reused ? "reused     " : "compressed ") << files[i].product_path << "\n";
        }
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> hold(lock);
        if (failure.empty()) failure = e.what();
        failed = 1;
        return;
      }
    }
  };
  std::vector<std::thread> threads;
  for (int t = 1; t < jobs; t++) threads.emplace_back(worker);
  worker();
  for (std::thread& t : threads) t.join();
  if (!failure.empty() && failure != "interrupted") throw publish_error(failure);
  if (publish_stop) throw publish_error("interrupted; nothing was published");
}

// ---------------------------------------------------------------------------
// The directory text
// ---------------------------------------------------------------------------

struct out_path {
  std::string product_path;
  std::vector<dir_record> versions;
};

static std::string record_line(const dir_record& r, const std::string& name) {
  return "FILE " + std::to_string(r.use_type) + " " + std::to_string(r.os_type) + " " +
         std::to_string(r.version_num) + " " + std::to_string(r.down_kb) + " " + std::to_string(r.disk_kb) + " " +
         r.sig + " " + name + "\n";
}

// The earlier versions worth listing: real signatures, each once, none equal to
// the current one (an older copy on disk is recognised by them).
static std::vector<dir_record> earlier_versions(const std::vector<dir_record>& history, const std::string& current) {
  std::vector<dir_record> out;
  for (const dir_record& r : history) {
    if (r.sig == "GONE" || r.sig == current) continue;
    bool seen = false;
    for (const dir_record& o : out) seen = seen || o.sig == r.sig;
    if (!seen) out.push_back(r);
  }
  return out;
}

static std::string directory_file_text(const std::vector<out_path>& paths) {
  std::string text = "I\n900 version\nINSTALLER\n";
  std::string dir;
  bool first = true;
  for (const out_path& p : paths) {
    const size_t slash = p.product_path.rfind('/');
    const std::string prefix = p.product_path.substr(0, slash + 1);
    if (first || prefix != dir) text += "DIR " + prefix + "\n";
    first = false;
    dir = prefix;
    const std::string name = p.product_path.substr(slash + 1);
    for (const dir_record& r : p.versions) text += record_line(r, name);
  }
  return text;
}

// ---------------------------------------------------------------------------
// publish_release
// ---------------------------------------------------------------------------

static std::string with_slash(std::string s) {
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

static std::string folder_problem(const std::string& folder) {
  if (folder.empty() || folder.front() != '/' || folder.back() != '/') return "must start and end with \"/\"";
  if (folder == "/") return "";
  const std::string inner = folder.substr(1, folder.size() - 2);
  size_t start = 0;
  while (true) {
    const size_t end = inner.find('/', start);
    const std::string why = component_problem(inner.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (!why.empty()) return why;
    if (end == std::string::npos) return "";
    start = end + 1;
  }
}

// Removes what this run created when it fails: the staging folder and the
// server folders it had to make.
struct publish_cleanup {
  std::string staging;
  std::vector<std::string> made_folders;  // outermost first
  bool armed = true;
  ~publish_cleanup() {
    if (!armed) return;
    std::error_code ec;
    if (!staging.empty()) fs::remove_all(staging, ec);
    for (auto it = made_folders.rbegin(); it != made_folders.rend(); ++it) fs::remove(*it, ec);  // only when empty
  }
};

release_report publish_release(const release_options& opt) {
  std::string why;
  if (!(why = release_name_problem(opt.name)).empty())
    throw publish_error("the release name " + quoted(opt.name) + " " + why);
  if (!(why = folder_problem(opt.folder)).empty()) throw publish_error("--folder " + quoted(opt.folder) + " " + why);
  if (opt.out.empty()) throw publish_error("--out names no folder");
  std::error_code ec;
  if (!fs::is_directory(opt.product, ec)) throw publish_error(opt.product + ": the product folder does not exist");
  const fs::path product = fs::canonical(opt.product, ec);
  if (ec) throw publish_error(opt.product + ": " + ec.message());
  const std::string top = product.filename().string();
  if (top == "directory.txt.zip")
    throw publish_error(opt.product + ": a product folder of that name would clash with the release's directory file");
  const fs::path mirror = fs::weakly_canonical(fs::absolute(opt.out), ec);
  const std::string product_s = with_slash(product.string());
  if (with_slash(mirror.string()).rfind(product_s, 0) == 0)
    throw publish_error("--out " + quoted(opt.out) + " lies inside the product folder; the mirror would publish itself");

  std::vector<product_file> files = walk_product(product, top);
  if (files.empty()) throw publish_error(opt.product + ": the product folder holds no files");
  int refused = 0;
  std::string first_refusal;
  for (const product_file& f : files) {
    const std::string problem = product_path_problem(f.product_path);
    if (problem.empty()) continue;
    if (refused++ == 0) first_refusal = "refused " + shown(f.product_path) + ": it " + problem;
  }
  if (refused > 1) first_refusal += " (and " + std::to_string(refused - 1) + " more refused paths)";
  if (refused) throw publish_error(first_refusal + "; nothing was published");

  std::vector<os_rule> rules;
  if (!opt.os_rules.empty()) rules = read_os_rules(opt.os_rules);
  for (product_file& f : files) f.os_type = os_type_for(rules, f.rel);

  previous_release prev;
  const bool have_prev = !opt.previous.empty();
  if (have_prev) prev = read_previous(opt.previous);

  if (have_prev) refuse_file_folder_swaps(files, prev, top);

  const std::string base = with_slash(mirror.string()) + opt.folder.substr(1);
  const std::string target = base + opt.name + "/";
  if (PLAT_path_kind(target) != 0)
    throw publish_error(target + ": the release exists already; publish under a new name");

  publish_cleanup cleanup;
  {
    // The server folders, made one level at a time so a failure can undo them.
    std::vector<fs::path> missing;
    for (fs::path p = fs::path(base).parent_path(); !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
      missing.push_back(p);
      if (p == p.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
      if (!fs::create_directory(*it, ec) && ec)
        throw publish_error(it->string() + ": cannot create the folder (" + ec.message() + ")");
      cleanup.made_folders.push_back(it->string());
    }
  }
  cleanup.staging = base + "." + opt.name + ".publishing-" + std::to_string(getpid()) + "/";
  fs::remove_all(cleanup.staging, ec);
  for (const product_file& f : files) {
    fs::create_directories(fs::path(cleanup.staging + f.product_path).parent_path(), ec);
    if (ec) throw publish_error(cleanup.staging + ": cannot create the staging folder (" + ec.message() + ")");
  }

  int jobs = opt.jobs > 0 ? opt.jobs : (int)std::thread::hardware_concurrency();
  jobs = std::max(1, std::min(jobs, 16));
  make_archives(files, have_prev ? &prev : nullptr, cleanup.staging, jobs, opt.level, opt.verbose);

  release_report rep;
  std::map<std::string, out_path> listed;  // by product path: byte order
  for (const product_file& f : files) {
    dir_record cur;
    cur.os_type = f.os_type;
    cur.down_kb = size_in_kb(f.archive_size);
    cur.disk_kb = size_in_kb(f.fp.size);
    cur.sig = f.fp.md5;
    out_path& o = listed[f.product_path];
    o.product_path = f.product_path;
    auto it = prev.paths.find(f.rel);
    if (it != prev.paths.end()) {
      const dir_record& last = it->second.versions.back();
      cur.use_type = last.use_type;
      cur.version_num = last.sig == cur.sig ? last.version_num : last.version_num + 1;
      o.versions = earlier_versions(it->second.versions, cur.sig);
      if (last.sig == "GONE") rep.added++;
      else if (last.sig != cur.sig) rep.changed++;
    } else {
      rep.added++;
    }
    o.versions.push_back(cur);
    rep.files++;
    (f.reused ? rep.reused : rep.compressed)++;
    rep.file_bytes += f.fp.size;
    if (f.fp.size == 0) rep.empty_files.push_back(f.product_path);
    rep.archive_bytes += f.archive_size;
  }
  // Paths this release lacks: deleted on the users' disks, for the system they were for.
  std::map<std::string, bool> present;
  for (const product_file& f : files) present[f.rel] = true;
  for (const auto& entry : prev.paths) {
    if (present.count(entry.first)) continue;
    const dir_record& last = entry.second.versions.back();
    dir_record gone = last;
    gone.down_kb = gone.disk_kb = 0;
    gone.sig = "GONE";
    if (last.sig != "GONE") gone.version_num = last.version_num + 1;
    const std::string path = top + "/" + entry.first;
    // A path the installer would refuse outright cannot be listed, not even as gone.
    if (path_has_no_file(path) || !is_safe_relative_path(entry.first)) continue;
    out_path& o = listed[path];
    o.product_path = path;
    o.versions = earlier_versions(entry.second.versions, "GONE");
    o.versions.push_back(gone);
    rep.gone++;
  }
  std::vector<out_path> ordered;
  for (auto& entry : listed) ordered.push_back(entry.second);
  zip_bytes_as_member(cleanup.staging + "directory.txt.zip", "directory.txt", directory_file_text(ordered));

  if (publish_stop) throw publish_error("interrupted; nothing was published");
  std::string staging_dir = cleanup.staging, target_dir = target;
  staging_dir.pop_back();
  target_dir.pop_back();
  const int err = PLAT_rename_noreplace(staging_dir, target_dir);
  if (err == PLAT_ERR_EXISTS) throw publish_error(target + ": the release exists already; publish under a new name");
  if (err) throw publish_error(target + ": cannot put the release in place (" + error_str(err) + ")");
  cleanup.armed = false;
  rep.release_folder = target;
  return rep;
}
