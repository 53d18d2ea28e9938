// The installer's screens and the texts they share: buttons cut from the
// installer sheet, the licence and preferences windows, the directory progress
// display and the modified-file prompt of the window, and size and number texts.
#pragma once
#include <string>
#include <vector>

// A number with one decimal (halves away from zero); the whole part is padded to
// `min_digits` characters with leading spaces ("0" kept as the last one).
std::string one_decimal_str(float v, int min_digits);
// A size given in kilobytes of 1000 bytes, as "2.5 Meg" or "1.5 Gig".
std::string set_size_str(float k);

// Draws the installer-sheet region with lower-left texel (s1, t1), ds x dt, at
// window position (x1, y1), same size, tinted by colour slot 102: white, green
// (col_code 1) or red (2). With hi_lite the hover image (one copy down the sheet)
// shows under the mouse and the pressed image (two down) while the button is
// held. Returns 1 when the mouse was clicked this frame inside the rectangle
// (edges included), whatever hi_lite is.
int interface_rect(float x1, float y1, float s1, float t1, float ds, float dt, int hi_lite, int col_code);
// Draws frame c (0..23) of the animated icon at (x1, y1).
void interface_icon(float x1, float y1, int c);
// The installer's background picture over the whole window.
void draw_installer_background();

// The licence window (window 1): the agreement in a scrolling panel with DECLINE
// and ACCEPT. Returns 1 at once when it was accepted before in this run; else 1
// on ACCEPT and 0 on DECLINE or when the window is closed any other way (close
// box, Return, the program closing). The window's handle_EULA.
int EULA_window();
// The preferences window (window 2): operating system, the switches, the stream
// count and the proxy. Edits the live settings; returns when it is closed.
void handle_prefs();
// The directory reader's progress box over the background, shown at once: the
// window's dir_progress_bar.
void window_dir_progress_bar(float d1, float d, float d2, int call_type, const std::string& message1,
                             const std::string& rel_path_exp);
// The modified-file prompt (window 997) with its five buttons: the window's
// select_alert. Returns 1..5 as select_alert says; 3 when the window is closed
// without an answer (or the program is closing).
int window_select_alert(const std::string& dest_path_exp, int is_gone);
// Points the engine's seams (licence, prompts, progress) at the window's screens.
void sub_wins_use_window();

// The bar's fill fraction for progress d between d1 and d2: 0.52 when d1 equals
// d2, else 0.04 + 0.96 (d - d1) / (d2 - d1) kept within 0.04..1.
float dir_progress_fraction(float d1, float d, float d2);
// `text` shortened from the left ("..." + its end) to fit `width` pixels of the
// interface font; unchanged when it fits.
std::string fit_text_left(const std::string& text, float width);
// Splits `text` into lines of at most `width` pixels of the interface font:
// paragraphs at line feeds, lines between words (a word wider than the line is
// cut). An empty line stands for each blank line.
std::vector<std::string> wrap_text_lines(const std::string& text, float width);
