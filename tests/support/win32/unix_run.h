// Running the Linux side's programs from a Windows test program under wine:
// wine starts a Linux executable named by its Linux path as a process of its own.
#pragma once
#include <string>

// `text` with every "Z:\" (wine's drive of the Linux root) turned into "/" and
// every later "\" of such a path into "/".
std::string unix_paths(const std::string& text);
// Runs `command` with /bin/sh, waits for it, and returns its exit status; its
// standard output (standard error too) goes into *out when given. -1 when the
// shell cannot be started.
int unix_shell(const std::string& command, std::string* out = nullptr);
// Starts `command` with /bin/sh in the background without waiting; returns the
// Linux process id it printed, or -1.
long unix_spawn(const std::string& command);
