// The program's one window, its OpenGL context and its input: what the shell asks
// of the windowing system. The backend (x11/ on Linux) turns the system's events
// into plat_event records and hands them to the handler given at creation; the
// shell's window procedure turns those into the mouse and keyboard state.
#pragma once
#include <string>

// Event types handed to the window's handler.
enum {
  PLAT_EV_CREATE = 1,  // the window exists; delivered once, from PLAT_window_create
  PLAT_EV_PAINT,       // the system asks for the window to be drawn again
  PLAT_EV_CLOSE,       // the user asked the window manager to close the window
  PLAT_EV_KEY_DOWN,    // a key went down (again, with is_repeat, while held)
  PLAT_EV_KEY_UP,      // a key went up
  PLAT_EV_MOUSE_MOVE,  // the pointer moved over the window
  PLAT_EV_BUTTON_DOWN, // a mouse button went down (button 1 left, 2 middle, 3 right)
  PLAT_EV_BUTTON_UP,   // a mouse button went up
  PLAT_EV_WHEEL,       // the wheel turned: wheel_delta is +120 per notch away from the user
};

// Modifier bits of plat_event::modifiers.
enum { PLAT_MOD_SHIFT = 1, PLAT_MOD_ALT = 2, PLAT_MOD_CONTROL = 4 };

struct plat_event {
  int type = 0;
  int x = 0, y = 0;          // pointer in client pixels: origin top-left, y downward
  int button = 0;            // buttons: 1 left, 2 middle, 3 right
  int wheel_delta = 0;       // wheel: signed, 120 per notch
  int scan_code = 0;         // keys: the system's hardware key code (X keycode)
  unsigned long keysym = 0;  // keys: the key symbol as the layout and modifiers give it
  int character = 0;         // keys: the byte the key types in the current layout, 0 none
  int modifiers = 0;         // PLAT_MOD_* held at the time of the event
  int is_repeat = 0;         // key down: 1 when the key was already down (auto-repeat)
  // Keys, as a PC keyboard message would carry them (table in docs/PLATFORM.md):
  int vkey = 0;       // virtual-key code of the key (layout and Num Lock applied), 0 none
  int key_scan = 0;   // the key's PC set-1 scan code, 0 when the key has none
  int extended = 0;   // 1 for the keys a PC keyboard sends with the E0 prefix
  int is_system = 0;  // 1 for Alt, F10 and any key while Alt is held (system-menu keys)
};

// Receives every event of a window. `window` is the handle PLAT_window_create returned.
typedef void (*plat_event_fn)(void* window, const plat_event& ev);

// The pixel format of a GL window: bits per colour buffer (red+green+blue+alpha, or
// red+green+blue when no alpha), depth and stencil bits, and double buffering.
struct plat_pixel_format {
  int colour_bits = 32;
  int depth_bits = 32;
  int stencil_bits = 0;
  int double_buffer = 1;
};

// ---- Display ----

// The desktop's current mode. Returns 1 when width, height and depth were all read;
// 0 (fields untouched) when there is no display.
int PLAT_screen_mode(int* width, int* height, int* depth);
// Mode `index` (0 upward) of the display's list. Returns 0 past the end.
int PLAT_screen_mode_at(int index, int* width, int* height, int* depth);
// Switches the display to mode `index` of that list. Returns 1 on success.
int PLAT_screen_set_mode(int index);
// Puts the display back into the mode it had before the first PLAT_screen_set_mode.
void PLAT_screen_restore_mode();

// ---- Window ----

// Chooses the supported pixel format closest to `want`; fills `got` with what it
// has. Returns a format id above 0, or 0 when the system has no GL format at all.
int PLAT_gl_choose_format(const plat_pixel_format& want, plat_pixel_format* got);
// Creates a hidden window of client size w x h at screen position (x, y), titled
// and classed `title`, drawn with pixel format `format`, fixed in size. With
// `captioned` 0 it asks for no decorations. `handler` receives its events, the
// first (PLAT_EV_CREATE) before this returns. Returns null on failure.
void* PLAT_window_create(const char* title, int x, int y, int w, int h, int captioned,
                         int format, plat_event_fn handler);
// Shows the window and waits until the system has put it on the screen.
void PLAT_window_show(void* window);
// Destroys the window. Its handler receives nothing more.
void PLAT_window_destroy(void* window);

// X11 backend only (Windows key messages carry these codes themselves):
// The virtual-key code (1..254) of an X key symbol, 0 when it has none: letters
// and digits as their capitals and digits, the keypad, function, editing and
// modifier keys, and the punctuation keys by their unshifted symbols.
int PLAT_keysym_to_vkey(unsigned long keysym);
// The PC set-1 scan code of an X keycode of the usual (evdev) keymap, with
// *extended set for the E0-prefixed keys. 0 for keys outside that keyboard.
int PLAT_keycode_to_scan(int keycode, int* extended);

// Shows or hides the pointer over the window.
void PLAT_cursor_show(void* window, int show);
// Puts the standard arrow back as the window's pointer shape.
void PLAT_cursor_arrow(void* window);

// Sounds the default beep.
void PLAT_beep();
// A small blocking window of our own titled `title` showing `text` (lines split
// at line feeds and wrapped) and an OK button; it ends on the button, Return,
// Enter, Escape, space or the window manager's close. Events of other windows stay
// queued. Returns 1 after it was shown, 0 when there is no display.
int PLAT_message_box(const std::string& title, const std::string& text);

// ---- Folder dialog ----

// Opens the desktop's own folder dialog (zenity, else kdialog, whichever is
// installed) titled `title` and showing `start_dir`, without waiting for it.
// Returns a handle above 0, or 0 when neither is installed or it did not start.
int PLAT_folder_dialog_start(const std::string& title, const std::string& start_dir);
// Looks at an open dialog without waiting: 0 still open; 1 a folder was chosen
// (*chosen holds its path as the dialog gave it, without a trailing line feed);
// 2 cancelled or failed. After 1 or 2 the handle is gone.
int PLAT_folder_dialog_poll(int handle, std::string* chosen);
// Closes a dialog that is still open and forgets its handle.
void PLAT_folder_dialog_cancel(int handle);

// ---- Events ----

// Hands every waiting event of every window to its handler. Returns how many.
int PLAT_pump_events();
// Sleeps until an event is waiting or `ms` milliseconds have passed. Returns 1
// when an event is waiting.
int PLAT_wait_events(int ms);
// A socket whose readiness also ends PLAT_wait_events_or_sockets: readable, or
// writable when `for_write` is set (a connection being made, a request being sent).
struct plat_wake_socket {
  unsigned int socket;
  int for_write;
};
// Sleeps until an event is waiting, one of the `count` sockets (at most 16) is
// ready or has failed, or `ms` milliseconds have passed. Returns 1 when an event
// or a socket is ready.
int PLAT_wait_events_or_sockets(int ms, const plat_wake_socket* sockets, int count);

// ---- OpenGL ----

// Creates a GL context for the window's pixel format, sharing textures and lists
// with `share` when that is not null. Returns null on failure (PLAT_gl_error tells).
void* PLAT_gl_context_create(void* window, void* share);
// Makes `context` current on this thread, drawing into `window`; a null context
// releases the thread's current one. Returns 1 on success.
int PLAT_gl_make_current(void* window, void* context);
void PLAT_gl_context_destroy(void* context);
// Presents the back buffer of the window.
void PLAT_gl_swap(void* window);
// The address of a GL entry point, null when the driver has none.
void* PLAT_gl_proc(const char* name);
// The window-system GL extension string (GLX on X11).
std::string PLAT_gl_system_extensions(void* window);
// The window-system extensions that control the swap interval, ended by null
// ("GLX_EXT_swap_control", ... on X11; "WGL_EXT_swap_control" on Windows).
extern const char* const PLAT_gl_swap_control_names[];
// Sets the swap interval through whichever swap-control extension the system
// extension string names. Returns 1 when it was set.
int PLAT_gl_swap_interval(void* window, int interval);
// The system's code for the last failed GL or window call (0 when none is known).
int PLAT_gl_error();
