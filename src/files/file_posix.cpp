// The file code's platform calls on POSIX systems.
#include "files/file_errors.h"
#include "files/file_platform.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void failWith(int error) {
    throw EFileSystemError(error, std::strerror(error), error == ENOENT || error == ENOTDIR);
}

int fdOf(TFileHandle file) {
    return static_cast<int>(file);
}

TFileStatus statusFrom(const struct stat& info) {
    TFileStatus status;
    status.kind = S_ISREG(info.st_mode)   ? TFileKind::Regular
                  : S_ISDIR(info.st_mode) ? TFileKind::Directory
                                          : TFileKind::Other;
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.access = info.st_mode & 07777;
    status.owner = info.st_uid;
    status.group = info.st_gid;
    status.device = static_cast<std::uint64_t>(info.st_dev);
    status.inode = static_cast<std::uint64_t>(info.st_ino);
    status.modifiedNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return status;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

void fileFail(TFileFault fault) {
    failWith(fault == TFileFault::IsDirectory ? EISDIR : EIO);
}

std::string fileLinkTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            return resolved;
    }
    return path;
}

TFileStatus fileStatusAt(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return statusFrom(info);
}

TFileStatus fileStatusOfEntry(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return {};
    TFileStatus status = statusFrom(info);
    if (S_ISLNK(info.st_mode))
        status.kind = TFileKind::Other;
    return status;
}

bool fileNameIsFree(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

std::vector<std::string> fileFolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

std::size_t fileNameMax(const std::string& folder) {
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 ? static_cast<std::size_t>(max) : NAME_MAX;
}

void fileMakeFolders(const std::string& path, std::uint32_t mode) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
            failWith(errno);
        if (slash == std::string::npos)
            break;
    }
    if (fileStatusAt(path).kind != TFileKind::Directory)
        failWith(ENOTDIR);
}

TFileStatus fileStatusOf(TFileHandle file) {
    struct stat info {};
    if (::fstat(fdOf(file), &info) != 0)
        failWith(errno);
    return statusFrom(info);
}

TFileHandle fileOpenForRead(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        failWith(errno);
    return fd;
}

TFileHandle fileOpenForWrite(const std::string& path, bool followLink) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK |
                                            (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0)
        failWith(errno);
    return fd;
}

TFileHandle fileCreateUnique(const std::string& stem, std::string& created) {
    std::vector<char> name(stem.begin(), stem.end());
    for (const char c : std::string_view("XXXXXX"))
        name.push_back(c);
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        failWith(errno);
    created = name.data();
    return fd;
}

std::size_t fileRead(TFileHandle file, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fdOf(file), buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            failWith(errno);
    }
}

std::size_t fileWrite(TFileHandle file, std::string_view bytes) {
    for (;;) {
        const ssize_t n = ::write(fdOf(file), bytes.data(), bytes.size());
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            failWith(errno);
    }
}

std::size_t fileWriteAt(TFileHandle file, std::string_view bytes, std::uint64_t offset) {
    for (;;) {
        const ssize_t n =
            ::pwrite(fdOf(file), bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            failWith(errno);
    }
}

void fileResize(TFileHandle file, std::uint64_t size) {
    if (::ftruncate(fdOf(file), static_cast<off_t>(size)) != 0)
        failWith(errno);
}

void fileSync(TFileHandle file) {
    if (::fsync(fdOf(file)) != 0)
        failWith(errno);
}

void fileClose(TFileHandle file) {
    if (::close(fdOf(file)) != 0)
        failWith(errno);
}

void fileCloseQuietly(TFileHandle file) {
    ::close(fdOf(file));
}

void fileCopyAccess(TFileHandle file, const TFileStatus& status) {
    ::fchmod(fdOf(file), static_cast<mode_t>(status.access));
    if (::geteuid() == 0) [[maybe_unused]]
        int ignored = ::fchown(fdOf(file), status.owner, status.group);
}

void fileGiveNewAccess(TFileHandle file) {
    ::fchmod(fdOf(file), 0666 & ~currentUmask());
}

void fileRename(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        failWith(errno);
}

void fileRemoveQuietly(const std::string& path) {
    ::unlink(path.c_str());
}

bool fileFolderTakesNewFiles(const std::string& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}
