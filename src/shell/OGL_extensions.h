// OpenGL capability detection: which optional features the driver offers, the
// entry points of those features, and the driver's limits. Filled once at start-up
// by init_extensions (needs a current context) and only read afterwards.
#pragma once
#include <string>

#include "gui/ogl_gl.h"

class OGL_extensions {
 public:
  // Entry points of the optional features, loaded only for the features present.
  // Buffer objects (vbo_avail)
  PFNGLBINDBUFFERARBPROC glBindBufferARB = nullptr;
  PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB = nullptr;
  PFNGLGENBUFFERSARBPROC glGenBuffersARB = nullptr;
  PFNGLISBUFFERARBPROC glIsBufferARB = nullptr;
  PFNGLBUFFERDATAARBPROC glBufferDataARB = nullptr;
  PFNGLBUFFERSUBDATAARBPROC glBufferSubDataARB = nullptr;
  PFNGLGETBUFFERSUBDATAARBPROC glGetBufferSubDataARB = nullptr;
  PFNGLMAPBUFFERARBPROC glMapBufferARB = nullptr;
  PFNGLUNMAPBUFFERARBPROC glUnmapBufferARB = nullptr;
  PFNGLGETBUFFERPARAMETERIVARBPROC glGetBufferParameterivARB = nullptr;
  PFNGLGETBUFFERPOINTERVARBPROC glGetBufferPointervARB = nullptr;
  // Vertex attributes (vprog_avail)
  PFNGLVERTEXATTRIB1DARBPROC glVertexAttrib1dARB = nullptr;
  PFNGLVERTEXATTRIB1DVARBPROC glVertexAttrib1dvARB = nullptr;
  PFNGLVERTEXATTRIB1FARBPROC glVertexAttrib1fARB = nullptr;
  PFNGLVERTEXATTRIB1FVARBPROC glVertexAttrib1fvARB = nullptr;
  PFNGLVERTEXATTRIB1SARBPROC glVertexAttrib1sARB = nullptr;
  PFNGLVERTEXATTRIB1SVARBPROC glVertexAttrib1svARB = nullptr;
  PFNGLVERTEXATTRIB2DARBPROC glVertexAttrib2dARB = nullptr;
  PFNGLVERTEXATTRIB2DVARBPROC glVertexAttrib2dvARB = nullptr;
  PFNGLVERTEXATTRIB2FARBPROC glVertexAttrib2fARB = nullptr;
  PFNGLVERTEXATTRIB2FVARBPROC glVertexAttrib2fvARB = nullptr;
  PFNGLVERTEXATTRIB2SARBPROC glVertexAttrib2sARB = nullptr;
  PFNGLVERTEXATTRIB2SVARBPROC glVertexAttrib2svARB = nullptr;
  PFNGLVERTEXATTRIB3DARBPROC glVertexAttrib3dARB = nullptr;
  PFNGLVERTEXATTRIB3DVARBPROC glVertexAttrib3dvARB = nullptr;
  PFNGLVERTEXATTRIB3FARBPROC glVertexAttrib3fARB = nullptr;
  PFNGLVERTEXATTRIB3FVARBPROC glVertexAttrib3fvARB = nullptr;
  PFNGLVERTEXATTRIB3SARBPROC glVertexAttrib3sARB = nullptr;
  PFNGLVERTEXATTRIB3SVARBPROC glVertexAttrib3svARB = nullptr;
  PFNGLVERTEXATTRIB4NBVARBPROC glVertexAttrib4NbvARB = nullptr;
  PFNGLVERTEXATTRIB4NIVARBPROC glVertexAttrib4NivARB = nullptr;
  PFNGLVERTEXATTRIB4NSVARBPROC glVertexAttrib4NsvARB = nullptr;
  PFNGLVERTEXATTRIB4NUBARBPROC glVertexAttrib4NubARB = nullptr;
  PFNGLVERTEXATTRIB4NUBVARBPROC glVertexAttrib4NubvARB = nullptr;
  PFNGLVERTEXATTRIB4NUIVARBPROC glVertexAttrib4NuivARB = nullptr;
  PFNGLVERTEXATTRIB4NUSVARBPROC glVertexAttrib4NusvARB = nullptr;
  PFNGLVERTEXATTRIB4BVARBPROC glVertexAttrib4bvARB = nullptr;
  PFNGLVERTEXATTRIB4DARBPROC glVertexAttrib4dARB = nullptr;
  PFNGLVERTEXATTRIB4DVARBPROC glVertexAttrib4dvARB = nullptr;
  PFNGLVERTEXATTRIB4FARBPROC glVertexAttrib4fARB = nullptr;
  PFNGLVERTEXATTRIB4FVARBPROC glVertexAttrib4fvARB = nullptr;
  PFNGLVERTEXATTRIB4IVARBPROC glVertexAttrib4ivARB = nullptr;
  PFNGLVERTEXATTRIB4SARBPROC glVertexAttrib4sARB = nullptr;
  PFNGLVERTEXATTRIB4SVARBPROC glVertexAttrib4svARB = nullptr;
  PFNGLVERTEXATTRIB4UBVARBPROC glVertexAttrib4ubvARB = nullptr;
  PFNGLVERTEXATTRIB4UIVARBPROC glVertexAttrib4uivARB = nullptr;
  PFNGLVERTEXATTRIB4USVARBPROC glVertexAttrib4usvARB = nullptr;
  PFNGLVERTEXATTRIBPOINTERARBPROC glVertexAttribPointerARB = nullptr;
  PFNGLENABLEVERTEXATTRIBARRAYARBPROC glEnableVertexAttribArrayARB = nullptr;
  PFNGLDISABLEVERTEXATTRIBARRAYARBPROC glDisableVertexAttribArrayARB = nullptr;
  // Assembly programs (vprog_avail)
  PFNGLPROGRAMSTRINGARBPROC glProgramStringARB = nullptr;
  PFNGLBINDPROGRAMARBPROC glBindProgramARB = nullptr;
  PFNGLDELETEPROGRAMSARBPROC glDeleteProgramsARB = nullptr;
  PFNGLGENPROGRAMSARBPROC glGenProgramsARB = nullptr;
  PFNGLPROGRAMENVPARAMETER4DARBPROC glProgramEnvParameter4dARB = nullptr;
  PFNGLPROGRAMENVPARAMETER4DVARBPROC glProgramEnvParameter4dvARB = nullptr;
  PFNGLPROGRAMENVPARAMETER4FARBPROC glProgramEnvParameter4fARB = nullptr;
  PFNGLPROGRAMENVPARAMETER4FVARBPROC glProgramEnvParameter4fvARB = nullptr;
  PFNGLPROGRAMLOCALPARAMETER4DARBPROC glProgramLocalParameter4dARB = nullptr;
  PFNGLPROGRAMLOCALPARAMETER4DVARBPROC glProgramLocalParameter4dvARB = nullptr;
  PFNGLPROGRAMLOCALPARAMETER4FARBPROC glProgramLocalParameter4fARB = nullptr;
  PFNGLPROGRAMLOCALPARAMETER4FVARBPROC glProgramLocalParameter4fvARB = nullptr;
  PFNGLGETPROGRAMENVPARAMETERDVARBPROC glGetProgramEnvParameterdvARB = nullptr;
  PFNGLGETPROGRAMENVPARAMETERFVARBPROC glGetProgramEnvParameterfvARB = nullptr;
  PFNGLGETPROGRAMLOCALPARAMETERDVARBPROC glGetProgramLocalParameterdvARB = nullptr;
  PFNGLGETPROGRAMLOCALPARAMETERFVARBPROC glGetProgramLocalParameterfvARB = nullptr;
  PFNGLGETPROGRAMIVARBPROC glGetProgramivARB = nullptr;
  PFNGLGETPROGRAMSTRINGARBPROC glGetProgramStringARB = nullptr;
  PFNGLGETVERTEXATTRIBDVARBPROC glGetVertexAttribdvARB = nullptr;
  PFNGLGETVERTEXATTRIBFVARBPROC glGetVertexAttribfvARB = nullptr;
  PFNGLGETVERTEXATTRIBIVARBPROC glGetVertexAttribivARB = nullptr;
  PFNGLGETVERTEXATTRIBPOINTERVARBPROC glGetVertexAttribPointervARB = nullptr;
  PFNGLISPROGRAMARBPROC glIsProgramARB = nullptr;
  // Occlusion queries (occlude_avail)
  PFNGLGENQUERIESARBPROC glGenQueriesARB = nullptr;
  PFNGLDELETEQUERIESARBPROC glDeleteQueriesARB = nullptr;
  PFNGLISQUERYARBPROC glIsQueryARB = nullptr;
  PFNGLBEGINQUERYARBPROC glBeginQueryARB = nullptr;
  PFNGLENDQUERYARBPROC glEndQueryARB = nullptr;
  PFNGLGETQUERYIVARBPROC glGetQueryivARB = nullptr;
  PFNGLGETQUERYOBJECTIVARBPROC glGetQueryObjectivARB = nullptr;
  PFNGLGETQUERYOBJECTUIVARBPROC glGetQueryObjectuivARB = nullptr;
  // Shader objects (shad_objs_avail)
  PFNGLDELETEOBJECTARBPROC glDeleteObjectARB = nullptr;
  PFNGLGETHANDLEARBPROC glGetHandleARB = nullptr;
  PFNGLDETACHOBJECTARBPROC glDetachObjectARB = nullptr;
  PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB = nullptr;
  PFNGLSHADERSOURCEARBPROC glShaderSourceARB = nullptr;
  PFNGLCOMPILESHADERARBPROC glCompileShaderARB = nullptr;
  PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB = nullptr;
  PFNGLATTACHOBJECTARBPROC glAttachObjectARB = nullptr;
  PFNGLLINKPROGRAMARBPROC glLinkProgramARB = nullptr;
  PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB = nullptr;
  PFNGLVALIDATEPROGRAMARBPROC glValidateProgramARB = nullptr;
  PFNGLUNIFORM1FARBPROC glUniform1fARB = nullptr;
  PFNGLUNIFORM2FARBPROC glUniform2fARB = nullptr;
  PFNGLUNIFORM3FARBPROC glUniform3fARB = nullptr;
  PFNGLUNIFORM4FARBPROC glUniform4fARB = nullptr;
  PFNGLUNIFORM1IARBPROC glUniform1iARB = nullptr;
  PFNGLUNIFORM2IARBPROC glUniform2iARB = nullptr;
  PFNGLUNIFORM3IARBPROC glUniform3iARB = nullptr;
  PFNGLUNIFORM4IARBPROC glUniform4iARB = nullptr;
  PFNGLUNIFORM1FVARBPROC glUniform1fvARB = nullptr;
  PFNGLUNIFORM2FVARBPROC glUniform2fvARB = nullptr;
  PFNGLUNIFORM3FVARBPROC glUniform3fvARB = nullptr;
  PFNGLUNIFORM4FVARBPROC glUniform4fvARB = nullptr;
  PFNGLUNIFORM1IVARBPROC glUniform1ivARB = nullptr;
  PFNGLUNIFORM2IVARBPROC glUniform2ivARB = nullptr;
  PFNGLUNIFORM3IVARBPROC glUniform3ivARB = nullptr;
  PFNGLUNIFORM4IVARBPROC glUniform4ivARB = nullptr;
  PFNGLUNIFORMMATRIX2FVARBPROC glUniformMatrix2fvARB = nullptr;
  PFNGLUNIFORMMATRIX3FVARBPROC glUniformMatrix3fvARB = nullptr;
  PFNGLUNIFORMMATRIX4FVARBPROC glUniformMatrix4fvARB = nullptr;
  PFNGLGETOBJECTPARAMETERFVARBPROC glGetObjectParameterfvARB = nullptr;
  PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB = nullptr;
  PFNGLGETINFOLOGARBPROC glGetInfoLogARB = nullptr;
  PFNGLGETATTACHEDOBJECTSARBPROC glGetAttachedObjectsARB = nullptr;
  PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB = nullptr;
  PFNGLGETACTIVEUNIFORMARBPROC glGetActiveUniformARB = nullptr;
  PFNGLGETUNIFORMFVARBPROC glGetUniformfvARB = nullptr;
  PFNGLGETUNIFORMIVARBPROC glGetUniformivARB = nullptr;
  PFNGLGETSHADERSOURCEARBPROC glGetShaderSourceARB = nullptr;
  // Vertex-shader attributes (vshader_avail)
  PFNGLBINDATTRIBLOCATIONARBPROC glBindAttribLocationARB = nullptr;
  PFNGLGETACTIVEATTRIBARBPROC glGetActiveAttribARB = nullptr;
  PFNGLGETATTRIBLOCATIONARBPROC glGetAttribLocationARB = nullptr;
  // Geometry-shader parameter (gshader_avail)
  PFNGLPROGRAMPARAMETERIEXTPROC glProgramParameteriEXT = nullptr;
  // Framebuffer objects (framebuf_avail)
  PFNGLISRENDERBUFFEREXTPROC glIsRenderbufferEXT = nullptr;
  PFNGLBINDRENDERBUFFEREXTPROC glBindRenderbufferEXT = nullptr;
  PFNGLDELETERENDERBUFFERSEXTPROC glDeleteRenderbuffersEXT = nullptr;
  PFNGLGENRENDERBUFFERSEXTPROC glGenRenderbuffersEXT = nullptr;
  PFNGLRENDERBUFFERSTORAGEEXTPROC glRenderbufferStorageEXT = nullptr;
  PFNGLGETRENDERBUFFERPARAMETERIVEXTPROC glGetRenderbufferParameterivEXT = nullptr;
  PFNGLISFRAMEBUFFEREXTPROC glIsFramebufferEXT = nullptr;
  PFNGLBINDFRAMEBUFFEREXTPROC glBindFramebufferEXT = nullptr;
  PFNGLDELETEFRAMEBUFFERSEXTPROC glDeleteFramebuffersEXT = nullptr;
  PFNGLGENFRAMEBUFFERSEXTPROC glGenFramebuffersEXT = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC glCheckFramebufferStatusEXT = nullptr;
  PFNGLFRAMEBUFFERTEXTURE1DEXTPROC glFramebufferTexture1DEXT = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DEXTPROC glFramebufferTexture2DEXT = nullptr;
  PFNGLFRAMEBUFFERTEXTURE3DEXTPROC glFramebufferTexture3DEXT = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC glFramebufferRenderbufferEXT = nullptr;
  PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC glGetFramebufferAttachmentParameterivEXT = nullptr;
  PFNGLGENERATEMIPMAPEXTPROC glGenerateMipmapEXT = nullptr;
  // Compressed textures (tex_comp_avail)
  PFNGLCOMPRESSEDTEXIMAGE3DARBPROC glCompressedTexImage3DARB = nullptr;
  PFNGLCOMPRESSEDTEXIMAGE2DARBPROC glCompressedTexImage2DARB = nullptr;
  PFNGLCOMPRESSEDTEXIMAGE1DARBPROC glCompressedTexImage1DARB = nullptr;
  PFNGLCOMPRESSEDTEXSUBIMAGE3DARBPROC glCompressedTexSubImage3DARB = nullptr;
  PFNGLCOMPRESSEDTEXSUBIMAGE2DARBPROC glCompressedTexSubImage2DARB = nullptr;
  PFNGLCOMPRESSEDTEXSUBIMAGE1DARBPROC glCompressedTexSubImage1DARB = nullptr;
  PFNGLGETCOMPRESSEDTEXIMAGEARBPROC glGetCompressedTexImageARB = nullptr;
  // Separate blending (sblend_avail)
  PFNGLBLENDFUNCSEPARATEEXTPROC glBlendFuncSeparateEXT = nullptr;
  PFNGLBLENDEQUATIONSEPARATEEXTPROC glBlendEquationSeparateEXT = nullptr;
  // Capability flags: 1 when the feature may be used.
  int multitex_avail = 0, tex_clamp_avail = 0, add_env_avail = 0, combine_avail = 0;
  int dis_fog_avail = 0, tex_comp_avail = 0, vbo_avail = 0, pbo_avail = 0;
  int vprog_avail = 0, fprog_avail = 0, automini_avail = 0, aniso_avail = 0;
  int fsaa_avail = 0, sprites_avail = 0, depth_tex_avail = 0, occlude_avail = 0;
  int shad_objs_avail = 0, vshader_avail = 0, fshader_avail = 0, gshader_avail = 0;
  int glsl_avail = 0, glsl_limited = 0, framebuf_avail = 0, sblend_avail = 0;
  int threaded_avail = 0, has_lightbug = 0;
  int max_texdim = 0;  // largest texture side the driver takes

  // Reads the driver's strings and limits through ogl_driver, sets the flags, works
  // around known driver faults, loads the entry points, applies the "--no_..."
  // options, logs everything and raises the hardware alerts (a fatal one when the
  // driver cannot multitexture and "--force_run" is absent). Fills `ren` too.
  void init_extensions();
};

extern OGL_extensions glExt;  // the driver's capabilities (start-up)

// What detection asks of the driver. The real GL and the platform's entry-point
// lookup unless a test installs its own answers.
struct ogl_driver_api {
  const GLubyte* (*get_string)(GLenum name);
  void (*get_integer)(GLenum pname, GLint* values);
  void (*get_float)(GLenum pname, GLfloat* values);
  void* (*get_proc)(const char* name);
};
extern ogl_driver_api ogl_driver;

// Version number of a GL version text: 100 x major + 10 x minor from its leading
// "major.minor"; otherwise 100, or 110 .. 210 for texts starting "1.1" .. "2.1".
int OGL_version_number(const char* version);
// 1 when the space-separated extension list names `name` exactly (a longer name
// that merely starts with it does not count).
int OGL_has_extension(const std::string& list, const char* name);

// The multitexture entry points, loaded always. The names are the GL names; the
// symbols behind them are our own, so they never collide with the library's.
extern PFNGLACTIVETEXTUREARBPROC vtl_glActiveTextureARB;
extern PFNGLCLIENTACTIVETEXTUREARBPROC vtl_glClientActiveTextureARB;
extern PFNGLMULTITEXCOORD1DARBPROC vtl_glMultiTexCoord1dARB;
extern PFNGLMULTITEXCOORD1DVARBPROC vtl_glMultiTexCoord1dvARB;
extern PFNGLMULTITEXCOORD1FARBPROC vtl_glMultiTexCoord1fARB;
extern PFNGLMULTITEXCOORD1FVARBPROC vtl_glMultiTexCoord1fvARB;
extern PFNGLMULTITEXCOORD1IARBPROC vtl_glMultiTexCoord1iARB;
extern PFNGLMULTITEXCOORD1IVARBPROC vtl_glMultiTexCoord1ivARB;
extern PFNGLMULTITEXCOORD1SARBPROC vtl_glMultiTexCoord1sARB;
extern PFNGLMULTITEXCOORD1SVARBPROC vtl_glMultiTexCoord1svARB;
extern PFNGLMULTITEXCOORD2DARBPROC vtl_glMultiTexCoord2dARB;
extern PFNGLMULTITEXCOORD2DVARBPROC vtl_glMultiTexCoord2dvARB;
extern PFNGLMULTITEXCOORD2FARBPROC vtl_glMultiTexCoord2fARB;
extern PFNGLMULTITEXCOORD2FVARBPROC vtl_glMultiTexCoord2fvARB;
extern PFNGLMULTITEXCOORD2IARBPROC vtl_glMultiTexCoord2iARB;
extern PFNGLMULTITEXCOORD2IVARBPROC vtl_glMultiTexCoord2ivARB;
extern PFNGLMULTITEXCOORD2SARBPROC vtl_glMultiTexCoord2sARB;
extern PFNGLMULTITEXCOORD2SVARBPROC vtl_glMultiTexCoord2svARB;
extern PFNGLMULTITEXCOORD3DARBPROC vtl_glMultiTexCoord3dARB;
extern PFNGLMULTITEXCOORD3DVARBPROC vtl_glMultiTexCoord3dvARB;
extern PFNGLMULTITEXCOORD3FARBPROC vtl_glMultiTexCoord3fARB;
extern PFNGLMULTITEXCOORD3FVARBPROC vtl_glMultiTexCoord3fvARB;
extern PFNGLMULTITEXCOORD3IARBPROC vtl_glMultiTexCoord3iARB;
extern PFNGLMULTITEXCOORD3IVARBPROC vtl_glMultiTexCoord3ivARB;
extern PFNGLMULTITEXCOORD3SARBPROC vtl_glMultiTexCoord3sARB;
extern PFNGLMULTITEXCOORD3SVARBPROC vtl_glMultiTexCoord3svARB;
extern PFNGLMULTITEXCOORD4DARBPROC vtl_glMultiTexCoord4dARB;
extern PFNGLMULTITEXCOORD4DVARBPROC vtl_glMultiTexCoord4dvARB;
extern PFNGLMULTITEXCOORD4FARBPROC vtl_glMultiTexCoord4fARB;
extern PFNGLMULTITEXCOORD4FVARBPROC vtl_glMultiTexCoord4fvARB;
extern PFNGLMULTITEXCOORD4IARBPROC vtl_glMultiTexCoord4iARB;
extern PFNGLMULTITEXCOORD4IVARBPROC vtl_glMultiTexCoord4ivARB;
extern PFNGLMULTITEXCOORD4SARBPROC vtl_glMultiTexCoord4sARB;
extern PFNGLMULTITEXCOORD4SVARBPROC vtl_glMultiTexCoord4svARB;
#define glActiveTextureARB vtl_glActiveTextureARB
#define glClientActiveTextureARB vtl_glClientActiveTextureARB
#define glMultiTexCoord1dARB vtl_glMultiTexCoord1dARB
#define glMultiTexCoord1dvARB vtl_glMultiTexCoord1dvARB
#define glMultiTexCoord1fARB vtl_glMultiTexCoord1fARB
#define glMultiTexCoord1fvARB vtl_glMultiTexCoord1fvARB
#define glMultiTexCoord1iARB vtl_glMultiTexCoord1iARB
#define glMultiTexCoord1ivARB vtl_glMultiTexCoord1ivARB
#define glMultiTexCoord1sARB vtl_glMultiTexCoord1sARB
#define glMultiTexCoord1svARB vtl_glMultiTexCoord1svARB
#define glMultiTexCoord2dARB vtl_glMultiTexCoord2dARB
#define glMultiTexCoord2dvARB vtl_glMultiTexCoord2dvARB
#define glMultiTexCoord2fARB vtl_glMultiTexCoord2fARB
#define glMultiTexCoord2fvARB vtl_glMultiTexCoord2fvARB
#define glMultiTexCoord2iARB vtl_glMultiTexCoord2iARB
#define glMultiTexCoord2ivARB vtl_glMultiTexCoord2ivARB
#define glMultiTexCoord2sARB vtl_glMultiTexCoord2sARB
#define glMultiTexCoord2svARB vtl_glMultiTexCoord2svARB
#define glMultiTexCoord3dARB vtl_glMultiTexCoord3dARB
#define glMultiTexCoord3dvARB vtl_glMultiTexCoord3dvARB
#define glMultiTexCoord3fARB vtl_glMultiTexCoord3fARB
#define glMultiTexCoord3fvARB vtl_glMultiTexCoord3fvARB
#define glMultiTexCoord3iARB vtl_glMultiTexCoord3iARB
#define glMultiTexCoord3ivARB vtl_glMultiTexCoord3ivARB
#define glMultiTexCoord3sARB vtl_glMultiTexCoord3sARB
#define glMultiTexCoord3svARB vtl_glMultiTexCoord3svARB
#define glMultiTexCoord4dARB vtl_glMultiTexCoord4dARB
#define glMultiTexCoord4dvARB vtl_glMultiTexCoord4dvARB
#define glMultiTexCoord4fARB vtl_glMultiTexCoord4fARB
#define glMultiTexCoord4fvARB vtl_glMultiTexCoord4fvARB
#define glMultiTexCoord4iARB vtl_glMultiTexCoord4iARB
#define glMultiTexCoord4ivARB vtl_glMultiTexCoord4ivARB
#define glMultiTexCoord4sARB vtl_glMultiTexCoord4sARB
#define glMultiTexCoord4svARB vtl_glMultiTexCoord4svARB
