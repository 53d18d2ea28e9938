// The texture manager and the built-in images in the real GL context: sizes,
// filtering by reference, the scratch buffer after start-up, the validators'
// fatal alerts and the placeholder for a missing texture.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "gui/ogl_gl.h"
#include "ins_texes_data.h"
#include "shell/hl_alert.h"
#include "shell/hl_structs.h"
#include "support/gl_helpers.h"
#include "textures/TEX_bind.h"
#include "textures/tman.h"

namespace {
struct alert_seen {
  std::string s1, s2, s3, s4;
  int type = 0, line = 0;
};
std::vector<alert_seen> alerts;
void record_alert(int, const std::string& s1, const std::string& s2, const std::string& s3,
                  const std::string& s4, int type, const char*, int line) {
  alerts.push_back({s1, s2, s3, s4, type, line});
  if (type == t_exit) throw std::runtime_error(s1);
}

class Textures : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_test_start()) << "no display: the texture tests need X (xvfb-run)";
    alerts.clear();
    g_alert_intercept = record_alert;
  }
  void TearDown() override { g_alert_intercept = nullptr; }
  static int filter_of(int ref) {
    TEX_reset_bind();
    TEX_bind_ref(ref, 0, 0);
    GLint mag = 0, min = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    EXPECT_EQ(mag, min);
    return mag;
  }
  static int level_width(int ref) {
    TEX_reset_bind();
    TEX_bind_ref(ref, 0, 0);
    GLint w = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    return w;
  }
};
}  // namespace

TEST_F(Textures, BuiltInImagesAreResidentUnderTheirReferences) {
  for (int ref = 388; ref <= 391; ref++) {
    ASSERT_LT(ref, (int)tman.ref_dat.size());
    EXPECT_EQ(ref, tman.ref_dat[ref].ogl_num);
    EXPECT_EQ(tex_load_now, tman.ref_dat[ref].load_time);
    EXPECT_TRUE(glIsTexture(ref));
    EXPECT_EQ("scratch_array:hardwired textures", tman.get_path(ref));
  }
  const ref_dat_struct& installer = tman.ref_dat[389];
  EXPECT_EQ(1010, installer.tex_dx_vis);
  EXPECT_EQ(764, installer.tex_dy_vis);
  EXPECT_EQ(1024, installer.tex_dx_tot);
  EXPECT_EQ(1024, installer.tex_dy_tot);
  EXPECT_EQ(1024 * 1024 * 4, installer.tex_vram);
  EXPECT_EQ(1024, tman.ref_dat[390].tex_dy_tot);  // 768 rows become 1024
  EXPECT_EQ(512, tman.ref_dat[388].tex_dx_tot);
  EXPECT_EQ(512, level_width(388));
  EXPECT_EQ(1024, level_width(389));
  EXPECT_EQ(GL_NEAREST, filter_of(388));
  EXPECT_EQ(GL_LINEAR, filter_of(389));
  EXPECT_EQ(GL_LINEAR, filter_of(391));
  // The last image copied is still in the scratch buffer for the theme colours.
  EXPECT_EQ(512, scratch_dx);
  EXPECT_EQ(512, scratch_dy);
  EXPECT_EQ(0, memcmp(scratch_array, t_interface_dat, 512 * 512 * 4));
  // The installer sheet's stored rows land at their natural places: texel (700, 100)
  // of the texture is byte (100 * 1024 + 700) * 4 of the array.
  std::vector<unsigned char> tex((size_t)1024 * 1024 * 4);
  TEX_reset_bind();
  TEX_bind_ref(389, 0, 0);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, tex.data());
  EXPECT_EQ(0, memcmp(&tex[(100 * 1024 + 700) * 4], &t_installer_dat[(100 * 1024 + 700) * 4], 64));
  TEX_reset_bind();
}

TEST(TextureRules, PowersOfTwoAndFilters) {
  const struct { int v, p; } cases[] = {{1, 1}, {2, 2}, {3, 4}, {512, 512}, {513, 1024}, {764, 1024}, {2048, 2048}};
  for (const auto& c : cases) EXPECT_EQ(c.p, TEX_pow2_above(c.v)) << c.v;
  for (int ref : {388, 415, 421, 422, 423, 430, 438}) EXPECT_EQ(GL_NEAREST, TEX_filter_for_ref(ref)) << ref;
  for (int ref : {387, 389, 414, 416, 420, 439, 925}) EXPECT_EQ(GL_LINEAR, TEX_filter_for_ref(ref)) << ref;
}

TEST_F(Textures, RegistrationValidatesItsRequest) {
  scratch_dx = scratch_dy = 4;
  memset(scratch_array, 200, 4 * 4 * 4);
  EXPECT_EQ(1130, tman.load_texture(tex_fail_quit, 1130, 0x502, tex_load_now, "scratch_array:test"));
  EXPECT_TRUE(glIsTexture(1130));
  EXPECT_EQ(0, tman.load_texture(tex_fail_quit, 1129, 0x502, tex_load_now, ""));

  const struct {
    int ref, filter, load_time, dx;
    const char* message;
    int line;
  } cases[] = {
      {1131, 0x502, 100, 4, "Trying to bind too low or high a manual_ref!", 133},
      {-1, 0x502, 100, 4, "Trying to bind too low or high a manual_ref!", 133},
      {1000, 0x500, 100, 4, "BAD color enum for tman - see tman.h for valid colors!  We cannot pass 0.", 706},
      {1000, 16384, 100, 4, "Trying to bind an invalid filter type!", 131},
      {1000, 0x502, 103, 4, "Trying to create an invalid texture load_time!", 130},
      {1000, 0x502, 100, 2049, "Trying to create a texture either less than 1 or greater than 2048!", 129},
      {1000, 0x502, 100, 0, "Trying to create a texture either less than 1 or greater than 2048!", 129},
  };
  for (const auto& c : cases) {
    alerts.clear();
    scratch_dx = c.dx;
    scratch_dy = 4;
    EXPECT_THROW(tman.load_texture(tex_fail_quit, c.ref, c.filter, (tex_load_time)c.load_time,
                                   "scratch_array:test"),
                 std::runtime_error)
        << c.message;
    ASSERT_EQ(1u, alerts.size());
    EXPECT_EQ(c.message, alerts[0].s1);
    EXPECT_EQ(c.line, alerts[0].line);
    if (c.line != 706) {
      EXPECT_EQ("scratch_array:test", alerts[0].s2);
      EXPECT_EQ("value:", alerts[0].s3);
    }
    if (c.dx == 2049) {
      EXPECT_EQ("2049", alerts[0].s4);
    }
    if (c.ref == 1131) {
      EXPECT_EQ("1131", alerts[0].s4);
    }
  }
}

TEST_F(Textures, MissingTextureBindsThePlaceholderAndWarns) {
  TEX_reset_bind();
  tman.bind_ref(777, 0, 0);
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(tman_placeholder_ref, bound);
  ASSERT_EQ(1u, alerts.size());
  EXPECT_EQ("missing non-scenery texture - how?", alerts[0].s1);
  EXPECT_EQ("ref=   777", alerts[0].s2);
  EXPECT_EQ(t_alert, alerts[0].type);
  EXPECT_EQ(425, alerts[0].line);
  // Far beyond the table: the same, without reading past it.
  alerts.clear();
  tman.bind_ref(100000, 0, 0);
  EXPECT_EQ(1u, alerts.size());
  EXPECT_EQ("", alerts[0].s3);
  tman.bind_ref(0, 0, 0);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(0, bound);
  TEX_reset_bind();
}
