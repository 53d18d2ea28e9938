// Scenes for people to look at, written as PNGs into the build folder: every frame
// type, the sprites, text in both charsets with wrapping and alignment, numbers,
// the sheet buttons in their three states; and the main screen and a dialog laid
// out as the installer's screens place them.
#include <gtest/gtest.h>

#include <string>

#include "gui/colr.h"
#include "gui/oglp.h"
#include "shell/hl_mnw.h"
#include "support/gl_helpers.h"
#include "support/png_writer.h"

namespace {
class Scene : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_test_start()) << "no display: the scenes need X (xvfb-run)";
    mnw.win_x = mnw.win_y = 0;
  }
};

const float k512 = 1.0f / 512;

// A sprite of the interface sheet centred at (x, y), texel centre (s, t), half-size hx, hy.
void sprite(float x, float y, float s, float t, float hx, float hy, int color = 0) {
  OGL_2dquad(388, color, 1, x - hx, y - hy, (s - hx) * k512, (t - hy) * k512, x - hx, y + hy,
             (s - hx) * k512, (t + hy) * k512, x + hx, y + hy, (s + hx) * k512, (t + hy) * k512,
             x + hx, y - hy, (s + hx) * k512, (t - hy) * k512, 1, 5);
}

void installer_quad(float x, float y, float s, float t, float w, float h) {
  const float k = 1.0f / 1024;
  OGL_2dquad(389, 0, 1, x, y, s * k, t * k, x, y + h, s * k, (t + h) * k, x + w, y + h,
             (s + w) * k, (t + h) * k, x + w, y, (s + w) * k, t * k, 1, 5);
}

void background(int ref) {
  OGL_2dquad(ref, 49, 1, 0, 0, 0, 0, 0, 768, 0, 0.75f, 1024, 768, 1, 0.75f, 1024, 0, 1, 0, 1, 5);
}

// The three lines a label of the widget layer takes: caption in colour 43.
void caption(float x, float y, const std::string& s) { OGL_string(43, x, y, s, 9999, 100, 1); }
}  // namespace

TEST_F(Scene, EveryFrameTextAndNumbers) {
  OGL_plot_back_col();
  // A light work area, as a window would give the widgets.
  test_frame2(12, 14, 14, 996, 740);

  // Panels 11 to 20, with their type under each.
  const int panels[] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  for (int i = 0; i < 10; i++) {
    float x = 40 + (i % 5) * 195, y = i < 5 ? 560 : 390;
    test_frame2(panels[i], x, y, 160, 120);
    float title_y = panels[i] == 11 ? y + 120 - 13 : y + 120 - 16;
    int title_colour = panels[i] == 11 ? 40 : (panels[i] == 15 ? 47 : 43);
    if (panels[i] == 15) title_colour = 49;
    OGL_string(title_colour, x + 80, title_y, "Frame type " + std::to_string(panels[i]), 9999, 100, 1);
    if (panels[i] == 11) {
      sprite(x + 16, y + 120 - 10, 187, 129, 9, 9);
      sprite(x + 160 - 16, y + 120 - 10, 206, 129, 9, 9);
    }
  }
  // Text inside some of them: wrapping and alignment in both charsets.
  OGL_string(43, 50, 640, "Wrapped at 140 pixels: the quick brown fox jumps over the lazy dog.", 140, 100, 0);
  OGL_string(43, 315, 640, "Centred text, wrapped to 150 pixels, line by line.", 150, 100, 1);
  OGL_string(43, 580, 640, "Right-aligned at the panel's right edge.", 130, 100, 2);
  OGL_string(47, 635, 640, "A help note: hover over a control to read what it does.", 140, 100, 0);
  OGL_string(49, 825, 650, "Light text on the dark panel.", 140, 100, 0);
  OGL_string(61, 825, 620, "Grey start-up message", 140, 100, 0);
  OGL_string(45, 245, 480, "Fixed pitch 102:", 9999, 100, 0);
  OGL_string(45, 245, 465, "0123456789", 9999, 102, 0);
  OGL_string(43, 440, 470, "File", 9999, 100, 0);
  OGL_string(43, 440, 458, "Edit", 9999, 100, 0);
  OGL_string(46, 810, 470, "NET: Vantrel 9.70", 9999, 100, 0);

  // Strips 0 to 10.
  const struct { int type; float x, y, w; const char* label; } strips[] = {
      {0, 130, 330, 200, "type 0"}, {1, 360, 330, 200, "type 1"}, {2, 540, 330, 90, "OK"},
      {3, 650, 330, 90, "Pressed"}, {7, 780, 330, 100, "type 7"}, {8, 900, 330, 40, "8"},
      {4, 250, 290, 400, ""},       {9, 640, 290, 260, ""},       {10, 870, 290, 100, ""}};
  for (const auto& s : strips) {
    test_frame1(s.type, s.x, s.y, s.w, 0);
    if (s.type == 0) caption(s.x, s.y - 6, s.label);
    if (s.type == 1) OGL_string(40, s.x, s.y - 6, s.label, 9999, 100, 1);
    if (s.type == 2 || s.type == 3 || s.type == 7 || s.type == 8) caption(s.x, s.y - 3, s.label);
  }
  test_frame1(5, 150, 290, 200, 0);  // the fill over the left half of the track
  OGL_string(45, 512, 287, "/home/user/Vantrel 9", 9999, 100, 0);
  OGL_string(38, 865, 290, "Linux", 9999, 100, 1);

  // Number fields: the frame, the arrows per digit, the digits in charset 102.
  test_frame1(9, 150, 233, 70, 0);
  for (int i = 0; i < 6; i++) {
    float cx = 120 + i * 10 + 5;
    sprite(cx, 233 + 15, 83, 197, 7, 9);
    sprite(cx, 233 - 13, 83, 178, 7, 9);
  }
  OGL_number(45, 120, 233, 1234.5f, 6, 1, 102);
  OGL_number(45, 230, 233, -42, 3, 0, 102);
  OGL_number(43, 330, 233, 512, 2, 0, 100);
  OGL_number(43, 390, 233, 12, 6, 0, 100);
  OGL_number(43, 470, 233, 3.25f, 3, 2, 100);

  // Check boxes, choice boxes, close boxes, cursors.
  const float by = 180;
  sprite(60, by + 3, 187, 148, 9, 9);
  sprite(60, by + 3, 206, 148, 9, 9);
  OGL_string(43, 72, by, "checked box", 9999, 100, 0);
  sprite(180, by + 3, 187, 148, 9, 9);
  OGL_string(43, 192, by, "empty box", 9999, 100, 0);
  sprite(300, by + 3, 132, 92, 9, 9);
  sprite(300, by + 3, 151, 92, 9, 9);
  OGL_string(43, 312, by, "chosen server", 9999, 100, 0);
  sprite(420, by + 3, 132, 92, 9, 9);
  OGL_string(43, 432, by, "other server", 9999, 100, 0);
  sprite(560, by + 3, 187, 129, 9, 9);
  sprite(590, by + 3, 206, 129, 9, 9);
  OGL_2dquad(388, 49, 1, 640, 170, 168 * k512, 325 * k512, 640, 200, 168 * k512, 355 * k512, 670, 200,
             198 * k512, 355 * k512, 670, 170, 198 * k512, 325 * k512, 1, 5);
  OGL_2dquad(388, 49, 1, 690, 170, 168 * k512, 293 * k512, 690, 200, 168 * k512, 323 * k512, 720, 200,
             198 * k512, 323 * k512, 720, 170, 198 * k512, 293 * k512, 1, 5);

  // Both charsets, every glyph.
  std::string all;
  for (int c = 32; c < 127; c++) all += (char)c;
  OGL_string(43, 40, 140, all, 9999, 100, 0);
  OGL_string(43, 40, 125, "Espa\xf1ol: \xbf\xe1 \xe9 \xed \xf3 \xfa \xf1? \xc1 \xc9 \xcd \xd3 \xda \xd1 \xfb", 9999, 100, 0);
  OGL_string(43, 40, 110, "Numbers 0123456789 in charset 100, and 0123456789 in 102:", 9999, 100, 0);
  OGL_string(43, 350, 110, "0123456789", 9999, 102, 0);

  // The installer sheet's buttons in three states, the logo with the globe.
  const struct { float s, t, w; } buttons[] = {{513, 166, 126}, {640, 166, 83}, {822, 235, 116},
                                               {780, 166, 51},  {832, 166, 85}, {918, 166, 59}};
  float bx = 40;
  for (const auto& b : buttons) {
    for (int st = 0; st < 3; st++) test_sheet_button(bx, 70 - st * 28, b.s, b.t, b.w, 22, st, 1);
    bx += b.w + 14;
  }
  test_sheet_button(bx, 70, 640, 166, 83, 22, 0, 2);
  installer_quad(870, 20, 644, 33, 128, 86);
  installer_quad(870 + 29, 20 + 13, 64 * 5, 66 + 64 * 2, 64, 64);

  const std::string path = gl_save_png("test_scene.png");
  OGL_sbuff();
  SUCCEED() << path;
}

TEST_F(Scene, MainScreenAsTheInstallerLaysItOut) {
  OGL_plot_back_col();
  background(390);
  // Destination field, path, instruction, DESTINATION button.
  test_frame1(9, 285, 89, 300, 0);
  OGL_string(45, 142, 86, "/home/pilot/Vantrel 9/", 9999, 100, 0);
  OGL_string(46, 134, 112,
             "Click on the 'DESTINATION' button below to choose the copy of Vantrel you wish to update, "
             "or choose the destination you wish to install a new copy of Vantrel to!",
             9999, 100, 0);
  test_sheet_button(10, 78, 513, 166, 126, 22, 0, 1);
  // Server choices.
  const char* servers[] = {"North America (East)", "North America (West)", "Europe (Frankfurt)",
                           "Europe (London)", "Asia Pacific", "South America"};
  for (int i = 0; i < 6; i++) {
    sprite(142, 578 - 20 * i + 3, 132, 92, 9, 9);
    if (i == 0) sprite(142, 578 + 3, 151, 92, 9, 9);
    OGL_string(43, 130, 578 - 20 * i, servers[i], 9999, 100, 2);
  }
  // Preferences button at the top left.
  test_frame1(2, 50, 750, 80, 0);
  OGL_string(43, 50, 747, "preferences", 9999, 100, 1);
  // Logo, globe, version and download panels, status line and size.
  installer_quad(0, 595, 644, 33, 128, 86);
  installer_quad(29, 608, 64 * 5, 66 + 64 * 2, 64, 64);
  test_frame2(20, 135, 600, 790, 72);
  OGL_string(43, 145, 600 + 72 - 16, "NET: Vantrel 9.70r1", 9999, 100, 0);
  test_frame2(20, 935, 600, 80, 72);
  OGL_string(43, 945, 600 + 72 - 16, "Download", 9999, 100, 0);
  OGL_string(46, 144 + 810, 635, "1.2 Gig", 700, 100, 0);
  OGL_string(46, 144 + 10, 615,
             "You have selected an earlier version of Vantrel in the DESTINATION field below, so I will "
             "update that installation  by just grabbing new updated files!",
             700, 100, 0);
  // Buttons of the bottom row, status panel, progress bar.
  test_sheet_button(450, 78, 640, 166, 83, 22, 0, 1);
  test_sheet_button(700, 78, 822, 235, 116, 22, 1, 1);
  test_sheet_button(960, 78, 780, 166, 51, 22, 0, 1);
  test_frame2(20, 135, 32, 880, 40);
  OGL_string(46, 144, 58, "You are about to install 1.2 Gig of files to get Vantrel 9.70r1.", 9999, 100, 0);
  OGL_string(46, 144, 48, "You have 48.3 Gig of drive space available for the selected directory.", 9999, 100, 0);
  OGL_string(13, 144, 38, "You may install at will.", 9999, 100, 0);
  test_frame1(4, 574, 15, 884, 0);
  test_frame1(5, 354, 15, 444, 0);
  gl_save_png("main_screen_mock.png");
  OGL_sbuff();
}

TEST_F(Scene, DialogsAndProgressDisplays) {
  OGL_plot_back_col();
  // An alert window of 420 x 250 in the middle, as the alert lays it out.
  mnw.win_x = 302;
  mnw.win_y = 420;
  test_frame2(11, 0, 0, 420, 250);
  OGL_string(40, 210, 250 - 13, "Vantrel-System Message", 9999, 100, 1);
  sprite(16, 240, 187, 129, 9, 9);
  sprite(404, 240, 187, 129, 9, 9);
  test_frame2(13, 10, 35, 400, 187);
  OGL_string(43, 210, 205, "The installer cannot extract a file.", 378, 100, 1);
  OGL_string(43, 210, 165, "Error: The disk is full.", 378, 100, 1);
  OGL_string(43, 210, 125, "Compressed File: /tmp/Vantrel/Resources/plugins.zip", 378, 100, 1);
  OGL_string(43, 210, 85, "Destination: /home/pilot/Vantrel 9/Resources/plugins", 378, 100, 1);
  test_frame1(2, 210, 18, 60, 0);
  OGL_string(43, 210, 15, "OK", 9999, 100, 1);

  // The start-up panel and the directory progress display.
  mnw.win_x = 0;
  mnw.win_y = 0;
  test_frame2(15, 10, 31, 320, 200);
  OGL_string(49, 22, 210, "www.vantrel.invalid", 300, 100, 0);
  OGL_string(61, 22, 60, "Starting application.", 300, 100, 0);
  test_frame1(4, 512, 15, 1008, 0);
  test_frame1(5, 140, 15, 264, 0);
  const float tx = 490, ty = 60;
  test_frame2(15, tx + 20, ty + 20, 472, 98);
  test_frame1(4, tx + 256, ty + 35, 452, 0);
  test_frame1(5, tx + 30 + 0.52f * 452 / 2, ty + 35, 0.52f * 452, 0);
  OGL_string(49, tx + 32, ty + 100, "Reading the directory of Vantrel 9.70r1", 452, 100, 0);
  OGL_string(49, tx + 32, ty + 80, "Currently EXAMINING the hard disk.", 452, 100, 0);
  OGL_string(49, tx + 32, ty + 60, "Resources/default scenery/earth nav data/apt.dat", 452, 100, 0);

  // A popup menu, a help note and the preferences' check boxes.
  test_frame2(17, 60, 300, 140, 60);
  OGL_fillrect(36, 0.25f, 63, 336, 134, 12);
  OGL_string(38, 66, 339, "Macintosh", 9999, 100, 0);
  OGL_string(38, 66, 327, "Windows", 9999, 100, 0);
  OGL_string(38, 66, 315, "Linux", 9999, 100, 0);
  OGL_line(35, 1, 63, 310, 196, 310);
  OGL_line(37, 1, 63, 309, 196, 309);
  test_frame2(14, 240, 300, 420, 60);
  OGL_string(47, 243, 350,
             "Run at full speed all the time, always totally saturating the CPU. Typically leave this "
             "OFF, since the installer does not need that much CPU to download.",
             394, 100, 0);
  test_frame2(16, 700, 300, 120, 60);
  test_frame2(18, 850, 300, 120, 60);
  test_frame2(19, 700, 420, 270, 60);
  gl_save_png("dialogs_mock.png");
  OGL_sbuff();
}
