// How the program reaches OpenGL: the system's OpenGL 1.x header with its
// extension declarations, and the small table of state and binding calls through
// which the two caches (OGL_setstate, TEX_bind_ref) talk to GL. Tests replace the
// table's entries with recorders to see exactly which calls the caches issue.
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

struct ogl_call_table {
  void (*Enable)(GLenum cap);
  void (*Disable)(GLenum cap);
  GLboolean (*IsEnabled)(GLenum cap);
  void (*DepthMask)(GLboolean flag);
  void (*BindTexture)(GLenum target, GLuint texture);
  void (*TexEnvi)(GLenum target, GLenum pname, GLint param);
  void (*ActiveTexture)(GLenum unit);  // glActiveTextureARB; nothing when the driver lacks it
};

extern ogl_call_table ogl_calls;  // the real GL calls unless a test installed its own
