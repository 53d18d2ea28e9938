// The two GL caches, watched through the call table: the state switch reads GL
// once and then issues only the calls whose value changes; the binding cache binds
// and sets the environment once per change, per unit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/ogl_gl.h"
#include "gui/oglp.h"
#include "shell/hl_mnw.h"
#include "support/gl_helpers.h"
#include "textures/TEX_bind.h"

namespace {
std::vector<std::string> calls;
ogl_call_table real;

std::string cap_name(GLenum cap) {
  switch (cap) {
    case GL_FOG: return "fog";
    case GL_TEXTURE_2D: return "tex2d";
    case GL_LIGHTING: return "lighting";
    case GL_LIGHT0: return "light0";
    case GL_BLEND: return "blend";
    case GL_ALPHA_TEST: return "alpha";
    case GL_DEPTH_TEST: return "depth";
  }
  return std::to_string(cap);
}

class Caches : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_test_start()) << "no display: the cache tests need X (xvfb-run)";
    real = ogl_calls;
    ogl_calls.Enable = [](GLenum c) { calls.push_back("enable " + cap_name(c)); real.Enable(c); };
    ogl_calls.Disable = [](GLenum c) { calls.push_back("disable " + cap_name(c)); real.Disable(c); };
    ogl_calls.IsEnabled = [](GLenum c) { calls.push_back("read " + cap_name(c)); return real.IsEnabled(c); };
    ogl_calls.DepthMask = [](GLboolean f) { calls.push_back(f ? "depthmask 1" : "depthmask 0"); real.DepthMask(f); };
    ogl_calls.BindTexture = [](GLenum t, GLuint n) { calls.push_back("bind " + std::to_string(n)); real.BindTexture(t, n); };
    ogl_calls.TexEnvi = [](GLenum t, GLenum p, GLint v) {
      calls.push_back(v == GL_MODULATE ? "env modulate" : "env " + std::to_string(v));
      real.TexEnvi(t, p, v);
    };
    ogl_calls.ActiveTexture = [](GLenum u) { calls.push_back("unit " + std::to_string(u - GL_TEXTURE0_ARB)); real.ActiveTexture(u); };
    calls.clear();
  }
  void TearDown() override { ogl_calls = real; }
};

typedef std::vector<std::string> list;
}  // namespace

TEST_F(Caches, StateIsReadOnceThenOnlyChangesAreIssued) {
  OGL_forget_state();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  OGL_setstate(1, 0, 3, 5, 9, 11);
  list first = calls;
  // Six reads, then blending is the only value that differs from GL's state.
  EXPECT_EQ((list{"read fog", "read tex2d", "read lighting", "read blend", "read alpha", "read depth",
                  "enable blend"}),
            first);
  calls.clear();
  OGL_setstate(1, 0, 3, 5, 9, 11);
  EXPECT_TRUE(calls.empty());
  OGL_setstate(1, 1, 3, 5, 9, 11);
  OGL_setstate(1, 1, 3, 5, 9, 11);
  EXPECT_EQ((list{"enable tex2d"}), calls);
  calls.clear();
  OGL_setstate(0, 1, 2, 7, 8, 10);
  EXPECT_EQ((list{"enable fog", "enable lighting", "enable light0", "enable alpha", "enable depth",
                  "depthmask 1"}),
            calls);
  calls.clear();
  OGL_setstate(1, 0, 3, 4, 9, 11);
  EXPECT_EQ((list{"disable fog", "disable tex2d", "disable lighting", "disable light0", "disable blend",
                  "disable alpha", "disable depth", "depthmask 0"}),
            calls);
  calls.clear();
  OGL_setstate(1, 0, 3, 4, 9, 11);
  EXPECT_TRUE(calls.empty());
}

TEST_F(Caches, ExtraUnitsAreSwitchedOneByOneAndClamped) {
  OGL_setstate(1, 1, 3, 5, 9, 11);
  calls.clear();
  OGL_setstate(1, 2, 3, 5, 9, 11);
  EXPECT_EQ((list{"enable tex2d", "unit 1", "enable tex2d", "unit 0"}), calls);
  calls.clear();
  OGL_setstate(1, 1, 3, 5, 9, 11);
  EXPECT_EQ((list{"enable tex2d", "unit 1", "disable tex2d", "unit 0"}), calls);
  calls.clear();
  // More units than the driver has: clamped, and the second call costs nothing.
  OGL_setstate(1, 99, 3, 5, 9, 11);
  calls.clear();
  OGL_setstate(1, 99, 3, 5, 9, 11);
  EXPECT_TRUE(calls.empty());
  OGL_setstate(1, 1, 3, 5, 9, 11);
}

TEST_F(Caches, BindingIsCachedPerUnitAndMode) {
  TEX_reset_bind();
  TEX_bind_ref(388, 0, 0);
  TEX_bind_ref(388, 0, 0);
  EXPECT_EQ((list{"bind 388", "env modulate"}), calls);
  calls.clear();
  TEX_bind_ref(389, 0, 0);
  EXPECT_EQ((list{"bind 389"}), calls);
  calls.clear();
  TEX_reset_bind();
  TEX_bind_ref(389, 0, 0);
  EXPECT_EQ((list{"bind 389", "env modulate"}), calls);
  calls.clear();
  TEX_bind_ref(390, 0, 24);  // mode 24 leaves the environment alone
  TEX_bind_ref(390, 0, 24);
  EXPECT_EQ((list{"bind 390"}), calls);
  calls.clear();
  TEX_bind_ref(388, 1, 0);
  TEX_bind_ref(388, 1, 0);
  EXPECT_EQ((list{"unit 1", "bind 388", "env modulate", "unit 0"}), calls);
  calls.clear();
  TEX_bind_ref(0, 1, 0);  // unbind unit 1 again, for the other tests
  TEX_bind_ref(388, 0, 0);
  calls.clear();
}

TEST_F(Caches, RepeatedPrimitivesIssueNoStateCalls) {
  mnw.win_x = mnw.win_y = 0;
  OGL_string(0, 10, 10, "warm up", 0, 100, 0);
  OGL_fillrect(0, 1.0f, 0, 0, 10, 10);
  calls.clear();
  OGL_string(0, 10, 10, "text", 0, 100, 0);
  OGL_string(0, 10, 30, "more text", 0, 100, 0);
  // Only the texture switch between text and rectangles, once per change.
  OGL_fillrect(0, 1.0f, 0, 0, 10, 10);
  OGL_fillrect(0, 1.0f, 20, 0, 10, 10);
  OGL_string(0, 10, 10, "text", 0, 100, 0);
  EXPECT_EQ((list{"enable tex2d", "disable tex2d", "enable tex2d"}), calls);
}
