// vantrel-publish: makes what a mirror serves to the installer. A release is a
// folder MIRROR + FOLDER + NAME + "/" holding "directory.txt.zip" (the directory
// file) and one zip archive per product file; the server list names the release
// and the mirrors that hold it. This header is the manual for the tool's parts.
//
// Every failure is a publish_error whose text is one line meant for the user; the
// program prints it and exits non-zero. Nothing partial is left behind: a release
// is built in a hidden staging folder beside its target and renamed into place
// only when complete, and the server list is written to a temporary name first.
#pragma once
#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct publish_error : std::runtime_error {
  explicit publish_error(const std::string& what) : std::runtime_error(what) {}
};

// Set (from a signal handler or after a failure) to abandon the work in hand; the
// staging folder is then removed and nothing is published.
extern std::atomic<int> publish_stop;

// ---------------------------------------------------------------------------
// Releases
// ---------------------------------------------------------------------------

struct release_options {
  std::string product;   // the product folder; its own name is the top folder of every product path
  std::string name;      // the release name (a folder name on the mirror)
  std::string out;       // the mirror's root folder (created when missing)
  std::string folder;    // the server folder below the root: starts and ends with "/"
  std::string previous;  // optional: the previous release's "directory.txt.zip" or "directory.txt"
  std::string os_rules;  // optional: the rules file that gives files their os_type
  int jobs = 0;          // archives compressed at once; 0 picks from the processor count
  int level = 6;         // deflate level 1..9
  bool verbose = false;  // one line per file on standard output
};

struct release_report {
  std::string release_folder;  // where the release now is (ends with "/")
  int files = 0;               // files in the release
  int compressed = 0;          // archives made by compressing
  int reused = 0;              // archives taken over from the previous release unchanged
  int changed = 0;             // files whose content differs from the previous release
  int added = 0;               // files the previous release did not have
  int gone = 0;                // paths listed as "GONE" (the previous release had them, this one has not)
  uint64_t file_bytes = 0;     // bytes of the product files
  uint64_t archive_bytes = 0;  // bytes of their archives
  std::vector<std::string> empty_files;  // product paths of zero-length files (see vantrel-publish --help)
};

// Publishes a release (see the file comment). Refuses, before writing anything, a
// product whose paths the installer would refuse, drop or fail to fetch, naming the
// file. Throws publish_error.
release_report publish_release(const release_options& opt);

// Kilobytes of 1000 bytes, rounded up (the unit of the directory file's sizes).
uint64_t size_in_kb(uint64_t bytes);

// Why a product path (top folder included) cannot be published, or "" when it
// can. The rules: every component is a safe, non-empty name (no "." or ".."); no
// line-end or other control character; no "\" (a separator for Windows
// installers); no "?", "#" or "%" (they change a request's meaning in a URL); a
// file name does not start with a blank (the directory file's reader skips
// blanks before names); no name contains "900 red terrain" or "Earth Orbit
// Textures" (the installer drops such records); the path does not end with "/";
// no name is one the installer uses for its own partial files.
std::string product_path_problem(const std::string& product_path);
// Why a release name cannot be used, or "" when it can: the product path rules
// for one component, and no blank at either end (the server list keeps trailing
// blanks, which would end up in every server path).
std::string release_name_problem(const std::string& name);

// ---------------------------------------------------------------------------
// os_type rules
// ---------------------------------------------------------------------------

// One line of a rules file: GLOB OS_TYPE. The glob is matched against the product
// path below the top folder ("Resources/plugins/x.so"); "*" matches any run of
// characters, "/" included, "?" any one character, every other character itself.
struct os_rule {
  std::string glob;
  int os_type = 0;
  int line = 0;
};

// Reads a rules file: one rule per line, the glob first and the os_type (0..6)
// as the last word; blanks around them do not count, so a glob may hold blanks.
// Empty lines and lines starting with "#" are skipped. Throws publish_error
// naming the file and line of a malformed rule.
std::vector<os_rule> read_os_rules(const std::string& path);
// The os_type of a path below the top folder: the first rule that matches, or 0.
int os_type_for(const std::vector<os_rule>& rules, const std::string& rel_path);
// 1 when `glob` matches all of `text` under the rules above.
int glob_match(const std::string& glob, const std::string& text);

// ---------------------------------------------------------------------------
// Archives
// ---------------------------------------------------------------------------

// What a pass over a file's bytes found.
struct file_fingerprint {
  std::string md5;   // 32 lower-case hex digits (of empty content for an empty file)
  uint32_t crc = 0;  // the zip checksum of the bytes
  uint64_t size = 0;
};
// Hashes a file; throws publish_error when it cannot be read.
file_fingerprint fingerprint_file(const std::string& path);

// Compresses the file `src` into a new archive `zip_path` as its only member,
// named `member`, with the Unix mode `mode` (the installer keeps programs
// runnable) and the modification time `mtime` (seconds since 1970). `want_md5`
// is the content's signature taken earlier: a file that changed since then is an
// error, so an archive never disagrees with its record. `stop`, when set during
// the work, abandons it. Throws publish_error.
void zip_file_as_member(const std::string& src, const std::string& member, const std::string& zip_path,
                        unsigned mode, int64_t mtime, int level, const std::string& want_md5,
                        const std::atomic<int>* stop);
// Writes an archive holding `bytes` as its only member `member`.
void zip_bytes_as_member(const std::string& zip_path, const std::string& member, const std::string& bytes);
// 1 when `zip_path` is an archive holding exactly one member, named `member`,
// of `size` bytes with checksum `crc` and with the executable bits `runnable`.
int archive_holds(const std::string& zip_path, const std::string& member, uint64_t size, uint32_t crc,
                  bool runnable);

// ---------------------------------------------------------------------------
// Server lists
// ---------------------------------------------------------------------------

struct server_entry {
  std::string host;         // host name, optionally ":PORT"
  std::string path;         // the server folder: starts and ends with "/"
  std::string description;  // the label the installer shows for the server
};

// Writes the server list to `out`: the header, FINAL `final_name`, one SERVER
// triple per entry, ENDOFLIST. Refuses (publish_error) what the installer would
// read differently from what was meant: more than ten servers, an empty or
// blank-edged name, a host with a blank or a "/", a path that does not start and
// end with "/", an empty description, any line-end character.
void publish_server_list(const std::string& final_name, const std::vector<server_entry>& servers,
                         const std::string& out);
// The text of such a server list (no checks).
std::string server_list_file_text(const std::string& final_name, const std::vector<server_entry>& servers);
