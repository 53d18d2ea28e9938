// The artwork generator's shared pieces: the theme palette, the fonts, and the
// four images it draws. Coordinates are texels with t (y) counted upward from the
// first stored row, exactly as the program's sprite tables give them.
#pragma once
#include "raster.h"

struct art_fonts {
  font_face* regular = nullptr;
  font_face* bold = nullptr;
};

// The theme. The interface sheet carries these as swatches for the program to sample.
namespace theme {
const uint32_t back = 0x3a4a5e;        // 34 window background
const uint32_t rule_dark = 0x9aa6b3;   // 35 etched rule, upper line
const uint32_t hover = 0x2f6fb5;       // 36 hovered menu item (drawn at 25 %)
const uint32_t rule_light = 0xffffff;  // 37 etched rule, lower line
const uint32_t menu_text = 0x1a2430;   // 38 menu and list text
const uint32_t title_text = 0xffffff;  // 40 title on a window's title bar
const uint32_t accent = 0x2f6fb5;      // 41 accent
const uint32_t muted = 0x5a6878;       // 42 muted text
const uint32_t label = 0x1d2733;       // 43 labels and panel titles
const uint32_t warning = 0xe08a1e;     // 44 highlight
const uint32_t field_text = 0x12345c;  // 45 field text, side labels, numbers
const uint32_t body_text = 0x243244;   // 46 main-screen text
const uint32_t help_text = 0x2e2812;   // 47 help-box text

const uint32_t panel = 0xe8edf2;       // window body
const uint32_t panel_edge = 0x7b8898;  // outlines
const uint32_t inset = 0xdce3ea;       // inset panel body
const uint32_t navy = 0x1f4470;        // title bars
const uint32_t navy_light = 0x3a6ea5;
const uint32_t ink = 0x14202c;         // lettering on buttons
}  // namespace theme

// The 512 x 512 interface sheet: glyphs, frames, sprites, swatches.
canvas make_interface_sheet(const art_fonts& f);
// The installer sheet, 1024 texels wide and 764 rows: buttons in three states,
// logo, title panel, 24 globe frames.
canvas make_installer_sheet(const art_fonts& f);
// The two 1024 x 768 backgrounds (opaque).
canvas make_background_main(const art_fonts& f);
canvas make_background_alt(const art_fonts& f);

// The globe of the animated icon, frame `frame` of 24, drawn centred at (cx, cy).
void draw_globe(canvas& c, float cx, float cy, float radius, int frame);
// The interface font's glyphs into the 21 x 5 grid of 14 x 15 cells at (0, 0).
void draw_font_grid(canvas& c, const art_fonts& f);
