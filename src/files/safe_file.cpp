#include "files/safe_file.h"

#include "files/file_platform.h"

#include <algorithm>
#include <optional>

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

// A hidden file beside `target` that is removed again unless it has become the target.
class TempFile {
public:
    explicit TempFile(const std::string& target) {
        const std::string folder = target.find('/') == std::string::npos ? "" : folderOf(target);
        file_ = fileCreateUnique(folder + "." + nameOf(target) + ".", path_);
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
void rewriteOpenFile(TFileHandle file, std::string_view bytes) {
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
    } catch (...) {
        fileCloseQuietly(file);
        throw;
    }
    fileClose(file);
}

} // namespace

void writeFileSafely(const std::string& path, std::string_view bytes) {
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
            rewriteOpenFile(file, bytes);
            return;
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
    temp.closeFile();
    fileRename(temp.path(), target);
    temp.release();
}

void rewriteFileInPlace(const std::string& path, std::string_view bytes) {
    rewriteOpenFile(fileOpenForWrite(path, false), bytes);
}

bool directoryTakesNewFiles(const std::string& path) {
    return fileFolderTakesNewFiles(folderOf(fileLinkTarget(path)));
}
