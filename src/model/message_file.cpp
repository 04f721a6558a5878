#include "model/message_file.h"

#include "base/error_text.h"
#include "base/ui_text.h"
#include "files/file_errors.h"
#include "files/safe_file.h"
#include "files/whole_file.h"

#include <algorithm>

std::string joinMessageLines(const std::vector<std::string>& lines) {
    std::size_t total = 0;
    for (const std::string& line : lines)
        total += line.size() + 2;
    std::string bytes;
    bytes.reserve(total);
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<std::string> splitMessageLines(std::string_view data) {
    // Room for every line at once: a list grown by doubling keeps up to as much again unused.
    std::size_t count = 0;
    scanMessageLines(data, [&count](std::size_t, std::size_t) { ++count; });
    std::vector<std::string> lines;
    lines.reserve(count);
    scanMessageLines(data, [&](std::size_t begin, std::size_t length) {
        lines.emplace_back(data.substr(begin, length));
    });
    return lines;
}

namespace {

TDiskVersion writeMessageBytes(const std::string& path, const std::string& bytes) {
    try {
        return diskVersionOf(writeFileSafely(path, bytes), bytes);
    } catch (const EFileSystemError& error) {
        throw EFCreateError(
            failureText(fillIn(uiText("Files", "Cannot create file %1"), {path}), error.what()));
    }
}

// The bytes of the message file at `path`, for readMessageFile.
std::string readMessageBytes(const std::string& path, std::optional<std::size_t>* nulOffset,
                             TDiskVersion* version) {
    std::string data;
    std::string reason;
    TFileStatus status;
    if (readRegularFile(path, data, reason, &status) != TReadResult::Ok)
        throw EFOpenError(
            failureText(fillIn(uiText("Files", "Cannot open file %1"), {path}), reason));
    if (nulOffset)
        *nulOffset = messageNulOffset(data);
    if (version)
        *version = diskVersionOf(status, data);
    return data;
}

} // namespace

TDiskVersion writeMessageFile(const std::string& path, const std::vector<std::string>& lines) {
    return writeMessageBytes(path, joinMessageLines(lines));
}

TDiskVersion writeMessageFile(const std::string& path, const TLineStore& lines) {
    return writeMessageBytes(path, joinMessageLines(lines));
}

std::vector<std::string> readMessageFile(const std::string& path,
                                         std::optional<std::size_t>* nulOffset,
                                         TDiskVersion* version) {
    return splitMessageLines(readMessageBytes(path, nulOffset, version));
}

TLineStore readMessageLines(const std::string& path, std::optional<std::size_t>* nulOffset,
                            TDiskVersion* version) {
    return TLineStore::fromMessageBytes(readMessageBytes(path, nulOffset, version));
}

std::optional<std::size_t> messageNulOffset(std::string_view data) {
    const std::size_t nul = data.find('\0');
    return nul == std::string::npos ? std::nullopt : std::optional<std::size_t>(nul);
}
