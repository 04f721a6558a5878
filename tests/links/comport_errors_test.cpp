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
    testing::Values(PlatformCase{"OwnTextWins", 160, "ignored", -160, "Device write error", true},
                    PlatformCase{"OwnTextLowest", 4, "", -4, "Too many open files", true},
                    PlatformCase{"OwnTextHighest", 162, "", -162, "General failure", true},
                    PlatformCase{"PlatformTextCleaned", 87, "The parameter\r\n\tis  incorrect.\r\n",
                                 -87, "The parameter is incorrect. ", true},
                    PlatformCase{"PlatformTextCut", 31, std::string(300, 'x'), -31,
                                 std::string(255, 'x'), true},
                    PlatformCase{"AboveTheRangeGeneral", 995, "text", -995,
                                 "Unspecified serial port error", false},
                    PlatformCase{"AboveTheRangeOwnCode", 2001, "text", -2001,
                                 "Specified comport doesn't exist", false}),
    CaseName());

} // namespace
