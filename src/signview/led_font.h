#pragma once

#include <array>
#include <cstdint>

// The sign's dot-matrix font: 5 columns by 7 rows for every printable ASCII character. A row
// is 5 bits, the leftmost column in bit 4.
constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 7;

using TGlyph = std::array<std::uint8_t, kGlyphRows>;

// The glyph of `code`; a hollow box for a byte that has no glyph of its own.
const TGlyph& ledGlyph(unsigned char code);

// Whether `code` has a glyph of its own.
bool hasLedGlyph(unsigned char code);
