// A test-side frame for the widget and window-manager tests: the steps the frame
// loop runs around a window's drawing, with the input flags cleared at the end of
// the frame instead of the start, so that a test can set the mouse state and send
// keys before a frame and read the widgets' answers from it. The clock is a test
// clock stepped 20 ms per frame. The frame pumps no X events: the tests give the
// input themselves, and a late exposure would lay the window out again mid-test.
#pragma once
#include <functional>
#include <string>

#include "platform/plat_window.h"

// The window (gl_test_start), the menu table, the window hooks, a test clock,
// ogl_inited, and window 0. Returns false without a display. Every call puts the
// window manager and the widgets' focus back to that state.
bool ui_start();

// One frame: clock, key repeats, cursor reset, menu roll-over, a new focus
// ring, `draw`, the mouse help and open menu, the swap (when `swap`), then the
// one-frame flags cleared and the clock stepped.
void ui_frame(const std::function<void()>& draw, bool swap = true);

// The pointer at (x, y) in the current window's coordinates (no press).
void ui_move(float x, float y);
// A press at (x, y) as the window procedure takes it (routing included); the next
// ui_frame sees it. ui_release lets the button go.
void ui_press(float x, float y);
void ui_release();
// A key through the keyboard's whole path: vkey and character as the X backend
// gives them; mods PLAT_MOD_*.
void ui_key(int vkey, int character, int mods = 0, bool up = false);
// Press and release of each character of `text` (letters, digits, space, '.', '-').
void ui_type(const std::string& text);
// Moves the test clock on.
void ui_advance(float seconds);
