#include "sign/sign_face.h"

#include <algorithm>

namespace {

// The place of a two-digit address, or none for anything else.
std::optional<std::size_t> placeOf(const std::string& address) {
    if (address.size() != 2 || address[0] < '0' || address[0] > '9' || address[1] < '0' ||
        address[1] > '9')
        return std::nullopt;
    return static_cast<std::size_t>((address[0] - '0') * 10 + (address[1] - '0'));
}

} // namespace

void TSignMemory::take(TSignRecord record) {
    const std::optional<std::size_t> place = placeOf(record.address);
    if (!place)
        return;
    std::optional<TSignRecord>& line = lines_[*place];
    if (!line)
        ++held_;
    line = std::move(record);
}

void TSignMemory::clear() {
    for (std::optional<TSignRecord>& line : lines_)
        line.reset();
    held_ = 0;
}

const TSignRecord* TSignMemory::line(const std::string& address) const {
    const std::optional<std::size_t> place = placeOf(address);
    return place && lines_[*place] ? &*lines_[*place] : nullptr;
}

TSignFace TSignMemory::face(int lines, int columns) const {
    TSignFace face;
    face.columns = std::max(1, columns);
    if (lines > 0) {
        const int shown = std::min(lines, static_cast<int>(lines_.size()) - 1);
        face.lines.reserve(static_cast<std::size_t>(shown));
        for (int n = 1; n <= shown; ++n)
            face.lines.push_back({signLineAddress(n), lines_[static_cast<std::size_t>(n)]});
        return face;
    }
    face.lines.reserve(held_);
    for (std::size_t n = 0; n < lines_.size(); ++n) {
        if (lines_[n])
            face.lines.push_back({signLineAddress(static_cast<int>(n)), lines_[n]});
    }
    return face;
}

std::string signLineAddress(int line) {
    const int n = std::clamp(line, 0, 99);
    return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}
