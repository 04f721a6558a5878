#pragma once

#include "files/disk_version.h"
#include "model/line_store.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A message file: one line per entry of the message list, every line followed by CR LF, no
// header and no conversion. Paths are in the file system's own encoding.

// The bytes of a message file for these lines; an empty list gives no bytes at all.
std::string joinMessageLines(const std::vector<std::string>& lines);

// The lines of a message file's bytes. A line ends at CR LF, a lone CR or a lone LF; the scan
// stops at the first NUL byte; a last line without a break is taken all the same.
std::vector<std::string> splitMessageLines(std::string_view data);

// Calls `each(begin, length)` for each line of `data`, split as splitMessageLines splits it.
template <class Each>
void scanMessageLines(std::string_view data, Each&& each) {
    const std::size_t end = std::min(data.find('\0'), data.size());
    std::size_t pos = 0;
    while (pos < end) {
        std::size_t stop = pos;
        while (stop < end && data[stop] != '\r' && data[stop] != '\n')
            ++stop;
        each(pos, stop - pos);
        pos = stop;
        if (pos < end && data[pos] == '\r')
            ++pos;
        if (pos < end && data[pos] == '\n')
            ++pos;
    }
}

// Writes the lines to `path` safely (see writeFileSafely): a failure leaves the old file as it
// was. Throws EFCreateError when the file cannot be created or written. Returns the version of
// the file as written.
TDiskVersion writeMessageFile(const std::string& path, const std::vector<std::string>& lines);
TDiskVersion writeMessageFile(const std::string& path, const TLineStore& lines);

// Reads the lines of the message file at `path`. Throws EFOpenError when the file cannot be
// opened or read (missing, a directory, no permission). When the scan stopped at a NUL byte,
// `nulOffset` (if given) receives its offset from the start of the file: the bytes from there
// on are in no line. It is emptied when the file was read to its end. `version` (if given)
// receives the version of the file that was read.
std::vector<std::string> readMessageFile(const std::string& path,
                                         std::optional<std::size_t>* nulOffset = nullptr,
                                         TDiskVersion* version = nullptr);

// readMessageFile's lines, kept compactly in the file's bytes.
TLineStore readMessageLines(const std::string& path,
                            std::optional<std::size_t>* nulOffset = nullptr,
                            TDiskVersion* version = nullptr);

// Where the reading of a message file's bytes stops at a NUL byte; none when it does not.
std::optional<std::size_t> messageNulOffset(std::string_view data);
