#pragma once

#include "model/sign_colour.h"

#include <array>
#include <string>
#include <string_view>

// Most characters of block text that a line keeps, and the room of the markup arrays.
constexpr std::size_t kMaxBlockText = 255;

// The colour and the flash state of each plain character of an expanded block: entry k belongs
// to plain character k. Owned by the caller of ExpandMarkup.
using TColourArray = std::array<TSignColour, kMaxBlockText>;
using TFlashArray = std::array<TFlash, kMaxBlockText>;

// One line of a sign message: its markup text and whether the sign centres it.
class TBlock {
public:
    bool Centered = false;
    std::string Text;

    // Sets both fields from a block line ("Centered,..." or "NotCentered,..."); a line
    // without a comma is all text. Keeps at most 255 characters of text.
    void ParseLine(const std::string& line);

    // The block line of this block. Line breaks in the text become spaces and NUL bytes are
    // dropped, so that a built line always stays one line of a message file.
    std::string BuildLine() const;
};

// Removes the recognised colour and flash codes from `text`: `plain` receives the remaining
// characters, `colours` and `flash` one entry per plain character (entries past the plain
// text are left as they were). At most 255 plain characters are produced.
void ExpandMarkup(const std::string& text, std::string& plain, TColourArray& colours,
                  TFlashArray& flash);

// A block line cut at its first comma: `head` is the keyword with that comma ("Centered,"),
// `text` all that follows it. A line without a comma has no head and is all text. Both views
// point into the line.
struct TLineSplit {
    std::string_view head;
    std::string_view text;

    bool hasHead() const { return !head.empty(); }
};
TLineSplit splitBlockLine(std::string_view line);

// The text of a block line with nothing cut: what follows its first comma, or the whole line
// when it has none. ParseLine keeps the first 255 characters of it.
std::string wholeLineText(const std::string& line);

// A block text made safe for one line: CR LF and lone CR or LF become one space each, NUL
// bytes are removed.
std::string singleLineText(const std::string& text);
