#include "sign_listing.h"

#include "common/stream_listing.h"

#include <cstdio>
#include <optional>

namespace {

std::string hexByte(unsigned char b) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

// The terminal's bold foreground of a sign colour.
const char* ansiColour(TSignColour colour) {
    switch (colour) {
    case TSignColour::Green:
        return "\033[1;32m";
    case TSignColour::Yellow:
        return "\033[1;33m";
    case TSignColour::Red:
        break;
    }
    return "\033[1;31m";
}

std::size_t overflowOf(const TSignRecord& record, int width) {
    const std::size_t used = record.leadingPad + record.chars.size();
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    return used > w ? used - w : 0;
}

} // namespace

std::string dumpRecord(const TSignRecord& record, int width) {
    std::string line = "@" + std::to_string(record.offset) + " line " + record.address + " pad " +
                       std::to_string(record.leadingPad) + "/" +
                       std::to_string(record.trailingPad) + " ";
    line += annotatedRecordText(record);
    line += " text \"";
    for (const TSignChar& c : record.chars)
        line += listedSignChar(c.code);
    line += "\"";
    if (record.endsFlashing)
        line += " ends-flashing";
    if (const std::size_t over = overflowOf(record, width))
        line += " overflow +" + std::to_string(over);
    return line;
}

std::string dumpError(const TStreamError& error) {
    std::string line = "@" + std::to_string(error.offset) + " error " + error.describe() + " (" +
                       std::to_string(error.length) + (error.length == 1 ? " byte):" : " bytes):");
    for (char c : error.sample)
        line += " " + hexByte(static_cast<unsigned char>(c));
    if (error.length > error.sample.size())
        line += " ...";
    return line;
}

std::string ansiLine(const TSignRecord& record, int width) {
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    std::string line = record.address + " |";
    std::size_t column = 0;
    for (; column < record.leadingPad && column < w; ++column)
        line += ' ';
    // A colour or blink sequence only where the state changes.
    std::optional<TSignColour> colour;
    bool flashing = false;
    for (std::size_t i = 0; i < record.chars.size() && column < w; ++i, ++column) {
        const TSignChar& c = record.chars[i];
        if (c.colour != colour || c.flashing != flashing) {
            if (flashing && !c.flashing)
                line += "\033[0m";
            colour = c.colour;
            flashing = c.flashing;
            line += ansiColour(c.colour);
            if (flashing)
                line += "\033[5m";
        }
        const std::string shown = signCharText(c.code);
        line += shown.size() > 1 && shown[0] == '\\' ? "?" : shown;
    }
    if (colour)
        line += "\033[0m";
    for (; column < w; ++column)
        line += ' ';
    line += "|";
    if (const std::size_t over = overflowOf(record, width))
        line += " >>+" + std::to_string(over);
    return line;
}
