// Registration of the built-in images and the theme colours taken from them.
#include "textures/texes.h"

#include <cstring>

#include "gui/colr.h"
#include "ins_texes_data.h"
#include "shell/hl_structs.h"
#include "textures/tman.h"

static void register_image(const unsigned char* pixels, int dx, int dy, size_t bytes, int ref) {
  scratch_dx = dx;
  scratch_dy = dy;
  memcpy(scratch_array, pixels, bytes);
  tman.load_texture(tex_fail_quit, ref, 0x502, tex_load_now, "scratch_array:hardwired textures");
}

void recall_ins_texes() {
  // The installer sheet is stored 1024 texels a row; only the declared 1010 x 764
  // worth of bytes is copied, and the manager makes it a 1024 x 1024 texture.
  register_image(t_installer_dat, 1010, 764, (size_t)1010 * 764 * 4, tex_installer);
  register_image(t_ins_back_1_dat, 1024, 768, (size_t)1024 * 768 * 4, tex_ins_back_1);
  register_image(t_ins_back_2_dat, 1024, 768, (size_t)1024 * 768 * 4, tex_ins_back_2);
  register_image(t_interface_dat, 512, 512, (size_t)512 * 512 * 4, tex_interface);
}

void TEX_theme_colours(const unsigned char* sheet) {
  static const struct { int index, x, row; } k_swatches[] = {
      {34, 319, 155}, {35, 319, 147}, {36, 319, 139}, {37, 319, 131}, {38, 319, 123},
      {40, 319, 115}, {41, 319, 107}, {42, 319, 99},  {43, 319, 91},  {45, 319, 83},
      {46, 319, 75},  {47, 319, 67},  {44, 395, 115}};
  for (const auto& s : k_swatches) {
    const unsigned char* p = sheet + ((size_t)s.row * 512 + (size_t)s.x) * 4;
    colr.assign(s.index, p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f);
  }
  const float* a = colr.col_rgb[35];
  const float* b = colr.col_rgb[38];
  colr.assign(39, (a[0] + b[0]) * 0.5f, (a[1] + b[1]) * 0.5f, (a[2] + b[2]) * 0.5f);
}
