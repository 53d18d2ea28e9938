// The installer's entry: set-up, the frame loop and the end.
#pragma once

// The program entry. `cmdline` is the raw command-line text.
int WinMain(void* hinst, void* hprevinst, const char* cmdline, int windowstyle);
