#pragma once

#include "files/file_errors.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// The settings file's key=value text format: "[Section]" header lines, each followed by its
// "Key=Value" lines. Section and key names match without regard to case; spaces around names
// and values are ignored; lines starting with ';' or '#' are comments. A key outside any
// section is never found.

// Longest value that a read returns; longer values are cut.
constexpr std::size_t kMaxProfileValue = 2047;

struct TProfileHeader;

// The settings file read and parsed once, for the callers that look up many keys (a sender with
// thousands of sign sections): each lookup then costs the keys of one section, not the file.
// The same answers as the functions below, which read the file for each call.
class TProfile {
public:
    // The file at `path`; an empty profile when it is missing. One that exists but cannot be
    // read is empty too, or, with `mustRead`, throws EFOpenError ("Cannot open file <path>",
    // the reason on a second line).
    static TProfile read(const std::string& path, bool mustRead = false);

    const std::string& path() const { return path_; }
    // The text of `key` in `section` (the first section of that name), or `def`; at most 2047
    // characters.
    std::string string(const std::string& section, const std::string& key,
                       const std::string& def) const;
    // The whole number of `key` by the rule of readProfileInt.
    int integer(const std::string& section, const std::string& key, int def) const;
    const std::vector<TProfileHeader>& headers() const { return headers_; }

private:
    struct TSection {
        std::vector<std::pair<std::string, std::string>> keys; // lower-case name, value
    };
    const std::string* find(const std::string& section, const std::string& key) const;

    std::string path_;
    std::vector<TProfileHeader> headers_;
    // The first section of each name, by its lower-case name.
    std::unordered_map<std::string, TSection> sections_;
};

// The text of `key` in `section` of the file at `path`, or `def` when the file, the section
// or the key is missing or the file cannot be read. At most 2047 characters.
std::string readProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def);

// The names of the file's sections in file order, each once (a later section of the same name,
// whatever its case, adds nothing: reads take the first). None when the file is missing. Throws
// EFOpenError ("Cannot open file <path>", the reason on a second line) when the file exists but
// cannot be read, so that a caller that must not run on defaults can tell.
std::vector<std::string> readProfileSections(const std::string& path);

// One "Key=Value" line of a section, and the line it stands on (from 1).
struct TProfileKey {
    std::string name;
    std::string value;
    int line = 0;
};
// A section with its keys in file order, and the line of its header (from 1).
struct TProfileSection {
    std::string name;
    int line = 0;
    std::vector<TProfileKey> keys;

    // The value of the first key `name` (any case); none when the section has no such key.
    const TProfileKey* find(std::string_view name) const;
};

// Every section of a file's text in file order, as the reads above see each line: for files of
// the program's own that are read whole and whose reader names the lines of what it refuses.
// Keys before the first section are passed over, as the reads pass over them.
std::vector<TProfileSection> parseProfileText(const std::string& data);

// A section header line of the file as it stands.
struct TProfileHeader {
    std::size_t line = 0; // counted from 1
    std::string name;     // the section's name as reads take it: up to the first "]", trimmed
    std::string text;     // the whole line, trimmed
    bool closed = false;  // a "]" ends the name, and nothing but a comment follows it
};

// Every section header of the file, in file order, repeated names included. None when the file
// is missing; throws EFOpenError as readProfileSections does.
std::vector<TProfileHeader> readProfileHeaders(const std::string& path);

// The integer of `key`: decimal, or hexadecimal after "0x" / "0X" when the text is longer than
// two characters; `def` when the key is missing or its text is not such a number.
int readProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int def);

// The integer rule of readProfileInt applied to a value text.
int profileIntValue(const std::string& text, int def);

// The number of a value text by the same rule, without the 32-bit limit: none when the text is
// not a number; a number beyond 64 bits is brought to the nearer end of that range.
std::optional<long long> profileNumber(const std::string& text);

// Sets `key` in `section` to `value`: an existing key keeps its place, a new key goes to the
// end of its section, a new section to the end of the file; everything else in the file stays
// as it was. The file (and its directory) is created when missing. The file is replaced as a
// whole through a temporary file beside it, or rewritten in place when its directory takes no
// new files, so that a failed write leaves the previous file intact wherever the directory
// allows it. Throws EFCreateError when the file cannot be read or written, and for a
// name or value that would break the file's lines.
void writeProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);
