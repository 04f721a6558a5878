#pragma once

#include <string_view>

// Whether `a` and `b` are equal when the letters A to Z count as a to z. Every other byte
// equals only itself, whatever the locale: the names of the settings file, the store file and
// the host names that this compares are ASCII by rule, and a byte above 127 is a different
// character in every character set.
bool sameIgnoringAsciiCase(std::string_view a, std::string_view b);
