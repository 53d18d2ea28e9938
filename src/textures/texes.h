// The built-in images: the interface sheet (font, widget frames, theme swatches),
// the installer sheet (buttons, logo, icon frames, title panel) and two
// full-screen backgrounds, compiled into the program as constant RGBA arrays
// (bottom row first) so the interface draws before anything is read or fetched.
#pragma once

// References of the built-in images.
enum { tex_interface = 388, tex_installer = 389, tex_ins_back_1 = 390, tex_ins_back_2 = 391 };

// Registers the four images with the texture manager, in the order 389, 390, 391,
// 388, each copied into scratch_array first. Afterwards the scratch buffer still
// holds the 512 x 512 interface sheet. Needs the GL context.
void recall_ins_texes();

// Sets theme colours 34 to 38, 40 to 47 from the swatch pixels of a 512 x 512
// interface sheet (RGBA, rows from the first stored row): column 319 at rows 155
// (34) down to 67 (47) in steps of 8, skipping 39 and 44; 44 from (395, 115); then
// 39 as the mean of 35 and 38.
void TEX_theme_colours(const unsigned char* sheet);
