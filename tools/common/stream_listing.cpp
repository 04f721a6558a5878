#include "common/stream_listing.h"

#include "model/block.h"
#include "model/charset.h"
#include "sign/send_buffer.h"
#include "sign/sign_protocol.h"
#include "sign/sign_stream.h"

#include <cstdio>

namespace {

std::string utf8(char16_t ch) {
    std::string out;
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
    return out;
}

void appendHex(std::string& out, unsigned char b) {
    static const char digits[] = "0123456789ABCDEF";
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 0x0F]);
}

} // namespace

std::string signCharText(unsigned char code) {
    const char16_t ch = cp1252ToUnicode(code);
    if (ch < 0x20 || ch == 0x7F || (ch >= 0x80 && ch < 0xA0)) {
        std::string text = "\\x";
        appendHex(text, code);
        return text;
    }
    return utf8(ch);
}

std::string listedSignChar(unsigned char code) {
    if (code == '{' || code == '}' || code == '"' || code == '\\')
        return "\\" + std::string(1, static_cast<char>(code));
    return signCharText(code);
}

std::string annotatedRecordText(const TSignRecord& record) {
    std::string text;
    const std::string& body = record.body;
    bool flashing = false;
    for (std::size_t i = record.leadingPad; i + record.trailingPad < body.size(); ++i) {
        const auto b = static_cast<unsigned char>(body[i]);
        if (b == kSignFlash)
            text += (flashing = !flashing) ? "{F+}" : "{F-}";
        else if (const std::optional<TSignColour> colour = signColourOf(b))
            text += *colour == TSignColour::Red     ? "{R}"
                    : *colour == TSignColour::Green ? "{G}"
                                                    : "{Y}";
        else
            text += listedSignChar(b);
    }
    return text;
}

std::vector<std::string> hexDumpStream(const std::vector<std::string>& lines, int start,
                                       int width) {
    std::vector<std::string> dump;
    dump.reserve(lines.size());
    TSendBuffer buffer;
    TBlock block;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // One record at a time: the record of block i, built as the first of a message that
        // starts i lines further down, has the same bytes.
        buildSignStream(buffer, block, {lines[i]}, start + static_cast<int>(i), width);
        const std::string_view bytes = buffer.bytes();
        TSignRecord record;
        record.offset = offset;
        record.length = bytes.size();
        record.address = std::string(bytes.substr(1, 2));
        record.body = std::string(bytes.substr(3, bytes.size() - 4));
        TStreamDecoder::decodeBody(record);

        std::string line = "@" + std::to_string(offset) + " line " + record.address + " pad " +
                           std::to_string(record.leadingPad) + "/" +
                           std::to_string(record.trailingPad) + ":";
        line.reserve(line.size() + 3 * bytes.size() + 2 * record.body.size());
        for (char b : bytes) {
            line.push_back(' ');
            appendHex(line, static_cast<unsigned char>(b));
        }
        line += "  ";
        line += annotatedRecordText(record);
        dump.push_back(std::move(line));
        offset += bytes.size();
    }
    return dump;
}
