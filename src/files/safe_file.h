#pragma once

#include <string>
#include <string_view>

// Replaces the file at `path` by `bytes` without ever leaving it half written: the bytes go to
// a temporary file in the same directory, are flushed to the disk, and only then renamed over
// the old file. A failure at any point removes the temporary file and leaves the old file as it
// was. An existing file keeps its permission bits (and, for root, its owner); a symbolic link
// keeps pointing where it did and its target is replaced. An existing file that this process
// may not write is refused (EACCES), as a direct write would be. An existing file that may be
// written in a directory that takes no new files is rewritten in place (rewriteFileInPlace).
// Throws EFileSystemError (files/file_errors.h), whose message is the system's text for the
// failure.
void writeFileSafely(const std::string& path, std::string_view bytes);

// Rewrites the existing file at `path` in place with `bytes`: for a file that may be written
// in a directory that may not. The bytes overwrite the old ones from the start and the file is
// then cut to their length. The part beyond the old length is written first, so a full disk
// or a file size limit refuses the write while the old bytes are still whole; a failure in the
// middle of the overwrite itself (a failing device, the machine stopping) can leave the file
// part new, part old. Throws EFileSystemError.
void rewriteFileInPlace(const std::string& path, std::string_view bytes);

// Whether new files can be made in the directory of `path` by this process.
bool directoryTakesNewFiles(const std::string& path);
