#include "model/message_file.h"

#include "base/error_text.h"
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

void writeMessageFile(const std::string& path, const std::vector<std::string>& lines) {
    try {
        writeFileSafely(path, joinMessageLines(lines));
    } catch (const EFileSystemError& error) {
        throw EFCreateError(failureText("Cannot create file " + path, error.what()));
    }
}

std::vector<std::string> readMessageFile(const std::string& path,
                                         std::optional<std::size_t>* nulOffset) {
    std::string data;
    std::string reason;
    if (readRegularFile(path, data, reason) != TReadResult::Ok)
        throw EFOpenError(failureText("Cannot open file " + path, reason));
    if (nulOffset) {
        const std::size_t nul = data.find('\0');
        *nulOffset = nul == std::string::npos ? std::nullopt : std::optional<std::size_t>(nul);
    }
    return splitMessageLines(data);
}
