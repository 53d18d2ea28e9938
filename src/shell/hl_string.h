// String helpers shared by every module.
#pragma once
#include <string>

// Ends the program with the "String too long!" alert when `s` has 500 characters
// or more: paths of the program pass through fixed buffers of that size.
void check_len(const char* s);
inline void check_len(const std::string& s) { check_len(s.c_str()); }
