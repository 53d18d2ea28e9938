// Painters for the interface's frames and controls, shared by the two sheets.
// Each draws into a box of the sheet; the program cuts these boxes into caps,
// edges and tiled middles, so every middle part is drawn uniform along the
// direction in which it is repeated.
#pragma once
#include "artgen.h"

// A panel (window, inset, tooltip, ...) drawn as a rounded box [x0, x1) x [y0, y1)
// with optional drop shadow below it.
struct panel_style {
  uint32_t body = theme::panel;
  uint32_t edge = theme::panel_edge;
  float radius = 4;
  float shadow_soft = 0, shadow_alpha = 0, shadow_drop = 0;
  bool inset = false;        // a recessed well: dark inner top edge, light bottom
  bool highlight = true;     // a light inner line along the top and left (raised look)
  int title_bar = 0;         // rows of a title bar at the top (0 none)
  float edge_alpha = 1;
};
void draw_panel(canvas& c, int x0, int y0, int x1, int y1, const panel_style& st);

// A horizontal control face (button, field, bar) [x0, x1) x [y0, y1).
enum face_kind { face_button, face_button_down, face_field, face_track, face_fill, face_bar,
                 face_tab, face_popup, face_title_band };
void draw_face(canvas& c, int x0, int y0, int x1, int y1, face_kind kind, float radius);
