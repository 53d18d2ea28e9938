// The program's one window and its OpenGL context: the display mode, window and
// context creation and release, the extra context for loader threads, and the
// window procedure that turns window events into the mouse state of `mnw` and
// passes keys on to the keyboard. Slot 0 is the main window; slot 1 (a second
// monitor) is never made here.
#pragma once
#include "platform/plat_window.h"

extern int g_mon_x_res_now, g_mon_y_res_now;  // the monitor's current size (display mode)
extern int hres_orig, vres_orig, cres_orig;   // the desktop mode seen on the first setres
extern int sres_orig;                         // 1 when that first call needed a mode change
extern int have_created_ibm_win;              // the window procedure has seen the creation

// Class name and title of the main window.
extern const char* const k_window_class;

// Hooks of the window procedure for the modules that sit above it; null until they
// set them. Keys go to the keyboard; a press of button 1 or 3 to the window
// manager's click routing (with 0); an exposure to the window manager, which lays
// out the current window again.
extern void (*g_window_key_hook)(const plat_event& ev);
extern void (*g_window_click_hook)(int enter_close);
extern void (*g_window_paint_hook)();

// Display mode. 1 (start-up): copy the requested size into x_res_now etc., read the
// desktop, and switch to the requested mode only when the desktop is smaller than
// 1024 x 768 or mnw.set_res asks for it (a failed switch is silent). 0 (shutdown):
// restore the desktop mode if start-up changed it.
void DOVAVI_setres(int init_call);
// Creates the window of client size x_res_now x y_res_now at the screen's top left
// (captioned when the monitor is more than 20 pixels larger each way, otherwise
// borderless), a double-buffered RGBA context with 32 depth bits asked for, makes it
// current, turns vertical sync off and sets the fixed GL defaults. Returns 1, or 0
// on any failure. Only slot 0 exists.
int DOVAVI_make_context(int slot);
// Releases the slot's context and destroys its window.
void DOVAVI_nuke_context(int slot);
// A context sharing textures with context 0, for a loader thread; null after
// logging "Could not make loader gl context: " or "Could not share lists: ".
void* DOVAVI_make_context_loader();
// Makes a loader context current on the calling thread. Returns 1, or 0 after
// logging "Could not set loader ctx: ".
int DOVAVI_set_context_loader(void* context);

// The window procedure: creation, paint, close (sets app_done), keys (to the key
// hook; not the system keys: Alt, F10 and keys with Alt held), pointer moves
// (mnw.mx, my in window units, y upward, relative to the current window), buttons
// 1 and 3 (mouse_clicked / mouse_lifted) and the wheel.
void IBM_handlewin(void* window, const plat_event& ev);

// Hands every waiting window event to the window procedure. Returns how many.
int DOVAVI_pump_messages();
// Sleeps until input arrives or `ms` milliseconds pass. Returns 1 on input.
// While the current window is not modal (the installer step runs each frame),
// the sockets g_wake_sockets names end the wait too, and it does not wait at all
// when g_wake_sockets returns -1.
int DOVAVI_wait_for_input(int ms);
// The transfers the frame would advance: fills at most `max` sockets to wake for
// and returns their count, or -1 when work is waiting that needs no wait. Null
// (input only) until the installer sets it.
extern int (*g_wake_sockets)(plat_wake_socket* out, int max);
