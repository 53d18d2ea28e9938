// Start-up, the frame and shutdown of the program.
#pragma once

#include <string>

// One-time start-up. argv[0] is the raw command-line text (not the program path).
// In the window it also points the frame's installer step and menu hook at
// APP_update and APP_handlemenu and the folder picker at DOVAVI_folder_chooser.
void DOVAVI_init(int argc, char** argv);
// The start-up progress panel: the web address, `message` and a bar filled to
// *ratio (or a call counter / 100 when null), clamped to 0.02..1; presented at
// once. Draws nothing before the first window was opened (plot_init_lights).
void DOVAVI_show_init(const std::string& message, const float* ratio);
// Tear-down: 1 after the main loop, 0 from a fatal alert (nothing is saved then).
void DOVAVI_finishup(int is_normal_exit);

// A pseudo-random integer 0..32767 from the C generator (seeded at start-up),
// whatever the generator's own range is on this system.
int UTL_rand15();

// One frame: clears the one-frame input flags, pumps the window's events (waiting
// up to 16 ms for input when there were none, 160 ms in the alert window), reports
// errors forwarded from worker threads while window 0 is current, advances the
// clock and the key repeats, resets the cursor wish, runs the menu roll-over,
// opens a new focus ring, runs the installer step (g_app_update) unless the window
// is modal, draws the mouse help and the open menu, swaps (unless the installer
// step set frame_not_drawn) and counts the frame. The idle wait lasts no time
// with stg.use_max_cpu, and ends early for a transfer (DOVAVI_wait_for_input).
// Re-entrant: modal loops (the alert) call it from inside a frame.
void DOVAVI_event_proc();
// The installer's per-frame step (APP_update); null until the installer sets it.
extern void (*g_app_update)();
extern int frame_input;      // window events were handled in this frame (frame loop)
extern int frame_not_drawn;  // set by the installer step for a frame it did not draw: it is not presented
extern double frame_present_seconds;  // how long the last buffer swap took (frame loop)
