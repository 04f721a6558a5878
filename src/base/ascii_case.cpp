#include "base/ascii_case.h"

#include <algorithm>

namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

std::string foldAsciiCase(std::string_view s) {
    std::string folded(s);
    std::transform(folded.begin(), folded.end(), folded.begin(), asciiLower);
    return folded;
}
