// Process-wide flags and shared strings of the shell. Each is written by the
// module named beside it and read wherever the frame needs it.
#pragma once
#include <string>

extern std::string stl_global;  // scratch text shared by the shell's helpers
extern std::string app_path;    // prefix of program-relative file names; always empty
extern std::string dvd_path;    // root of the drive holding the product disc, "" if none (disc search)
extern int g_case_sensitive;    // 0: file names compare without regard to case (paths)

extern int app_done;          // 1 ends the main loop (window close, fatal alert, QUIT)
extern int ogl_inited;        // 1 once the GL window is ready; before that alerts use a message box
extern int win_started;       // 0 until the first frame opened the current window
extern int in_alert;          // 1 while an alert is handled (alert)
extern int return_hit;        // Return or Enter this frame (keyboard); cleared each frame
extern void* active_inst;     // instance handle given to the entry point
extern int active_windstyle;  // show-command given to the entry point

// Image scratch buffer, 16-byte aligned, room for one 2048 x 2048 RGBA image (textures).
extern unsigned char* scratch_array;
const int scratch_bytes = 2048 * 2048 * 4;
