// The log "Log.txt" and the program's diagnostics. Every module appends its
// plain lines to `xer`; each writer ends its own lines with "\n".
#pragma once
#include <fstream>
#include <string>

extern std::ofstream xer;  // the log stream; opened at start-up, closed at shutdown

// Opens the log at `path`, replacing an older file, with floats in fixed notation.
// A failure only leaves the stream bad, so every later write is dropped.
void UTL_log_open(const std::string& path);
// Closes the log; lines written afterwards are lost.
void UTL_log_close();
