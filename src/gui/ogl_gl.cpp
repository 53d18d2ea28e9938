// The GL call table used by the state and binding caches.
#include "gui/ogl_gl.h"

#include "shell/OGL_extensions.h"

static void active_texture(GLenum unit) {
  if (glActiveTextureARB) glActiveTextureARB(unit);
}

ogl_call_table ogl_calls = {glEnable, glDisable, glIsEnabled, glDepthMask,
                            glBindTexture, glTexEnvi, active_texture};
