// The text-edit engine behind the text fields: a selection and a table of line
// starts over a text that somebody else owns. It knows no fonts, strings or
// windows; everything outside it is reached through a table of thirteen callbacks.
// Positions are byte offsets (0 .. text length); coordinates are window floats
// with y upward.
#pragma once
#include <vector>

struct OGLE_Rec;

// Bounds are float[4]: left, bottom, right, top.
struct OGLE_Callbacks {
  // The area the user can see.
  void (*GetVisibleBounds_f)(OGLE_Rec* rec, float bounds[4]);
  // The area of the whole text; it moves with scrolling.
  void (*GetLogicalBounds_f)(OGLE_Rec* rec, float bounds[4]);
  // The height the text needs after repagination.
  void (*SetLogicalHeight_f)(OGLE_Rec* rec, float height);
  // New scroll offsets: offsets[0] horizontal (visible left - logical left),
  // offsets[1] vertical (visible top - logical top).
  void (*ScrollTo_f)(OGLE_Rec* rec, float offsets[2]);
  // The text's bytes as [*start, *end).
  void (*GetText_f)(OGLE_Rec* rec, const char** start, const char** end);
  // Replaces bytes [from, to) of the text by [start, end) (empty to erase).
  void (*ReplaceText_f)(OGLE_Rec* rec, int from, int to, const char* start, const char* end);
  float (*GetLineHeight_f)(OGLE_Rec* rec);
  // Width of [start, end).
  float (*MeasureString_f)(OGLE_Rec* rec, const char* start, const char* end);
  // How many bytes from start fit into `width` (the byte that crosses it counts).
  int (*FitStringFwd_f)(OGLE_Rec* rec, const char* start, const char* end, float width);
  // How many bytes before end fit into `width`.
  int (*FitStringRev_f)(OGLE_Rec* rec, const char* start, const char* end, float width);
  // Draws one line with its baseline box's lower-left corner at (x, y).
  void (*DrawString_f)(OGLE_Rec* rec, const char* start, const char* end, float x, float y);
  // A selection rectangle; left == right is the caret.
  void (*DrawSelection_f)(OGLE_Rec* rec, float bounds[4]);
  // The end of the next word: skips space-class bytes, then the word's bytes.
  const char* (*WordBreak_f)(OGLE_Rec* rec, const char* start, const char* end);
};

struct OGLE_Rec {
  OGLE_Callbacks cbs;            // a copy of the caller's table
  void* ref = nullptr;           // the caller's value, kept untouched
  std::vector<int> line_starts;  // offset where each line begins; entry 0 is 0
  int sel_start = 0, sel_end = 0;  // sel_start <= sel_end after every operation
  int active_side = 1;             // 1: sel_end is the moving end; 0: sel_start is
  float horizontal_gap = -1.0f;    // column kept across up/down keys, -1 none
};

// A new record with a copy of the table: empty line table, empty selection at 0,
// active side 1, no remembered column. Free it with OGLE_Delete.
OGLE_Rec* OGLE_Create(const OGLE_Callbacks* callbacks, void* ref);
void OGLE_Delete(OGLE_Rec* rec);

// Draws the lines that touch the visible area: selection rectangles first, then
// the lines, then the caret when the selection is empty.
void OGLE_Draw(OGLE_Rec* rec);
// One key: 8 Backspace, 28 left, 29 right, 30 up, 31 down; any other code is
// inserted as one byte over the selection. `extend` (shift) moves only the end
// named by active_side. Reveals the moving end afterwards.
void OGLE_Key(OGLE_Rec* rec, char key, int extend);
// A press at (x, y): without extend a caret there; with extend the nearer end
// of the selection follows. OGLE_Drag moves the moving end. Both reveal.
void OGLE_Click(OGLE_Rec* rec, float x, float y, int extend);
void OGLE_Drag(OGLE_Rec* rec, float x, float y);
// Either pointer may be null.
void OGLE_GetSelection(OGLE_Rec* rec, int* start, int* end);
// Sets, orders and clamps the selection; does not scroll.
void OGLE_SetSelection(OGLE_Rec* rec, int start, int end);
// Scrolls (ScrollTo_f) just enough for the moving end to be visible; calls
// nothing when it already is.
void OGLE_RevealSelection(OGLE_Rec* rec);
// Rebuilds the line table; needed whenever the text changed from outside.
void OGLE_Repaginate(OGLE_Rec* rec);

// The engine's internals, exposed for its tests.
// The line holding `pos`: the last line whose start is at or before it.
int OGLE_CharPosToLine(OGLE_Rec* rec, int pos);
// The position under (x, y): 0 above the first line, the text length below the last.
int OGLE_CoordToCharPos(OGLE_Rec* rec, float x, float y);
// Length in bytes of the line starting at `start`, broken at word boundaries to
// the logical width; a line break byte ends its line and belongs to it.
int OGLE_LineLengthInternal(OGLE_Rec* rec, int start);
void OGLE_RepaginateInternal(OGLE_Rec* rec);
