#pragma once

#include <optional>
#include <string_view>

// How a whole number may be written.
enum class TNumberForm {
    Digits,      // decimal digits only: "23", "007"
    Signed,      // decimal digits after an optional '+' or '-': "-5", "+5"
    SignedOrHex, // as Signed, or "0x" / "0X" and hexadecimal digits, no sign: "0x1F"
};

// The number that the whole of `text` spells in `form`; none for any other text (empty, a sign
// alone, spaces, a stray character). A number beyond the 64-bit range gives the nearer end of
// that range, so that a caller's own range check refuses it.
std::optional<long long> parseWholeNumber(std::string_view text, TNumberForm form);
