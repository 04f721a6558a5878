#include "sign/sign_face.h"

#include <algorithm>

void TSignMemory::take(const TSignRecord& record) {
    lines_[record.address] = record;
}

const TSignRecord* TSignMemory::line(const std::string& address) const {
    const auto found = lines_.find(address);
    return found == lines_.end() ? nullptr : &found->second;
}

TSignFace TSignMemory::face(int lines, int columns) const {
    TSignFace face;
    face.columns = std::max(1, columns);
    if (lines > 0) {
        face.lines.reserve(static_cast<std::size_t>(lines));
        for (int n = 1; n <= lines; ++n) {
            TSignFaceLine line{signLineAddress(n), std::nullopt};
            if (const TSignRecord* record = this->line(line.address))
                line.record = *record;
            face.lines.push_back(std::move(line));
        }
        return face;
    }
    face.lines.reserve(lines_.size());
    for (const auto& [address, record] : lines_)
        face.lines.push_back(TSignFaceLine{address, record});
    return face;
}

std::string signLineAddress(int line) {
    const int n = std::clamp(line, 0, 99);
    return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}
