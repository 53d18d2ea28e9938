// The steps of an install run that the window's frame (APP_update) and the
// headless mode share, so that a rule fixed in one is fixed in both: the set-up,
// the directory download and read, starting an install, the transfer slice,
// quitting, and the texts and colours of the status line and the install lines.
#pragma once
#include <string>

struct install_line {
  std::string text;
  int colour = 46;
};

// What the installer frame keeps from one frame to the next.
class app_class {
 public:
  std::string net_dir_path_zip;  // temp_path + "directory.txt.zip": the downloaded directory archive
  std::string dir_path;          // temp_path + "directory.txt": the unpacked directory file
  std::string dir_path_path;     // temp_path: where the archive is unpacked
  float tot_availabl = -1;       // free kilobytes at the destination, -1 unknown
  float tot_down_req = 0, tot_disk_req = 0;  // the totals, frozen during an install
  std::string tot_availabl_str, tot_disk_req_str;
  float totl_inst_rat = 0;       // smoothed install progress, 0..1
  int disk_space_avail = 1;      // 1 when the last comparison found enough space
  int wrl_i = 8;                 // frame of the animated icon
  float base_x1 = 132, base_x2 = 1016;  // horizontal extent of the progress bar
  install_line lines[3];         // the three install lines of this frame
  float ended_disk = 0;          // next.totl_disk and next.comp_down when the last install ended,
  float ended_down = 0;          // kept for reports after the streams were reset
};

extern app_class app;  // the installer frame's state (engine steps, screens)

// The installer's set-up after start-up: logs the system's folders, sets the
// defaults and the default destination, searches for a product disc, reads the
// preferences and takes the destination from the command line (or asks for it
// when the preferences say so).
void installer_setup(const std::string& raw_cmdline);
// The destination named on the command line: the text without its option words
// (those starting with "--" and "-h") in the program's path form, with a trailing
// "/" added; "" when none.
std::string command_line_destination(const std::string& raw_cmdline);

// Seconds since the clock's first reading (the clock of the transfer slice).
double seconds_clock();

// Directory download (one frame): polls download slot 1, unpacks the archive, and
// re-chooses a server at random when the download failed.
void engine_directory_download_step();
// Directory read: reads and examines the destination when the archive was unpacked.
void engine_directory_read_step();
// One frame's fetching work for a driver without a window: the server list, the
// directory download and its read, in the window frame's order.
void engine_fetch_step();
// A new destination was chosen: the streams restart and the folder is examined again.
void engine_new_destination();
// 1 when the INSTALL button is live (enough space, not installing, directory read).
int engine_install_enabled();
// INSTALL: makes the folders, asks for the licence and plans the files. Returns 1
// when the transfer starts (stg.step 1), 0 when declined or cancelled (step 0).
int engine_start_install();
// Runs grab_files for `seconds` of wall time while installing; ends the install
// (stg.step 2, streams reset) when it reports the end.
void engine_transfer_slice(double seconds);
// QUIT: the streams are reset and the run ends after this frame.
void engine_quit();
// Computes this frame's three install lines into app.lines (with the free space
// and the progress smoothing they depend on), and the download-error override.
void engine_update_lines();

// The directory download's progress text.
std::string net_str();
// The status line above the buttons and its colour.
std::string status_line(int* colour);
// Number of streams taking part in the transfer.
int active_stream_count();
// Seconds left and the rate (kilobytes per second) of the running install.
void install_rate(float* rate, float* seconds_left);
// The progress bar: centres and widths of the empty bar and of its filled part.
void progress_bar_geometry(float* empty_centre, float* empty_width, float* fill_centre, float* fill_width);
