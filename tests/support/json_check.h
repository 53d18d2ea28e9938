// A strict check that a text is one JSON object (RFC 8259 grammar), for tests of
// machine-readable output.
#pragma once
#include <string>

bool json_object_is_valid(const std::string& text);
