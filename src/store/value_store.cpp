#include "store/value_store.h"

#include "base/ascii_case.h"
#include "base/error_text.h"
#include "base/ui_text.h"
#include "base/whole_number.h"
#include "files/file_errors.h"
#include "files/safe_file.h"
#include "files/whole_file.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <optional>

namespace {

constexpr std::string_view kRecordMark = "||++";
constexpr std::string_view kDataMark = "||->";
constexpr std::size_t kHeaderLength = 16;
constexpr std::size_t kNameField = kStoreNameLength + 1;
constexpr std::size_t kKeyField = kStoreKeyLength + 1;

std::string header() {
    std::string bytes(kHeaderLength, '\0');
    bytes[0] = '0';
    bytes[1] = '3';
    return bytes;
}

// A zero-ended field: the bytes up to the first zero.
std::string fieldText(std::string_view field) {
    return std::string(field.substr(0, std::min(field.find('\0'), field.size())));
}

// `text` cut to `length` characters and filled with zeros to the field's width.
void appendField(std::string& out, std::string_view text, std::size_t length) {
    const std::string_view kept = text.substr(0, length);
    out.append(kept);
    out.append(length + 1 - kept.size(), '\0');
}

void appendUint32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t readUint32(std::string_view bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return value;
}

} // namespace

std::string TStoreRecord::text() const {
    return fieldText(Data);
}

int storedWholeNumber(std::string_view text) {
    const std::optional<long long> value = parseWholeNumber(text, TNumberForm::Signed);
    return value ? static_cast<int>(std::clamp<long long>(*value, INT_MIN, INT_MAX)) : 0;
}

std::string normaliseStoreKey(std::string_view key) {
    std::string out(key);
    for (std::size_t at; (at = out.find("\\\\")) != std::string::npos;)
        out.erase(at, 1);
    if (!out.empty() && out.front() == '\\')
        out.erase(0, 1);
    if (!out.empty() && out.back() == '\\')
        out.pop_back();
    if (out.size() > kStoreKeyLength)
        out.resize(kStoreKeyLength);
    return out;
}

bool sameStoreName(std::string_view a, std::string_view b) {
    return sameIgnoringAsciiCase(a, b);
}

const TStoreRecord* TValueStore::find(std::string_view name, std::string_view key) const {
    for (const TStoreRecord& record : records_) {
        if (sameStoreName(record.Name, name) && sameStoreName(record.Key, key))
            return &record;
    }
    return nullptr;
}

void TValueStore::putText(std::string_view name, std::string_view key, std::string_view text) {
    TStoreRecord record;
    record.Name = std::string(name.substr(0, kStoreNameLength));
    record.Key = std::string(key.substr(0, kStoreKeyLength));
    record.Type = kStoreText;
    record.Data = std::string(text);
    record.Data.push_back('\0');
    std::erase_if(records_, [&](const TStoreRecord& r) {
        return sameStoreName(r.Name, record.Name) && sameStoreName(r.Key, record.Key);
    });
    records_.push_back(std::move(record));
}

void TValueStore::parse(std::string_view bytes) {
    records_.clear();
    if (bytes.size() < 2 || bytes.substr(0, 2) != "03")
        return;
    std::size_t at = kHeaderLength;
    constexpr std::size_t fixedPart = kNameField + kKeyField + 1 + 4;
    while (at < bytes.size()) {
        if (bytes.substr(at, 4) != kRecordMark)
            return;
        at += 4;
        if (bytes.size() - at < fixedPart + 4)
            return;
        TStoreRecord record;
        // A field whose terminating zero is missing gives its longest text, the most that a
        // save keeps.
        record.Name = fieldText(bytes.substr(at, kStoreNameLength));
        record.Key = fieldText(bytes.substr(at + kNameField, kStoreKeyLength));
        record.Type = static_cast<std::uint8_t>(bytes[at + kNameField + kKeyField]);
        const std::uint32_t size = readUint32(bytes.substr(at + kNameField + kKeyField + 1, 4));
        at += fixedPart;
        if (bytes.substr(at, 4) != kDataMark)
            return;
        at += 4;
        if (bytes.size() - at < size)
            return;
        record.Data = std::string(bytes.substr(at, size));
        at += size;
        records_.push_back(std::move(record));
    }
}

std::string TValueStore::serialise() const {
    std::string out = header();
    for (const TStoreRecord& record : records_) {
        out.append(kRecordMark);
        appendField(out, record.Name, kStoreNameLength);
        appendField(out, record.Key, kStoreKeyLength);
        out.push_back(static_cast<char>(record.Type));
        appendUint32(out, static_cast<std::uint32_t>(record.Data.size()));
        out.append(kDataMark);
        out.append(record.Data);
    }
    out += header();
    return out;
}

void TValueStore::load(const std::string& path) {
    records_.clear();
    std::string bytes;
    std::string reason;
    if (readRegularFile(path, bytes, reason) != TReadResult::Ok)
        throw EFOpenError(failureLine(
            fillIn(uiText("Files", "Cannot read the remembered values from %1"), {path}), reason));
    parse(bytes);
}

void TValueStore::save(const std::string& path) const {
    try {
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        if (!parent.empty())
            std::filesystem::create_directories(parent);
        writeFileSafely(path, serialise());
    } catch (const std::exception& error) {
        throw EFCreateError(
            failureLine(fillIn(uiText("Files", "Cannot write the remembered values to %1"), {path}),
                        error.what()));
    }
}
