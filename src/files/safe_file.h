#pragma once

#include "files/file_platform.h"

#include <cstddef>
#include <optional>
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
//
// The temporary file is named ".<name>.lumavane-<process number>.XXXXXX" (a name too long for
// that is shortened, see tempFileStem), so that anyone can tell what left it. Each save first
// removes the temporary files of earlier saves of the same file whose writer no longer runs
// (stopped by a crash or a power cut in the middle of a save).
// Returns the status of the file as written.
TFileStatus writeFileSafely(const std::string& path, std::string_view bytes);

// Rewrites the existing file at `path` in place with `bytes`: for a file that may be written
// in a directory that may not. The bytes overwrite the old ones from the start and the file is
// then cut to their length. The part beyond the old length is written first, so a full disk
// or a file size limit refuses the write while the old bytes are still whole; a failure in the
// middle of the overwrite itself (a failing device, the machine stopping) can leave the file
// part new, part old. Throws EFileSystemError.
TFileStatus rewriteFileInPlace(const std::string& path, std::string_view bytes);

// Whether nothing stands at `path` yet while its folder exists: a file saved there will be new.
bool newFileCanBeMadeAt(const std::string& path);

// Whether new files can be made in the directory of `path` by this process.
bool directoryTakesNewFiles(const std::string& path);

// The part of a temporary file's name that stands for the target `name`: the name itself, or,
// when the temporary name would be longer than `nameMax` bytes, its beginning, "~" and a
// fingerprint of the whole name.
std::string tempFileStem(const std::string& name, std::size_t nameMax);

// The process number in `entry` when it is the name of a temporary file of this program for a
// target of stem `stem`; none otherwise.
std::optional<long> tempFileWriter(const std::string& entry, const std::string& stem);
