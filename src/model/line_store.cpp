#include "model/line_store.h"

#include "model/message_file.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace {

// Bytes that no line uses are kept up to this much, however few the lines hold.
constexpr std::size_t kUnusedAllowance = 1 << 20;

// The parts of a line's place (TLineStore::TSpan).
constexpr unsigned kOffsetBits = 40;
constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << kOffsetBits) - 1;
constexpr std::uint64_t kLongLine = (std::uint64_t{1} << 23) - 1; // its length stands before it
constexpr std::uint64_t kAddedBit = std::uint64_t{1} << 63;
constexpr std::size_t kLengthBytes = sizeof(std::uint64_t);

std::uint64_t place(bool added, std::size_t offset, std::size_t length) {
    return (added ? kAddedBit : 0) | (static_cast<std::uint64_t>(length) << kOffsetBits) |
           static_cast<std::uint64_t>(offset);
}

} // namespace

TLineStore::TLineStore(const std::vector<std::string>& lines) {
    insert(0, lines);
}

TLineStore TLineStore::fromMessageBytes(std::string bytes) {
    TLineStore store;
    std::size_t count = 0;
    scanMessageLines(bytes, [&count](std::size_t, std::size_t) { ++count; });
    store.spans_.reserve(count);
    scanMessageLines(bytes, [&](std::size_t begin, std::size_t length) {
        // A line of 8 MB or more is kept apart, with its length before it.
        store.spans_.push_back(length < kLongLine && begin <= kOffsetMask
                                   ? place(false, begin, length)
                                   : store.append(std::string_view(bytes).substr(begin, length)));
        store.used_ += length;
    });
    // The line breaks, and the bytes after a NUL byte, belong to no line.
    store.read_ = std::move(bytes);
    return store;
}

std::string_view TLineStore::operator[](std::size_t row) const {
    const TSpan span = spans_[row];
    const std::string& buffer = (span & kAddedBit) ? added_ : read_;
    std::size_t offset = static_cast<std::size_t>(span & kOffsetMask);
    std::size_t length = static_cast<std::size_t>((span >> kOffsetBits) & kLongLine);
    if (length == kLongLine) {
        std::uint64_t stored = 0;
        std::memcpy(&stored, buffer.data() + offset, kLengthBytes);
        length = static_cast<std::size_t>(stored);
        offset += kLengthBytes;
    }
    return std::string_view(buffer).substr(offset, length);
}

std::string_view TLineStore::at(std::size_t row) const {
    if (row >= size())
        throw std::out_of_range("TLineStore::at");
    return (*this)[row];
}

std::vector<std::string> TLineStore::copy(std::size_t row, std::size_t count) const {
    std::vector<std::string> lines;
    if (row >= size())
        return lines;
    count = std::min(count, size() - row);
    lines.reserve(count);
    for (std::size_t i = row; i < row + count; ++i)
        lines.emplace_back((*this)[i]);
    return lines;
}

bool TLineStore::operator==(const std::vector<std::string>& lines) const {
    if (lines.size() != size())
        return false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if ((*this)[i] != lines[i])
            return false;
    }
    return true;
}

bool TLineStore::operator==(const TLineStore& other) const {
    return size() == other.size() && std::equal(begin(), end(), other.begin());
}

TLineStore::TSpan TLineStore::put(std::string& buffer, std::string_view line, bool added) {
    const std::size_t offset = buffer.size();
    const bool isLong = line.size() >= kLongLine;
    if (offset > kOffsetMask || line.size() > kOffsetMask)
        throw std::length_error("TLineStore: more than 1 TB");
    if (isLong) {
        const std::uint64_t length = line.size();
        buffer.append(reinterpret_cast<const char*>(&length), kLengthBytes);
    }
    buffer.append(line);
    return place(added, offset, isLong ? kLongLine : line.size());
}

void TLineStore::insert(std::size_t row, std::string_view line) {
    // A line of this store itself is copied first: appending may move the buffer it is in.
    const std::string own(line);
    const TSpan span = append(own);
    used_ += own.size();
    spans_.insert(spans_.begin() + static_cast<std::ptrdiff_t>(std::min(row, size())), span);
}

void TLineStore::insert(std::size_t row, const std::vector<std::string>& lines) {
    std::size_t total = 0;
    for (const std::string& line : lines)
        total += line.size();
    added_.reserve(added_.size() + total);
    std::vector<TSpan> spans;
    spans.reserve(lines.size());
    for (const std::string& line : lines)
        spans.push_back(append(line));
    used_ += total;
    spans_.insert(spans_.begin() + static_cast<std::ptrdiff_t>(std::min(row, size())),
                  spans.begin(), spans.end());
}

void TLineStore::replace(std::size_t row, std::string_view line) {
    const std::string own(line);
    const std::size_t released = at(row).size();
    spans_[row] = append(own);
    used_ += own.size();
    used_ -= released;
    dropUnused(released);
}

void TLineStore::erase(std::size_t row, std::size_t count) {
    if (row >= size())
        return;
    count = std::min(count, size() - row);
    const auto first = spans_.begin() + static_cast<std::ptrdiff_t>(row);
    const auto last = first + static_cast<std::ptrdiff_t>(count);
    std::size_t released = 0;
    for (std::size_t i = row; i < row + count; ++i)
        released += (*this)[i].size();
    spans_.erase(first, last);
    used_ -= released;
    dropUnused(released);
}

void TLineStore::move(std::size_t from, std::size_t to) {
    if (from >= size() || to >= size() || from == to)
        return;
    const auto source = spans_.begin() + static_cast<std::ptrdiff_t>(from);
    const auto target = spans_.begin() + static_cast<std::ptrdiff_t>(to);
    if (to > from)
        std::rotate(source, source + 1, target + 1);
    else
        std::rotate(target, source, source + 1);
}

void TLineStore::swap(TLineStore& other) noexcept {
    read_.swap(other.read_);
    added_.swap(other.added_);
    spans_.swap(other.spans_);
    std::swap(used_, other.used_);
}

void TLineStore::dropUnused(std::size_t released) {
    if (released == 0)
        return;
    const std::size_t held = read_.size() + added_.size();
    if (held - used_ <= std::max(used_, kUnusedAllowance))
        return;
    // Every line into one buffer of its own size, in order.
    std::string packed;
    packed.reserve(used_);
    std::vector<TSpan> spans;
    spans.reserve(spans_.size());
    for (std::size_t i = 0; i < spans_.size(); ++i)
        spans.push_back(put(packed, (*this)[i], false));
    read_.swap(packed);
    std::string().swap(added_);
    spans_.swap(spans);
}

std::string joinMessageLines(const TLineStore& lines) {
    std::size_t total = 0;
    for (std::string_view line : lines)
        total += line.size() + 2;
    std::string bytes;
    bytes.reserve(total);
    for (std::string_view line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}
