#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Bytes of a block's text that the sign does not take for characters. A block's text is sent
// byte for byte, so a text byte equal to the stream's framing (start, end of a record) or to a
// colour or flash byte is read by the sign as that: a record cut short or a line re-addressed,
// colours changed behind the markup's back.

// One such byte: its value and where it stands in the block's text (counted from 1).
struct TControlByte {
    unsigned char byte = 0;
    std::size_t column = 0;
};

// Whether the sign reads `byte`, met in a text, as framing or as a colour or flash byte.
bool isSignControlByte(unsigned char byte);

// The first control byte of the text that a send takes from the block line `line` (the text
// after its first comma, as much of it as a block keeps); none when it holds none.
std::optional<TControlByte> firstControlByte(std::string_view line);

// "0x02": a byte as the messages name it.
std::string controlByteName(unsigned char byte);

// What the sign reads a control byte as: "the start of a record", "the end of a record", "the
// colour red", "the colour green", "the colour yellow", "a flash toggle".
std::string controlByteMeaning(unsigned char byte);

// "Block n holds the control byte 0x02 at column c: the sign reads it as the start of a
// record." for block `index` (from 0) of a message.
std::string controlByteWarning(std::size_t index, const TControlByte& control);

// The warning of each block of `lines` that holds a control byte, in list order.
std::vector<std::string> controlByteWarnings(const std::vector<std::string>& lines);
