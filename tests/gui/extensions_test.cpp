// Capability detection over given driver answers: version numbers, whole-name
// extension matching, the flag table, workarounds, entry-point loading, options,
// the log lines and the hardware alerts. No GL is needed: the driver is faked.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

#include "gui/oglp.h"
#include "shell/OGL_extensions.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_alert.h"
#include "support/fs_helpers.h"

TEST(GlVersion, NumberFromLeadingMajorMinor) {
  const struct {
    const char* text;
    int number;
  } cases[] = {
      {"1.5.0", 150},
      {"2.1.2 NVIDIA 190.00", 210},
      {"4.5 (Compatibility Profile) Mesa 22.3.6", 450},
      {"1.1", 110},
      {"3.0 Mesa", 300},
      {"", 100},
      {"OpenGL ES", 100},
      {"1.3x", 130},
  };
  for (const auto& c : cases) EXPECT_EQ(c.number, OGL_version_number(c.text)) << c.text;
  EXPECT_EQ(100, OGL_version_number(nullptr));
}

TEST(GlVersion, ExtensionNamesMatchWhole) {
  const std::string list = "GL_ARB_texture_compression_bptc GL_EXT_blend_func_separate GL_ARB_multitexture";
  EXPECT_TRUE(OGL_has_extension(list, "GL_ARB_multitexture"));
  EXPECT_TRUE(OGL_has_extension(list, "GL_EXT_blend_func_separate"));
  EXPECT_FALSE(OGL_has_extension(list, "GL_ARB_texture_compression"));  // only a longer name
  EXPECT_FALSE(OGL_has_extension(list, "GL_EXT_blend_func"));
  EXPECT_FALSE(OGL_has_extension(list, ""));
  EXPECT_FALSE(OGL_has_extension("", "GL_ARB_multitexture"));
}

// ---- A fake driver ----

namespace {
struct fake_driver {
  std::string vendor = "Mesa", renderer = "llvmpipe (LLVM 15.0.6, 256 bits)", version = "1.2",
              extensions, glsl = "1.20";
  bool glsl_null = false;
  std::set<std::string> missing;         // entry points the driver lacks
  std::map<GLenum, int> ints;            // glGetIntegerv answers
  int fp_native = 1024, vp_native = 512; // program limits
};
fake_driver drv;

const GLubyte* fake_string(GLenum name) {
  const std::string* s = nullptr;
  switch (name) {
    case GL_VENDOR: s = &drv.vendor; break;
    case GL_RENDERER: s = &drv.renderer; break;
    case GL_VERSION: s = &drv.version; break;
    case GL_EXTENSIONS: s = &drv.extensions; break;
    case GL_SHADING_LANGUAGE_VERSION_ARB:
      if (drv.glsl_null) return nullptr;
      s = &drv.glsl;
      break;
  }
  return s ? (const GLubyte*)s->c_str() : nullptr;
}
void fake_integer(GLenum pname, GLint* v) {
  auto it = drv.ints.find(pname);
  v[0] = it == drv.ints.end() ? 0 : it->second;
}
void fake_float(GLenum pname, GLfloat* v) {
  v[0] = pname == GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT ? 16.0f : 1.0f;
  v[1] = 64.0f;
}
void fake_program_iv(GLenum target, GLenum, GLint* v) {
  *v = target == GL_FRAGMENT_PROGRAM_ARB ? drv.fp_native : drv.vp_native;
}
void fake_any() {}
void* fake_proc(const char* name) {
  if (drv.missing.count(name)) return nullptr;
  if (std::string(name) == "glGetProgramivARB") return (void*)&fake_program_iv;
  return (void*)&fake_any;
}

struct alert_seen {
  std::string first;
  int type;
};
std::vector<alert_seen> alerts;
void record_alert(int, const std::string& s1, const std::string&, const std::string&,
                  const std::string&, int type, const char*, int) {
  alerts.push_back({s1, type});
  if (type == t_exit) throw std::runtime_error("fatal alert: " + s1);
}

class Detection : public testing::Test {
 protected:
  void SetUp() override {
    drv = fake_driver();
    drv.ints[GL_MAX_TEXTURE_UNITS_ARB] = 4;
    drv.ints[GL_MAX_TEXTURE_SIZE] = 8192;
    alerts.clear();
    saved_driver = ogl_driver;
    ogl_driver = {fake_string, fake_integer, fake_float, fake_proc};
    g_alert_intercept = record_alert;
    cmdline.parse("");
    glExt = OGL_extensions();
    ren = ren_class();
    UTL_log_open(dir / "Log.txt");
  }
  void TearDown() override {
    ogl_driver = saved_driver;
    g_alert_intercept = nullptr;
    cmdline.parse("");
    UTL_log_close();
  }
  // Runs detection and returns the log it wrote.
  std::string detect(const char* options = "") {
    cmdline.parse(options);
    glExt.init_extensions();
    UTL_log_close();
    return read_file(dir / "Log.txt");
  }
  TempDir dir;
  ogl_driver_api saved_driver;
};
}  // namespace

TEST_F(Detection, FlagsFromCoreVersionOrExtensionNames) {
  // Version 1.2: only tex_clamp is core; the rest must come from the list.
  drv.extensions = "GL_ARB_multitexture GL_EXT_texture_env_add GL_EXT_blend_func_separate "
                   "GL_ARB_texture_compression_bptc GL_NV_fog_distance";
  detect();
  EXPECT_EQ(1, glExt.multitex_avail);
  EXPECT_EQ(1, glExt.tex_clamp_avail);
  EXPECT_EQ(1, glExt.add_env_avail);
  EXPECT_EQ(0, glExt.combine_avail);
  EXPECT_EQ(1, glExt.dis_fog_avail);
  EXPECT_EQ(0, glExt.tex_comp_avail);  // a longer name does not count
  EXPECT_EQ(0, glExt.vbo_avail);
  EXPECT_EQ(0, glExt.sblend_avail);    // needs the framebuffer extension too

  drv.version = "2.1.2";
  drv.extensions = "GL_EXT_blend_func_separate GL_EXT_framebuffer_object";
  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  detect();
  EXPECT_EQ(1, glExt.multitex_avail);
  EXPECT_EQ(1, glExt.vbo_avail);
  EXPECT_EQ(1, glExt.pbo_avail);
  EXPECT_EQ(1, glExt.glsl_avail);
  EXPECT_EQ(1, glExt.sblend_avail);
  EXPECT_EQ(1, glExt.framebuf_avail);
  EXPECT_EQ(0, glExt.vprog_avail);
  EXPECT_EQ(0, glExt.gshader_avail);
  EXPECT_EQ(0, glExt.threaded_avail);  // nothing turns it on
}

TEST_F(Detection, LogLinesAndLimits) {
  drv.version = "2.1.2";
  drv.extensions = "GL_ARB_vertex_program GL_ARB_fragment_program GL_EXT_texture_filter_anisotropic";
  drv.ints[GL_MAX_TEXTURE_IMAGE_UNITS_ARB] = 16;
  drv.ints[GL_MAX_TEXTURE_COORDS_ARB] = 8;
  drv.ints[GL_MAX_VERTEX_ATTRIBS_ARB] = 16;
  drv.ints[GL_MAX_FRAGMENT_UNIFORM_COMPONENTS_ARB] = 1024;
  std::string log = detect();
  EXPECT_NE(std::string::npos, log.find("OpenGL Vendor    : Mesa\n"));
  EXPECT_NE(std::string::npos, log.find("OpenGL Render    : llvmpipe (LLVM 15.0.6, 256 bits)\n"));
  EXPECT_NE(std::string::npos, log.find("OpenGL Version   : 2.1.2 (210)\n"));
  EXPECT_NE(std::string::npos, log.find("OpenGL Extensions: GL_ARB_vertex_program"));
  EXPECT_NE(std::string::npos, log.find("\ntex_clamp_avail  : 1\n"));
  EXPECT_NE(std::string::npos, log.find("\nvprog_avail      : 1 (512)\n"));
  EXPECT_NE(std::string::npos, log.find("\nfprog_avail      : 1 (1024/1024/1024/1024)\n"));
  EXPECT_NE(std::string::npos, log.find("\nvshader_avail    : 1 (16/0/0/0/0/1024)\n"));
  EXPECT_NE(std::string::npos, log.find("\nfshader_avail    : 1 (1024)\n"));
  EXPECT_NE(std::string::npos, log.find("\nglsl_avail       : 1 (1.20)\n"));
  EXPECT_NE(std::string::npos, log.find("\nthreaded_avail   : 0\n"));
  EXPECT_NE(std::string::npos, log.find("\nfirst-gen shaders: 0\n"));
  EXPECT_NE(std::string::npos, log.find("\nmax tex units    : 4 (16/8)\n"));
  EXPECT_NE(std::string::npos, log.find("\nmax iso filtering: 16.000000\n"));
  EXPECT_NE(std::string::npos, log.find("\nmax texture size : 8192\n"));
  EXPECT_NE(std::string::npos, log.find("\nmax point size   : 64.000000\n"));
  // With GLSL the texture units count the image units.
  EXPECT_EQ(16, ren.num_tex_units);
  EXPECT_TRUE(alerts.empty());  // llvmpipe is not the generic renderer
}

TEST_F(Detection, WorkaroundsAndOptions) {
  drv.vendor = "Intel";
  drv.version = "2.1";
  std::string log = detect();
  EXPECT_NE(std::string::npos, log.find("Disabling VBOs for Intel hardware.\n"));
  EXPECT_NE(std::string::npos, log.find("Disabling PBOs because VBOs are not available."));
  EXPECT_EQ(0, glExt.vbo_avail);
  EXPECT_EQ(0, glExt.pbo_avail);

  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  log = detect("--use_vbos");
  EXPECT_EQ(1, glExt.vbo_avail);
  EXPECT_EQ(std::string::npos, log.find("Disabling VBOs"));

  drv.vendor = "Mesa";
  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  log = detect("--no_vbos --no_aniso_filtering --no_glsl");
  EXPECT_NE(std::string::npos, log.find("\nvbo_avail        : 0\n"));
  EXPECT_NE(std::string::npos, log.find("\npbo_avail        : 0\n"));
  EXPECT_NE(std::string::npos, log.find("\nglsl_avail       : 0 (1.20)\n"));
  EXPECT_FLOAT_EQ(1.0f, ren.max_iso);

  drv.vendor = "NVIDIA Corporation";
  drv.version = "2.0";
  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  detect();
  EXPECT_EQ(1, glExt.glsl_limited);  // no GL_NV_fragment_program2
}

TEST_F(Detection, MissingEntryPointClearsItsGroupOnly) {
  drv.version = "2.1";
  drv.missing = {"glBindBufferARB", "glGenQueriesARB", "glMultiTexCoord2fARB"};
  std::string log = detect();
  EXPECT_NE(std::string::npos, log.find("WARNING: extension missing proc glBindBufferARB\n"));
  EXPECT_NE(std::string::npos, log.find("WARNING: extension missing proc glMultiTexCoord2fARB\n"));
  EXPECT_EQ(0, glExt.vbo_avail);
  EXPECT_EQ(0, glExt.pbo_avail);  // follows the buffer objects
  EXPECT_EQ(0, glExt.occlude_avail);
  EXPECT_EQ(1, glExt.multitex_avail);  // the multitexture globals clear nothing
  EXPECT_EQ(1, glExt.shad_objs_avail);
  EXPECT_TRUE(glExt.glDeleteBuffersARB != nullptr);  // the rest of the group is still looked up
  EXPECT_TRUE(glActiveTextureARB != nullptr);
}

TEST_F(Detection, ProgramLimitsAndConsistency) {
  drv.version = "1.5";
  drv.extensions = "GL_ARB_fragment_program GL_ARB_shader_objects GL_ARB_fragment_shader";
  detect();
  EXPECT_EQ(0, glExt.fprog_avail);  // needs vertex programs
  EXPECT_EQ(1, glExt.fshader_avail);
  EXPECT_EQ(0, glExt.glsl_avail);   // needs both shader kinds

  drv.extensions = "GL_ARB_vertex_program GL_ARB_fragment_program";
  drv.fp_native = 0;
  drv.vp_native = 0;
  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  detect();
  EXPECT_EQ(0, glExt.fprog_avail);
  EXPECT_EQ(0, glExt.vprog_avail);
  EXPECT_EQ(1, glExt.glsl_limited);

  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  detect("--use_fprogs --use_vprogs");
  EXPECT_EQ(1, glExt.fprog_avail);
  EXPECT_EQ(1, glExt.vprog_avail);
}

TEST_F(Detection, HardwareAlerts) {
  drv.renderer = "GENERIC";
  detect();
  ASSERT_EQ(1u, alerts.size());
  EXPECT_EQ(t_alert, alerts[0].type);
  EXPECT_NE(std::string::npos, alerts[0].first.find("3-D accelerator card"));

  // No multitexturing at version 1.0: fatal, unless forced.
  alerts.clear();
  drv.renderer = "Soft";
  drv.version = "1.0";
  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  EXPECT_THROW(detect(), std::runtime_error);
  ASSERT_EQ(1u, alerts.size());
  EXPECT_EQ(t_exit, alerts[0].type);

  alerts.clear();
  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  detect("--force_run");
  ASSERT_EQ(1u, alerts.size());
  EXPECT_EQ(t_alert, alerts[0].type);

  // An old driver for a shader card: a warning, and no GLSL.
  alerts.clear();
  drv.vendor = "ATI Technologies Inc.";
  drv.version = "1.5";
  drv.extensions = "GL_ARB_shader_objects GL_ARB_vertex_shader GL_ARB_fragment_shader "
                   "GL_ARB_shading_language_100";
  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  detect();
  ASSERT_EQ(1u, alerts.size());
  EXPECT_NE(std::string::npos, alerts[0].first.find("newer ATI graphics card"));
  EXPECT_EQ(0, glExt.glsl_avail);
}

TEST_F(Detection, ShadingLanguageTexts) {
  drv.version = "2.0";
  drv.glsl_null = true;
  std::string log = detect();
  EXPECT_NE(std::string::npos, log.find("\nglsl_avail       : 1 (<null string>)\n"));
  glExt = OGL_extensions();
  UTL_log_open(dir / "Log.txt");
  drv.version = "1.4";
  log = detect();
  EXPECT_NE(std::string::npos, log.find("\nglsl_avail       : 0 (n/a)\n"));
}
