#include "files/file_errors.h"
#include "model/recent_files.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using Files = std::vector<std::string>;

// One story of the list. Steps: "+PATH" notes a file as opened or saved, "=BYTES" has another
// editor write the file, "drop" drops the files of `missing`, "clear" is Clear List.
struct RecentCase {
    const char* name;
    std::vector<std::string> steps;
    Files expected;
    std::set<std::string> missing = {};
};

class RecentFilesTest : public testing::TestWithParam<RecentCase> {};

TEST_P(RecentFilesTest, KeepsTheListAndItsFile) {
    TempDir dir;
    // The folder of the file does not exist yet: the first write makes it.
    const std::string store = dir.file("state/lumavane/recent-files.txt");
    TRecentFiles recent(store);
    recent.Load();
    for (const std::string& step : GetParam().steps) {
        if (step.front() == '+')
            recent.Add(step.substr(1));
        else if (step.front() == '=') {
            std::filesystem::create_directories(std::filesystem::path(store).parent_path());
            writeFileBytes(store, step.substr(1));
        } else if (step == "drop")
            recent.DropMissing([&](const std::string& f) { return !GetParam().missing.count(f); });
        else if (step == "clear")
            recent.Clear();
    }
    EXPECT_EQ(recent.Files(), GetParam().expected);
    // What another run of the editor finds.
    TRecentFiles next(store);
    next.Load();
    EXPECT_EQ(next.Files(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Stories, RecentFilesTest,
    testing::Values(
        RecentCase{"NothingYet", {}, {}},
        RecentCase{"NewestFirst",
                   {"+/m/a.lsm", "+/m/b.lsm", "+/m/c.lsm"},
                   {"/m/c.lsm", "/m/b.lsm", "/m/a.lsm"}},
        RecentCase{"AgainMovesToTheTopOnce",
                   {"+/m/a.lsm", "+/m/b.lsm", "+/m/a.lsm", "+/m/a.lsm"},
                   {"/m/a.lsm", "/m/b.lsm"}},
        RecentCase{"EightAtMost",
                   {"+/1", "+/2", "+/3", "+/4", "+/5", "+/6", "+/7", "+/8", "+/9", "+/10"},
                   {"/10", "/9", "/8", "/7", "/6", "/5", "/4", "/3"}},
        RecentCase{"PathsThatCannotBeKeptAreNotPutIn",
                   {"+/m/a.lsm", "+relative.lsm", "+", std::string("+/m/line\nbreak.lsm"),
                    std::string("+/m/nul\0.lsm", 13)},
                   {"/m/a.lsm"}},
        RecentCase{"AFileWrittenByHandIsTidied",
                   {"=/m/a.lsm\r\n\nrelative\n/m/b.lsm\n/m/a.lsm\n/1\n/2\n/3\n/4\n/5\n/6\n/7",
                    "+/m/b.lsm"},
                   {"/m/b.lsm", "/m/a.lsm", "/1", "/2", "/3", "/4", "/5", "/6"}},
        RecentCase{"AnotherEditorsEntriesAreKept",
                   {"+/m/a.lsm", "=/m/x.lsm\n/m/a.lsm\n", "+/m/b.lsm"},
                   {"/m/b.lsm", "/m/x.lsm", "/m/a.lsm"}},
        RecentCase{"MissingFilesDropped",
                   {"+/m/a.lsm", "+/m/b.lsm", "+/m/c.lsm", "drop"},
                   {"/m/c.lsm", "/m/a.lsm"},
                   {"/m/b.lsm", "/m/gone.lsm"}},
        RecentCase{"ClearList", {"+/m/a.lsm", "+/m/b.lsm", "clear"}, {}},
        RecentCase{"HighBytesAndSpacesKept", {"+/m/caf\xE9 menu.lsm"}, {"/m/caf\xE9 menu.lsm"}}),
    [](const testing::TestParamInfo<RecentCase>& info) { return std::string(info.param.name); });

TEST(RecentFilesErrorTest, AFileThatCannotBeReadOrWrittenIsToldAndTheListGoesOn) {
    TempDir dir;
    // A folder where the file should be: it cannot be read, and is not written over.
    const std::string unreadable = dir.file("recent-files.txt");
    std::filesystem::create_directory(unreadable);
    TRecentFiles recent(unreadable);
    try {
        recent.Add("/m/a.lsm");
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + unreadable + "\nIs a directory");
    }
    EXPECT_EQ(recent.Files(), Files{"/m/a.lsm"});
    EXPECT_TRUE(std::filesystem::is_directory(unreadable));

    // A regular file where its folder should be: it cannot be written.
    writeFileBytes(dir.file("state"), "");
    const std::string unwritable = dir.file("state/lumavane/recent-files.txt");
    TRecentFiles blocked(unwritable);
    EXPECT_THROW(blocked.Add("/m/a.lsm"), EFCreateError);
    EXPECT_THROW(blocked.Clear(), EFCreateError);
    EXPECT_EQ(blocked.Files(), Files{});

    // Only a file known to be gone counts as missing.
    writeFileBytes(dir.file("here.lsm"), "");
    EXPECT_TRUE(recentFileExists(dir.file("here.lsm")));
    EXPECT_FALSE(recentFileExists(dir.file("gone.lsm")));
    EXPECT_FALSE(recentFileExists(dir.file("here.lsm/under-a-file.lsm")));
}

} // namespace
