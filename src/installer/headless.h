// Installs from the terminal: the same set-up and engine steps as the window,
// driven by a loop of its own, with the questions answered by options or asked
// on the terminal, and progress as text or JSON lines.
#pragma once
#include <string>

// Exit statuses of the headless mode.
enum {
  headless_complete = 0,     // "INSTALLATION COMPLETE!"
  headless_failed = 1,       // the install failed (or a file was refused: new_format, fatal alerts)
  headless_cancelled = 2,    // the user cancelled in a prompt
  headless_no_licence = 3,   // the licence was not accepted
  headless_unreachable = 4,  // no server list or no directory within --timeout
};

// 1 when the program runs without a window ("--headless").
int headless_requested();
// Runs the whole install after start-up (the caller has done DOVAVI_init and
// does DOVAVI_finishup). Returns the exit status.
int headless_run(const std::string& raw_cmdline);
