#include "files/safe_file.h"

#include "base/process_identity.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace {

// The folder part of `path` with its last slash, or "." for a bare name.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// The name after the folder part.
std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the temporary files of this program carry after the target's name, before the number
// of the process that made them.
constexpr std::string_view kTempTag = ".lumavane-";
// The random end that the platform gives a new unique file: a dot and six characters.
constexpr std::size_t kUniqueEnd = 7;
// The longest process number, in digits.
constexpr std::size_t kPidDigits = 10;

// A short fingerprint of a name, as eight hexadecimal digits.
std::string nameHash(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    static const char* digits = "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, hash >>= 4)
        text[static_cast<std::size_t>(i)] = digits[hash & 15];
    return text;
}

} // namespace

std::string tempFileStem(const std::string& name, std::size_t nameMax) {
    const std::size_t fixed = 1 + kTempTag.size() + kPidDigits + kUniqueEnd;
    // A file system of very short names gets the name as it is, and refuses it.
    if (nameMax <= fixed + 16 || name.size() <= nameMax - fixed)
        return name;
    const std::size_t room = nameMax - fixed;
    // Cut where no character of several bytes is split, and told apart from other long names
    // that begin alike by a fingerprint of the whole name.
    std::size_t cut = room - 9;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut) + "~" + nameHash(name);
}

std::optional<long> tempFileWriter(const std::string& entry, const std::string& stem) {
    const std::string head = "." + stem + std::string(kTempTag);
    if (entry.size() < head.size() + 1 + kUniqueEnd || entry.compare(0, head.size(), head) != 0)
        return std::nullopt;
    const std::size_t dot = entry.size() - kUniqueEnd;
    if (entry[dot] != '.' || dot - head.size() > kPidDigits)
        return std::nullopt;
    long pid = 0;
    for (std::size_t i = head.size(); i < dot; ++i) {
        if (entry[i] < '0' || entry[i] > '9')
            return std::nullopt;
        pid = pid * 10 + (entry[i] - '0');
    }
    for (std::size_t i = dot + 1; i < entry.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(entry[i])))
            return std::nullopt;
    }
    return pid;
}

namespace {

// Removes the temporary files that earlier saves of `name` in `folder` left behind when they
// were stopped (the program killed, the machine off): only files of this program's making whose
// writer no longer runs. A process that runs under the same number but started after the file
// was last written is another program that got the number later.
void removeLeftovers(const std::string& folder, const std::string& stem, long self) {
    for (const std::string& entry : fileFolderEntries(folder.empty() ? "." : folder)) {
        const std::optional<long> pid = tempFileWriter(entry, stem);
        if (!pid || *pid == self)
            continue;
        const std::string path = folder + entry;
        const TFileStatus status = fileStatusOfEntry(path);
        if (status.kind != TFileKind::Regular)
            continue;
        const std::optional<std::int64_t> started = processStartTime(*pid);
        if (!started || *started > status.modifiedNs / 1000000000 + 1)
            fileRemoveQuietly(path);
    }
}

// A hidden file beside `target`, named after it and this program, that is removed again unless
// it has become the target.
class TempFile {
public:
    explicit TempFile(const std::string& target) {
        const std::string folder = target.find('/') == std::string::npos ? "" : folderOf(target);
        const std::string stem =
            tempFileStem(nameOf(target), fileNameMax(folder.empty() ? "." : folder));
        const long self = currentProcess().pid;
        removeLeftovers(folder, stem, self);
        file_ = fileCreateUnique(
            folder + "." + stem + std::string(kTempTag) + std::to_string(self) + ".", path_);
        open_ = true;
    }
    ~TempFile() {
        if (open_)
            fileCloseQuietly(file_);
        if (!path_.empty())
            fileRemoveQuietly(path_);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    TFileHandle file() const { return file_; }
    const std::string& path() const { return path_; }
    void closeFile() {
        open_ = false;
        fileClose(file_);
    }
    // The file has become the target: nothing is left to remove.
    void release() { path_.clear(); }

private:
    TFileHandle file_ = 0;
    bool open_ = false;
    std::string path_;
};

// Writes all of `bytes`, at `offset` of the file or, without one, where the file stands.
void writeAll(TFileHandle file, std::string_view bytes,
              std::optional<std::uint64_t> offset = std::nullopt) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::string_view rest = bytes.substr(done);
        const std::size_t n =
            offset ? fileWriteAt(file, rest, *offset + done) : fileWrite(file, rest);
        if (n == 0)
            fileFail(TFileFault::NoProgress);
        done += n;
    }
}

// Overwrites the open file with `bytes`, cuts it to their length and closes it. The part
// beyond the old length goes first: a full disk or a file size limit then refuses the write
// before any old byte has been touched.
TFileStatus rewriteOpenFile(TFileHandle file, std::string_view bytes) {
    TFileStatus written;
    try {
        const std::uint64_t oldLength = fileStatusOf(file).size;
        if (bytes.size() > oldLength) {
            try {
                writeAll(file, bytes.substr(oldLength), oldLength);
            } catch (...) {
                try {
                    fileResize(file, oldLength);
                } catch (...) {
                }
                throw;
            }
        }
        writeAll(file, bytes.substr(0, std::min<std::uint64_t>(bytes.size(), oldLength)), 0);
        fileResize(file, bytes.size());
        fileSync(file);
        written = fileStatusOf(file);
    } catch (...) {
        fileCloseQuietly(file);
        throw;
    }
    fileClose(file);
    return written;
}

} // namespace

TFileStatus writeFileSafely(const std::string& path, std::string_view bytes) {
    const std::string target = fileLinkTarget(path);
    const TFileStatus existing = fileStatusAt(target);
    if (existing.kind == TFileKind::Directory)
        fileFail(TFileFault::IsDirectory);

    if (existing.kind == TFileKind::Regular) {
        // Renaming over a file needs only the folder's permission: a file that the user may not
        // write is refused here, as writing it directly would be.
        const TFileHandle file = fileOpenForWrite(target, true);
        if (!directoryTakesNewFiles(target)) {
            // No temporary file can be made beside it: the file itself is rewritten.
            return rewriteOpenFile(file, bytes);
        }
        fileCloseQuietly(file);
    }

    TempFile temp(target);
    if (existing.kind != TFileKind::Missing)
        fileCopyAccess(temp.file(), existing);
    else
        fileGiveNewAccess(temp.file());
    writeAll(temp.file(), bytes);
    fileSync(temp.file());
    // The file keeps what it is through the rename: its number and the time of its bytes.
    const TFileStatus written = fileStatusOf(temp.file());
    temp.closeFile();
    fileRename(temp.path(), target);
    temp.release();
    return written;
}

TFileStatus rewriteFileInPlace(const std::string& path, std::string_view bytes) {
    return rewriteOpenFile(fileOpenForWrite(path, false), bytes);
}

bool newFileCanBeMadeAt(const std::string& path) {
    return fileNameIsFree(path) && fileStatusAt(folderOf(path)).kind == TFileKind::Directory;
}

bool directoryTakesNewFiles(const std::string& path) {
    return fileFolderTakesNewFiles(folderOf(fileLinkTarget(path)));
}
