// The texture manager: reference table, validation, sizing, upload and binding.
#include "textures/tman.h"

#include <cstdio>

#include "gui/ogl_gl.h"
#include "shell/OGL_extensions.h"
#include "shell/hl_alert.h"
#include "shell/hl_structs.h"
#include "textures/TEX_bind.h"

tman_class tman;
int scratch_dx = 0, scratch_dy = 0;

tman_class::tman_class() {}

static std::string num_text(const char* format, double v) {
  char buf[64];
  snprintf(buf, sizeof buf, format, v);
  return buf;
}

static void fatal_value(const char* message, const std::string& path, double value, int line) {
  __DOVAVI_alert(0, message, path, "value:", num_text("%1.0f", value), t_exit, "tman", line);
}

void tman_class::check_dxy(float v, const std::string& path) {
  if (v < 1 || v > 2048)
    fatal_value("Trying to create a texture either less than 1 or greater than 2048!", path, v, 129);
}

void tman_class::check_load_time(int v, const std::string& path) {
  if (v < 100 || v > 102)
    fatal_value("Trying to create an invalid texture load_time!", path, v, 130);
}

void tman_class::check_filter_type(int v, const std::string& path) {
  if (v < 0 || v > 16383) fatal_value("Trying to bind an invalid filter type!", path, v, 131);
}

void tman_class::check_manual_ref(int v, const std::string& path) {
  if (v < 0 || v > tman_max_manual_ref)
    fatal_value("Trying to bind too low or high a manual_ref!", path, v, 133);
}

int TEX_pow2_above(int v) {
  int p = 1;
  while (p < v && p < (1 << 30)) p <<= 1;
  return p;
}

int TEX_filter_for_ref(int ref) {
  bool exact = ref == 388 || ref == 415 || (ref >= 421 && ref <= 438);
  return exact ? GL_NEAREST : GL_LINEAR;
}

int tman_class::load_texture(tex_fail_mode require_tex, int manual_ref, int filter_type,
                             tex_load_time load_time, const std::string& path) {
  if (path.empty()) return 0;
  std::lock_guard<std::recursive_mutex> hold(lock);
  check_load_time((int)load_time, path);
  check_manual_ref(manual_ref, path);
  if ((int)ref_dat.size() <= manual_ref) ref_dat.resize((size_t)manual_ref + 1);

  ref_dat_struct& slot = ref_dat[(size_t)manual_ref];
  if (slot.tex_mode == 0) {
    slot.path = path;
    slot.load_time = load_time;
    slot.tex_dx_vis = slot.tex_dy_vis = slot.tex_dx_tot = slot.tex_dy_tot = 0;
    slot.ref_count = -1;
    slot.filter_type = filter_type;
    slot.required = require_tex;
    slot.tex_mode = GL_RGBA;
    slot.tex_vram = 0;
    total_texes_ctr++;
  }

  tex_load_vars v;
  v.require_tex = require_tex;
  v.manual_ref = manual_ref;
  v.filter_type = filter_type;
  v.path = path;
  if (!load_texture_int(v)) return 0;
  return manual_ref;
}

int tman_class::load_texture_int(tex_load_vars& v) {
  check_filter_type(v.filter_type, v.path);
  return load_texture_io(v);
}

int tman_class::load_buf_into_scratch(tex_load_vars& v) {
  v.used_buf = scratch_array;
  v.dx_vis = scratch_dx;
  v.dy_vis = scratch_dy;
  return 1;
}

void tman_class::TEX_get_scale(tex_load_vars& v) {
  // Images from the scratch buffer are always used at full resolution.
  v.dx_tot = TEX_pow2_above(v.dx_vis);
  v.dy_tot = TEX_pow2_above(v.dy_vis);
}

int tman_class::load_texture_io(tex_load_vars& v) {
  switch (v.filter_type & 7) {
    case 0:
      __DOVAVI_alert(0, "BAD color enum for tman - see tman.h for valid colors!  We cannot pass 0.",
                     v.path, "", "", t_exit, "tman", 706);
      return 0;
    default:  // 2, and every other non-zero format, is RGBA in this program
      v.rgb_type = GL_RGBA;
      v.bytes_per_pix = 4;
      break;
  }

  if (v.path.compare(0, 13, "scratch_array") != 0) return 0;  // no image files in this program
  load_buf_into_scratch(v);
  TEX_get_scale(v);
  check_dxy((float)v.dx_vis, v.path);
  check_dxy((float)v.dy_vis, v.path);
  check_dxy((float)v.dx_tot, v.path);
  check_dxy((float)v.dy_tot, v.path);
  if (TEX_pow2_above(v.dx_tot) != v.dx_tot || TEX_pow2_above(v.dy_tot) != v.dy_tot) {
    __DOVAVI_alert(0, "load_tex: Trying to read a texture that is not a power of 2!", v.path, "",
                   "", t_exit, "tman", __LINE__);
    return 0;
  }

  if (v.manual_ref >= (int)ref_dat.size()) {
    __DOVAVI_alert(0, "(manual_ref>=ref_dat.size()!", v.path, "", "", t_exit, "tman", 764);
    return 0;
  }
  ref_dat_struct& slot = ref_dat[(size_t)v.manual_ref];
  if (slot.load_time != tex_load_now || slot.ogl_num == 0) loaded_texes_ctr++;
  slot.load_time = tex_load_now;
  slot.ogl_num = v.manual_ref;
  slot.tex_dx_vis = (float)v.dx_vis;
  slot.tex_dy_vis = (float)v.dy_vis;
  slot.tex_dx_tot = (float)v.dx_tot;
  slot.tex_dy_tot = (float)v.dy_tot;
  slot.tex_mode = v.rgb_type;
  slot.filter_type = v.filter_type;
  slot.tex_vram = v.dx_tot * v.dy_tot * v.bytes_per_pix;
  return load_texture_ogl(v);
}

int tman_class::load_texture_ogl(tex_load_vars& v) {
  const GLboolean was_on = glIsEnabled(GL_TEXTURE_2D);
  if (!was_on) glEnable(GL_TEXTURE_2D);
  TEX_bind_ref(v.manual_ref, 0, 0);
  // Rows of the total width straight from the scratch buffer: an image narrower
  // than its texture keeps its rows at their natural places.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, v.dx_tot, v.dy_tot, 0, (GLenum)v.rgb_type,
               GL_UNSIGNED_BYTE, v.used_buf);
  if (!was_on) glDisable(GL_TEXTURE_2D);

  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  if (glExt.aniso_avail) glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 1.0f);
  const GLint filter = TEX_filter_for_ref(v.manual_ref);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  return 1;
}

void tman_class::bind_ref(int ref, int unit, int multi_tex_mode) {
  std::lock_guard<std::recursive_mutex> hold(lock);
  int name = 0;
  bool resident = ref >= 0 && ref < (int)ref_dat.size() && ref_dat[(size_t)ref].ogl_num != 0;
  if (ref == 0)
    name = 0;
  else if (resident)
    name = ref_dat[(size_t)ref].ogl_num;
  else {
    name = tman_placeholder_ref;
    __DOVAVI_alert(0, "missing non-scenery texture - how?", num_text("ref=%6.0f", ref),
                   get_path(ref), "", t_alert, "tman", 425);
  }
  TEX_bind_ref(name, unit, multi_tex_mode);
}

std::string tman_class::get_path(int ref) {
  std::lock_guard<std::recursive_mutex> hold(lock);
  if (ref < 0 || ref >= (int)ref_dat.size()) return "";
  return ref_dat[(size_t)ref].path;
}

void tman_class::reset_bind() { TEX_reset_bind(); }
