#pragma once

#include "base/process_identity.h"
#include "files/disk_version.h"
#include "model/line_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A copy of a message with unsaved changes, kept so that a crash or a power cut loses none of
// them: the message's lines, the file they belong to, when the copy was written, which editor
// wrote it, and the version of the file that the changes were made to.
struct TRecoveryCopy {
    std::string copyPath;
    std::string fileName;     // TDocumentState::kNewFile for a message that has no file yet
    std::int64_t savedAt = 0; // seconds since the epoch
    TProcessIdentity writer;
    TDiskVersion base;
    std::vector<std::string> lines;
};

// The folder of recovery copies: $XDG_STATE_HOME/lumavane/recovery (base/state_dir.h).
std::string recoveryFolder();

// The recovery copies of the editors of this user, one file per running editor in one folder.
// An editor writes and removes only its own copy; the copies of editors that no longer run are
// found at start and offered, while a running editor's copy is never touched by another.
class TRecoveryStore {
public:
    explicit TRecoveryStore(std::string folder);

    // This editor's copy.
    const std::string& OwnCopyPath() const { return ownCopy_; }

    // Writes this editor's copy with the safe writer, making the folder (for this user only)
    // when it is missing. Throws EFCreateError.
    void Write(const std::string& fileName, const std::vector<std::string>& lines,
               const TDiskVersion& base) const;
    void Write(const std::string& fileName, const TLineStore& lines,
               const TDiskVersion& base) const;
    // Removes this editor's copy, if there is one.
    void Remove() const;
    // The copies whose editor no longer runs, newest first; a file there that is no copy, or
    // cannot be read, is passed over.
    std::vector<TRecoveryCopy> FindOrphans() const;
    // Removes a copy that FindOrphans found.
    static void Discard(const TRecoveryCopy& copy);

private:
    std::string folder_;
    TProcessIdentity self_;
    std::string ownCopy_;
};

// A copy's bytes and back; parse gives none for bytes that are no recovery copy.
std::string formatRecoveryCopy(const TRecoveryCopy& copy);
std::optional<TRecoveryCopy> parseRecoveryCopy(std::string_view bytes);
