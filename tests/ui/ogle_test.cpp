// The text-edit engine on its own: a text in a string, every byte 1 unit wide,
// lines 10 units high, a logical area of a chosen width. Tables of key and click
// sequences with the text, selection and active side they must leave.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "gui/ogle.h"

namespace {
struct editor {
  std::string text;
  float width = 100;          // logical width
  float scroll[2] = {0, 0};   // last ScrollTo
  int scroll_calls = 0;
  float height = -1;          // last SetLogicalHeight
  std::vector<std::vector<float>> rects;  // DrawSelection calls
  std::vector<std::string> drawn;         // DrawString calls
  OGLE_Rec* rec = nullptr;
};

editor* ed(OGLE_Rec* r) { return (editor*)r->ref; }

// Visible area: x 0..width, y 0..30 (three lines); logical area moved by the scroll.
void visible(OGLE_Rec* r, float b[4]) {
  b[0] = 0;
  b[1] = 0;
  b[2] = ed(r)->width;
  b[3] = 30;
}
void logical(OGLE_Rec* r, float b[4]) {
  visible(r, b);
  b[0] -= ed(r)->scroll[0];
  b[2] -= ed(r)->scroll[0];
  b[1] -= ed(r)->scroll[1];
  b[3] -= ed(r)->scroll[1];
}
void set_height(OGLE_Rec* r, float h) { ed(r)->height = h; }
void scroll_to(OGLE_Rec* r, float o[2]) {
  ed(r)->scroll[0] = o[0];
  ed(r)->scroll[1] = o[1];
  ed(r)->scroll_calls++;
}
void get_text(OGLE_Rec* r, const char** s, const char** e) {
  *s = ed(r)->text.data();
  *e = *s + ed(r)->text.size();
}
void replace(OGLE_Rec* r, int from, int to, const char* s, const char* e) {
  ed(r)->text.replace((size_t)from, (size_t)(to - from), s ? std::string(s, e) : std::string());
}
float line_height(OGLE_Rec*) { return 10; }
float measure(OGLE_Rec*, const char* s, const char* e) { return (float)(e - s); }
int fit_fwd(OGLE_Rec*, const char* s, const char* e, float w) {
  int n = 0;
  for (const char* p = s; p < e && w > 0; p++, n++) w -= 1;
  return n;
}
int fit_rev(OGLE_Rec*, const char* s, const char* e, float w) {
  int n = 0;
  for (const char* p = e; p > s && w > 0; p--, n++) w -= 1;
  return n;
}
void draw_string(OGLE_Rec* r, const char* s, const char* e, float, float) {
  ed(r)->drawn.push_back(std::string(s, e));
}
void draw_sel(OGLE_Rec* r, float b[4]) { ed(r)->rects.push_back({b[0], b[1], b[2], b[3]}); }
const char* word_break(OGLE_Rec*, const char* s, const char* e) {
  while (s < e && isspace((unsigned char)*s)) s++;
  while (s < e && !isspace((unsigned char)*s)) s++;
  return s;
}

const OGLE_Callbacks k_cbs = {visible,    logical,  set_height, scroll_to, get_text,
                              replace,    line_height, measure, fit_fwd,  fit_rev,
                              draw_string, draw_sel, word_break};

class Engine : public testing::Test {
 protected:
  void start(const std::string& text, float width = 100) {
    e.text = text;
    e.width = width;
    e.rec = OGLE_Create(&k_cbs, &e);
    OGLE_Repaginate(e.rec);
  }
  void TearDown() override {
    if (e.rec) OGLE_Delete(e.rec);
  }
  editor e;
};

// One step of a sequence: a key (with shift as extend) or a click at (x, y).
struct step {
  char key;  // 0: a click
  int extend;
  float x, y;
};
step key(char k, int extend = 0) { return {k, extend, 0, 0}; }
step click(float x, float y, int extend = 0) { return {0, extend, x, y}; }
const char L = 28, R = 29, U = 30, D = 31, BS = 8;

}  // namespace

TEST_F(Engine, KeyAndClickSequences) {
  struct seq_case {
    const char* name;
    const char* text;
    int sel_start, sel_end, active_side;  // before
    std::vector<step> steps;
    const char* want_text;
    int want_start, want_end, want_side;
  };
  const seq_case cases[] = {
      {"backspace at 0 only sets the side", "abc", 0, 0, 0, {key(BS)}, "abc", 0, 0, 1},
      {"backspace removes the byte before", "abc", 2, 2, 1, {key(BS)}, "ac", 1, 1, 1},
      {"backspace removes a selection", "abcdef", 1, 4, 0, {key(BS)}, "aef", 1, 1, 1},
      {"shift-left swaps the ends", "abcdefgh", 5, 5, 1, {key(L, 1)}, "abcdefgh", 4, 5, 0},
      {"shift-left twice grows leftward", "abcdefgh", 5, 5, 1, {key(L, 1), key(L, 1)}, "abcdefgh", 3, 5, 0},
      {"shift-right after shift-left shrinks", "abcdefgh", 5, 5, 1, {key(L, 1), key(R, 1)}, "abcdefgh", 5, 5, 0},
      {"left collapses a selection to its start", "abcdef", 2, 4, 1, {key(L)}, "abcdef", 2, 2, 1},
      {"right collapses a selection to its end", "abcdef", 2, 4, 0, {key(R)}, "abcdef", 4, 4, 0},
      {"right at the end stays", "abc", 3, 3, 1, {key(R)}, "abc", 3, 3, 1},
      {"left at 0 stays", "abc", 0, 0, 1, {key(L)}, "abc", 0, 0, 1},
      {"typing replaces the selection", "abcdef", 1, 5, 0, {key('X')}, "aXf", 2, 2, 1},
      {"typing inserts at the caret", "ac", 1, 1, 1, {key('b'), key('!')}, "ab!c", 3, 3, 1},
      {"shift does not change typing", "", 0, 0, 1, {key('Q', 1)}, "Q", 1, 1, 1},
      // Lines: "abcdef\n" "ab\n" "abcdefgh" (starts 0, 7, 10).
      {"down keeps the column through a short line", "abcdef\nab\nabcdefgh", 5, 5, 1,
       {key(D), key(D)}, "abcdef\nab\nabcdefgh", 15, 15, 1},
      {"down onto a short line stops before its break", "abcdef\nab\nabcdefgh", 5, 5, 1,
       {key(D)}, "abcdef\nab\nabcdefgh", 9, 9, 1},
      {"a left arrow between forgets the column", "abcdef\nab\nabcdefgh", 5, 5, 1,
       {key(D), key(L), key(D)}, "abcdef\nab\nabcdefgh", 11, 11, 1},
      {"up from the first line goes to 0", "abcdef\nab", 4, 4, 1, {key(U)}, "abcdef\nab", 0, 0, 1},
      {"down from the last line goes to the end", "abcdef\nab", 8, 8, 1, {key(D)}, "abcdef\nab", 9, 9, 1},
      {"up collapses a selection to its start", "abcdef\nabcdef", 2, 9, 1, {key(U)}, "abcdef\nabcdef", 2, 2, 1},
      {"shift-down moves the active end a line", "abcdef\nabcdef", 2, 2, 1, {key(D, 1)}, "abcdef\nabcdef", 2, 9, 1},
      // Clicks: line 0 spans y 30..20, line 1 20..10.
      {"click puts the caret under the point", "abcdef\nabcdef", 0, 0, 1, {click(2, 25)}, "abcdef\nabcdef", 2, 2, 1},
      {"click on the second line", "abcdef\nabcdef", 0, 0, 1, {click(3, 15)}, "abcdef\nabcdef", 10, 10, 1},
      {"click below the last line gives the end", "abcdef\nab", 0, 0, 1, {click(1, -50)}, "abcdef\nab", 9, 9, 1},
      {"click above the first line gives 0", "abcdef\nab", 5, 5, 1, {click(4, 80)}, "abcdef\nab", 0, 0, 1},
      {"click right of a line stops before its break", "abc\nabcdef", 0, 0, 1, {click(50, 25)}, "abc\nabcdef", 3, 3, 1},
      {"extended click before the selection moves its start", "abcdefgh", 4, 6, 1,
       {click(2, 25, 1)}, "abcdefgh", 2, 6, 0},
      {"extended click after it moves its end", "abcdefgh", 2, 4, 0, {click(7, 25, 1)}, "abcdefgh", 2, 7, 1},
  };
  for (const seq_case& c : cases) {
    SCOPED_TRACE(c.name);
    start(c.text);
    e.rec->sel_start = c.sel_start;
    e.rec->sel_end = c.sel_end;
    e.rec->active_side = c.active_side;
    for (const step& s : c.steps) {
      if (s.key)
        OGLE_Key(e.rec, s.key, s.extend);
      else
        OGLE_Click(e.rec, s.x, s.y, s.extend);
      ASSERT_LE(e.rec->sel_start, e.rec->sel_end);
    }
    EXPECT_EQ(c.want_text, e.text);
    EXPECT_EQ(c.want_start, e.rec->sel_start);
    EXPECT_EQ(c.want_end, e.rec->sel_end);
    EXPECT_EQ(c.want_side, e.rec->active_side);
    OGLE_Delete(e.rec);
    e.rec = nullptr;
  }
}

TEST_F(Engine, BackspaceAtZeroDoesNotRepaginateOrScroll) {
  start("abc");
  e.height = -1;
  OGLE_Key(e.rec, BS, 0);
  EXPECT_EQ(-1, e.height);
  EXPECT_EQ(0, e.scroll_calls);
}

TEST_F(Engine, LineBreaking) {
  struct break_case {
    const char* text;
    float width;
    std::vector<int> starts;
  };
  const break_case cases[] = {
      {"", 100, {0}},
      {"hello", 100, {0}},
      {"a\nb\n", 100, {0, 2}},            // ends in LF: as many lines as LFs
      {"a\n\nb", 100, {0, 2, 3}},         // an empty line in the middle stays
      {"one two three", 6, {0, 4, 8}},    // words move to the next line after their spaces
      {"one two three", 7, {0, 8}},       // "one two" fills 7 exactly
      {"one two", 3, {0, 4}},             // the space run stays on the line before
      {"abcdefgh", 3, {0, 1, 2, 3, 4, 5}},  // too wide a word: a byte per line until the rest fits
      {"ab abcdefgh", 4, {0, 3, 4, 5, 6, 7}},
      {"x\r\ny", 100, {0, 2, 3}},         // CR and LF each end a line
  };
  for (const break_case& c : cases) {
    SCOPED_TRACE(c.text);
    start(c.text, c.width);
    EXPECT_EQ(c.starts, e.rec->line_starts);
    EXPECT_EQ(10.0f * c.starts.size(), e.height);
    OGLE_Delete(e.rec);
    e.rec = nullptr;
  }
}

TEST_F(Engine, RepaginationShrinksTheTable) {
  start("aaa bbb ccc", 4);
  EXPECT_EQ(3u, e.rec->line_starts.size());
  e.text = "aaa";
  OGLE_Repaginate(e.rec);
  EXPECT_EQ(std::vector<int>{0}, e.rec->line_starts);
}

TEST_F(Engine, CharPosToLine) {
  start("abc\ndef\nghi");  // starts 0, 4, 8
  const int want[][2] = {{0, 0}, {3, 0}, {4, 1}, {7, 1}, {8, 2}, {11, 2}};
  for (const auto& w : want) EXPECT_EQ(w[1], OGLE_CharPosToLine(e.rec, w[0])) << w[0];
}

TEST_F(Engine, DrawsSelectionLinesAndCaret) {
  start("abcd\nefgh\nijkl\nmnop");  // four lines, three visible
  OGLE_SetSelection(e.rec, 2, 7);
  OGLE_Draw(e.rec);
  // Selection on lines 0 (2..5, the break included) and 1 (5..7); no caret.
  ASSERT_EQ(2u, e.rects.size());
  EXPECT_EQ((std::vector<float>{2, 20, 5, 30}), e.rects[0]);
  EXPECT_EQ((std::vector<float>{0, 10, 2, 20}), e.rects[1]);
  // The lines touching the visible area 0..30: 0 to 3 (line 3's top edge is at 0).
  EXPECT_EQ((std::vector<std::string>{"abcd\n", "efgh\n", "ijkl\n", "mnop"}), e.drawn);

  e.rects.clear();
  e.drawn.clear();
  OGLE_SetSelection(e.rec, 11, 11);
  OGLE_Draw(e.rec);
  ASSERT_EQ(1u, e.rects.size());  // the caret: zero width on line 2
  EXPECT_EQ((std::vector<float>{1, 0, 1, 10}), e.rects[0]);
}

TEST_F(Engine, SetSelectionOrdersAndClampsWithoutScrolling) {
  start("abcdef", 3);
  OGLE_SetSelection(e.rec, 9, -4);
  EXPECT_EQ(0, e.rec->sel_start);
  EXPECT_EQ(6, e.rec->sel_end);
  EXPECT_EQ(0, e.rec->active_side);  // the ends crossed
  EXPECT_EQ(0, e.scroll_calls);
  int s = -1, en = -1;
  OGLE_GetSelection(e.rec, &s, nullptr);
  OGLE_GetSelection(e.rec, nullptr, &en);
  EXPECT_EQ(0, s);
  EXPECT_EQ(6, en);
}

TEST_F(Engine, RevealScrollsJustEnough) {
  // One long line in a field 5 units wide (logical area wider than the view).
  e.text = "abcdefghijkl";
  e.width = 5;
  OGLE_Callbacks wide = k_cbs;
  wide.GetLogicalBounds_f = [](OGLE_Rec* r, float b[4]) {
    logical(r, b);
    b[2] += 1024;
  };
  e.rec = OGLE_Create(&wide, &e);
  OGLE_Repaginate(e.rec);
  OGLE_SetSelection(e.rec, 3, 3);
  OGLE_RevealSelection(e.rec);
  EXPECT_EQ(0, e.scroll_calls);  // already visible
  OGLE_SetSelection(e.rec, 9, 9);
  OGLE_RevealSelection(e.rec);
  EXPECT_EQ(1, e.scroll_calls);
  EXPECT_EQ(4.0f, e.scroll[0]);  // x 9 brought to the right edge 5
  OGLE_Key(e.rec, L, 0);         // 8 at x 4 after the scroll: visible
  EXPECT_EQ(1, e.scroll_calls);
  OGLE_SetSelection(e.rec, 1, 1);
  OGLE_RevealSelection(e.rec);
  EXPECT_EQ(1.0f, e.scroll[0]);  // x -3 brought back to the left edge
}

TEST_F(Engine, DragMovesTheActiveEnd) {
  start("abcdefgh");
  OGLE_Click(e.rec, 2, 25, 0);
  OGLE_Drag(e.rec, 6, 25);
  EXPECT_EQ(2, e.rec->sel_start);
  EXPECT_EQ(6, e.rec->sel_end);
  OGLE_Drag(e.rec, 0, 25);  // back past the anchor: the ends swap
  EXPECT_EQ(0, e.rec->sel_start);
  EXPECT_EQ(2, e.rec->sel_end);
  EXPECT_EQ(0, e.rec->active_side);
}
