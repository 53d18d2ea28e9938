// The licence agreement the user accepts before an install: its text, shared by
// the window and the terminal.
#pragma once
#include <string>

// The licence text as paragraphs separated by blank lines ("\n\n").
const std::string& licence_text();
