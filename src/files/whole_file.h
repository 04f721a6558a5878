#pragma once

#include "files/file_platform.h"

#include <optional>
#include <string>

// Result of reading a file whole.
enum class TReadResult {
    Ok,
    Missing, // no such file (or a part of its path is not a folder)
    Failed,  // it exists but cannot be read; the system's reason is given
};

// Reads the regular file at `path` whole into `data`. It is opened without blocking and only a
// regular file is read, so that a FIFO or a device in a file's place can never hang the program
// or feed it endless bytes. On failure `reason` holds the system's text (for instance "Is a
// directory", "Not a regular file", "Permission denied").
// `status`, when given, receives the file's status as it was before the reading began: a
// file changed while it was read then shows a later change than the one recorded.
TReadResult readRegularFile(const std::string& path, std::string& data, std::string& reason,
                            TFileStatus* status = nullptr);

// The bytes of the regular file at `path`, or nothing when there is no such file. Throws
// EFOpenError ("Cannot open file <path>" and the system's reason) when it cannot be read.
std::optional<std::string> readFileIfPresent(const std::string& path);
