#pragma once

#include <string>
#include <string_view>

// The system's 8-bit character set, Windows-1252, as one bijective table: every byte maps to
// exactly one Unicode character and back, so text round-trips byte for byte. The five bytes
// that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of
// the same value.

char16_t cp1252ToUnicode(unsigned char byte);

// The byte for a Unicode character, or -1 when the character set has none.
int unicodeToCp1252(char16_t ch);

// UTF-16 text of a byte string, one unit per byte.
std::u16string cp1252ToUtf16(std::string_view bytes);

// Byte string of UTF-16 text; false (and `out` untouched) when a character has no byte.
bool utf16ToCp1252(std::u16string_view text, std::string& out);
