#include "model/recovery_store.h"

#include "base/error_text.h"
#include "base/state_dir.h"
#include "base/ui_text.h"
#include "files/file_errors.h"
#include "files/safe_file.h"
#include "files/whole_file.h"
#include "model/message_file.h"

#include <algorithm>
#include <ctime>
#include <sstream>

namespace {

constexpr std::string_view kHeading = "Lumavane recovery copy 1\n";
constexpr std::string_view kExtension = ".recovery";

// A file name on one line of the header: '%', CR and LF as %25, %0D, %0A.
std::string escapeLine(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

std::string unescapeLine(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string_view code = text.substr(i + 1, 2);
            out += code == "25" ? '%' : code == "0D" ? '\r' : code == "0A" ? '\n' : '?';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// What a copy holds before its lines.
std::string recoveryHeading(const TRecoveryCopy& copy) {
    std::ostringstream out;
    const TDiskVersion& b = copy.base;
    out << kHeading << "File: " << escapeLine(copy.fileName) << "\n"
        << "Saved: " << copy.savedAt << "\n"
        << "Writer: " << copy.writer.pid << " " << copy.writer.startTicks << " "
        << (copy.writer.bootId.empty() ? "-" : copy.writer.bootId) << "\n"
        << "Base: " << b.exists << " " << b.device << " " << b.inode << " " << b.size << " "
        << b.modifiedNs << " " << b.contentHash << " " << b.recordedNs << "\n\n";
    return out.str();
}

} // namespace

std::string recoveryFolder() {
    return programStateDirectory() + "/recovery";
}

std::string formatRecoveryCopy(const TRecoveryCopy& copy) {
    return recoveryHeading(copy) + joinMessageLines(copy.lines);
}

std::optional<TRecoveryCopy> parseRecoveryCopy(std::string_view bytes) {
    if (bytes.substr(0, kHeading.size()) != kHeading)
        return std::nullopt;
    const std::size_t end = bytes.find("\n\n", kHeading.size() - 1);
    if (end == std::string_view::npos)
        return std::nullopt;
    TRecoveryCopy copy;
    bool hasFile = false, hasWriter = false;
    std::istringstream header(std::string(bytes.substr(kHeading.size(), end - kHeading.size())));
    std::string line;
    while (std::getline(header, line)) {
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos)
            return std::nullopt;
        const std::string key = line.substr(0, colon);
        std::istringstream value(line.substr(colon + 2));
        if (key == "File") {
            copy.fileName = unescapeLine(value.str());
            hasFile = true;
        } else if (key == "Saved") {
            value >> copy.savedAt;
        } else if (key == "Writer") {
            value >> copy.writer.pid >> copy.writer.startTicks >> copy.writer.bootId;
            hasWriter = static_cast<bool>(value);
        } else if (key == "Base") {
            TDiskVersion& b = copy.base;
            value >> b.exists >> b.device >> b.inode >> b.size >> b.modifiedNs >> b.contentHash >>
                b.recordedNs;
            if (!value)
                copy.base = TDiskVersion();
        }
    }
    if (!hasFile || !hasWriter || copy.fileName.empty())
        return std::nullopt;
    copy.lines = splitMessageLines(bytes.substr(end + 2));
    return copy;
}

TRecoveryStore::TRecoveryStore(std::string folder)
    : folder_(std::move(folder))
    , self_(currentProcess()) {
    ownCopy_ = folder_ + "/" + self_.bootId.substr(0, 8) + "-" + std::to_string(self_.pid) + "-" +
               std::to_string(self_.startTicks) + std::string(kExtension);
}

void TRecoveryStore::Write(const std::string& fileName, const std::vector<std::string>& lines,
                           const TDiskVersion& base) const {
    Write(fileName, TLineStore(lines), base);
}

void TRecoveryStore::Write(const std::string& fileName, const TLineStore& lines,
                           const TDiskVersion& base) const {
    TRecoveryCopy copy;
    copy.fileName = fileName;
    copy.savedAt = static_cast<std::int64_t>(std::time(nullptr));
    copy.writer = self_;
    copy.base = base;
    try {
        fileMakeFolders(folder_, 0700);
        writeFileSafely(ownCopy_, recoveryHeading(copy) + joinMessageLines(lines));
    } catch (const EFileSystemError& error) {
        throw EFCreateError(failureText(
            fillIn(uiText("Files", "Cannot create file %1"), {ownCopy_}), error.what()));
    }
}

void TRecoveryStore::Remove() const {
    fileRemoveQuietly(ownCopy_);
}

std::vector<TRecoveryCopy> TRecoveryStore::FindOrphans() const {
    std::vector<TRecoveryCopy> found;
    for (const std::string& entry : fileFolderEntries(folder_)) {
        // Hidden names are the safe writer's temporary files.
        if (entry.front() == '.' || entry.size() <= kExtension.size() ||
            entry.compare(entry.size() - kExtension.size(), kExtension.size(), kExtension) != 0)
            continue;
        const std::string path = folder_ + "/" + entry;
        std::string bytes;
        std::string reason;
        if (path == ownCopy_ || readRegularFile(path, bytes, reason) != TReadResult::Ok)
            continue;
        std::optional<TRecoveryCopy> copy = parseRecoveryCopy(bytes);
        if (!copy || copy->writer == self_ || processIsRunning(copy->writer))
            continue;
        copy->copyPath = path;
        found.push_back(std::move(*copy));
    }
    std::sort(found.begin(), found.end(),
              [](const TRecoveryCopy& a, const TRecoveryCopy& b) { return a.savedAt > b.savedAt; });
    return found;
}

void TRecoveryStore::Discard(const TRecoveryCopy& copy) {
    fileRemoveQuietly(copy.copyPath);
    // With the temporary files of its writes that its editor left when it stopped.
    const std::size_t slash = copy.copyPath.rfind('/');
    const std::string folder = copy.copyPath.substr(0, slash + 1);
    for (const std::string& entry : fileFolderEntries(folder)) {
        if (tempFileWriter(entry, copy.copyPath.substr(slash + 1)) == copy.writer.pid)
            fileRemoveQuietly(folder + entry);
    }
}
