#include "links/comport_errors.h"
#include "support/core/case_name.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct PlatformCase {
    const char* name;
    int errorCode;
    std::string platformText;
    int code;
    std::string message;
    bool ioError;
};

// Test names and failures show the case by its name, not its bytes.
class PlatformErrorTest : public testing::TestWithParam<PlatformCase> {};

TEST_P(PlatformErrorTest, RaisesTheFamilyMemberWithItsText) {
    const PlatformCase& c = GetParam();
    try {
        throwPlatformError(c.errorCode, c.platformText);
        FAIL() << "nothing raised";
    } catch (const EPortException& e) {
        EXPECT_EQ(e.code(), c.code);
        EXPECT_EQ(std::string(e.what()), c.message);
        EXPECT_EQ(dynamic_cast<const EInOutError*>(&e) != nullptr, c.ioError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, PlatformErrorTest,
    testing::Values(PlatformCase{.name = "OwnTextWins",
                                 .errorCode = 160,
                                 .platformText = "ignored",
                                 .code = -160,
                                 .message = "Device write error",
                                 .ioError = true},
                    PlatformCase{.name = "OwnTextLowest",
                                 .errorCode = 4,
                                 .platformText = "",
                                 .code = -4,
                                 .message = "Too many open files",
                                 .ioError = true},
                    PlatformCase{.name = "OwnTextHighest",
                                 .errorCode = 162,
                                 .platformText = "",
                                 .code = -162,
                                 .message = "General failure",
                                 .ioError = true},
                    PlatformCase{.name = "PlatformTextCleaned",
                                 .errorCode = 87,
                                 .platformText = "The parameter\r\n\tis  incorrect.\r\n",
                                 .code = -87,
                                 .message = "The parameter is incorrect. ",
                                 .ioError = true},
                    PlatformCase{.name = "PlatformTextCut",
                                 .errorCode = 31,
                                 .platformText = std::string(300, 'x'),
                                 .code = -31,
                                 .message = std::string(255, 'x'),
                                 .ioError = true},
                    PlatformCase{.name = "AboveTheRangeGeneral",
                                 .errorCode = 995,
                                 .platformText = "text",
                                 .code = -995,
                                 .message = "Unspecified serial port error",
                                 .ioError = false},
                    PlatformCase{.name = "AboveTheRangeOwnCode",
                                 .errorCode = 2001,
                                 .platformText = "text",
                                 .code = -2001,
                                 .message = "Specified comport doesn't exist",
                                 .ioError = false}),
    CaseName());

} // namespace
