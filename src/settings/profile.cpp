#include "settings/profile.h"

#include "base/ascii_case.h"
#include "base/error_text.h"
#include "base/ui_text.h"
#include "base/whole_number.h"
#include "files/file_errors.h"
#include "files/safe_file.h"
#include "files/whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace {

struct Line {
    std::string text; // without its line end
    std::string eol;  // "\n", "\r\n", or empty for a last line without one
};

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string name;  // section or key name, trimmed
    std::string value; // a key's value, trimmed
};

std::string trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

Parsed parse(const std::string& text) {
    Parsed p;
    const std::string t = trim(text);
    if (t.empty() || t[0] == ';' || t[0] == '#')
        return p;
    if (t[0] == '[') {
        const std::size_t close = t.find(']');
        p.kind = Kind::Section;
        p.name = trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos
                                                                               : close - 1));
        return p;
    }
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos)
        return p;
    p.kind = Kind::Key;
    p.name = trim(std::string_view(t).substr(0, eq));
    p.value = trim(std::string_view(t).substr(eq + 1));
    return p;
}

std::vector<Line> splitLines(const std::string& data) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::size_t nl = data.find('\n', pos);
        if (nl == std::string::npos) {
            // A last line that ends in a lone CR: the CR belongs to its line end, not to its
            // value, and a line written after it must not run on into it.
            std::string text = data.substr(pos);
            std::string eol;
            if (!text.empty() && text.back() == '\r') {
                text.pop_back();
                eol = "\r\n";
            }
            lines.push_back({std::move(text), std::move(eol)});
            break;
        }
        std::size_t end = nl;
        std::string eol = "\n";
        if (end > pos && data[end - 1] == '\r') {
            --end;
            eol = "\r\n";
        }
        lines.push_back({data.substr(pos, end - pos), eol});
        pos = nl + 1;
    }
    return lines;
}

[[noreturn]] void writeFailed(const std::string& path, const std::string& reason) {
    throw EFCreateError(
        failureText(fillIn(uiText("Files", "Unable to write to %1"), {path}), reason));
}

bool breaksLine(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

TProfile TProfile::read(const std::string& path, bool mustRead) {
    TProfile profile;
    profile.path_ = path;
    std::string data;
    std::string reason;
    const TReadResult result = readRegularFile(path, data, reason);
    if (result == TReadResult::Failed && mustRead)
        throw EFOpenError(
            failureText(fillIn(uiText("Files", "Cannot open file %1"), {path}), reason));
    if (result != TReadResult::Ok)
        return profile;
    TSection* current = nullptr;
    std::size_t number = 0;
    for (const Line& line : splitLines(data)) {
        ++number;
        Parsed p = parse(line.text);
        if (p.kind == Kind::Section) {
            const std::string text = trim(line.text);
            const std::size_t close = text.find(']');
            const std::string rest = close == std::string::npos ? "" : trim(text.substr(close + 1));
            const bool closed =
                close != std::string::npos && (rest.empty() || rest[0] == ';' || rest[0] == '#');
            // A later section of a name already seen adds nothing: reads take the first.
            const auto [at, first] = profile.sections_.try_emplace(foldAsciiCase(p.name));
            current = first ? &at->second : nullptr;
            profile.headers_.push_back({number, std::move(p.name), text, closed});
        } else if (current && p.kind == Kind::Key) {
            current->keys.emplace_back(foldAsciiCase(p.name), std::move(p.value));
        }
    }
    return profile;
}

const std::string* TProfile::find(const std::string& section, const std::string& key) const {
    const auto found = sections_.find(foldAsciiCase(section));
    if (found == sections_.end())
        return nullptr;
    const std::string folded = foldAsciiCase(key);
    for (const auto& [name, value] : found->second.keys) {
        if (name == folded)
            return &value;
    }
    return nullptr;
}

std::string TProfile::string(const std::string& section, const std::string& key,
                             const std::string& def) const {
    const std::string* found = find(section, key);
    std::string value = found ? *found : def;
    if (value.size() > kMaxProfileValue)
        value.resize(kMaxProfileValue);
    return value;
}

int TProfile::integer(const std::string& section, const std::string& key, int def) const {
    const std::string* found = find(section, key);
    if (!found)
        return def;
    return profileIntValue(found->substr(0, kMaxProfileValue), def);
}

std::string readProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def) {
    return TProfile::read(path).string(section, key, def);
}

const TProfileKey* TProfileSection::find(std::string_view key) const {
    for (const TProfileKey& k : keys) {
        if (sameIgnoringAsciiCase(k.name, key))
            return &k;
    }
    return nullptr;
}

std::vector<TProfileSection> parseProfileText(const std::string& data) {
    std::vector<TProfileSection> sections;
    int number = 0;
    for (const Line& line : splitLines(data)) {
        ++number;
        Parsed p = parse(line.text);
        if (p.kind == Kind::Section)
            sections.push_back({std::move(p.name), number, {}});
        else if (p.kind == Kind::Key && !sections.empty())
            sections.back().keys.push_back({std::move(p.name), std::move(p.value), number});
    }
    return sections;
}

std::vector<TProfileHeader> readProfileHeaders(const std::string& path) {
    return TProfile::read(path, true).headers();
}

std::vector<std::string> readProfileSections(const std::string& path) {
    std::vector<std::string> names;
    for (const TProfileHeader& header : readProfileHeaders(path)) {
        const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
            return sameIgnoringAsciiCase(name, header.name);
        });
        if (!known)
            names.push_back(header.name);
    }
    return names;
}

std::optional<long long> profileNumber(const std::string& text) {
    return parseWholeNumber(text, TNumberForm::SignedOrHex);
}

int profileIntValue(const std::string& text, int def) {
    const std::optional<long long> value = profileNumber(text);
    if (!value || *value < std::numeric_limits<int>::min() ||
        *value > std::numeric_limits<int>::max())
        return def;
    return static_cast<int>(*value);
}

int readProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int def) {
    return TProfile::read(path).integer(section, key, def);
}

void writeProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    if (section.empty() || breaksLine(section) || section.find(']') != std::string::npos ||
        trim(section) != section)
        writeFailed(path, uiText("Files", "Invalid section name"));
    if (key.empty() || breaksLine(key) || key.find('=') != std::string::npos || trim(key) != key ||
        key[0] == '[' || key[0] == ';' || key[0] == '#')
        writeFailed(path, uiText("Files", "Invalid key name"));
    if (breaksLine(value))
        writeFailed(path, uiText("Files", "The value holds a line break"));

    std::string data;
    std::string reason;
    // A file that exists but cannot be read is never replaced: its other settings would be
    // lost.
    if (readRegularFile(path, data, reason) == TReadResult::Failed)
        writeFailed(path, reason);

    std::vector<Line> lines = splitLines(data);
    std::string eol = "\n";
    for (const Line& line : lines) {
        if (!line.eol.empty()) {
            eol = line.eol;
            break;
        }
    }

    // Locate the section (the first of that name) and the key within it.
    std::optional<std::size_t> header;
    std::optional<std::size_t> keyLine;
    std::size_t lastContent = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = parse(lines[i].text);
        if (p.kind == Kind::Section) {
            if (header)
                break;
            if (sameIgnoringAsciiCase(p.name, section)) {
                header = i;
                lastContent = i;
            }
        } else if (header && p.kind == Kind::Key) {
            lastContent = i;
            if (!keyLine && sameIgnoringAsciiCase(p.name, key))
                keyLine = i;
        }
    }

    if (keyLine) {
        // Keep the key's own spelling and only replace its value.
        lines[*keyLine].text = parse(lines[*keyLine].text).name + "=" + value;
    } else if (header) {
        if (lines[lastContent].eol.empty())
            lines[lastContent].eol = eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastContent) + 1,
                     Line{key + "=" + value, eol});
    } else {
        if (!lines.empty()) {
            if (lines.back().eol.empty())
                lines.back().eol = eol;
            if (!trim(lines.back().text).empty())
                lines.push_back(Line{"", eol});
        }
        lines.push_back(Line{"[" + section + "]", eol});
        lines.push_back(Line{key + "=" + value, eol});
    }

    std::string out;
    out.reserve(data.size() + key.size() + value.size() + section.size() + 8);
    for (const Line& line : lines) {
        out += line.text;
        out += line.eol;
    }

    const QString fileName = QFile::decodeName(path.c_str());
    const QString dir = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(dir))
        writeFailed(path,
                    fillIn(uiText("Files", "Cannot create the directory %1"), {dir.toStdString()}));
    try {
        // The machine-wide file lives in a directory that only the administrator may change,
        // while the file itself is open to every user: there it is rewritten in place.
        writeFileSafely(path, out);
    } catch (const EFileSystemError& error) {
        writeFailed(path, error.what());
    }
}
