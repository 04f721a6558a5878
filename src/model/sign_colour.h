#pragma once

// The sign's three colours, numbered as the colour markup numbers them.
enum class TSignColour : unsigned char { Red = 0, Green = 1, Yellow = 2 };

// Whether a character flashes on the sign.
enum class TFlash : unsigned char { Steady = 0, Flashing = 1 };

// What a flash toggle makes of `flash`.
constexpr TFlash toggled(TFlash flash) {
    return flash == TFlash::Steady ? TFlash::Flashing : TFlash::Steady;
}
