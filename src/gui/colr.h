// The colour table: every drawing call names its colour by an index into it.
// Indices 34 to 47 are the theme, sampled from the interface image at start-up;
// 78 to 83 pulse, recomputed every frame by the clock.
#pragma once

const int colr_count = 104;

class colr_class {
 public:
  colr_class();  // the default table

  unsigned char win_gamma[256];
  float col_rgb[colr_count][3];  // r, g, b in 0..1
  float r_manual_liting = 1.0f, g_manual_liting = 1.0f, b_manual_liting = 1.0f;
  float pulse_alpha = 0, spectrum_min = 0, spectrum_max = 0, spectrum_del = 0;
  float spectrum_rgb[1000][3];

  // Overwrites one entry. An index outside the table is ignored.
  void assign(int index, float r, float g, float b);
  // Makes entry `index` the current GL colour with opacity `a`: above 0.99 it is
  // drawn opaque (glColor3fv), otherwise with that alpha. An index outside the
  // table draws in entry 0.
  void set_index(const int index, float a);
};

extern colr_class colr;  // the colour table (drawing; theme set at start-up)
