#include "files/disk_version.h"
#include "files/file_names.h"
#include "files/safe_file.h"
#include "files/whole_file.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TDiskVersion versionAt(const std::string& path) {
    std::string bytes, reason;
    TFileStatus status;
    EXPECT_EQ(readRegularFile(path, bytes, reason, &status), TReadResult::Ok) << reason;
    return diskVersionOf(status, bytes);
}

// Sets the time of the file's bytes, in seconds (and nanoseconds) since the epoch.
void setModified(const std::string& path, std::int64_t ns) {
    const timespec times[2] = {{0, UTIME_OMIT}, {ns / 1000000000, ns % 1000000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

void replaceByRename(const std::string& path, const std::string& bytes) {
    writeFileBytes(path + ".new", bytes);
    std::filesystem::rename(path + ".new", path);
}

std::set<std::string> entriesOf(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(DiskVersionTest, TellsWhatAnotherProgramDidToTheFile) {
    const std::int64_t anHourAgo = (std::time(nullptr) - 3600) * 1000000000LL;
    const struct {
        const char* name;
        bool justRead; // the version taken right after the file was written, else an hour later
        std::function<void(const std::string&)> act;
        TDiskChange change;
    } rows[] = {
        {"WrittenInPlace", false, [](auto& p) { std::ofstream(p, std::ios::app) << "C\r\n"; },
         TDiskChange::Changed},
        {"SameSizeAndTimeRightAfterReading", true,
         [](auto& p) {
             const std::int64_t before = versionAt(p).modifiedNs;
             std::ofstream(p, std::ios::in | std::ios::out) << "X";
             setModified(p, before);
         },
         TDiskChange::Changed},
        {"RenamedOver", false, [](auto& p) { replaceByRename(p, "B\r\n"); }, TDiskChange::Replaced},
        {"Deleted", false, [](auto& p) { std::filesystem::remove(p); }, TDiskChange::Deleted},
        {"TouchedWithTheSameBytes", false, [](auto& p) { writeFileBytes(p, "A\r\nB\r\n"); },
         TDiskChange::Unchanged},
        {"RenamedOverWithTheSameBytes", false, [](auto& p) { replaceByRename(p, "A\r\nB\r\n"); },
         TDiskChange::Unchanged},
        {"Untouched", true, [](auto&) {}, TDiskChange::Unchanged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string path = dir.file("shop.lsm");
        writeFileBytes(path, "A\r\nB\r\n");
        if (!row.justRead)
            setModified(path, anHourAgo);
        const TDiskVersion known = versionAt(path);
        row.act(path);
        const TDiskCheck check = checkDiskVersion(known, path, false);
        EXPECT_EQ(check.change, row.change);
        // What was found is the version to compare with from now on.
        EXPECT_EQ(checkDiskVersion(check.now, path, false).change, TDiskChange::Unchanged);
    }
    TempDir dir;
    writeFileBytes(dir.file("new.lsm"), "");
    EXPECT_EQ(checkDiskVersion(TDiskVersion(), dir.file("new.lsm"), false).change,
              TDiskChange::Changed)
        << "a file where none was";
}

TEST(SafeFileTest, ASaveStoppedHalfWayLeavesANamedFileThatTheNextSaveRemoves) {
    TempDir dir;
    const std::string target = dir.file("big.lsm");
    writeFileBytes(target, "old\r\n");
    // Killed by the file size limit in the middle of writing 10 MB, as by kill -9.
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit size{1 << 20, 1 << 20}, core{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &size);
        ::setrlimit(RLIMIT_CORE, &core);
        writeFileSafely(target, std::string(10 << 20, 'x'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::set<std::string> names = entriesOf(dir.path());
    ASSERT_EQ(names.size(), 2u);
    const std::string leftover = *names.begin();
    EXPECT_EQ(leftover.rfind(".big.lsm.lumavane-" + std::to_string(child) + ".", 0), 0u)
        << leftover;
    EXPECT_EQ(readFileBytes(target), "old\r\n");

    // Kept: a running writer's file (process 1 started before it), another file's leftover,
    // and a name this program does not make. Removed: a file older than the process that now
    // has its writer's number.
    const std::set<std::string> kept = {".big.lsm.lumavane-1.Aa0Bb1",
                                        ".other.lsm.lumavane-" + std::to_string(child) + ".Cc2Dd3",
                                        ".big.lsm.lumavane-x.Ee4Ff5", "big.lsm"};
    for (const std::string& name : kept)
        writeFileBytes(dir.file(name), name == "big.lsm" ? "old\r\n" : "");
    writeFileBytes(dir.file(".big.lsm.lumavane-1.Gg6Hh7"), "");
    setModified(dir.file(".big.lsm.lumavane-1.Gg6Hh7"), 1000000000LL);
    writeFileSafely(target, "new\r\n");
    EXPECT_EQ(entriesOf(dir.path()), kept);
    EXPECT_EQ(readFileBytes(target), "new\r\n");
}

TEST(SafeFileTest, NamesUpToTheLongestTheFileSystemTakesAreSaved) {
    std::string accents;
    for (int i = 0; i < 125; ++i)
        accents += "\xC3\xA9";
    for (const std::string& name :
         {std::string(244, 'n') + ".lsm", std::string(251, 'n') + ".lsm", accents + ".lsm"}) {
        SCOPED_TRACE(name.size());
        TempDir dir;
        writeFileSafely(dir.file(name), "A\r\n");
        writeFileSafely(dir.file(name), "B\r\n");
        EXPECT_EQ(readFileBytes(dir.file(name)), "B\r\n");
        EXPECT_EQ(entriesOf(dir.path()), std::set<std::string>{name});
    }
}

TEST(FileNamesTest, EveryNameGoesToTheToolkitsTextAndBackByteForByte) {
    for (const std::string name :
         {"shop.lsm", "caf\xC3\xA9.lsm", "caf\xE9.lsm", "\xFF\xFE\x80", "\xED\xB0\x80 surrogate",
          "\xF0\x9F\x98\x80 four bytes", "cut \xC3"}) {
        EXPECT_EQ(fileNameFromUtf16(fileNameToUtf16(name)), name) << name;
    }
    EXPECT_EQ(fileNameToUtf16("caf\xC3\xA9"), u"caf\u00E9");
}

} // namespace
