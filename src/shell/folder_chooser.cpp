// The folder picker: the desktop's dialog (window 996 waits for it) or the
// chooser drawn with the widgets (window 998).
#include "shell/folder_chooser.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "files/IO_UTILS.h"
#include "gui/butn.h"
#include "gui/oglp.h"
#include "platform/plat_files.h"
#include "platform/plat_window.h"
#include "shell/PlatformUtils.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_init.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"

namespace {
const int k_wait_window = 996;
const int k_chooser_window = 998;
const float k_row_dy = 15;  // height of one row of the folder list

std::string with_separator(std::string p) {
  if (!p.empty() && !path_is_separator(p.back())) p += "/";
  return p;
}

int is_absolute(const std::string& p) { return (!p.empty() && p[0] == '/') || path_has_drive_prefix(p); }

// The desktop dialog, while the window shows what is going on. 1 chosen, 0
// cancelled, -1 when no dialog could be started.
int desktop_dialog(const char* prompt, const char* default_dir, std::string* chosen) {
  const int handle = PLAT_folder_dialog_start(prompt ? prompt : "", default_dir ? default_dir : "");
  if (!handle) return -1;
  DOVAVI_startwind(k_wait_window);
  UTL_screen_trace("window", "folder dialog");
  int result = 0;
  while (mnw.top_win_now == k_wait_window) {
    std::string path;
    const int r = PLAT_folder_dialog_poll(handle, &path);
    if (r != 0) {
      result = r == 1;
      if (result) *chosen = path;
      break;
    }
    OGL_plot_back_col();
    BTN_fillwin(1, 21);
    OGL_string(43, 20, mnw.win_dy - 45, prompt ? prompt : "", mnw.win_dx - 40, 100, 0);
    OGL_string(46, 20, mnw.win_dy - 75, "Choose the folder in the dialog window that has opened.", mnw.win_dx - 40,
               100, 0);
    if (BTN_action(mnw.win_dx - 70, 22, 100, 0, 1, "Cancel", "-") || app_done) {
      PLAT_folder_dialog_cancel(handle);
      break;
    }
    DOVAVI_event_proc();
  }
  DOVAVI_startwind(0);
  return result;
}

// The chooser drawn in the window.
class own_chooser {
 public:
  std::string typed;                 // the path field
  std::string listed;                // the folder the list shows, ending with "/"
  std::vector<std::string> folders;  // its child folders
  float scroll = 0;                  // first row shown
  int field_auto_focus = 1;          // the path field takes the focus until a row was opened

  void list(const std::string& folder) {
    listed = folder;
    folders.clear();
    std::vector<std::string> names;
    std::vector<unsigned long> types;
    opensave_getitems(listed, 0, names, types);
    for (size_t i = 0; i < names.size(); i++)
      if (types[i] == 1) folders.push_back(names[i]);
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
      const size_t n = std::min(a.size(), b.size());
      for (size_t i = 0; i < n; i++) {
        const int ca = tolower((unsigned char)a[i]), cb = tolower((unsigned char)b[i]);
        if (ca != cb) return ca < cb;
      }
      return a.size() < b.size();
    });
    scroll = 0;
  }

  int has_parent() const {
    std::string parent;
    get_path_with_path(parent, listed);
    return parent != listed;
  }

  // Opens row `row` of the list: the parent (row 0 when there is one) or a child.
  void open_row(int row) {
    std::string target;
    if (has_parent() && row == 0) {
      get_path_with_path(target, listed);
    } else {
      const int i = row - has_parent();
      if (i < 0 || i >= (int)folders.size()) return;
      target = listed + folders[(size_t)i] + "/";
    }
    typed = target;
    list(target);
    // A click in the field puts the caret where the user wants to type on.
    field_auto_focus = 0;
    BTN_unfocus_any();
  }

  // The folder list in the panel (x, y, w, h); a click opens a row.
  void draw_list(float x, float y, float w, float h) {
    BTN_frame2(16, x, y, w, h, "");
    const int rows = (int)folders.size() + has_parent();
    const int visible = (int)floorf((h - 6) / k_row_dy);
    const float bar_w = 10;
    const bool bar_needed = rows > visible;
    BTN_scroll_bar(x + w - bar_w - 3, y + 3, bar_w, h - 6, &scroll, rows, visible, x, x + w);
    const int first = (int)scroll;
    const bool over = mnw.mx >= x && mnw.mx <= x + w && mnw.my >= y && mnw.my <= y + h;
    const float text_w = w - (bar_needed ? bar_w + 12 : 8);
    int open = -1;
    OGL_scissors(x + 2, y + 2, w - 4, h - 4);
    for (int r = first; r < rows && r < first + visible; r++) {
      const float ry = y + h - 4 - (r - first + 1) * k_row_dy;
      const bool hover = over && mnw.mx < x + 4 + text_w && mnw.my >= ry && mnw.my < ry + k_row_dy;
      if (hover) OGL_fillrect(36, 0.25f, x + 4, ry, text_w, k_row_dy);
      const bool parent_row = has_parent() && r == 0;
      const std::string name = parent_row ? "..   (the folder above)" : folders[(size_t)(r - has_parent())] + "/";
      OGL_string(parent_row ? 46 : 43, x + 10, ry + 4, name, 9999, 100, 0);
      if (hover && mnw.mouse_clicked && mnw.menu_up == -1) open = r;
    }
    if (folders.empty())
      OGL_string(46, x + 10, y + h - 4 - (rows + 1) * k_row_dy + 4, "(no folders inside)", 9999, 100, 0);
    OGL_scissors_end();
    if (open >= 0) {
      open_row(open);
      mnw.mouse_clicked = 0;
    }
  }
};
}  // namespace

std::string folder_chooser_listed_folder(const std::string& typed) {
  std::string p = with_separator(typed);
  for (int i = 0; i < 64 && !p.empty(); i++) {
    if (is_absolute(p) && PLAT_path_kind(p) == 2) return p;
    std::string parent;
    get_path_with_path(parent, p);
    if (parent == p) break;
    p = parent;
  }
  return path_default_root();
}

static int own_chooser_window(const char* prompt, const char* default_dir, std::string* chosen);

int DOVAVI_folder_chooser(const char* prompt, const char* default_dir, std::string* chosen) {
  int r = -1;
  if (!cmdline.has_option("--own_folder_chooser")) r = desktop_dialog(prompt, default_dir, chosen);
  if (r < 0) r = own_chooser_window(prompt, default_dir, chosen);
  UTL_screen_trace("window", r ? "folder chosen " + *chosen : "folder cancelled");
  return r;
}

static int own_chooser_window(const char* prompt, const char* default_dir, std::string* chosen) {
  own_chooser c;
  // A default that does not exist yet (a first install) starts at its nearest
  // existing parent, which is what the user is choosing among.
  c.typed = folder_chooser_listed_folder(default_dir && *default_dir ? default_dir : path_default_root());
  c.list(c.typed);
  DOVAVI_startwind(k_chooser_window);
  UTL_screen_trace("window", "folder chooser");
  int result = 0;
  while (mnw.top_win_now == k_chooser_window && !app_done) {
    OGL_plot_back_col();
    BTN_fillwin(1, 21);
    const float w = mnw.win_dx, h = mnw.win_dy;
    OGL_string(43, 20, h - 45, prompt ? prompt : "", w - 40, 100, 0);
    if (BTN_enterstring(70, h - 90, &c.typed, 511, "-Folder:", w - 90, c.field_auto_focus)) {
      const std::string folder = folder_chooser_listed_folder(c.typed);
      if (folder != c.listed) c.list(folder);
    }
    c.draw_list(20, 55, w - 40, h - 160);
    const int usable = is_absolute(c.typed);
    if (!usable)
      OGL_string(1, 20, 18, "Type the folder's full path, starting with /", 9999, 100, 0);
    else if (PLAT_path_kind(with_separator(c.typed)) != 2)
      OGL_string(46, 20, 18, "This folder does not exist yet; it will be made.", 9999, 100, 0);
    if (BTN_action(w - 185, 22, 100, 0, 1, "Cancel", "-")) break;
    if ((BTN_action(w - 75, 22, 100, 0, 1, "OK", "-") || return_hit) && usable) {
      *chosen = with_separator(c.typed);
      result = 1;
      break;
    }
    DOVAVI_event_proc();
  }
  return_hit = 0;
  DOVAVI_startwind(0);
  return result;
}
