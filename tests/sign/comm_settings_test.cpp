#include "settings/profile.h"
#include "settings/settings_path.h"
#include "sign/comm_settings.h"

#include "support/core/case_name.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct LoadCase {
    const char* name;
    std::optional<std::string> file; // none: no settings file
    int port;
    int baud;
    std::string ip;
    std::vector<std::string> report = {}; // after "<file>: "
    int signLines = 0;
    int signColumns = 0;
};

class CommLoadTest : public testing::TestWithParam<LoadCase> {};

TEST_P(CommLoadTest, LoadsFieldsOrDefaults) {
    const LoadCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    if (c.file)
        writeFileBytes(path, *c.file);
    TBComm comm(path);
    const std::vector<std::string> report = comm.Load();
    EXPECT_EQ(comm.Port, c.port);
    EXPECT_EQ(comm.Baud, c.baud);
    EXPECT_EQ(comm.IP, c.ip);
    EXPECT_EQ(comm.SignLines, c.signLines);
    EXPECT_EQ(comm.SignColumns, c.signColumns);
    std::vector<std::string> expected;
    for (const std::string& line : c.report)
        expected.push_back(path + ": " + line);
    EXPECT_EQ(report, expected);
}

const std::string k50 = "10.0.0.1" + std::string(42, 'x');

INSTANTIATE_TEST_SUITE_P(
    Files, CommLoadTest,
    testing::Values(
        LoadCase{
            .name = "NoFile", .file = std::nullopt, .port = 2, .baud = 1200, .ip = "192.168.1.100"},
        LoadCase{.name = "NoSection",
                 .file = "[Ports]\nCOM1=/dev/ttyUSB0\n",
                 .port = 2,
                 .baud = 1200,
                 .ip = "192.168.1.100"},
        LoadCase{.name = "AllSet",
                 .file = "[Comm]\nPort=5\nBaud=9600\nIP=10.9.8.7\n",
                 .port = 5,
                 .baud = 9600,
                 .ip = "10.9.8.7"},
        LoadCase{.name = "OddCase",
                 .file = "[comm]\nPORT=3\nbaud=4800\nip=10.0.0.2\n",
                 .port = 3,
                 .baud = 4800,
                 .ip = "10.0.0.2"},
        LoadCase{.name = "PortBeyondNetworkKept",
                 .file = "[Comm]\nPort=7\n",
                 .port = 7,
                 .baud = 1200,
                 .ip = "192.168.1.100"},
        LoadCase{.name = "PortZeroKeptNegativeBaudReplaced",
                 .file = "[Comm]\nPort=0\nBaud=-5\n",
                 .port = 0,
                 .baud = 1200,
                 .ip = "192.168.1.100",
                 .report = {"Baud=-5 is out of range; 1200 is used instead."}},
        LoadCase{
            .name = "NegativePortsGiveNoPort",
            .file = "[Comm]\nPort=-1\n",
            .port = 0,
            .baud = 1200,
            .ip = "192.168.1.100",
            .report =
                {"Port=-1 is out of range; 0 is used instead (no serial port is chosen: a send "
                 "asks for one)."}},
        LoadCase{.name = "BeyondThirtyTwoBits",
                 .file = "[Comm]\nPort=99999999999\nBaud=-0x5\n",
                 .port = 2,
                 .baud = 1200,
                 .ip = "192.168.1.100",
                 .report = {"Port=99999999999 is out of range; 2 is used instead."}},
        LoadCase{.name = "LongValueShownCut",
                 .file = "[Comm]\nBaud=-" + std::string(40, '9') + "\n",
                 .port = 2,
                 .baud = 1200,
                 .ip = "192.168.1.100",
                 .report = {"Baud=-" + std::string(23, '9') +
                            "... is out of range; 1200 is used instead."}},
        LoadCase{.name = "UnlistedBaudKept",
                 .file = "[Comm]\nBaud=1234\n",
                 .port = 2,
                 .baud = 1234,
                 .ip = "192.168.1.100"},
        LoadCase{.name = "Hex",
                 .file = "[Comm]\nPort=0x3\nBaud=0X2580\n",
                 .port = 3,
                 .baud = 9600,
                 .ip = "192.168.1.100"},
        LoadCase{.name = "Junk",
                 .file = "[Comm]\nPort=abc\nBaud=\n",
                 .port = 2,
                 .baud = 1200,
                 .ip = "192.168.1.100"},
        LoadCase{
            .name = "EmptyAddressKept", .file = "[Comm]\nIP=\n", .port = 2, .baud = 1200, .ip = ""},
        LoadCase{.name = "LongAddressCutTo40",
                 .file = "[Comm]\nIP=" + k50 + "\n",
                 .port = 2,
                 .baud = 1200,
                 .ip = k50.substr(0, 40)},
        LoadCase{.name = "SignSize",
                 .file = "[Comm]\nSignLines=99\nsigncolumns=0x14\n",
                 .port = 2,
                 .baud = 1200,
                 .ip = "192.168.1.100",
                 .report = {},
                 .signLines = 99,
                 .signColumns = 20},
        LoadCase{.name = "SignSizeOutOfRangeIsUnknown",
                 .file = "[Comm]\nSignLines=100\nSignColumns=-3\n",
                 .port = 2,
                 .baud = 1200,
                 .ip = "192.168.1.100",
                 .report = {"SignLines=100 is out of range; 0 is used instead.",
                            "SignColumns=-3 is out of range; 0 is used instead."}}),
    CaseName());

TEST(CommSettingsTest, NewObjectIsZeroAndEmpty) {
    const TBComm comm("unused");
    EXPECT_EQ(comm.Port, 0);
    EXPECT_EQ(comm.Baud, 0);
    EXPECT_EQ(comm.IP, "");
}

TEST(CommSettingsTest, SaveWritesAllThreeKeysInOrderAndKeepsTheRest) {
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    writeFileBytes(path, "; machine settings\n[Ports]\nCOM1=/dev/ttyUSB0\n\n[Comm]\nIP=old\n");
    TBComm comm(path);
    comm.Port = 5;
    comm.Baud = 19200;
    comm.IP = "10.0.0.7";
    comm.Save();
    EXPECT_EQ(readFileBytes(path), "; machine settings\n[Ports]\nCOM1=/dev/ttyUSB0\n\n[Comm]\n"
                                   "IP=10.0.0.7\nPort=5\nBaud=19200\n");
    TBComm again(path);
    again.Load();
    EXPECT_EQ(again.Port, 5);
    EXPECT_EQ(again.Baud, 19200);
    EXPECT_EQ(again.IP, "10.0.0.7");
}

// The sign's size goes in once it is known, and then stays; every other line stays as it was.
TEST(CommSettingsTest, SaveWritesTheSignSizeOnceKnownAndKeepsTheRest) {
    const std::string rest = "; machine settings\n[Ports]\nCOM1=/dev/ttyUSB0\n\n";
    const std::string comm = "[Comm]\nPort=2\nBaud=1200\nIP=192.168.1.100\n";
    const struct {
        const char* name;
        std::string before;
        int lines, columns;
        std::string after;
    } cases[] = {
        {"UnknownSizeAddsNothing", rest + comm, 0, 0, rest + comm},
        {"KnownSizeIsAdded", rest + comm, 4, 20, rest + comm + "SignLines=4\nSignColumns=20\n"},
        {"OneKnownOneNot", rest + comm, 0, 16, rest + comm + "SignColumns=16\n"},
        {"KeysKeepTheirPlaces", "[Comm]\nSignColumns=20\nPort=2\nSignLines=4\n" + rest, 0, 0,
         "[Comm]\nSignColumns=0\nPort=2\nSignLines=0\nBaud=1200\nIP=192.168.1.100\n" + rest},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("LUMAVANE.INI");
        writeFileBytes(path, c.before);
        TBComm comm(path);
        comm.Load();
        comm.SignLines = c.lines;
        comm.SignColumns = c.columns;
        comm.Save();
        EXPECT_EQ(readFileBytes(path), c.after);
        TBComm again(path);
        again.Load();
        EXPECT_EQ(again.SignLines, c.lines);
        EXPECT_EQ(again.SignColumns, c.columns);
    }
}

TEST(CommSettingsTest, SaveIntoAFreshFile) {
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    TBComm comm(path);
    comm.Load();
    comm.Save();
    EXPECT_EQ(readFileBytes(path), "[Comm]\nPort=2\nBaud=1200\nIP=192.168.1.100\n");
}

TEST(CommSettingsTest, AFailedSaveReportsTheFileAndKeepsTheFields) {
    TempDir dir;
    writeFileBytes(dir.file("blocker"), "not a directory");
    const std::string path = dir.file("blocker/LUMAVANE.INI");
    TBComm comm(path);
    comm.Port = 4;
    comm.Baud = 600;
    comm.IP = "10.0.0.3";
    try {
        comm.Save();
        FAIL() << "saved into " << path;
    } catch (const EFCreateError& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.substr(0, message.find('\n')), "Unable to write to " + path);
    }
    EXPECT_EQ(comm.Port, 4);
    EXPECT_EQ(comm.Baud, 600);
    EXPECT_EQ(comm.IP, "10.0.0.3");
}

// Sets or clears an environment variable for the life of the object.
class EnvOverride {
public:
    EnvOverride(const char* name, const char* value)
        : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvOverride() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SettingsPathTest, TheEnvironmentVariableWins) {
    TempDir dir;
    const EnvOverride ini("LUMAVANE_INI", dir.file("chosen.ini").c_str());
    EXPECT_EQ(settingsFilePath(dir.path()), dir.file("chosen.ini"));
    EXPECT_EQ(settingsFilePath(), dir.file("chosen.ini"));
    EXPECT_EQ(TBComm().settingsPath(), dir.file("chosen.ini"));
}

TEST(SettingsPathTest, TheMachineDirectoryWhenItExists) {
    TempDir machine;
    const EnvOverride ini("LUMAVANE_INI", nullptr);
    EXPECT_EQ(settingsFilePath(machine.path()), machine.file("LUMAVANE.INI"));
}

TEST(SettingsPathTest, ElseTheUsersConfigurationDirectoryCreatedOnSave) {
    TempDir dir;
    const EnvOverride ini("LUMAVANE_INI", "");
    const EnvOverride config("XDG_CONFIG_HOME", dir.file("config").c_str());
    const std::string path = settingsFilePath(dir.file("no-such-machine-dir"));
    ASSERT_EQ(path, dir.file("config/lumavane/LUMAVANE.INI"));
    TBComm comm(path);
    comm.Load();
    comm.Port = 1;
    comm.Save();
    EXPECT_EQ(readFileBytes(path), "[Comm]\nPort=1\nBaud=1200\nIP=192.168.1.100\n");
}

TEST(SettingsPathTest, ConfigurationDefaultsToDotConfigInHome) {
    TempDir dir;
    const EnvOverride ini("LUMAVANE_INI", nullptr);
    const EnvOverride config("XDG_CONFIG_HOME", nullptr);
    const EnvOverride home("HOME", dir.path().c_str());
    EXPECT_EQ(settingsFilePath(dir.file("no-such-machine-dir")),
              dir.file(".config/lumavane/LUMAVANE.INI"));
}

} // namespace
