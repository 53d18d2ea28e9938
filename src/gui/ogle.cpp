// The text-edit engine: line breaking, repagination, drawing, keys, mouse and
// reveal, all through the record's callbacks.
#include "gui/ogle.h"

#include <algorithm>
#include <cctype>
#include <cmath>

// ---- Small accessors ----

static void text_of(OGLE_Rec* r, const char** s, const char** e) {
  *s = *e = nullptr;
  r->cbs.GetText_f(r, s, e);
  if (!*s || !*e || *e < *s) *s = *e = "";
}

static int text_len(OGLE_Rec* r) {
  const char *s, *e;
  text_of(r, &s, &e);
  return (int)(e - s);
}

static int line_count(OGLE_Rec* r) { return (int)r->line_starts.size(); }

// [start, end) of line `i`.
static void line_range(OGLE_Rec* r, int i, int* start, int* end) {
  const int n = text_len(r);
  *start = i < line_count(r) ? r->line_starts[(size_t)i] : n;
  *end = i + 1 < line_count(r) ? r->line_starts[(size_t)i + 1] : n;
  if (*start > n) *start = n;
  if (*end > n) *end = n;
}

// The end of line `i` for placing a caret on it: before its line break, so a
// caret moved onto a line never lands past that line's end.
static int line_caret_end(OGLE_Rec* r, int i) {
  int s, e;
  line_range(r, i, &s, &e);
  const char *t, *te;
  text_of(r, &t, &te);
  if (e > s && t[e - 1] == '\n') e--;
  if (e > s && t[e - 1] == '\r') e--;
  return e;
}

static float measure(OGLE_Rec* r, int from, int to) {
  if (to <= from) return 0;
  const char *t, *te;
  text_of(r, &t, &te);
  return r->cbs.MeasureString_f(r, t + from, t + to);
}

// Both ends into 0 .. length; crossed ends are swapped and the active side flips.
static void fix_selection(OGLE_Rec* r) {
  const int n = text_len(r);
  r->sel_start = std::max(0, std::min(r->sel_start, n));
  r->sel_end = std::max(0, std::min(r->sel_end, n));
  if (r->sel_start > r->sel_end) {
    std::swap(r->sel_start, r->sel_end);
    r->active_side = 1 - r->active_side;
  }
}

static int& moving_end(OGLE_Rec* r) { return r->active_side ? r->sel_end : r->sel_start; }

// ---- Create ----

OGLE_Rec* OGLE_Create(const OGLE_Callbacks* callbacks, void* ref) {
  OGLE_Rec* r = new OGLE_Rec;
  r->cbs = *callbacks;
  r->ref = ref;
  return r;
}

void OGLE_Delete(OGLE_Rec* rec) { delete rec; }

// ---- Lines ----

int OGLE_CharPosToLine(OGLE_Rec* rec, int pos) {
  const std::vector<int>& ls = rec->line_starts;
  if (ls.empty()) return 0;
  auto it = std::lower_bound(ls.begin(), ls.end(), pos);
  if (it != ls.end() && *it == pos) return (int)(it - ls.begin());
  int line = (int)(it - ls.begin()) - 1;
  return line < 0 ? 0 : line;
}

int OGLE_CoordToCharPos(OGLE_Rec* rec, float x, float y) {
  float L[4];
  rec->cbs.GetLogicalBounds_f(rec, L);
  x = std::max(L[0], std::min(x, L[2]));
  const float lh = rec->cbs.GetLineHeight_f(rec);
  const int line = lh > 0 ? (int)floorf((L[3] - y) / lh) : 0;
  if (line < 0) return 0;
  if (line >= line_count(rec)) return text_len(rec);
  const char *t, *te;
  text_of(rec, &t, &te);
  const int s = rec->line_starts[(size_t)line], e = line_caret_end(rec, line);
  return s + rec->cbs.FitStringFwd_f(rec, t + s, t + e, x - L[0]);
}

static bool is_space(char c) { return isspace((unsigned char)c) != 0; }

int OGLE_LineLengthInternal(OGLE_Rec* rec, int start) {
  const char *t, *te;
  text_of(rec, &t, &te);
  float L[4];
  rec->cbs.GetLogicalBounds_f(rec, L);
  const float width = L[2] - L[0];
  const char* const p = t + start;
  const char* cur = p;
  float total = 0;
  for (;;) {
    const char* q = cur;
    while (q < te && is_space(*q) && *q != '\r' && *q != '\n') q++;
    const float run = rec->cbs.MeasureString_f(rec, cur, q);
    if (q >= te) return (int)(te - p);
    if (*q == '\r' || *q == '\n') return (int)(q + 1 - p);
    const char* w = rec->cbs.WordBreak_f(rec, q, te);
    if (w <= q) w = q + 1;  // a callback that does not move must not stall the line
    if (w > te) w = te;
    total += run + rec->cbs.MeasureString_f(rec, q, w);
    if (total > width) {
      const int len = (int)(q - p);
      return len > 0 ? len : 1;
    }
    cur = w;
  }
}

void OGLE_RepaginateInternal(OGLE_Rec* rec) {
  std::vector<int>& ls = rec->line_starts;
  if (ls.empty())
    ls.push_back(0);
  else
    ls[0] = 0;
  const int n = text_len(rec);
  size_t idx = 0;
  int start = 0;
  for (;;) {
    const int next = start + OGLE_LineLengthInternal(rec, start);
    if (next >= n) {
      ls.resize(idx + 1);
      break;
    }
    idx++;
    if (idx < ls.size())
      ls[idx] = next;
    else
      ls.push_back(next);
    start = next;
  }
  rec->cbs.SetLogicalHeight_f(rec, (float)ls.size() * rec->cbs.GetLineHeight_f(rec));
}

void OGLE_Repaginate(OGLE_Rec* rec) { OGLE_RepaginateInternal(rec); }

// ---- Drawing ----

void OGLE_Draw(OGLE_Rec* rec) {
  if (rec->line_starts.empty()) OGLE_RepaginateInternal(rec);
  float V[4], L[4];
  rec->cbs.GetVisibleBounds_f(rec, V);
  rec->cbs.GetLogicalBounds_f(rec, L);
  const float lh = rec->cbs.GetLineHeight_f(rec);
  if (lh <= 0) return;
  const int lines = line_count(rec);
  const int first = std::max(0, (int)floorf((L[3] - V[3]) / lh));
  const int last = std::min(lines - 1, (int)ceilf((L[3] - V[1]) / lh));
  const char *t, *te;
  text_of(rec, &t, &te);

  if (rec->sel_start < rec->sel_end) {
    for (int i = first; i <= last; i++) {
      int s, e;
      line_range(rec, i, &s, &e);
      if (rec->sel_start >= e || rec->sel_end <= s) continue;
      const int a = std::max(rec->sel_start, s), b = std::min(rec->sel_end, e);
      const float top = L[3] - i * lh;
      float box[4] = {L[0] + measure(rec, s, a), top - lh, L[0] + measure(rec, s, b), top};
      rec->cbs.DrawSelection_f(rec, box);
    }
  }
  for (int i = first; i <= last; i++) {
    int s, e;
    line_range(rec, i, &s, &e);
    rec->cbs.DrawString_f(rec, t + s, t + e, L[0], L[3] - i * lh - lh);
  }
  if (rec->sel_start == rec->sel_end) {
    const int line = OGLE_CharPosToLine(rec, rec->sel_start);
    int s, e;
    line_range(rec, line, &s, &e);
    const float x = L[0] + measure(rec, s, rec->sel_start), top = L[3] - line * lh;
    float caret[4] = {x, top - lh, x, top};
    rec->cbs.DrawSelection_f(rec, caret);
  }
}

// ---- Keys ----

// Where `pos` goes on the line `dir` lines away, at the remembered column.
static int vertical_target(OGLE_Rec* rec, int pos, int dir) {
  const int line = OGLE_CharPosToLine(rec, pos);
  if (rec->horizontal_gap == -1.0f) {
    int s, e;
    line_range(rec, line, &s, &e);
    rec->horizontal_gap = measure(rec, s, pos);
  }
  const int target = line + dir;
  if (target < 0) return 0;
  if (target >= line_count(rec)) return text_len(rec);
  const char *t, *te;
  text_of(rec, &t, &te);
  const int s = rec->line_starts[(size_t)target], e = line_caret_end(rec, target);
  return s + rec->cbs.FitStringFwd_f(rec, t + s, t + e, rec->horizontal_gap);
}

void OGLE_Key(OGLE_Rec* rec, char key, int extend) {
  if (rec->line_starts.empty()) OGLE_RepaginateInternal(rec);
  fix_selection(rec);
  const unsigned char k = (unsigned char)key;
  if (k != 30 && k != 31) rec->horizontal_gap = -1.0f;
  const bool empty = rec->sel_start == rec->sel_end;
  switch (k) {
    case 8:
      if (empty && rec->sel_start == 0) {
        rec->active_side = 1;
        return;
      }
      if (empty) {
        rec->cbs.ReplaceText_f(rec, rec->sel_start - 1, rec->sel_start, nullptr, nullptr);
        rec->sel_start--;
      } else {
        rec->cbs.ReplaceText_f(rec, rec->sel_start, rec->sel_end, nullptr, nullptr);
      }
      rec->sel_end = rec->sel_start;
      OGLE_RepaginateInternal(rec);
      rec->active_side = 1;
      break;
    case 28:
    case 29: {
      const int step = k == 28 ? -1 : 1;
      if (extend) {
        moving_end(rec) += step;
      } else if (empty) {
        rec->sel_start += step;
        rec->sel_end = rec->sel_start;
      } else if (k == 28) {
        rec->sel_end = rec->sel_start;
      } else {
        rec->sel_start = rec->sel_end;
      }
      break;
    }
    case 30:
    case 31: {
      const int dir = k == 30 ? -1 : 1;
      if (extend) {
        int& end = moving_end(rec);
        end = vertical_target(rec, end, dir);
      } else if (empty) {
        rec->sel_start = rec->sel_end = vertical_target(rec, rec->sel_start, dir);
      } else if (k == 30) {
        rec->sel_end = rec->sel_start;
      } else {
        rec->sel_start = rec->sel_end;
      }
      break;
    }
    default: {
      const char byte = key;
      rec->cbs.ReplaceText_f(rec, rec->sel_start, rec->sel_end, &byte, &byte + 1);
      rec->sel_start = rec->sel_end = rec->sel_start + 1;
      rec->active_side = 1;
      OGLE_RepaginateInternal(rec);
      break;
    }
  }
  fix_selection(rec);
  OGLE_RevealSelection(rec);
}

// ---- Mouse ----

void OGLE_Click(OGLE_Rec* rec, float x, float y, int extend) {
  if (rec->line_starts.empty()) OGLE_RepaginateInternal(rec);
  rec->horizontal_gap = -1.0f;
  const int pos = OGLE_CoordToCharPos(rec, x, y);
  if (!extend) {
    rec->sel_start = rec->sel_end = pos;
    rec->active_side = 1;
  } else if (pos < rec->sel_start) {
    rec->sel_start = pos;
    rec->active_side = 0;
  } else {
    rec->sel_end = pos;
    rec->active_side = 1;
  }
  fix_selection(rec);
  OGLE_RevealSelection(rec);
}

void OGLE_Drag(OGLE_Rec* rec, float x, float y) {
  if (rec->line_starts.empty()) OGLE_RepaginateInternal(rec);
  moving_end(rec) = OGLE_CoordToCharPos(rec, x, y);
  fix_selection(rec);
  OGLE_RevealSelection(rec);
}

// ---- Selection ----

void OGLE_GetSelection(OGLE_Rec* rec, int* start, int* end) {
  if (start) *start = rec->sel_start;
  if (end) *end = rec->sel_end;
}

void OGLE_SetSelection(OGLE_Rec* rec, int start, int end) {
  rec->sel_start = start;
  rec->sel_end = end;
  fix_selection(rec);
}

void OGLE_RevealSelection(OGLE_Rec* rec) {
  if (rec->line_starts.empty()) OGLE_RepaginateInternal(rec);
  float V[4], L[4];
  rec->cbs.GetVisibleBounds_f(rec, V);
  rec->cbs.GetLogicalBounds_f(rec, L);
  const float lh = rec->cbs.GetLineHeight_f(rec);
  const int pos = moving_end(rec);
  const int line = OGLE_CharPosToLine(rec, pos);
  int s, e;
  line_range(rec, line, &s, &e);
  const float x = L[0] + measure(rec, s, pos);
  const float top = L[3] - line * lh, bottom = top - lh;
  float off[2] = {V[0] - L[0], V[3] - L[3]};
  const float old[2] = {off[0], off[1]};
  if (x < V[0]) off[0] -= V[0] - x;
  if (x > V[2]) off[0] += x - V[2];
  if (bottom < V[1]) off[1] -= V[1] - bottom;
  else if (top > V[3]) off[1] += top - V[3];
  if (off[0] != old[0] || off[1] != old[1]) rec->cbs.ScrollTo_f(rec, off);
}
