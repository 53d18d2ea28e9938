// The texture-binding cache.
#include "textures/TEX_bind.h"

#include "gui/ogl_gl.h"

static int o_tex[8] = {-1, -1, -1, -1, -1, -1, -1, -1};  // texture last bound per unit
static int o_mod[8] = {-1, -1, -1, -1, -1, -1, -1, -1};  // environment mode last set per unit

void TEX_reset_bind() {
  for (int i = 0; i < 8; i++) o_tex[i] = o_mod[i] = -1;
}

void TEX_bind_ref(int tex, int unit, int multi_tex_mode) {
  if (unit < 0 || unit > 7) return;
  const int mode = multi_tex_mode == 0 ? GL_MODULATE : multi_tex_mode;
  // Mode 24 never sets the environment, so only the texture decides whether to act.
  if (o_tex[unit] == tex && (mode == 24 || o_mod[unit] == mode)) return;
  if (unit > 0) ogl_calls.ActiveTexture(GL_TEXTURE0_ARB + (GLenum)unit);
  if (o_tex[unit] != tex) {
    o_tex[unit] = tex;
    ogl_calls.BindTexture(GL_TEXTURE_2D, (GLuint)tex);
  }
  if (mode != 24 && o_mod[unit] != mode) {
    o_mod[unit] = mode;
    ogl_calls.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
  }
  if (unit > 0) ogl_calls.ActiveTexture(GL_TEXTURE0_ARB);
}
