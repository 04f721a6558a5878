#pragma once

#include "model/sign_colour.h"

#include <optional>

// The bytes that carry meaning in the sign data stream. A record is kSignStart, two address
// digits, the text with its colour bytes and flash toggles, and kSignEnd; every other byte is a
// character for the sign.
constexpr unsigned char kSignStart = 0x02;
constexpr unsigned char kSignEnd = 0x03;
constexpr unsigned char kSignRed = 0x17;
constexpr unsigned char kSignGreen = 0x05;
constexpr unsigned char kSignYellow = 0x06;
constexpr unsigned char kSignFlash = 0x0F;

// The byte that makes the characters after it `colour`.
constexpr unsigned char signColourByte(TSignColour colour) {
    switch (colour) {
    case TSignColour::Red:
        return kSignRed;
    case TSignColour::Green:
        return kSignGreen;
    case TSignColour::Yellow:
        break;
    }
    return kSignYellow;
}

// The colour that the byte `b` sets, or nothing when `b` is not a colour byte.
constexpr std::optional<TSignColour> signColourOf(unsigned char b) {
    switch (b) {
    case kSignRed:
        return TSignColour::Red;
    case kSignGreen:
        return TSignColour::Green;
    case kSignYellow:
        return TSignColour::Yellow;
    default:
        return std::nullopt;
    }
}
