#pragma once

#include <string>
#include <string_view>

// Whether `a` and `b` are equal when the letters A to Z count as a to z. Every other byte
// equals only itself, whatever the locale: the names of the settings file, the store file and
// the host names that this compares are ASCII by rule, and a byte above 127 is a different
// character in every character set.
bool sameIgnoringAsciiCase(std::string_view a, std::string_view b);

// `s` with the letters A to Z as a to z, every other byte as it is: a key under which names
// that sameIgnoringAsciiCase finds equal are one.
std::string foldAsciiCase(std::string_view s);
