#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The message files that the user opened or saved last, newest first, at most eight, each once.
// They are kept for the user in a small text file, one absolute path per line (LF), written
// with the safe writer. Every change reads the file again first, so that two editors running
// side by side keep each other's entries.
class TRecentFiles {
public:
    static constexpr std::size_t kMaxFiles = 8;

    explicit TRecentFiles(std::string storePath)
        : storePath_(std::move(storePath)) {}

    const std::string& StorePath() const { return storePath_; }
    const std::vector<std::string>& Files() const { return files_; }

    // Reads the list from its file; without a file the list stays as it is (empty at first). A file
    // that exists but cannot be read throws EFOpenError ("Cannot open file <path>" and the reason),
    // the list unchanged.
    void Load();
    // Puts `path` at the top (an absolute path; another is not kept) and writes the list. The
    // list in memory holds it even when the file cannot be read or written, which throws
    // EFOpenError or EFCreateError; an unreadable file is not written over.
    void Add(const std::string& path);
    // Reads the list and drops the files that no longer exist (by `exists`); writes the list
    // when it changed. True when something was dropped. Throws as Load and Add do.
    bool DropMissing(const std::function<bool(const std::string&)>& exists);
    // Empties the list and its file. Throws EFCreateError when the file cannot be written.
    void Clear();

private:
    void Save() const;

    std::string storePath_;
    std::vector<std::string> files_;
};

// Whether a file (or anything else) stands at `path`. A path that cannot be looked at (a folder
// on the way that may not be searched, a disk that fails) counts as standing: only a file known
// to be gone is dropped from the list.
bool recentFileExists(const std::string& path);

// The list held by the bytes of a recent-files file: one path a line, CR before LF tolerated;
// empty lines, relative paths and repeats are passed over, and only the first eight are kept.
std::vector<std::string> parseRecentFiles(std::string_view bytes);
// The bytes of a recent-files file for `files`.
std::string formatRecentFiles(const std::vector<std::string>& files);
// Puts `path` first in `files`, removes its other occurrence and cuts the list to eight. A path
// that is not absolute, or that holds a line break or NUL (it could not be kept in the file), is
// not put in; the list is then unchanged.
void putRecentFileFirst(std::vector<std::string>& files, const std::string& path);
