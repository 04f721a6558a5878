#include "model/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void fail(int error) {
    throw ESafeWriteError(error, std::strerror(error));
}

// Where the bytes really go: the target of a symbolic link, the path itself otherwise.
std::string resolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            return resolved;
    }
    return path;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

class TempFile {
public:
    explicit TempFile(const std::string& target) {
        const std::size_t slash = target.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
        std::string pattern =
            (slash == std::string::npos ? std::string() : dir) + "." + base + ".XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        fd_ = ::mkostemp(buffer.data(), O_CLOEXEC);
        if (fd_ < 0)
            fail(errno);
        path_ = buffer.data();
    }
    ~TempFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    void closeFile() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            fail(errno);
    }
    // The file has become the target: nothing is left to remove.
    void release() { path_.clear(); }

private:
    int fd_ = -1;
    std::string path_;
};

void writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            fail(EIO);
        done += static_cast<std::size_t>(n);
    }
}

// Writes all of `bytes` at `offset` of the file open on `fd`.
void writeAllAt(int fd, std::string_view bytes, off_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            fail(EIO);
        done += static_cast<std::size_t>(n);
    }
}

// Overwrites the file open on `fd` with `bytes`, cuts it to their length and closes it. The
// part beyond the old length goes first: a full disk or a file size limit then refuses the
// write before any old byte has been touched.
void rewriteOpenFile(int fd, std::string_view bytes) {
    try {
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            fail(errno);
        const auto oldLength = static_cast<std::size_t>(info.st_size);
        if (bytes.size() > oldLength) {
            try {
                writeAllAt(fd, bytes.substr(oldLength), info.st_size);
            } catch (...) {
                [[maybe_unused]] const int ignored = ::ftruncate(fd, info.st_size);
                throw;
            }
        }
        writeAllAt(fd, bytes.substr(0, std::min(bytes.size(), oldLength)), 0);
        if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0)
            fail(errno);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        fail(errno);
}

} // namespace

void writeFileSafely(const std::string& path, std::string_view bytes) {
    const std::string target = resolveTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        fail(EISDIR);

    if (exists && S_ISREG(existing.st_mode)) {
        // Renaming over a file needs only the folder's permission: a file that the user may not
        // write is refused here, as writing it directly would be.
        const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            fail(errno);
        if (!directoryTakesNewFiles(target)) {
            // No temporary file can be made beside it: the file itself is rewritten.
            rewriteOpenFile(fd, bytes);
            return;
        }
        ::close(fd);
    }

    TempFile temp(target);
    if (exists) {
        ::fchmod(temp.fd(), existing.st_mode & 07777);
        if (::geteuid() == 0) [[maybe_unused]]
            int ignored = ::fchown(temp.fd(), existing.st_uid, existing.st_gid);
    } else {
        ::fchmod(temp.fd(), 0666 & ~currentUmask());
    }
    writeAll(temp.fd(), bytes);
    if (::fsync(temp.fd()) != 0)
        fail(errno);
    temp.closeFile();
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
        fail(errno);
    temp.release();
}

void rewriteFileInPlace(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        fail(errno);
    rewriteOpenFile(fd, bytes);
}

bool directoryTakesNewFiles(const std::string& path) {
    const std::string target = resolveTarget(path);
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}
