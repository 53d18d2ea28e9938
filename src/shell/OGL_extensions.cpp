// OpenGL capability detection: flags from the version and extension strings,
// driver workarounds, entry-point loading, limits, options, the log lines and
// the hardware alerts.
#include "shell/OGL_extensions.h"

#include <cstdio>
#include <cstring>
#include <iomanip>

#include "gui/oglp.h"
#include "platform/plat_window.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_alert.h"

OGL_extensions glExt;

// The multitexture globals (named through the macros of the header).
PFNGLACTIVETEXTUREARBPROC vtl_glActiveTextureARB = nullptr;
PFNGLCLIENTACTIVETEXTUREARBPROC vtl_glClientActiveTextureARB = nullptr;
PFNGLMULTITEXCOORD1DARBPROC vtl_glMultiTexCoord1dARB = nullptr;
PFNGLMULTITEXCOORD1DVARBPROC vtl_glMultiTexCoord1dvARB = nullptr;
PFNGLMULTITEXCOORD1FARBPROC vtl_glMultiTexCoord1fARB = nullptr;
PFNGLMULTITEXCOORD1FVARBPROC vtl_glMultiTexCoord1fvARB = nullptr;
PFNGLMULTITEXCOORD1IARBPROC vtl_glMultiTexCoord1iARB = nullptr;
PFNGLMULTITEXCOORD1IVARBPROC vtl_glMultiTexCoord1ivARB = nullptr;
PFNGLMULTITEXCOORD1SARBPROC vtl_glMultiTexCoord1sARB = nullptr;
PFNGLMULTITEXCOORD1SVARBPROC vtl_glMultiTexCoord1svARB = nullptr;
PFNGLMULTITEXCOORD2DARBPROC vtl_glMultiTexCoord2dARB = nullptr;
PFNGLMULTITEXCOORD2DVARBPROC vtl_glMultiTexCoord2dvARB = nullptr;
PFNGLMULTITEXCOORD2FARBPROC vtl_glMultiTexCoord2fARB = nullptr;
PFNGLMULTITEXCOORD2FVARBPROC vtl_glMultiTexCoord2fvARB = nullptr;
PFNGLMULTITEXCOORD2IARBPROC vtl_glMultiTexCoord2iARB = nullptr;
PFNGLMULTITEXCOORD2IVARBPROC vtl_glMultiTexCoord2ivARB = nullptr;
PFNGLMULTITEXCOORD2SARBPROC vtl_glMultiTexCoord2sARB = nullptr;
PFNGLMULTITEXCOORD2SVARBPROC vtl_glMultiTexCoord2svARB = nullptr;
PFNGLMULTITEXCOORD3DARBPROC vtl_glMultiTexCoord3dARB = nullptr;
PFNGLMULTITEXCOORD3DVARBPROC vtl_glMultiTexCoord3dvARB = nullptr;
PFNGLMULTITEXCOORD3FARBPROC vtl_glMultiTexCoord3fARB = nullptr;
PFNGLMULTITEXCOORD3FVARBPROC vtl_glMultiTexCoord3fvARB = nullptr;
PFNGLMULTITEXCOORD3IARBPROC vtl_glMultiTexCoord3iARB = nullptr;
PFNGLMULTITEXCOORD3IVARBPROC vtl_glMultiTexCoord3ivARB = nullptr;
PFNGLMULTITEXCOORD3SARBPROC vtl_glMultiTexCoord3sARB = nullptr;
PFNGLMULTITEXCOORD3SVARBPROC vtl_glMultiTexCoord3svARB = nullptr;
PFNGLMULTITEXCOORD4DARBPROC vtl_glMultiTexCoord4dARB = nullptr;
PFNGLMULTITEXCOORD4DVARBPROC vtl_glMultiTexCoord4dvARB = nullptr;
PFNGLMULTITEXCOORD4FARBPROC vtl_glMultiTexCoord4fARB = nullptr;
PFNGLMULTITEXCOORD4FVARBPROC vtl_glMultiTexCoord4fvARB = nullptr;
PFNGLMULTITEXCOORD4IARBPROC vtl_glMultiTexCoord4iARB = nullptr;
PFNGLMULTITEXCOORD4IVARBPROC vtl_glMultiTexCoord4ivARB = nullptr;
PFNGLMULTITEXCOORD4SARBPROC vtl_glMultiTexCoord4sARB = nullptr;
PFNGLMULTITEXCOORD4SVARBPROC vtl_glMultiTexCoord4svARB = nullptr;

static const GLubyte* real_get_string(GLenum name) { return glGetString(name); }
static void real_get_integer(GLenum pname, GLint* v) { glGetIntegerv(pname, v); }
static void real_get_float(GLenum pname, GLfloat* v) { glGetFloatv(pname, v); }
ogl_driver_api ogl_driver = {real_get_string, real_get_integer, real_get_float, PLAT_gl_proc};

int OGL_version_number(const char* version) {
  if (!version) return 100;
  int major = 0, minor = 0;
  if (sscanf(version, "%d.%d", &major, &minor) == 2) return 100 * major + 10 * minor;
  static const struct { const char* prefix; int number; } k_prefixes[] = {
      {"1.1", 110}, {"1.2", 120}, {"1.3", 130}, {"1.4", 140},
      {"1.5", 150}, {"2.0", 200}, {"2.1", 210}};
  int number = 100;
  for (const auto& p : k_prefixes)
    if (strncmp(version, p.prefix, strlen(p.prefix)) == 0) number = p.number;
  return number;
}

int OGL_has_extension(const std::string& list, const char* name) {
  size_t n = strlen(name);
  if (n == 0) return 0;
  for (size_t pos = list.find(name); pos != std::string::npos; pos = list.find(name, pos + 1)) {
    bool starts = pos == 0 || list[pos - 1] == ' ';
    bool ends = pos + n == list.size() || list[pos + n] == ' ';
    if (starts && ends) return 1;
  }
  return 0;
}

// ---- Entry points ----

struct ogl_entry {
  const char* name;
  void** slot;
};
#define E(name) {#name, reinterpret_cast<void**>(&glExt.name)}
static const ogl_entry k_vbo[] = {
    E(glBindBufferARB),
    E(glDeleteBuffersARB),
    E(glGenBuffersARB),
    E(glIsBufferARB),
    E(glBufferDataARB),
    E(glBufferSubDataARB),
    E(glGetBufferSubDataARB),
    E(glMapBufferARB),
    E(glUnmapBufferARB),
    E(glGetBufferParameterivARB),
    E(glGetBufferPointervARB),
};
static const ogl_entry k_vattr[] = {
    E(glVertexAttrib1dARB),
    E(glVertexAttrib1dvARB),
    E(glVertexAttrib1fARB),
    E(glVertexAttrib1fvARB),
    E(glVertexAttrib1sARB),
    E(glVertexAttrib1svARB),
    E(glVertexAttrib2dARB),
    E(glVertexAttrib2dvARB),
    E(glVertexAttrib2fARB),
    E(glVertexAttrib2fvARB),
    E(glVertexAttrib2sARB),
    E(glVertexAttrib2svARB),
    E(glVertexAttrib3dARB),
    E(glVertexAttrib3dvARB),
    E(glVertexAttrib3fARB),
    E(glVertexAttrib3fvARB),
    E(glVertexAttrib3sARB),
    E(glVertexAttrib3svARB),
    E(glVertexAttrib4NbvARB),
    E(glVertexAttrib4NivARB),
    E(glVertexAttrib4NsvARB),
    E(glVertexAttrib4NubARB),
    E(glVertexAttrib4NubvARB),
    E(glVertexAttrib4NuivARB),
    E(glVertexAttrib4NusvARB),
    E(glVertexAttrib4bvARB),
    E(glVertexAttrib4dARB),
    E(glVertexAttrib4dvARB),
    E(glVertexAttrib4fARB),
    E(glVertexAttrib4fvARB),
    E(glVertexAttrib4ivARB),
    E(glVertexAttrib4sARB),
    E(glVertexAttrib4svARB),
    E(glVertexAttrib4ubvARB),
    E(glVertexAttrib4uivARB),
    E(glVertexAttrib4usvARB),
    E(glVertexAttribPointerARB),
    E(glEnableVertexAttribArrayARB),
    E(glDisableVertexAttribArrayARB),
};
static const ogl_entry k_prog[] = {
    E(glProgramStringARB),
    E(glBindProgramARB),
    E(glDeleteProgramsARB),
    E(glGenProgramsARB),
    E(glProgramEnvParameter4dARB),
    E(glProgramEnvParameter4dvARB),
    E(glProgramEnvParameter4fARB),
    E(glProgramEnvParameter4fvARB),
    E(glProgramLocalParameter4dARB),
    E(glProgramLocalParameter4dvARB),
    E(glProgramLocalParameter4fARB),
    E(glProgramLocalParameter4fvARB),
    E(glGetProgramEnvParameterdvARB),
    E(glGetProgramEnvParameterfvARB),
    E(glGetProgramLocalParameterdvARB),
    E(glGetProgramLocalParameterfvARB),
    E(glGetProgramivARB),
    E(glGetProgramStringARB),
    E(glGetVertexAttribdvARB),
    E(glGetVertexAttribfvARB),
    E(glGetVertexAttribivARB),
    E(glGetVertexAttribPointervARB),
    E(glIsProgramARB),
};
static const ogl_entry k_query[] = {
    E(glGenQueriesARB),
    E(glDeleteQueriesARB),
    E(glIsQueryARB),
    E(glBeginQueryARB),
    E(glEndQueryARB),
    E(glGetQueryivARB),
    E(glGetQueryObjectivARB),
    E(glGetQueryObjectuivARB),
};
static const ogl_entry k_shobj[] = {
    E(glDeleteObjectARB),
    E(glGetHandleARB),
    E(glDetachObjectARB),
    E(glCreateShaderObjectARB),
    E(glShaderSourceARB),
    E(glCompileShaderARB),
    E(glCreateProgramObjectARB),
    E(glAttachObjectARB),
    E(glLinkProgramARB),
    E(glUseProgramObjectARB),
    E(glValidateProgramARB),
    E(glUniform1fARB),
    E(glUniform2fARB),
    E(glUniform3fARB),
    E(glUniform4fARB),
    E(glUniform1iARB),
    E(glUniform2iARB),
    E(glUniform3iARB),
    E(glUniform4iARB),
    E(glUniform1fvARB),
    E(glUniform2fvARB),
    E(glUniform3fvARB),
    E(glUniform4fvARB),
    E(glUniform1ivARB),
    E(glUniform2ivARB),
    E(glUniform3ivARB),
    E(glUniform4ivARB),
    E(glUniformMatrix2fvARB),
    E(glUniformMatrix3fvARB),
    E(glUniformMatrix4fvARB),
    E(glGetObjectParameterfvARB),
    E(glGetObjectParameterivARB),
    E(glGetInfoLogARB),
    E(glGetAttachedObjectsARB),
    E(glGetUniformLocationARB),
    E(glGetActiveUniformARB),
    E(glGetUniformfvARB),
    E(glGetUniformivARB),
    E(glGetShaderSourceARB),
};
static const ogl_entry k_vsh[] = {
    E(glBindAttribLocationARB),
    E(glGetActiveAttribARB),
    E(glGetAttribLocationARB),
};
static const ogl_entry k_gsh[] = {
    E(glProgramParameteriEXT),
};
static const ogl_entry k_fbo[] = {
    E(glIsRenderbufferEXT),
    E(glBindRenderbufferEXT),
    E(glDeleteRenderbuffersEXT),
    E(glGenRenderbuffersEXT),
    E(glRenderbufferStorageEXT),
    E(glGetRenderbufferParameterivEXT),
    E(glIsFramebufferEXT),
    E(glBindFramebufferEXT),
    E(glDeleteFramebuffersEXT),
    E(glGenFramebuffersEXT),
    E(glCheckFramebufferStatusEXT),
    E(glFramebufferTexture1DEXT),
    E(glFramebufferTexture2DEXT),
    E(glFramebufferTexture3DEXT),
    E(glFramebufferRenderbufferEXT),
    E(glGetFramebufferAttachmentParameterivEXT),
    E(glGenerateMipmapEXT),
};
static const ogl_entry k_comp[] = {
    E(glCompressedTexImage3DARB),
    E(glCompressedTexImage2DARB),
    E(glCompressedTexImage1DARB),
    E(glCompressedTexSubImage3DARB),
    E(glCompressedTexSubImage2DARB),
    E(glCompressedTexSubImage1DARB),
    E(glGetCompressedTexImageARB),
};
static const ogl_entry k_sblend[] = {
    E(glBlendFuncSeparateEXT),
    E(glBlendEquationSeparateEXT),
};
#undef E

static const ogl_entry k_mtex[] = {
    {"glActiveTextureARB", (void**)&vtl_glActiveTextureARB},
    {"glClientActiveTextureARB", (void**)&vtl_glClientActiveTextureARB},
    {"glMultiTexCoord1dARB", (void**)&vtl_glMultiTexCoord1dARB},
    {"glMultiTexCoord1dvARB", (void**)&vtl_glMultiTexCoord1dvARB},
    {"glMultiTexCoord1fARB", (void**)&vtl_glMultiTexCoord1fARB},
    {"glMultiTexCoord1fvARB", (void**)&vtl_glMultiTexCoord1fvARB},
    {"glMultiTexCoord1iARB", (void**)&vtl_glMultiTexCoord1iARB},
    {"glMultiTexCoord1ivARB", (void**)&vtl_glMultiTexCoord1ivARB},
    {"glMultiTexCoord1sARB", (void**)&vtl_glMultiTexCoord1sARB},
    {"glMultiTexCoord1svARB", (void**)&vtl_glMultiTexCoord1svARB},
    {"glMultiTexCoord2dARB", (void**)&vtl_glMultiTexCoord2dARB},
    {"glMultiTexCoord2dvARB", (void**)&vtl_glMultiTexCoord2dvARB},
    {"glMultiTexCoord2fARB", (void**)&vtl_glMultiTexCoord2fARB},
    {"glMultiTexCoord2fvARB", (void**)&vtl_glMultiTexCoord2fvARB},
    {"glMultiTexCoord2iARB", (void**)&vtl_glMultiTexCoord2iARB},
    {"glMultiTexCoord2ivARB", (void**)&vtl_glMultiTexCoord2ivARB},
    {"glMultiTexCoord2sARB", (void**)&vtl_glMultiTexCoord2sARB},
    {"glMultiTexCoord2svARB", (void**)&vtl_glMultiTexCoord2svARB},
    {"glMultiTexCoord3dARB", (void**)&vtl_glMultiTexCoord3dARB},
    {"glMultiTexCoord3dvARB", (void**)&vtl_glMultiTexCoord3dvARB},
    {"glMultiTexCoord3fARB", (void**)&vtl_glMultiTexCoord3fARB},
    {"glMultiTexCoord3fvARB", (void**)&vtl_glMultiTexCoord3fvARB},
    {"glMultiTexCoord3iARB", (void**)&vtl_glMultiTexCoord3iARB},
    {"glMultiTexCoord3ivARB", (void**)&vtl_glMultiTexCoord3ivARB},
    {"glMultiTexCoord3sARB", (void**)&vtl_glMultiTexCoord3sARB},
    {"glMultiTexCoord3svARB", (void**)&vtl_glMultiTexCoord3svARB},
    {"glMultiTexCoord4dARB", (void**)&vtl_glMultiTexCoord4dARB},
    {"glMultiTexCoord4dvARB", (void**)&vtl_glMultiTexCoord4dvARB},
    {"glMultiTexCoord4fARB", (void**)&vtl_glMultiTexCoord4fARB},
    {"glMultiTexCoord4fvARB", (void**)&vtl_glMultiTexCoord4fvARB},
    {"glMultiTexCoord4iARB", (void**)&vtl_glMultiTexCoord4iARB},
    {"glMultiTexCoord4ivARB", (void**)&vtl_glMultiTexCoord4ivARB},
    {"glMultiTexCoord4sARB", (void**)&vtl_glMultiTexCoord4sARB},
    {"glMultiTexCoord4svARB", (void**)&vtl_glMultiTexCoord4svARB},
};

// Looks up every name of a group; a missing one is logged and clears the group's
// flag (when it has one), and the rest of the group is still looked up.
template <size_t N>
static void load_group(const ogl_entry (&group)[N], int* flag) {
  for (const ogl_entry& e : group) {
    *e.slot = ogl_driver.get_proc(e.name);
    if (!*e.slot) {
      xer << "WARNING: extension missing proc " << e.name << "\n";
      if (flag) *flag = 0;
    }
  }
}

// ---- Detection ----

static std::string driver_string(GLenum name) {
  const GLubyte* s = ogl_driver.get_string(name);
  return s ? (const char*)s : "";
}

static int get_int(GLenum pname) {
  GLint v[4] = {0, 0, 0, 0};
  ogl_driver.get_integer(pname, v);
  return v[0];
}

static int program_limit(GLenum target, GLenum pname) {
  GLint v = 0;
  if (glExt.glGetProgramivARB) glExt.glGetProgramivARB(target, pname, &v);
  return v;
}

static std::string padded(const char* name) {
  std::string s = name;
  while (s.size() < 17) s += ' ';
  return s + ": ";
}

// The web site without its "www.", for the support address.
static std::string support_address() {
  std::string site = VANTREL_WEB_SITE;
  if (site.compare(0, 4, "www.") == 0) site = site.substr(4);
  return "support@" + site;
}

void OGL_extensions::init_extensions() {
  OGL_extensions& x = *this;
  ren.vendor = driver_string(GL_VENDOR);
  ren.renderer = driver_string(GL_RENDERER);
  ren.version = driver_string(GL_VERSION);
  ren.extensions = driver_string(GL_EXTENSIONS);
  const std::string& ext = ren.extensions;
  const int ver = OGL_version_number(ren.version.c_str());

  // 1 when the version reaches `core` (0: never core) or the list names one of the extensions.
  auto avail = [&](int core, const char* a, const char* b = nullptr) -> int {
    if (core && ver >= core) return 1;
    return OGL_has_extension(ext, a) || (b && OGL_has_extension(ext, b));
  };
  x.multitex_avail = avail(130, "GL_ARB_multitexture");
  x.tex_clamp_avail = avail(120, "GL_EXT_texture_edge_clamp", "GL_SGIS_texture_edge_clamp");
  x.add_env_avail = avail(130, "GL_ARB_texture_env_add", "GL_EXT_texture_env_add");
  x.combine_avail = avail(130, "GL_ARB_texture_env_combine", "GL_EXT_texture_env_combine");
  x.dis_fog_avail = avail(0, "GL_NV_fog_distance");
  x.tex_comp_avail = avail(130, "GL_ARB_texture_compression");
  x.vbo_avail = avail(150, "GL_ARB_vertex_buffer_object");
  x.pbo_avail = avail(210, "GL_ARB_pixel_buffer_object");
  x.vprog_avail = avail(0, "GL_ARB_vertex_program");
  x.fprog_avail = avail(0, "GL_ARB_fragment_program");
  x.automini_avail = avail(140, "GL_SGIS_generate_mipmap");
  x.aniso_avail = avail(0, "GL_EXT_texture_filter_anisotropic");
  x.fsaa_avail = avail(130, "GL_ARB_multisample");
  x.sprites_avail = avail(200, "GL_ARB_point_sprite");
  x.depth_tex_avail = avail(140, "GL_ARB_depth_texture");
  x.occlude_avail = avail(150, "GL_ARB_occlusion_query");
  x.shad_objs_avail = avail(200, "GL_ARB_shader_objects");
  x.vshader_avail = avail(200, "GL_ARB_vertex_shader");
  x.fshader_avail = avail(200, "GL_ARB_fragment_shader");
  x.gshader_avail = avail(0, "GL_EXT_geometry_shader4");
  x.glsl_avail = avail(200, "GL_ARB_shading_language_100");
  x.framebuf_avail = avail(0, "GL_EXT_framebuffer_object");
  x.sblend_avail = OGL_has_extension(ext, "GL_EXT_blend_func_separate") &&
                   OGL_has_extension(ext, "GL_EXT_framebuffer_object");

  // Driver workarounds.
  if (ren.vendor == "Intel" && x.vbo_avail && !cmdline.has_option("--use_vbos")) {
    xer << "Disabling VBOs for Intel hardware.\n";
    x.vbo_avail = 0;
  }
  if (ren.vendor == "3Dlabs" && ren.renderer == "Wildcat Realizm" && x.glsl_avail &&
      !cmdline.has_option("--use_glsl")) {
    xer << "Disabling GLSL for Wildcat Realizm drivers.\n";
    x.glsl_avail = 0;
  }
  if (x.glsl_avail && ren.vendor.find("NVIDIA") != std::string::npos &&
      !OGL_has_extension(ext, "GL_NV_fragment_program2"))
    x.glsl_limited = 1;

  // Entry points, group by group.
  if (x.vbo_avail) load_group(k_vbo, &x.vbo_avail);
  if (x.pbo_avail && !x.vbo_avail) {
    xer << "Disabling PBOs because VBOs are not available.  This probably means that VBOs "
           "are disabled for compatibility reasons.\n";
    x.pbo_avail = 0;
  }
  if (x.vprog_avail) {
    load_group(k_vattr, &x.vprog_avail);
    load_group(k_prog, &x.vprog_avail);
  }
  load_group(k_mtex, nullptr);
  if (x.occlude_avail) load_group(k_query, &x.occlude_avail);
  if (x.shad_objs_avail) load_group(k_shobj, &x.shad_objs_avail);
  if (x.gshader_avail) load_group(k_gsh, &x.gshader_avail);
  if (x.vshader_avail) load_group(k_vsh, &x.vshader_avail);
  if (x.framebuf_avail) load_group(k_fbo, &x.framebuf_avail);
  if (x.tex_comp_avail) load_group(k_comp, &x.tex_comp_avail);
  if (x.sblend_avail) load_group(k_sblend, &x.sblend_avail);

  // Features that need others.
  if (!x.vprog_avail) x.fprog_avail = 0;
  if (!x.shad_objs_avail) x.fshader_avail = x.vshader_avail = x.gshader_avail = 0;
  if (!x.vshader_avail || !x.fshader_avail) x.glsl_avail = 0;

  // Limits.
  int fp_instr = 0, fp_alu = 0, fp_tex = 0, fp_indir = 0, vp_instr = 0;
  int vs_attribs = 0, vs_uniforms = 0, vs_varyings = 0, vs_combined = 0, vs_vtex = 0;
  int fs_uniforms = 0;
  if (x.fprog_avail) {
    fp_instr = program_limit(GL_FRAGMENT_PROGRAM_ARB, GL_MAX_PROGRAM_NATIVE_INSTRUCTIONS_ARB);
    fp_alu = program_limit(GL_FRAGMENT_PROGRAM_ARB, GL_MAX_PROGRAM_NATIVE_ALU_INSTRUCTIONS_ARB);
    fp_tex = program_limit(GL_FRAGMENT_PROGRAM_ARB, GL_MAX_PROGRAM_NATIVE_TEX_INSTRUCTIONS_ARB);
    fp_indir = program_limit(GL_FRAGMENT_PROGRAM_ARB, GL_MAX_PROGRAM_NATIVE_TEX_INDIRECTIONS_ARB);
    if (fp_instr == 0 && !cmdline.has_option("--use_fprogs")) x.fprog_avail = 0;
    if (fp_instr < 100) x.glsl_limited = 1;
  }
  if (x.vprog_avail) {
    vp_instr = program_limit(GL_VERTEX_PROGRAM_ARB, GL_MAX_PROGRAM_NATIVE_INSTRUCTIONS_ARB);
    if (vp_instr == 0 && !cmdline.has_option("--use_vprogs")) x.vprog_avail = 0;
  }
  if (x.vshader_avail) {
    vs_attribs = get_int(GL_MAX_VERTEX_ATTRIBS_ARB);
    vs_uniforms = get_int(GL_MAX_VERTEX_UNIFORM_COMPONENTS_ARB);
    vs_varyings = get_int(GL_MAX_VARYING_FLOATS_ARB);
    vs_combined = get_int(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS_ARB);
    vs_vtex = get_int(GL_MAX_VERTEX_TEXTURE_IMAGE_UNITS_ARB);
  }
  if (x.fshader_avail) fs_uniforms = get_int(GL_MAX_FRAGMENT_UNIFORM_COMPONENTS_ARB);
  std::string glsl_version = "n/a";
  if (x.glsl_avail) {
    const GLubyte* s = ogl_driver.get_string(GL_SHADING_LANGUAGE_VERSION_ARB);
    glsl_version = s ? (const char*)s : "<null string>";
  }
  ren.num_tex_units = get_int(GL_MAX_TEXTURE_UNITS_ARB);
  if (ren.num_tex_units < 1) ren.num_tex_units = 1;
  ren.num_img_units = x.fprog_avail ? get_int(GL_MAX_TEXTURE_IMAGE_UNITS_ARB) : ren.num_tex_units;
  ren.num_cor_units = x.vprog_avail ? get_int(GL_MAX_TEXTURE_COORDS_ARB) : ren.num_tex_units;
  ren.max_iso = 1.0f;
  if (x.aniso_avail) {
    GLfloat v[4] = {1.0f, 0, 0, 0};
    ogl_driver.get_float(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, v);
    ren.max_iso = v[0];
  }
  x.max_texdim = get_int(GL_MAX_TEXTURE_SIZE);
  GLfloat point_range[4] = {0, 0, 0, 0};
  ogl_driver.get_float(GL_POINT_SIZE_RANGE, point_range);

  // Options.
  auto opt = [](const char* name) { return cmdline.has_option(name); };
  if (opt("--no_vbos")) x.vbo_avail = x.pbo_avail = 0;
  if (opt("--no_pbos")) x.pbo_avail = 0;
  if (opt("--no_sprites")) x.sprites_avail = 0;
  if (opt("--no_pixel_counters")) x.occlude_avail = 0;
  if (opt("--no_aniso_filtering")) {
    x.aniso_avail = 0;
    ren.max_iso = 1.0f;
  }
  if (opt("--no_hw_mipmap")) x.automini_avail = 0;
  if (opt("--no_vshaders")) x.vprog_avail = 0;
  if (opt("--no_fshaders")) x.fprog_avail = 0;
  if (opt("--no_glsl")) x.glsl_avail = 0;
  if (opt("--no_fbos")) x.framebuf_avail = 0;
  if (opt("--no_threaded_ogl")) x.threaded_avail = 0;
  if (opt("--no_sblend")) x.sblend_avail = 0;

  // The log.
  xer << "OpenGL Vendor    : " << ren.vendor << "\n";
  xer << "OpenGL Render    : " << ren.renderer << "\n";
  xer << "OpenGL Version   : " << ren.version << " (" << ver << ")\n";
  xer << "OpenGL Extensions: " << ren.extensions << "\n";
  xer << padded("tex_clamp_avail") << x.tex_clamp_avail << "\n";
  xer << padded("add_env_avail") << x.add_env_avail << "\n";
  xer << padded("combine_avail") << x.combine_avail << "\n";
  xer << padded("dis_fog_avail") << x.dis_fog_avail << "\n";
  xer << padded("tex_comp_avail") << x.tex_comp_avail << "\n";
  xer << padded("vbo_avail") << x.vbo_avail << "\n";
  xer << padded("pbo_avail") << x.pbo_avail << "\n";
  xer << padded("vprog_avail") << x.vprog_avail << " (" << vp_instr << ")\n";
  xer << padded("fprog_avail") << x.fprog_avail << " (" << fp_instr << "/" << fp_alu << "/"
      << fp_tex << "/" << fp_indir << ")\n";
  xer << padded("automini_avail") << x.automini_avail << "\n";
  xer << padded("aniso_avail") << x.aniso_avail << "\n";
  xer << padded("fsaa_avail") << x.fsaa_avail << "\n";
  xer << padded("sprites_avail") << x.sprites_avail << "\n";
  xer << padded("depth_tex_avail") << x.depth_tex_avail << "\n";
  xer << padded("occlude_avail") << x.occlude_avail << "\n";
  xer << padded("shad_objs_avail") << x.shad_objs_avail << "\n";
  xer << padded("vshader_avail") << x.vshader_avail << " (" << vs_attribs << "/" << vs_uniforms
      << "/" << vs_varyings << "/" << vs_combined << "/" << vs_vtex << "/" << fs_uniforms << ")\n";
  xer << padded("fshader_avail") << x.fshader_avail << " (" << fs_uniforms << ")\n";
  xer << padded("gshader_avail") << x.gshader_avail << "\n";
  xer << padded("glsl_avail") << x.glsl_avail << " (" << glsl_version << ")\n";
  xer << padded("framebuf_avail") << x.framebuf_avail << "\n";
  xer << padded("sblend_avail") << x.sblend_avail << "\n";
  xer << padded("threaded_avail") << x.threaded_avail << "\n";
  xer << "first-gen shaders: " << x.glsl_limited << "\n";
  xer << "max tex units    : " << ren.num_tex_units << " (" << ren.num_img_units << "/"
      << ren.num_cor_units << ")\n";
  xer << "max iso filtering: " << ren.max_iso << "\n";
  xer << "max texture size : " << x.max_texdim << "\n";
  xer << "max point size   : " << point_range[1] << "\n";

  if (x.glsl_avail && ren.num_img_units > ren.num_tex_units) ren.num_tex_units = ren.num_img_units;

  // Hardware checks.
  const std::string site = VANTREL_WEB_SITE;
  if (!x.multitex_avail && ver < 110) {
    const char* first =
        "Your graphics hardware cannot support Vantrel. Vantrel requires a graphics card with "
        "16 MB of VRAM and multitexturing.";
    if (cmdline.has_option("--force_run"))
      __DOVAVI_alert(0, first, "Your system does not meet Vantrel's hardware requirements.",
                     "You have used the force-run command inline option to run Vantrel anyway, "
                     "but it may crash.",
                     "See " + site + " for the system requirements and for support.", t_alert,
                     "OGL_extensions", __LINE__);
    else
      __DOVAVI_alert(0, first, "First, try updating your graphics drivers.",
                     "If this does not help, check your graphics card specifications.",
                     "For help, write to " + support_address() + ".", t_exit, "OGL_extensions",
                     __LINE__);
  }
  const std::string& r = ren.renderer;
  if (r == "GENERIC" || r == "Generic" || r == "generic" || r == "Mesa GLX Indirect")
    __DOVAVI_alert(0,
                   "I can not find a 3-D accelerator card that can handle OpenGL that has "
                   "correctly installed drivers.",
                   "I will still let you run the simulator, but the frame rate will NOT allow "
                   "for a good simulation.",
                   "For you to fly realistically, you must use Vantrel version Classic, or get a "
                   "3-D accelerator card that can handle OpenGL.",
                   "See " + site + " for a list of compatible graphics cards.", t_alert,
                   "OGL_extensions", __LINE__);
  if (ren.vendor == "ATI Technologies Inc." && ver == 150 && x.glsl_avail) {
    __DOVAVI_alert(0,
                   "You have a newer ATI graphics card with pixel shaders, but you do not have "
                   "new drivers.",
                   "Vantrel may run slower, crash, or show artifacts if you do not update your "
                   "drivers.",
                   "", "Please download the latest driver from your graphics card maker's web site.", t_alert,
                   "OGL_extensions", __LINE__);
    x.glsl_avail = 0;
  }
  if (ren.vendor == "NVIDIA Corporation" && ver == 150 && x.glsl_avail) {
    __DOVAVI_alert(0,
                   "You have a newer nVidia graphics card with pixel shaders, but you do not "
                   "have new drivers.",
                   "Vantrel may run slower, crash, or show artifacts if you do not update your "
                   "drivers.",
                   "", "Please download the latest driver from your graphics card maker's web site.", t_alert,
                   "OGL_extensions", __LINE__);
    x.glsl_avail = 0;
  }
}
