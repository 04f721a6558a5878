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
    std::vector<std::string> lines;
    const std::size_t end = std::min(data.find('\0'), data.size());
    // Room for every line at once: a list grown by doubling keeps up to as much again unused.
    std::size_t count = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (data[i] == '\n' || (data[i] == '\r' && (i + 1 == end || data[i + 1] != '\n')))
            ++count;
    }
    lines.reserve(count + 1);
    std::size_t pos = 0;
    while (pos < end) {
        std::size_t stop = pos;
        while (stop < end && data[stop] != '\r' && data[stop] != '\n')
            ++stop;
        lines.emplace_back(data.substr(pos, stop - pos));
        pos = stop;
        if (pos < end && data[pos] == '\r')
            ++pos;
        if (pos < end && data[pos] == '\n')
            ++pos;
    }
    return lines;
}

TDiskVersion writeMessageFile(const std::string& path, const std::vector<std::string>& lines) {
    try {
        const std::string bytes = joinMessageLines(lines);
        return diskVersionOf(writeFileSafely(path, bytes), bytes);
    } catch (const EFileSystemError& error) {
        throw EFCreateError(
            failureText(fillIn(uiText("Files", "Cannot create file %1"), {path}), error.what()));
    }
}

std::vector<std::string> readMessageFile(const std::string& path,
                                         std::optional<std::size_t>* nulOffset,
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
    return splitMessageLines(data);
}

std::optional<std::size_t> messageNulOffset(std::string_view data) {
    const std::size_t nul = data.find('\0');
    return nul == std::string::npos ? std::nullopt : std::optional<std::size_t>(nul);
}
