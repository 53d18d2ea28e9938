// The installer's shared state and its entry. `stg` and `next` are the install
// run's records; the strings below name the destination, the temporary folder,
// the servers and the file being worked on. Every installer module reads and
// writes them as noted beside each.
#pragma once
#include <string>

// Settings and state of the install run (one global, `stg`).
class stg_class {
 public:
  int dir_scan = 0;       // directory state: 0 not obtained, 1 unpacked, 2 refused, 3 read and examined
  int download_os = 0;    // whose files are installed: 1 Macintosh, 2 Windows, 3 Linux (preferences window)
  int log_actions = 0;    // 1: log each file expanded or deleted (preference)
  int step = 0;           // install step: 0 ready, 1 installing, 2 ended
  int got_404 = 0;        // 1 while a file download failed and another server is tried (transfer)
  int got_failed_install = 0;  // 1 when the install failed (transfer); cleared when an install starts
  int num_servers = 0;    // servers read from the server list; -1 until it has been read
  int sel_server = 0;     // server in use, 0 .. num_servers - 1
  int wrl_sel[36][18] = {};   // world-region selection; not used by the installer
  int wrl_disk[36][18] = {};  // world-region presence; not used by the installer
  int crnt_file_stat = 0;  // current file: 0 deleting, 1 downloading, 2 duplicate skipped, 3 not needed
  float crnt_file_rat = 0;  // fraction of the current file received
  int use_max_cpu = 0;      // 1: the frame loop never idles (preference)
  int rename_folder = 0;    // 1: rename the folder after a complete install (preference)
  int stream_count = 0;     // 0 automatic, 1..4 fixed number of download streams (preference)
  int always_ask_dir = 0;   // 1: ask for the destination at every start (preference)
  float down_req = 0;       // kilobytes to download for the destination (directory reader)
  float disk_req = 0;       // kilobytes the files to install occupy (directory reader)
};

// The four download streams of the transfer (one global, `next`). Stream s uses
// download slot s + 2 and the partial archive temp_path + s + ".zip".
class next_class {
 public:
  ~next_class() {}
  int next_index = 0;         // next directory entry a free stream examines
  int dir_done = 0;           // 1 once every active stream ran past the end: the install finished
  int stream_active[4] = {};  // the stream takes part
  int stream_waiting[4] = {}; // the stream takes a new file at its next step
  int stream_index[4] = {};   // directory entry the stream works on
  float star_time = 0;        // xtim.real_time at the last reset of the streams
  float file_down = 0;        // kilobytes received of the files in transfer (recomputed each call)
  float comp_down = 0;        // kilobytes of downloads completed since the reset
  float totl_disk = 0;        // kilobytes on disk of the files completed since the reset
};

extern stg_class stg;    // the install run (set-up, screens, engine)
extern next_class next;  // the download streams (transfer; reset by reset_streams)

extern std::string dest_dir_path;          // destination folder, ending with "/" (preferences, picker)
extern std::string temp_path;              // the system's temporary folder, ending with "/"
extern std::string install_name;           // version the server list offers; no_install_name until read
extern const std::string no_install_name;  // "Not Yet Scanned"
extern std::string server_name[10];        // host of each server (server list)
extern std::string server_path[10];        // folder of the version on each server, ending with "/"
extern std::string server_desc[10];        // label of each server's button
extern std::string crnt_file_name;         // last component of the file being worked on (transfer)
extern std::string crnt_file_path;         // server path of that file (transfer)

// Forgets every transfer and prepares the streams for a fresh start: abandons the
// transfers of slots 2 to 5, deletes the streams' partial archives, and makes
// streams 0 and 1 active and waiting.
void reset_streams();
// A new server for the directory download, each with equal chance.
void pick_random_server();

// The program entry. `cmdline` is the raw command-line text.
int WinMain(void* hinst, void* hprevinst, const char* cmdline, int windowstyle);
// One frame of the installer (the frame loop calls it when no modal window is up).
void APP_update();
// The application's menu hook; the installer has no menus.
void APP_handlemenu(int code);
