#include "files/file_errors.h"
#include "model/message_file.h"
#include "support/core/test_env.h"
#include "support/core/unprivileged.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <optional>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string bytes;
    Lines lines;
};

class SplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, SplitsIntoLines) {
    EXPECT_EQ(splitMessageLines(GetParam().bytes), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SplitTest,
    testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OnlyCrLf", "\r\n", {""}},
                    SplitCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                    SplitCase{"LoneLf", "a\nb\n", {"a", "b"}},
                    SplitCase{"LoneCr", "a\rb\r", {"a", "b"}},
                    SplitCase{"LfCrGivesEmptyLine", "a\n\rb", {"a", "", "b"}},
                    SplitCase{"LastLineWithoutBreak", "a\r\nlast", {"a", "last"}},
                    SplitCase{"EmptyLinesKept", "\r\n\r\nx\r\n", {"", "", "x"}},
                    SplitCase{"NulInThirdLine",
                              std::string("one\r\ntwo\r\nthr\0ee\r\nfour\r\n", 23),
                              {"one", "two", "thr"}},
                    SplitCase{"NulFirst", std::string("\0abc", 4), {}},
                    SplitCase{"MixedBreaks", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                    SplitCase{"HighBytesUnchanged", "\x80\xFF\xE9,x\r\n", {"\x80\xFF\xE9,x"}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(MessageFileTest, JoinPutsCrLfAfterEveryLine) {
    EXPECT_EQ(joinMessageLines(std::vector<std::string>{}), "");
    EXPECT_EQ(joinMessageLines({"", "NotCentered,A"}), "\r\nNotCentered,A\r\n");
}

TEST(MessageFileTest, WriteThenReadRoundTripsEveryByte) {
    TempDir dir;
    const std::string path = dir.file("round.lsm");
    std::string allBytes;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            allBytes.push_back(static_cast<char>(b));
    }
    const Lines lines = {"Centered,^R^OPEN", "", "no comma", allBytes,
                         "NotCentered," + std::string(300, 'x')};
    writeMessageFile(path, lines);
    EXPECT_EQ(readFileBytes(path), joinMessageLines(lines));
    EXPECT_EQ(readMessageFile(path), lines);
}

TEST(MessageFileTest, EmptyListGivesZeroBytesAndBack) {
    TempDir dir;
    const std::string path = dir.file("empty.lsm");
    writeFileBytes(path, "old content");
    writeMessageFile(path, std::vector<std::string>{});
    EXPECT_EQ(readFileBytes(path), "");
    EXPECT_TRUE(readMessageFile(path).empty());
}

TEST(MessageFileTest, LargeAndGarbageFilesLoad) {
    TempDir dir;
    // 5 MB without a single line break: one entry, nothing lost.
    const std::string big(5 * 1024 * 1024, 'A');
    writeFileBytes(dir.file("big.lsm"), big);
    const Lines bigLines = readMessageFile(dir.file("big.lsm"));
    ASSERT_EQ(bigLines.size(), 1u);
    EXPECT_EQ(bigLines[0].size(), big.size());

    // Binary garbage: every byte but CR, LF and NUL stays in a line; the scan stops at NUL.
    std::string garbage;
    unsigned state = 12345;
    for (int i = 0; i < 100000; ++i) {
        state = state * 1103515245u + 12345u;
        char c = static_cast<char>((state >> 16) & 0xFF);
        garbage.push_back(c == 0 ? 'z' : c);
    }
    writeFileBytes(dir.file("garbage.bin"), garbage);
    const Lines garbageLines = readMessageFile(dir.file("garbage.bin"));
    EXPECT_EQ(garbageLines, splitMessageLines(garbage));
    std::size_t kept = 0;
    for (const std::string& line : garbageLines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        kept += line.size();
    }
    EXPECT_GT(kept, 90000u);
}

TEST(MessageFileTest, ReadingTellsWhereANulByteStoppedIt) {
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<std::size_t> nul;
        Lines lines;
    };
    const Case cases[] = {
        {"read to the end", "BEFORE\r\nAFTER\r\n", std::nullopt, {"BEFORE", "AFTER"}},
        {"NUL inside line 2",
         std::string("BEFORE\r\nHAS\0NUL\r\nEND\r\n", 20),
         11,
         {"BEFORE", "HAS"}},
        {"NUL first", std::string("\0binary", 7), 0, {}},
        {"NUL last", std::string("A\r\n\0", 4), 3, {"A"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFileBytes(dir.file("f.lsm"), c.bytes);
        std::optional<std::size_t> nul = 99;
        EXPECT_EQ(readMessageFile(dir.file("f.lsm"), &nul), c.lines);
        EXPECT_EQ(nul, c.nul);
    }
}

struct OpenFailure {
    const char* name;
    std::string (*makePath)(const TempDir&);
};

class ReadFailureTest : public testing::TestWithParam<OpenFailure> {};

TEST_P(ReadFailureTest, RaisesCannotOpenFile) {
    TempDir dir;
    const std::string path = GetParam().makePath(dir);
    try {
        readMessageFile(path);
        FAIL() << "no error for " << path;
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot open file " + path, 0), 0u)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ReadFailureTest,
    testing::Values(OpenFailure{"Missing", [](const TempDir& d) { return d.file("missing.lsm"); }},
                    OpenFailure{"Directory",
                                [](const TempDir& d) {
                                    std::filesystem::create_directory(d.file("folder.lsm"));
                                    return d.file("folder.lsm");
                                }},
                    OpenFailure{"ParentIsAFile",
                                [](const TempDir& d) {
                                    writeFileBytes(d.file("plain"), "x");
                                    return d.file("plain/inside.lsm");
                                }},
                    OpenFailure{"Fifo",
                                [](const TempDir& d) {
                                    mkfifo(d.file("pipe.lsm").c_str(), 0600);
                                    return d.file("pipe.lsm");
                                }},
                    OpenFailure{"Device", [](const TempDir&) { return std::string("/dev/zero"); }},
                    // Opens, then fails to read (address 0 of this process is not mapped).
                    OpenFailure{"ReadError",
                                [](const TempDir&) { return std::string("/proc/self/mem"); }}),
    [](const testing::TestParamInfo<OpenFailure>& info) { return std::string(info.param.name); });

// What readMessageFile(path) reports in a child process in which the platform cannot tell the
// status of an open file (fstat fails with EIO); empty when the child cannot be set up so.
std::string readWithFailingStatus(const std::string& path) {
#if defined(__x86_64__)
    int out[2];
    if (::pipe(out) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        // fstat(fd) is newfstatat(fd, "", ..., AT_EMPTY_PATH) or the older fstat call.
        constexpr unsigned kFlagsLow = offsetof(seccomp_data, args) + 3 * sizeof(std::uint64_t);
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fstat, 3, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_newfstatat, 0, 3),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFlagsLow),
            BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, AT_EMPTY_PATH, 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
        std::string said;
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0) {
            try {
                readMessageFile(path);
                said = "no error";
            } catch (const std::exception& error) {
                said = error.what();
            }
        }
        [[maybe_unused]] const ssize_t n = ::write(out[1], said.data(), said.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    return said;
#else
    (void)path;
    return {};
#endif
}

TEST(MessageFileTest, AStatusThatCannotBeReadIsReportedWithItsReason) {
    TempDir dir;
    writeFileBytes(dir.file("f.lsm"), "A\r\n");
    const std::string said = readWithFailingStatus(dir.file("f.lsm"));
    if (said.empty())
        GTEST_SKIP() << "no seccomp filter here";
    EXPECT_EQ(said, "Cannot open file " + dir.file("f.lsm") + "\n" + std::strerror(EIO));
}

// The file's inode number; 0 when there is none.
ino_t inodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class WriteFailureTest : public testing::Test {
protected:
    void expectCreateError(const std::string& path, const Lines& lines) {
        try {
            writeMessageFile(path, lines);
            FAIL() << "no error for " << path;
        } catch (const EFCreateError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("Cannot create file " + path, 0), 0u)
                << error.what();
        }
    }
    TempDir dir;
};

TEST_F(WriteFailureTest, DirectoryMissingOrAFile) {
    expectCreateError(dir.file("no/such/folder/x.lsm"), {"a"});
    writeFileBytes(dir.file("plain"), "x");
    expectCreateError(dir.file("plain/x.lsm"), {"a"});
    std::filesystem::create_directory(dir.file("folder.lsm"));
    expectCreateError(dir.file("folder.lsm"), {"a"});
}

TEST_F(WriteFailureTest, FailedWriteKeepsTheOldFileIntact) {
    const std::string path = dir.file("kept.lsm");
    writeFileBytes(path, "NotCentered,old\r\n");
    {
        // A file size limit makes the write fail part way, as a full disk would.
        const FileSizeLimit limit(4096);
        expectCreateError(path, Lines(1000, "NotCentered," + std::string(200, 'n')));
    }

    EXPECT_EQ(readFileBytes(path), "NotCentered,old\r\n");
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(WriteFailureTest, SaveKeepsPermissionsOfTheExistingFile) {
    const std::string path = dir.file("shared.lsm");
    writeFileBytes(path, "x\r\n");
    std::filesystem::permissions(path, std::filesystem::perms(0664));
    writeMessageFile(path, {"y"});
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0664));
    EXPECT_EQ(readFileBytes(path), "y\r\n");
}

TEST_F(WriteFailureTest, SaveThroughASymbolicLinkReplacesItsTarget) {
    const std::string target = dir.file("real.lsm");
    writeFileBytes(target, "old\r\n");
    std::filesystem::create_symlink(target, dir.file("link.lsm"));
    writeMessageFile(dir.file("link.lsm"), {"new"});
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.lsm")));
    EXPECT_EQ(readFileBytes(target), "new\r\n");
}

TEST_F(WriteFailureTest, NewFileGetsTheUsualPermissions) {
    const mode_t mask = umask(022);
    writeMessageFile(dir.file("fresh.lsm"), {"a"});
    umask(mask);
    EXPECT_EQ(std::filesystem::status(dir.file("fresh.lsm")).permissions(),
              std::filesystem::perms(0644));
}

// Saving where permission bits matter, as an ordinary user: a file the user may not write is
// refused as a direct write would be; a writable file in a folder that takes no new files is
// rewritten in place.
TEST_F(WriteFailureTest, PermissionsDecideBetweenRefusingReplacingAndWritingInPlace) {
    if (rerunUnprivileged())
        return;
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        bool exists;
        fs::perms file;
        fs::perms folder;
        std::size_t newLength; // length of the one line written
        bool written;
        bool inPlace; // the same file, not a new one renamed over it
    };
    const fs::perms ro = fs::perms(0444), rw = fs::perms(0644);
    const fs::perms openFolder = fs::perms(0755), closedFolder = fs::perms(0555);
    const Case cases[] = {
        {"read-only file, open folder", true, ro, openFolder, 10, false, false},
        {"read-only file, closed folder", true, ro, closedFolder, 10, false, false},
        {"new file, closed folder", false, rw, closedFolder, 10, false, false},
        {"writable file, open folder", true, rw, openFolder, 10, true, false},
        {"writable file, closed folder, shorter", true, rw, closedFolder, 5, true, true},
        {"writable file, closed folder, longer", true, rw, closedFolder, 5000, true, true},
    };
    const std::string old = "NotCentered,the old message\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = dir.file(std::to_string(&c - cases));
        const std::string path = folder + "/m.lsm";
        fs::create_directory(folder);
        if (c.exists) {
            writeFileBytes(path, old);
            fs::permissions(path, c.file);
        }
        const ino_t inode = inodeOf(path);
        fs::permissions(folder, c.folder);
        const Lines lines = {std::string(c.newLength, 'n')};
        if (c.written) {
            writeMessageFile(path, lines);
            EXPECT_EQ(readFileBytes(path), joinMessageLines(lines));
            EXPECT_EQ(inodeOf(path) == inode, c.inPlace);
            EXPECT_EQ(fs::status(path).permissions(), c.file);
        } else {
            try {
                writeMessageFile(path, lines);
                ADD_FAILURE() << "written";
            } catch (const EFCreateError& error) {
                EXPECT_EQ(std::string(error.what()),
                          "Cannot create file " + path + "\nPermission denied");
            }
            EXPECT_EQ(fileExists(path) ? readFileBytes(path) : "", c.exists ? old : "");
        }
        // Nothing is left beside the file.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
                  c.exists || c.written ? 1 : 0);
    }
}

TEST_F(WriteFailureTest, InPlaceWriteThatCannotGrowKeepsTheOldBytes) {
    if (rerunUnprivileged())
        return;
    const std::string folder = dir.file("closed");
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/m.lsm";
    writeFileBytes(path, "NotCentered,old\r\n");
    std::filesystem::permissions(folder, std::filesystem::perms(0555));
    {
        const FileSizeLimit limit(4096);
        expectCreateError(path, Lines(100, "NotCentered," + std::string(200, 'n')));
    }
    EXPECT_EQ(readFileBytes(path), "NotCentered,old\r\n");
}

} // namespace
