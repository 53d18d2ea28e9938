// Helpers for the tests that draw in a real window (under Xvfb in CI): bring up the
// program's window, context, capabilities and built-in images once per process,
// read pixels back, and cut frames from the sheets by the widget tables, so a test
// can lay out screens before the widget layer exists.
#pragma once
#include <string>
#include <vector>

// Opens the 1024 x 768 window with the program's start-up steps (display mode,
// context, pixel set-up, capabilities, built-in images, theme colours). Returns
// false when there is no display. Later calls only return the first answer.
bool gl_test_start();

struct px8 {
  int r, g, b, a;
};
// Reads the back buffer after the drawing so far (rows bottom first).
std::vector<unsigned char> gl_read(int x, int y, int w, int h);
px8 gl_pixel(int x, int y);
// Clears the colour buffer to an 8-bit colour.
void gl_clear(int r, int g, int b);
// The whole window as a PNG under the build folder; returns its path.
std::string gl_save_png(const std::string& name);

// Frames cut by the widget tables: a 3-slice strip of type 0..10 and a 9-slice
// panel of type 11..20, with the same geometry as the widget layer draws them.
void test_frame1(int type, float x_center, float y_center, float dx_control, int color);
void test_frame2(int type, float x, float y, float dx, float dy);
// A sheet button of the installer sheet at (x, y), state 0 normal, 1 hover, 2 pressed.
void test_sheet_button(float x, float y, float s, float t, float w, float h, int state, int col_code);
