#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// File names are bytes: any byte but '/' and NUL, whatever the user's language. Most are UTF-8,
// but names from old archives and other locales need not be (`caf\xE9.lsm`), and such a file
// must open and save like any other. The toolkit's text for a name is UTF-16; these convert
// without losing a byte.

// The name's bytes as UTF-16: valid UTF-8 as its characters, every other byte b as the lone
// surrogate U+DC00 + b (a character no UTF-8 text yields), so that the way back is exact.
std::u16string fileNameToUtf16(std::string_view bytes);

// The bytes of a name made by fileNameToUtf16 (or typed by the user): the inverse.
std::string fileNameFromUtf16(std::u16string_view text);

// The length of the valid UTF-8 sequence at `at` of `bytes`, 0 when the byte there starts none.
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at);
