#include "base/ascii_case.h"
#include "base/error_text.h"
#include "base/state_dir.h"
#include "base/ui_text.h"
#include "base/whole_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr auto D = TNumberForm::Digits;
constexpr auto S = TNumberForm::Signed;
constexpr auto H = TNumberForm::SignedOrHex;

TEST(WholeNumberTest, EachFormTakesItsOwnSpellingsAndNothingElse) {
    struct Row {
        const char* text;
        TNumberForm form;
        std::optional<long long> expected;
    } rows[] = {
        {"23", D, 23},
        {"007", D, 7},
        {"+5", D, std::nullopt},
        {"-5", D, std::nullopt},
        {"0x10", D, std::nullopt},
        {"-5", S, -5},
        {"+5", S, 5},
        {"+-5", S, std::nullopt},
        {"-+5", S, std::nullopt},
        {"0x10", S, std::nullopt},
        {"0x10", H, 16},
        {"0XfF", H, 255},
        {"0x", H, std::nullopt},
        {"0x-5", H, std::nullopt},
        {"-0x5", H, std::nullopt},
        {"+0x5", H, std::nullopt},
        {"", S, std::nullopt},
        {"-", S, std::nullopt},
        {" 5", S, std::nullopt},
        {"5 ", S, std::nullopt},
        {"1.5", S, std::nullopt},
        {"9223372036854775807", S, LLONG_MAX},
        {"9223372036854775808", S, LLONG_MAX},
        {"99999999999999999999999", D, LLONG_MAX},
        {"-9223372036854775808", S, LLONG_MIN},
        {"-9223372036854775809", S, LLONG_MIN},
        {"0x8000000000000000", H, LLONG_MAX},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parseWholeNumber(row.text, row.form), row.expected)
            << "'" << row.text << "' form " << static_cast<int>(row.form);
}

TEST(AsciiCaseTest, OnlyTheAsciiLettersFoldWhateverTheLocale) {
    EXPECT_TRUE(sameIgnoringAsciiCase("Comm", "cOMM"));
    EXPECT_TRUE(sameIgnoringAsciiCase("", ""));
    EXPECT_FALSE(sameIgnoringAsciiCase("Comm", "Comm "));
    EXPECT_FALSE(sameIgnoringAsciiCase("@[", "`{")); // the neighbours of A and Z do not fold
    EXPECT_FALSE(sameIgnoringAsciiCase("\xC4", "\xE4"));
    EXPECT_TRUE(sameIgnoringAsciiCase("\xC4x", "\xC4X"));
}

TEST(ErrorTextTest, TheReasonFollowsWhatFailedWhenThereIsOne) {
    EXPECT_EQ(failureText("Cannot open file a.lsm", "Permission denied"),
              "Cannot open file a.lsm\nPermission denied");
    EXPECT_EQ(failureText("Cannot open file a.lsm", ""), "Cannot open file a.lsm");
    EXPECT_EQ(failureLine("Cannot open /dev/x", "No such file"),
              "Cannot open /dev/x: No such file");
    EXPECT_EQ(failureLine("Cannot open /dev/x", ""), "Cannot open /dev/x");

    const TCodeText table[] = {{4, "four"}, {-2001, "own"}};
    EXPECT_EQ(codeText(table, 4), "four");
    EXPECT_EQ(codeText(table, -2001), "own");
    EXPECT_EQ(codeText(table, 5), "");
}

TEST(UiTextTest, ArgumentsGoInInOnePassAndTheInstalledTranslatorIsAsked) {
    EXPECT_EQ(fillIn("Block %1 holds %2 at %1", {"3", "0x02"}), "Block 3 holds 0x02 at 3");
    // A file name that holds "%2" is not filled in again.
    EXPECT_EQ(fillIn("Cannot open file %1 (%2)", {"100%2.lsm", "x"}),
              "Cannot open file 100%2.lsm (x)");
    EXPECT_EQ(fillIn("%1 of %2 bytes, 50%", {"5"}), "5 of %2 bytes, 50%");

    const TCodeText table[] = {{4, "four"}};
    setUiTranslator(
        [](const char* context, const char* text) { return std::string(context) + "|" + text; });
    EXPECT_EQ(codeText(table, 4), "ErrorCodes|four");
    setUiTranslator(nullptr);
    EXPECT_EQ(uiText("Files", "Cannot open file %1"), "Cannot open file %1");
}

TEST(StateDirTest, AnAbsoluteStateHomeElseTheOneInHome) {
    const std::string savedState = std::getenv("XDG_STATE_HOME");
    const std::string savedHome = std::getenv("HOME");
    setenv("HOME", "/h", 1);
    for (const auto& [state, expected] : {std::pair{"/s", "/s/lumavane"},
                                          {"", "/h/.local/state/lumavane"},
                                          {"relative", "/h/.local/state/lumavane"}}) {
        setenv("XDG_STATE_HOME", state, 1);
        EXPECT_EQ(programStateDirectory(), expected) << "XDG_STATE_HOME=" << state;
    }
    setenv("XDG_STATE_HOME", savedState.c_str(), 1);
    setenv("HOME", savedHome.c_str(), 1);
}

} // namespace
