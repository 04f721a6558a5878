#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Longest stored name and record key, each kept with a terminating zero in its field.
constexpr std::size_t kStoreNameLength = 23;
constexpr std::size_t kStoreKeyLength = 63;

// Kinds of stored values.
constexpr std::uint8_t kStoreText = 1;
constexpr std::uint8_t kStoreBinary = 2;

// One remembered value: its name and record key, its kind, and its data bytes (for a text, its
// characters followed by one zero byte).
struct TStoreRecord {
    std::string Name;
    std::string Key;
    std::uint8_t Type = kStoreText;
    std::string Data;

    // The text of a text record: the data up to its first zero byte.
    std::string text() const;
};

// The whole number that a remembered text stands for: decimal digits after an optional sign;
// 0 for any other text, and the nearer end of the int range beyond it. The field that takes it
// brings it within its own bounds.
int storedWholeNumber(std::string_view text);

// A record key made ready for use: each doubled backslash loses one of its two characters until
// none is left, then one leading and one trailing backslash go; then the first 63 characters.
std::string normaliseStoreKey(std::string_view key);

// Whether two names or keys are equal when the letters A to Z count as a to z.
bool sameStoreName(std::string_view a, std::string_view b);

// The remembered values of a store file, in file order. A record is found by its name and key.
class TValueStore {
public:
    const std::vector<TStoreRecord>& records() const { return records_; }

    // The first record with this name under this key, or null.
    const TStoreRecord* find(std::string_view name, std::string_view key) const;
    // Removes every record with this name under this key and adds a text record with `text` at
    // the end. The name and key are cut to their longest length.
    void putText(std::string_view name, std::string_view key, std::string_view text);

    // Replaces the records by those of the file bytes: none when the bytes do not start with
    // "03"; a file that breaks off gives the records read whole before the break.
    void parse(std::string_view bytes);
    // The file bytes: the header, every record in order, the trailer.
    std::string serialise() const;

    // Reads the file at `path`. Throws EFOpenError when it exists and cannot be read.
    void load(const std::string& path);
    // Replaces the file at `path` by serialise(), creating its directory when needed; the old
    // file stays whole when the write fails. Throws EFCreateError.
    void save(const std::string& path) const;

private:
    std::vector<TStoreRecord> records_;
};
