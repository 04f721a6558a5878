#include "settings/profile.h"

#include "support/core/case_name.h"
#include "support/core/test_env.h"
#include "support/core/unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct ReadCase {
    const char* name;
    const char* file; // nullptr: no file at all
    const char* section;
    const char* key;
    std::string expected; // with the default "dflt"
};

class ProfileReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileReadTest, ReadsTheValueOrTheDefault) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    if (c.file)
        writeFileBytes(path, c.file);
    EXPECT_EQ(readProfileString(path, c.section, c.key, "dflt"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileReadTest,
    testing::Values(
        ReadCase{"MissingFile", nullptr, "Comm", "IP", "dflt"},
        ReadCase{"EmptyFile", "", "Comm", "IP", "dflt"},
        ReadCase{"Plain", "[Comm]\nPort=3\nIP=10.1.2.3\n", "Comm", "IP", "10.1.2.3"},
        ReadCase{"MissingSection", "[Other]\nIP=10.1.2.3\n", "Comm", "IP", "dflt"},
        ReadCase{"MissingKey", "[Comm]\nPort=3\n", "Comm", "IP", "dflt"},
        ReadCase{"KeyOfAnotherSection", "[Comm]\nPort=3\n[Other]\nIP=1\n", "Comm", "IP", "dflt"},
        ReadCase{"OddCase", "[cOMm]\nip=10.0.0.9\n", "Comm", "IP", "10.0.0.9"},
        ReadCase{"SpacesAroundNamesAndValue", "  [ Comm ]  \n  IP  =  10.0.0.9  \n", "Comm", "IP",
                 "10.0.0.9"},
        ReadCase{"CrLfLines", "[Comm]\r\nIP=10.0.0.9\r\n", "Comm", "IP", "10.0.0.9"},
        ReadCase{"NoFinalLineBreak", "[Comm]\nIP=10.0.0.9", "Comm", "IP", "10.0.0.9"},
        ReadCase{"EmptyValueIsAValue", "[Comm]\nIP=\n", "Comm", "IP", ""},
        ReadCase{"CommentedOut", "[Comm]\n;IP=10.0.0.1\n#IP=10.0.0.2\n", "Comm", "IP", "dflt"},
        ReadCase{"FirstKeyCounts", "[Comm]\nIP=first\nIP=second\n", "Comm", "IP", "first"},
        ReadCase{"FirstSectionCounts", "[Comm]\nPort=1\n[Comm]\nIP=later\n", "Comm", "IP", "dflt"},
        ReadCase{"KeyBeforeAnySection", "IP=loose\n[Comm]\n", "Comm", "IP", "dflt"},
        ReadCase{"EqualsInValue", "[Comm]\nIP=a=b\n", "Comm", "IP", "a=b"}),
    CaseName());

TEST(ProfileReadLimits, ValuesAreCutAt2047Characters) {
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    writeFileBytes(path, "[Comm]\nIP=" + std::string(3000, 'a') + "\nPort=0x10\n");
    EXPECT_EQ(readProfileString(path, "Comm", "IP", ""), std::string(2047, 'a'));
    EXPECT_EQ(readProfileInt(path, "Comm", "Port", 2), 16);
}

TEST(ProfileReadLimits, AFifoInsteadOfAFileNeitherHangsNorIsReplaced) {
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(readProfileInt(path, "Comm", "Port", 2), 2);
    EXPECT_THROW(writeProfileString(path, "Comm", "Port", "5"), EFCreateError);
    EXPECT_TRUE(fs::is_fifo(path));
}

TEST(ProfileReadLimits, ADirectoryInsteadOfAFileGivesTheDefault) {
    TempDir dir;
    fs::create_directory(dir.file("LUMAVANE.INI"));
    EXPECT_EQ(readProfileString(dir.file("LUMAVANE.INI"), "Comm", "IP", "dflt"), "dflt");
    EXPECT_EQ(readProfileInt(dir.file("LUMAVANE.INI"), "Comm", "Port", 2), 2);
}

TEST(ProfileIntTest, DecimalOrHexElseTheDefault) {
    struct Row {
        const char* text;
        int expected;
    } rows[] = {
        {"3", 3},
        {"0x3", 3},
        {"0X1f", 31},
        {"0x7FFFFFFF", 2147483647},
        {"-4", -4},
        {"+7", 7},
        {"010", 10},
        {"0", 0},
        {"abc", 99},
        {"", 99},
        {"0x", 99},
        {"0X", 99},
        {"x3", 99},
        {"12abc", 99},
        {"1.5", 99},
        {"0xG1", 99},
        {"0x-5", 99},
        {"0x+5", 99},
        {"+-5", 99},
        {"-", 99},
        {"1 2", 99},
        {"99999999999", 99},
        {"0x100000000", 99},
        {"-2147483648", -2147483648},
    };
    for (const Row& row : rows)
        EXPECT_EQ(profileIntValue(row.text, 99), row.expected) << "'" << row.text << "'";
}

struct WriteCase {
    const char* name;
    const char* before; // nullptr: no file
    const char* key;
    const char* value;
    std::string after;
};

class ProfileWriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWriteTest, ChangesOnlyThatKey) {
    const WriteCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    if (c.before)
        writeFileBytes(path, c.before);
    writeProfileString(path, "Comm", c.key, c.value);
    EXPECT_EQ(readFileBytes(path), c.after);
    EXPECT_EQ(readProfileString(path, "Comm", c.key, "dflt"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileWriteTest,
    testing::Values(
        WriteCase{"NewFile", nullptr, "Port", "5", "[Comm]\nPort=5\n"},
        WriteCase{"EmptyFile", "", "Port", "5", "[Comm]\nPort=5\n"},
        WriteCase{"ReplacedWhereItStands",
                  "; sign link\n[Comm]\nPort=2\nBaud=1200\n\n[Ports]\nCOM1=/dev/ttyUSB0\n", "Port",
                  "5", "; sign link\n[Comm]\nPort=5\nBaud=1200\n\n[Ports]\nCOM1=/dev/ttyUSB0\n"},
        WriteCase{"OddCaseKeepsItsSpelling", "[COMM]\n  port = 2\n", "Port", "5",
                  "[COMM]\nport=5\n"},
        WriteCase{"NewKeyAtEndOfSection", "[Comm]\nPort=2\n; end\n\n[Ports]\nCOM1=/dev/x\n", "Baud",
                  "9600", "[Comm]\nPort=2\nBaud=9600\n; end\n\n[Ports]\nCOM1=/dev/x\n"},
        WriteCase{"NewKeyInEmptySection", "[Comm]\n\n[Ports]\n", "IP", "10.0.0.1",
                  "[Comm]\nIP=10.0.0.1\n\n[Ports]\n"},
        WriteCase{"NewSectionAtEnd", "[Ports]\nCOM1=/dev/x\n", "Port", "5",
                  "[Ports]\nCOM1=/dev/x\n\n[Comm]\nPort=5\n"},
        WriteCase{"NewSectionAfterBlankLine", "[Ports]\n\n", "Port", "5",
                  "[Ports]\n\n[Comm]\nPort=5\n"},
        WriteCase{"NoFinalLineBreakReplaced", "[Comm]\nPort=2", "Port", "5", "[Comm]\nPort=5"},
        WriteCase{"NoFinalLineBreakAdded", "[Comm]\nPort=2", "Baud", "300",
                  "[Comm]\nPort=2\nBaud=300\n"},
        WriteCase{"KeepsCrLf", "[Comm]\r\nPort=2\r\n", "Baud", "300",
                  "[Comm]\r\nPort=2\r\nBaud=300\r\n"},
        WriteCase{"FirstOfDuplicates", "[Comm]\nPort=1\nPort=2\n", "Port", "5",
                  "[Comm]\nPort=5\nPort=2\n"},
        WriteCase{"EmptyValue", "[Comm]\nIP=10.0.0.1\n", "IP", "", "[Comm]\nIP=\n"},
        WriteCase{"HighBytesKept", "; caf\xE9\n[Comm]\n", "IP", "h\xF6st",
                  "; caf\xE9\n[Comm]\nIP=h\xF6st\n"}),
    CaseName());

// The first line of a write error, and that the file's name is in it.
void expectUnableToWrite(const std::function<void()>& write, const std::string& path) {
    try {
        write();
        ADD_FAILURE() << "no error for " << path;
    } catch (const EFCreateError& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.substr(0, message.find('\n')), "Unable to write to " + path);
    }
}

TEST(ProfileWriteFailures, ParentIsARegularFile) {
    TempDir dir;
    writeFileBytes(dir.file("notadir"), "x");
    const std::string path = dir.file("notadir/LUMAVANE.INI");
    expectUnableToWrite([&] { writeProfileString(path, "Comm", "Port", "5"); }, path);
    EXPECT_EQ(readFileBytes(dir.file("notadir")), "x");
}

TEST(ProfileWriteFailures, ADirectoryStandsWhereTheFileShouldBe) {
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    fs::create_directory(path);
    writeFileBytes(path + "/inside", "kept");
    expectUnableToWrite([&] { writeProfileString(path, "Comm", "Port", "5"); }, path);
    EXPECT_EQ(readFileBytes(path + "/inside"), "kept");
}

TEST(ProfileWriteFailures, LineBreaksInNamesOrValuesAreRefused) {
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    const std::string before = "[Comm]\nIP=10.0.0.1\n";
    writeFileBytes(path, before);
    expectUnableToWrite([&] { writeProfileString(path, "Comm", "IP", "1\n[Ports]\nCOM1=/x"); },
                        path);
    expectUnableToWrite([&] { writeProfileString(path, "Comm", "IP", std::string("a\0b", 3)); },
                        path);
    expectUnableToWrite([&] { writeProfileString(path, "Comm", "I=P", "1"); }, path);
    expectUnableToWrite([&] { writeProfileString(path, "Co]mm", "IP", "1"); }, path);
    expectUnableToWrite([&] { writeProfileString(path, "Comm", "", "1"); }, path);
    EXPECT_EQ(readFileBytes(path), before);
}

TEST(ProfileWriteSafety, CreatesTheMissingDirectory) {
    TempDir dir;
    const std::string path = dir.file("a/b/LUMAVANE.INI");
    writeProfileString(path, "Comm", "Port", "5");
    EXPECT_EQ(readFileBytes(path), "[Comm]\nPort=5\n");
}

TEST(ProfileWriteSafety, KeepsTheFilesPermissions) {
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    writeFileBytes(path, "[Comm]\nPort=2\n");
    const auto shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                        fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;
    fs::permissions(path, shared);
    writeProfileString(path, "Comm", "Port", "5");
    EXPECT_EQ(fs::status(path).permissions(), shared);
    EXPECT_EQ(readFileBytes(path), "[Comm]\nPort=5\n");
}

TEST(ProfileWriteSafety, WritesThroughASymbolicLink) {
    TempDir dir;
    writeFileBytes(dir.file("real.ini"), "[Comm]\nPort=2\n");
    fs::create_symlink(dir.file("real.ini"), dir.file("LUMAVANE.INI"));
    writeProfileString(dir.file("LUMAVANE.INI"), "Comm", "Port", "5");
    EXPECT_TRUE(fs::is_symlink(dir.file("LUMAVANE.INI")));
    EXPECT_EQ(readFileBytes(dir.file("real.ini")), "[Comm]\nPort=5\n");
}

TEST(ProfileWriteSafety, AFileOpenToAllInALockedDirectoryIsWrittenInPlace) {
    // The machine-wide layout: the directory takes no new files, the file is writable.
    TempDir dir;
    const std::string locked = dir.file("locked");
    fs::create_directory(locked);
    const std::string path = locked + "/LUMAVANE.INI";
    writeFileBytes(path, "; machine\n[Comm]\nPort=2\n");
    fs::permissions(path, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                             fs::perms::others_exec));
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    writeProfileString(path, "Comm", "Port", "5");
    EXPECT_EQ(readFileBytes(path), "; machine\n[Comm]\nPort=5\n");
    EXPECT_EQ(fs::directory_iterator(locked)->path().filename(), "LUMAVANE.INI");
    EXPECT_EQ(std::distance(fs::directory_iterator(locked), fs::directory_iterator()), 1);
}

TEST(ProfileWriteFailures, ReadOnlyFileInReadOnlyDirectory) {
    if (rerunUnprivileged())
        return;
    TempDir dir;
    const std::string locked = dir.file("locked");
    fs::create_directory(locked);
    const std::string path = locked + "/LUMAVANE.INI";
    writeFileBytes(path, "[Comm]\nPort=2\n");
    fs::permissions(path, fs::perms::owner_read);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    expectUnableToWrite([&] { writeProfileString(path, "Comm", "Port", "5"); }, path);
    EXPECT_EQ(readFileBytes(path), "[Comm]\nPort=2\n");
}

} // namespace

TEST(ProfileLineEnds, ALastLineEndingInALoneCrKeepsItsValue) {
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    writeFileBytes(path, "[Comm]\r\nPort=5\r");
    EXPECT_EQ(readProfileInt(path, "Comm", "Port", 2), 5);
    writeProfileString(path, "Comm", "Baud", "9600");
    EXPECT_EQ(readProfileInt(path, "Comm", "Port", 2), 5);
    EXPECT_EQ(readProfileString(path, "Comm", "Baud", ""), "9600");
    EXPECT_EQ(readFileBytes(path), "[Comm]\r\nPort=5\r\nBaud=9600\r\n");
}
