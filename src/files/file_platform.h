#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The platform's side of the file code: inspect, open, read, write, flush to the disk, rename
// and remove files. One source file per operating system implements these; how a save stays
// safe and how a read stays bounded (the order of the steps, what is undone on failure) is in
// the portable part, safe_file.cpp and whole_file.cpp. A failed call throws EFileSystemError
// (files/file_errors.h) with the platform's error and its text.

using TFileHandle = std::intptr_t;

enum class TFileKind { Missing, Regular, Directory, Other };

// What the platform knows of a file. `access`, `owner` and `group` are the platform's own
// values, only handed back to fileCopyAccess.
struct TFileStatus {
    TFileKind kind = TFileKind::Missing;
    std::uint64_t size = 0;
    std::uint32_t access = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    // Which file it is (the same pair: the same file, whatever its name) and when its bytes
    // last changed, in nanoseconds since the epoch.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;
};

// Failures that the portable part finds itself.
enum class TFileFault {
    IsDirectory, // a folder stands where a file should be
    NoProgress,  // a write took no byte and reported no error
};

// Throws the platform's error for `fault`.
[[noreturn]] void fileFail(TFileFault fault);

// The file that a symbolic link at `path` leads to (through every link on the way); `path`
// itself when it is no link or leads nowhere.
std::string fileLinkTarget(const std::string& path);

// The status of the file at `path`, following links; kind Missing when there is none or it
// cannot be inspected.
TFileStatus fileStatusAt(const std::string& path);

// The status of what stands at `path` itself, a symbolic link not followed.
TFileStatus fileStatusOfEntry(const std::string& path);

// Whether nothing at all stands at `path` (not even a dangling link) while the folder on its
// way can be searched: a new file could be made there under that name.
bool fileNameIsFree(const std::string& path);

// The names in the folder `folder`, "." and ".." left out; none when it cannot be read.
std::vector<std::string> fileFolderEntries(const std::string& folder);

// The longest file name, in bytes, that the file system of `folder` takes.
std::size_t fileNameMax(const std::string& folder);

// Makes the folder `path` and the folders on its way that are missing, new ones with the
// permissions `mode`. Throws.
void fileMakeFolders(const std::string& path, std::uint32_t mode);

// The status of an open file. Throws.
TFileStatus fileStatusOf(TFileHandle file);

// Opens the file at `path` for reading without ever waiting: a FIFO or a device in a file's
// place opens at once. The error of a path that names nothing says missing(). Throws.
TFileHandle fileOpenForRead(const std::string& path);

// Opens the existing file at `path` for writing, without waiting and without becoming a
// terminal's controlling process; with `followLink` false a symbolic link is refused. Throws.
TFileHandle fileOpenForWrite(const std::string& path, bool followLink);

// Creates a new file whose name is `stem` followed by a few unique characters, open for
// writing and readable by this process only; `created` receives its path. Throws.
TFileHandle fileCreateUnique(const std::string& stem, std::string& created);

// Reads up to `size` bytes; 0 at the end of the file. Throws.
std::size_t fileRead(TFileHandle file, char* buffer, std::size_t size);

// Writes some of `bytes` at the current position, or at `offset` from the start of the file;
// returns how many were taken. Throws.
std::size_t fileWrite(TFileHandle file, std::string_view bytes);
std::size_t fileWriteAt(TFileHandle file, std::string_view bytes, std::uint64_t offset);

// Makes the file `size` bytes long. Throws.
void fileResize(TFileHandle file, std::uint64_t size);

// Makes the platform write the file's bytes to the disk before it returns. Throws.
void fileSync(TFileHandle file);

// Closes the file. Throws when the platform reports that bytes may have been lost; the handle
// is freed in either case.
void fileClose(TFileHandle file);
// Closes the file after a failure: nothing is reported.
void fileCloseQuietly(TFileHandle file);

// Gives the file the access of the file of `status`: its permissions, and its owner where this
// process may. Failures are passed over.
void fileCopyAccess(TFileHandle file, const TFileStatus& status);
// Gives the file the access of a file that the platform would make new for this process.
// Failures are passed over.
void fileGiveNewAccess(TFileHandle file);

// Moves the file at `from` to `to`, replacing what stands there at once. Throws.
void fileRename(const std::string& from, const std::string& to);

// Removes the file at `path`; nothing is reported.
void fileRemoveQuietly(const std::string& path);

// Whether this process may make new files in the folder `folder`.
bool fileFolderTakesNewFiles(const std::string& folder);
