#include "base/whole_number.h"

#include <charconv>
#include <limits>

std::optional<long long> parseWholeNumber(std::string_view text, TNumberForm form) {
    std::string_view digits = text;
    int base = 10;
    bool negative = false;
    if (form == TNumberForm::SignedOrHex && text.size() > 2 && text[0] == '0' &&
        (text[1] == 'x' || text[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    } else if (form != TNumberForm::Digits && !digits.empty() &&
               (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty())
        return std::nullopt;
    // An unsigned conversion takes no sign of its own: "+-5" and "0x-5" are no numbers.
    unsigned long long magnitude = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (end != digits.data() + digits.size() ||
        (error != std::errc() && error != std::errc::result_out_of_range))
        return std::nullopt;

    constexpr auto kMost = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    const bool tooLarge = error == std::errc::result_out_of_range;
    if (negative) {
        if (tooLarge || magnitude > kMost)
            return std::numeric_limits<long long>::min();
        return -static_cast<long long>(magnitude);
    }
    if (tooLarge || magnitude > kMost)
        return std::numeric_limits<long long>::max();
    return static_cast<long long>(magnitude);
}
