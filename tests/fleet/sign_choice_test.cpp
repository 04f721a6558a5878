// Which signs a run of the command-line sender goes to, with which links and where on them.

#include "files/file_errors.h"
#include "fleet/sign_choice.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* kSettings = "[Comm]\r\nPort=3\r\nBaud=9600\r\nIP=10.0.0.5\r\n"
                        "[Ports]\r\nCOM3=/dev/ttyUSB0\r\nCOM1=/dev/ttyUSB7\r\n"
                        "[Sign hall]\r\nPort=5\r\nIP=127.0.0.18:2323\r\nLine=3\r\nWidth=0x10\r\n"
                        "[Sign door]\r\nDevice=/dev/ttyACM0\r\nBaud=19200\r\n"
                        "[sign  Yard]\r\nPort=1\r\n";

// A request for these signs (all of them for "*") with these values for the run.
TSignRequest request(std::vector<std::string> names, std::optional<int> port = {},
                     std::optional<int> baud = {}, const char* device = nullptr,
                     const char* host = nullptr) {
    TSignRequest r;
    r.all = names == std::vector<std::string>{"*"};
    if (!r.all)
        r.names = std::move(names);
    r.change.port = port;
    r.change.baud = baud;
    if (device)
        r.change.device = device;
    if (host)
        r.change.host = host;
    return r;
}

TEST(SignChoiceTest, ChoosesTheSignsAndTheirLinks) {
    const struct {
        TSignRequest request;
        const char* extra; // appended to kSettings; nullptr: a folder in the file's place
        // Each sign "name|link|line|width" (- for none), joined by "; "; or the error's start.
        std::string expected;
    } cases[] = {
        {request({}), "", "Comm|Com port 3 (/dev/ttyUSB0) at 9600 baud|-|-"},
        {request({"*"}), "",
         "hall|IP address 127.0.0.18, port 2323|3|16; door|Serial device /dev/ttyACM0 at 19200 "
         "baud|-|-; Yard|Com port 1 (/dev/ttyUSB7) at 1200 baud|-|-"},
        {request({"DOOR", "hall", "door"}), "",
         "door|Serial device /dev/ttyACM0 at 19200 baud|-|-; hall|IP address 127.0.0.18, port "
         "2323|3|16"},
        {request({}, {}, {}, nullptr, "127.0.0.1:4000"), "",
         "Comm|IP address 127.0.0.1, port 4000|-|-"},
        {request({}, 5), "", "Comm|IP address 10.0.0.5, port 23|-|-"},
        {request({}, {}, 2400, "/dev/pts/9"), "", "Comm|Serial device /dev/pts/9 at 2400 baud|-|-"},
        {request({"hall"}, 1), "", "hall|Com port 1 (/dev/ttyUSB7) at 1200 baud|3|16"},
        {request({"door", "yard"}, {}, 300), "",
         "door|Serial device /dev/ttyACM0 at 300 baud|-|-; Yard|Com port 1 (/dev/ttyUSB7) at 300 "
         "baud|-|-"},
        {request({"nope"}), "", "No sign \"nope\" in "},
        {request({"*"}, {}, {}, nullptr, "10.0.0.9"), "",
         "A port, a device or a host names the place of one sign; 3 signs"},
        {request({}, {}, {}, "/dev/pts/9", "10.0.0.9"), "",
         "A sign is reached either over the network or over a serial device"},
        {request({}, 2, {}, nullptr, "10.0.0.9"), "", "Port 2 is a serial port"},
        {request({"bad"}), "[Sign bad]\r\nLine=150\r\n",
         "[Sign bad] Line=150: the start line is a whole number from 0 to 99."},
        {request({"bad"}), "[Sign bad]\r\nWidth=wide\r\n", "[Sign bad] Width=wide: the width is"},
        {request({"bad"}), "[Sign bad]\r\nDevice=/dev/ttyS9\r\nPort=5\r\n",
         "[Sign bad] names the serial device /dev/ttyS9 but Port=5"},
        {request({"bad"}), "[Sign bad]\r\nPort=5\r\nIP=10.0.0.1:99999\r\n",
         "\"10.0.0.1:99999\": the port after the colon is a whole number from 1 to 65535."},
        {request({}), nullptr, "Cannot open file "},
        // A sign section that cannot be used makes the file unusable, whatever is asked.
        {request({}), "[Sign HALL]\r\nPort=1\r\n",
         "LUMAVANE.INI, line 18: [Sign HALL] names the sign HALL again (first on line 8)"},
        {request({"*"}), "[Sign ]\r\n", "LUMAVANE.INI, line 18: [Sign ] names no sign"},
        {request({"hall"}), "[Sign x]y]\r\n", "line 18: [Sign x]y] is not a sign section"},
        {request({"lan"}), "[Sign lan] ; the hall's network sign\r\nIP=10.0.0.7\r\n",
         "lan|Com port 2 (/dev/ttyS1), from the default Port, at 1200 baud|-|-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        TempDir dir;
        const std::string path = dir.file("LUMAVANE.INI");
        if (c.extra)
            writeFileBytes(path, std::string(kSettings) + c.extra);
        else
            std::filesystem::create_directory(path);
        std::vector<std::string> notes;
        std::string got;
        try {
            for (const TChosenSign& sign : chooseSigns(path, c.request, notes)) {
                auto value = [](const std::optional<int>& v) {
                    return v ? std::to_string(*v) : "-";
                };
                got += (got.empty() ? "" : "; ") + sign.name + "|" + describeSignLink(sign.link) +
                       "|" + value(sign.start) + "|" + value(sign.width);
            }
        } catch (const std::exception& error) {
            got = error.what();
            EXPECT_EQ(dynamic_cast<const EFileError*>(&error) != nullptr, c.extra == nullptr);
            if (got.find(c.expected) != std::string::npos)
                got = c.expected;
        }
        EXPECT_EQ(got, c.expected);
        EXPECT_TRUE(notes.empty());
    }
}

} // namespace
