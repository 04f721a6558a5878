#include "model/message_file.h"

#include "model/errors.h"
#include "model/safe_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string withReason(const std::string& message, const std::string& reason) {
    if (reason.empty())
        return message;
    return message + "\n" + reason;
}

} // namespace

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
    } catch (const ESafeWriteError& error) {
        throw EFCreateError(withReason("Cannot create file " + path, error.what()));
    }
}

std::vector<std::string> readMessageFile(const std::string& path) {
    const std::string message = "Cannot open file " + path;
    // Non-blocking, so that a FIFO or device chosen by mistake cannot hang the editor; only
    // regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw EFOpenError(withReason(message, std::strerror(errno)));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : 0;
        ::close(fd);
        throw EFOpenError(withReason(message, error ? std::strerror(error) : "Not a regular file"));
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            throw EFOpenError(withReason(message, std::strerror(error)));
        }
        data.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return splitMessageLines(data);
}
