#include "files/disk_version.h"

#include "files/whole_file.h"

#include <chrono>

namespace {

// Some file systems keep times to the second or two; a file changed within that span before a
// version was taken can change again unseen by its time.
constexpr std::int64_t kTimeTrustNs = 2'000'000'000;

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool sameFile(const TDiskVersion& a, const TFileStatus& b) {
    return a.device == b.device && a.inode == b.inode;
}

bool sameStamp(const TDiskVersion& a, const TFileStatus& b) {
    return sameFile(a, b) && a.size == b.size && a.modifiedNs == b.modifiedNs;
}

} // namespace

std::uint64_t contentHash(std::string_view bytes) {
    // FNV-1a, 64 bits: plenty to tell two versions of a file apart.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

TDiskVersion diskVersionOf(const TFileStatus& status, std::string_view bytes) {
    TDiskVersion version;
    version.exists = true;
    version.device = status.device;
    version.inode = status.inode;
    version.size = bytes.size();
    version.modifiedNs = status.modifiedNs;
    version.contentHash = contentHash(bytes);
    version.recordedNs = nowNs();
    return version;
}

TDiskCheck checkDiskVersion(const TDiskVersion& known, const std::string& path, bool compareBytes) {
    TDiskCheck check;
    const TFileStatus status = fileStatusAt(path);
    if (status.kind == TFileKind::Missing) {
        check.change = known.exists ? TDiskChange::Deleted : TDiskChange::Unchanged;
        return check;
    }
    const bool trustedTime = known.recordedNs - known.modifiedNs > kTimeTrustNs;
    if (known.exists && sameStamp(known, status) && trustedTime && !compareBytes) {
        check.now = known;
        return check;
    }

    std::string bytes;
    TFileStatus read;
    if (readRegularFile(path, bytes, check.problem, &read) != TReadResult::Ok) {
        const bool moved = !known.exists || !sameStamp(known, status);
        check.change = moved ? TDiskChange::Changed : TDiskChange::Unchanged;
        check.now = known;
        if (moved) {
            check.now = diskVersionOf(status, "");
            check.now.size = status.size;
        }
        return check;
    }
    check.now = diskVersionOf(read, bytes);
    if (!known.exists)
        check.change = TDiskChange::Changed;
    else if (check.now.contentHash == known.contentHash && check.now.size == known.size)
        check.change = TDiskChange::Unchanged;
    else
        check.change = sameFile(known, read) ? TDiskChange::Changed : TDiskChange::Replaced;
    check.bytes = std::move(bytes);
    return check;
}
