#include "model/file_name_text.h"
#include "model/recovery_store.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> foundFiles(const TRecoveryStore& store) {
    std::vector<std::string> files;
    for (const TRecoveryCopy& copy : store.FindOrphans())
        files.push_back(copy.fileName);
    return files;
}

TEST(RecoveryStoreTest, OffersTheCopiesOfEditorsThatNoLongerRun) {
    TempDir dir;
    const std::string folder = dir.file("state/recovery");
    // Another editor that writes its copy and goes on running until it is killed.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    if (other == 0) {
        TRecoveryStore(folder).Write("/srv/other.lsm", {"NotCentered,OTHER"}, {});
        ::close(ready[1]);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 0);
    ::close(ready[0]);

    TRecoveryStore mine(folder);
    const TDiskVersion base{true, 1, 2, 3, 4, 42, 5};
    mine.Write("/srv/a\nodd%name.lsm", {"Centered,MINE", ""}, base);
    // A copy whose writer's number now belongs to a process that started later (this one).
    TRecoveryCopy reused;
    reused.fileName = "/srv/reused.lsm";
    reused.writer = currentProcess();
    reused.writer.startTicks += 1;
    writeFileBytes(folder + "/reused.recovery", formatRecoveryCopy(reused));
    writeFileBytes(folder + "/junk.recovery", "not a copy");
    writeFileBytes(folder + "/.x.recovery.lumavane-1.Aa0Bb1", "");
    EXPECT_EQ(foundFiles(mine), Lines{"/srv/reused.lsm"});

    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    const std::vector<TRecoveryCopy> found = mine.FindOrphans();
    ASSERT_EQ(found.size(), 2u);
    const TRecoveryCopy& copy = found[0].fileName == "/srv/other.lsm" ? found[0] : found[1];
    EXPECT_EQ(copy.lines, Lines{"NotCentered,OTHER"});
    TRecoveryStore::Discard(copy);
    EXPECT_EQ(foundFiles(mine), Lines{"/srv/reused.lsm"});

    // My own copy, as an editor after me finds it once I am gone.
    const auto parsed = parseRecoveryCopy(readFileBytes(mine.OwnCopyPath()));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->fileName, "/srv/a\nodd%name.lsm");
    EXPECT_EQ(parsed->lines, (Lines{"Centered,MINE", ""}));
    EXPECT_EQ(parsed->base, base);
    mine.Remove();
    EXPECT_FALSE(fileExists(mine.OwnCopyPath()));
}

TEST(FileNameTextTest, ANameThatIsNotUtf8ReadsInTheCharacterSetAndIsFoundAsTyped) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("d\xE9p\xF4t"));
    writeFileBytes(dir.file("d\xE9p\xF4t/caf\xE9.lsm"), "");
    const std::string typed = dir.file("d\xC3\xA9p\xC3\xB4t/caf\xC3\xA9.lsm");
    EXPECT_EQ(readableFileName(dir.file("d\xE9p\xF4t/caf\xE9.lsm")), typed);
    EXPECT_EQ(resolveReadablePath(typed), dir.file("d\xE9p\xF4t/caf\xE9.lsm"));
    EXPECT_EQ(resolveReadablePath(dir.file("d\xC3\xA9p\xC3\xB4t/new.lsm")),
              dir.file("d\xE9p\xF4t/new.lsm"));
    // A name that is there as typed is that file.
    writeFileBytes(dir.file("caf\xC3\xA9.lsm"), "");
    writeFileBytes(dir.file("caf\xE9.lsm"), "");
    EXPECT_EQ(resolveReadablePath(dir.file("caf\xC3\xA9.lsm")), dir.file("caf\xC3\xA9.lsm"));
}

} // namespace
