// The running program and the system it runs on.
#pragma once
#include <string>

// Full file name of the running program, in the system's own form.
std::string PLAT_program_file();

// Asks the desktop to open `url` with its default handler, without waiting for it.
// Returns 0 when the request could be made.
int PLAT_open_url(const std::string& url);
