#include "model/recent_files.h"

#include "base/error_text.h"
#include "base/ui_text.h"
#include "files/file_errors.h"
#include "files/safe_file.h"
#include "files/whole_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace {

bool keepable(std::string_view path) {
    return !path.empty() && path.front() == '/' && path.find_first_of("\r\n", 0) == path.npos &&
           path.find('\0') == path.npos;
}

} // namespace

std::vector<std::string> parseRecentFiles(std::string_view bytes) {
    std::vector<std::string> files;
    std::size_t pos = 0;
    while (pos < bytes.size() && files.size() < TRecentFiles::kMaxFiles) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos = end + 1;
        if (keepable(line) && std::find(files.begin(), files.end(), line) == files.end())
            files.emplace_back(line);
    }
    return files;
}

std::string formatRecentFiles(const std::vector<std::string>& files) {
    std::string bytes;
    for (const std::string& file : files)
        bytes += file + "\n";
    return bytes;
}

void putRecentFileFirst(std::vector<std::string>& files, const std::string& path) {
    if (!keepable(path))
        return;
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    if (files.size() > TRecentFiles::kMaxFiles)
        files.resize(TRecentFiles::kMaxFiles);
}

bool recentFileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

void TRecentFiles::Load() {
    // Never written (or written nowhere yet): what this run noted stays.
    if (const std::optional<std::string> data = readFileIfPresent(storePath_))
        files_ = parseRecentFiles(*data);
}

void TRecentFiles::Add(const std::string& path) {
    try {
        Load();
    } catch (const EFOpenError&) {
        putRecentFileFirst(files_, path);
        throw;
    }
    const std::vector<std::string> before = files_;
    putRecentFileFirst(files_, path);
    if (files_ != before)
        Save();
}

bool TRecentFiles::DropMissing(const std::function<bool(const std::string&)>& exists) {
    Load();
    const std::size_t before = files_.size();
    std::erase_if(files_, [&](const std::string& file) { return !exists(file); });
    if (files_.size() == before)
        return false;
    Save();
    return true;
}

void TRecentFiles::Clear() {
    files_.clear();
    Save();
}

void TRecentFiles::Save() const {
    const std::string what = fillIn(uiText("Files", "Cannot create file %1"), {storePath_});
    // The folders on the way are made as the remembered dialog values make theirs.
    std::error_code made;
    if (const std::filesystem::path folder = std::filesystem::path(storePath_).parent_path();
        !folder.empty())
        std::filesystem::create_directories(folder, made);
    if (made)
        throw EFCreateError(failureText(what, made.message()));
    try {
        writeFileSafely(storePath_, formatRecentFiles(files_));
    } catch (const EFileSystemError& error) {
        throw EFCreateError(failureText(what, error.what()));
    }
}
