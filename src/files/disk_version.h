#pragma once

#include "files/file_platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the program last read from a file or wrote to it: enough to tell later whether the file
// on disk is still that one. Another program may write the file in place, rename another file
// over it, delete it, or touch it without changing a byte; only the bytes decide whether it
// changed, the file's number and time only save reading it again.
struct TDiskVersion {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t contentHash = 0;
    // When the version was taken. A file whose time lies close before that moment can change
    // again within the clock's granularity without its time moving: its bytes are compared.
    std::int64_t recordedNs = 0;

    bool operator==(const TDiskVersion&) const = default;
};

// A fingerprint of a file's bytes.
std::uint64_t contentHash(std::string_view bytes);

// The version of a file of `status` that holds `bytes`, taken now.
TDiskVersion diskVersionOf(const TFileStatus& status, std::string_view bytes);

enum class TDiskChange {
    Unchanged, // the same bytes (even when touched, or replaced by a file with the same bytes)
    Changed,   // other bytes in the same file (written in place), or a file where none was
    Replaced,  // other bytes in another file under the name (one renamed over it)
    Deleted,   // no file any more where one was
};

struct TDiskCheck {
    TDiskChange change = TDiskChange::Unchanged;
    // The file as it is now; for Unchanged the version to keep from here on.
    TDiskVersion now;
    // Its bytes, when they were read for the comparison.
    std::optional<std::string> bytes;
    // Set when a file stands there that cannot be read: the reason. It counts as changed when
    // its number, size or time moved, and as unchanged otherwise.
    std::string problem;
};

// Compares the file at `path` (links followed) with `known`. The bytes are read when the
// file's number, size or time moved, when its time is too recent to trust, and always with
// `compareBytes`.
TDiskCheck checkDiskVersion(const TDiskVersion& known, const std::string& path, bool compareBytes);
