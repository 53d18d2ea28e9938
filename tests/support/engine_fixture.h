// Helpers for tests of the installer engine: recorded alerts, scripted prompt
// answers, a clean engine state, and releases written as a mirror would hold them.
#pragma once
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

struct recorded_alert {
  std::string lines[4];
  int type = 0;
  std::string file;
  int line = 0;
};
// Thrown by the recorder for a fatal alert, so a test can watch the program "end".
struct fatal_alert : std::runtime_error {
  explicit fatal_alert(const std::string& what) : std::runtime_error(what) {}
};

extern std::vector<recorded_alert> g_alerts;          // every alert since the last reset
extern std::vector<int> g_prompt_answers;             // answers select_alert gives, in order
extern std::vector<std::string> g_prompted_paths;     // the files select_alert was asked about
extern std::vector<std::string> g_opened_urls;        // addresses go_to_URL was given

// Puts every installer global back to its start, routes alerts, prompts, the
// licence (accepted) and the browser to the recorders, points temp_path at `temp`
// and dest_dir_path at `dest`, and uses the system's real clock.
void reset_engine(const std::string& dest, const std::string& temp);

// Runs the engine's frames (clock, fetching steps) until the directory is read.
// False after `timeout` seconds or when the run ended (a refused file).
bool fetch_release(double timeout = 60);
// Starts the install and runs its frames (clock, transfer slice, install lines) to
// the end, calling `each_slice` between slices. False when it did not start or
// did not end within `timeout` seconds.
bool run_install(const std::function<void()>& each_slice = nullptr, double timeout = 120);

// One product file of a test release.
struct release_file {
  std::string path;   // product path below the top folder, e.g. "Resources/a.txt"
  std::string bytes;  // its content
  int os_type = 0;
  std::vector<std::string> old_bytes;  // contents of earlier versions (their signatures come first)
  bool gone = false;                   // listed with "GONE" as its current version
};

// The MD5 of some bytes as 32 hex digits.
std::string md5_of(const std::string& bytes);

// The files and folders below `root`: files with their MD5, folders ending
// with "/" and mapped to "".
std::map<std::string, std::string> destination_tree(const std::string& root);
// The same for a destination holding exactly the files of `files` that an
// install for `download_os` takes, with the folders every install makes.
std::map<std::string, std::string> expected_destination(const std::vector<release_file>& files, int download_os);

// Writes a release as a mirror holds it below `root`: root + folder + name + "/"
// holds "directory.txt.zip" and one archive per file (product path + ".zip",
// holding the file under its own name). Returns the directory text.
std::string write_release(const std::string& root, const std::string& folder, const std::string& name,
                          const std::vector<release_file>& files, const std::string& top = "Vantrel");
// The directory text alone (header and records), for reader tests.
std::string directory_text(const std::vector<release_file>& files, const std::string& top = "Vantrel");
// A server list naming `name` as the final version and the given servers
// (host, folder, description).
std::string server_list_text(const std::string& name, const std::vector<std::vector<std::string>>& servers);
