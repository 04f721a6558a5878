// Block lines: parsing, markup expansion and rebuilding.

#include "fuzz_support.h"
#include "model/block.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);

    TBlock block;
    block.ParseLine(line);
    FUZZ_CHECK(block.Text.size() <= kMaxBlockText);

    // A built line is one line of a message file, and parsing it back gives the same block
    // with its line breaks made spaces; building that again gives the same line.
    const std::string built = block.BuildLine();
    FUZZ_CHECK(built.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    TBlock again;
    again.ParseLine(built);
    FUZZ_CHECK(again.Centered == block.Centered);
    FUZZ_CHECK(again.Text == singleLineText(block.Text));
    FUZZ_CHECK(again.BuildLine() == built);

    // Expansion: never more plain characters than text, only valid states, and nothing
    // written past the plain text.
    std::string plain = "left over";
    TColourArray colours;
    TFlashArray flash;
    colours.fill(TSignColour{0xAA});
    flash.fill(TFlash{0xAA});
    ExpandMarkup(block.Text, plain, colours, flash);
    FUZZ_CHECK(plain.size() <= block.Text.size());
    FUZZ_CHECK(plain.size() <= kMaxBlockText);
    for (std::size_t i = 0; i < kMaxBlockText; ++i) {
        if (i < plain.size()) {
            FUZZ_CHECK(colours[i] <= TSignColour::Yellow);
            FUZZ_CHECK(flash[i] <= TFlash::Flashing);
        } else {
            FUZZ_CHECK(colours[i] == TSignColour{0xAA});
            FUZZ_CHECK(flash[i] == TFlash{0xAA});
        }
    }
    // Expansion of the raw input too (the text of a line never parsed).
    std::string rawPlain;
    ExpandMarkup(line, rawPlain, colours, flash);
    FUZZ_CHECK(rawPlain.size() <= std::min(line.size(), kMaxBlockText));
    return 0;
}
