// The checks of a log header written on Windows, shared by the tests that read
// one from the log writer and from the program's Log.txt.
#pragma once
#include <string>

// Expects in `text` the Windows version and processor lines as the system
// reports them, a "CPU 0:" line per processor, the memory line and file names
// that ignore case.
void expect_windows_log_header(const std::string& text);
