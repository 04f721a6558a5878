#include "sign/control_bytes.h"

#include "base/ui_text.h"
#include "model/block.h"
#include "sign/sign_protocol.h"

#include <cstdio>

bool isSignControlByte(unsigned char byte) {
    return byte == kSignStart || byte == kSignEnd || byte == kSignFlash ||
           signColourOf(byte).has_value();
}

std::optional<TControlByte> firstControlByte(std::string_view line) {
    // No markup code holds a control byte, so every one of the kept text reaches the sign.
    const std::string_view text = splitBlockLine(line).text.substr(0, kMaxBlockText);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (isSignControlByte(byte))
            return TControlByte{byte, i + 1};
    }
    return std::nullopt;
}

std::string controlByteMeaning(unsigned char byte) {
    switch (byte) {
    case kSignStart:
        return uiText("ControlBytes", "the start of a record");
    case kSignEnd:
        return uiText("ControlBytes", "the end of a record");
    case kSignFlash:
        return uiText("ControlBytes", "a flash toggle");
    default:
        break;
    }
    switch (signColourOf(byte).value_or(TSignColour::Red)) {
    case TSignColour::Red:
        return uiText("ControlBytes", "the colour red");
    case TSignColour::Green:
        return uiText("ControlBytes", "the colour green");
    case TSignColour::Yellow:
        break;
    }
    return uiText("ControlBytes", "the colour yellow");
}

std::string controlByteName(unsigned char byte) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    return hex;
}

std::string controlByteWarning(std::size_t index, const TControlByte& control) {
    return fillIn(uiText("ControlBytes", "Block %1 holds the control byte %2 at column %3: the "
                                         "sign reads it as %4."),
                  {std::to_string(index + 1), controlByteName(control.byte),
                   std::to_string(control.column), controlByteMeaning(control.byte)});
}

std::vector<std::string> controlByteWarnings(const std::vector<std::string>& lines) {
    std::vector<std::string> warnings;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const std::optional<TControlByte> control = firstControlByte(lines[i]))
            warnings.push_back(controlByteWarning(i, *control));
    }
    return warnings;
}
