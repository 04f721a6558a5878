#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

// The lines of a message, kept compactly: their bytes in one buffer (those of the file they
// were read from, as read) and 8 bytes a line saying where each stands, where a string per
// line costs about 50 bytes beside its text. Lines put in later go to a second buffer; the
// bytes that no line uses any more are given up once they come to as much as the lines hold.
//
// A line is read as a view of its bytes, valid until the store next changes.
class TLineStore {
public:
    TLineStore() = default;
    explicit TLineStore(const std::vector<std::string>& lines);
    TLineStore(const TLineStore&) = default;
    TLineStore& operator=(const TLineStore&) = default;
    // The store moved from is left empty.
    TLineStore(TLineStore&& other) noexcept { swap(other); }
    TLineStore& operator=(TLineStore&& other) noexcept {
        TLineStore taken;
        taken.swap(other);
        swap(taken);
        return *this;
    }
    // The lines of a message file's bytes, split as splitMessageLines splits them, kept in
    // those bytes.
    static TLineStore fromMessageBytes(std::string bytes);

    std::size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }
    std::string_view operator[](std::size_t row) const;
    // Throws std::out_of_range for a row past the end.
    std::string_view at(std::size_t row) const;
    // Copies of `count` lines from `row` on (fewer at the end).
    std::vector<std::string> copy(std::size_t row, std::size_t count) const;
    std::vector<std::string> toVector() const { return copy(0, size()); }
    bool operator==(const std::vector<std::string>& lines) const;
    bool operator==(const TLineStore& other) const;

    // Each throws std::length_error, and changes nothing, when the store would pass 1 TB.
    void insert(std::size_t row, std::string_view line);
    void insert(std::size_t row, const std::vector<std::string>& lines);
    void replace(std::size_t row, std::string_view line);
    void erase(std::size_t row, std::size_t count);
    // Takes the line at `from` out and puts it back so that it stands at `to`.
    void move(std::size_t from, std::size_t to);
    void swap(TLineStore& other) noexcept;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const TLineStore* store, std::size_t row)
            : store_(store)
            , row_(row) {}
        std::string_view operator*() const { return (*store_)[row_]; }
        const_iterator& operator++() {
            ++row_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++row_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return row_ == other.row_; }

    private:
        const TLineStore* store_ = nullptr;
        std::size_t row_ = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    // Where a line stands, in 8 bytes: its offset (40 bits), its length (23 bits; for a line
    // of 8 MB or more the length stands in 8 bytes at the offset, before the line), and
    // whether it is in the buffer of the lines put in later (the top bit).
    using TSpan = std::uint64_t;

    // Puts `line` at the end of `buffer`, of the read lines or the added ones.
    static TSpan put(std::string& buffer, std::string_view line, bool added);
    TSpan append(std::string_view line) { return put(added_, line, true); }
    // Gives up the bytes that no line uses once they come to as much as the lines hold.
    void dropUnused(std::size_t released);

    std::string read_;
    std::string added_;
    std::vector<TSpan> spans_;
    std::size_t used_ = 0; // bytes of the lines
};

// A message file's bytes for these lines (see joinMessageLines).
std::string joinMessageLines(const TLineStore& lines);
