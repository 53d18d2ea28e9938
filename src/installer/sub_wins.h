// The installer's screens and the texts they share: the licence and preferences
// windows, the directory progress display, and size and number texts.
#pragma once
#include <string>

// A number with one decimal (halves away from zero); the whole part is padded to
// `min_digits` characters with leading spaces ("0" kept as the last one).
std::string one_decimal_str(float v, int min_digits);
// A size given in kilobytes of 1000 bytes, as "2.5 Meg" or "1.5 Gig".
std::string set_size_str(float k);
