#include "model/block.h"
#include "support/core/case_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ParseCase {
    const char* name;
    std::string line;
    bool centered;
    std::string text;
    std::string rebuilt;
};

class ParseLineTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseLineTest, ParsesAndRebuilds) {
    const ParseCase& c = GetParam();
    TBlock block;
    block.Centered = !c.centered; // nothing of the previous state may survive
    block.Text = "old";
    block.ParseLine(c.line);
    EXPECT_EQ(block.Centered, c.centered);
    EXPECT_EQ(block.Text, c.text);
    EXPECT_EQ(block.BuildLine(), c.rebuilt);
}

const std::string k300(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseLineTest,
    testing::Values(ParseCase{"CenteredEmpty", "Centered,", true, "", "Centered,"},
                    ParseCase{"Example", "Centered,^R^OPEN ^G^7 DAYS", true, "^R^OPEN ^G^7 DAYS",
                              "Centered,^R^OPEN ^G^7 DAYS"},
                    ParseCase{"FirstCommaSplits", "NotCentered,Hello, world", false, "Hello, world",
                              "NotCentered,Hello, world"},
                    ParseCase{"LowerCaseKeyword", "centered,X", false, "X", "NotCentered,X"},
                    ParseCase{"LeadingSpace", " Centered,X", false, "X", "NotCentered,X"},
                    ParseCase{"OtherKeyword", "Big,X", false, "X", "NotCentered,X"},
                    ParseCase{"NoComma", "Hello", false, "Hello", "NotCentered,Hello"},
                    ParseCase{"Empty", "", false, "", "NotCentered,"},
                    ParseCase{"CommaFirst", ",abc", false, "abc", "NotCentered,abc"},
                    ParseCase{"LongTextKeeps255", "NotCentered," + k300, false,
                              std::string(255, 'x'), "NotCentered," + std::string(255, 'x')},
                    ParseCase{"LongLineWithoutComma", k300, false, std::string(255, 'x'),
                              "NotCentered," + std::string(255, 'x')},
                    ParseCase{"HighBytes", "Centered,\xE9\x80\xFF", true, "\xE9\x80\xFF",
                              "Centered,\xE9\x80\xFF"}),
    CaseName());

TEST(BlockTest, NewBlockIsNotCenteredAndEmpty) {
    TBlock block;
    EXPECT_FALSE(block.Centered);
    EXPECT_TRUE(block.Text.empty());
}

TEST(BlockTest, ParseThenBuildGivesBackEveryWellFormedLine) {
    const std::vector<std::string> lines = {
        "Centered,",
        "NotCentered,",
        "Centered,a,b,c",
        "NotCentered,^R^^F^x^",
        "Centered," + std::string(255, '^'),
        "NotCentered," + std::string(255, ','),
    };
    for (const std::string& line : lines) {
        TBlock block;
        block.ParseLine(line);
        EXPECT_EQ(block.BuildLine(), line) << line;
    }
}

TEST(BlockTest, BuiltLineNeverHoldsLineBreaksOrNul) {
    TBlock block;
    block.Text = std::string("one\r\ntwo\nthree\rfour\0five", 24);
    EXPECT_EQ(block.BuildLine(), "NotCentered,one two three fourfive");
}

struct ExpandCase {
    const char* name;
    std::string text;
    std::string plain;
    std::vector<unsigned char> colours;
    std::vector<unsigned char> flash;
};

class ExpandMarkupTest : public testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandMarkupTest, Expands) {
    const ExpandCase& c = GetParam();
    TColourArray colours;
    TFlashArray flash;
    colours.fill(TSignColour{0xEE});
    flash.fill(TFlash{0xEE});
    std::string plain = "previous content";
    ExpandMarkup(c.text, plain, colours, flash);
    EXPECT_EQ(plain, c.plain);
    ASSERT_EQ(c.colours.size(), c.plain.size());
    for (std::size_t k = 0; k < c.plain.size(); ++k) {
        EXPECT_EQ(static_cast<unsigned char>(colours[k]), c.colours[k])
            << "colour of character " << k + 1;
        EXPECT_EQ(static_cast<unsigned char>(flash[k]), c.flash[k])
            << "flash of character " << k + 1;
    }
    // Entries after the plain text are left as they were.
    for (std::size_t k = c.plain.size(); k < kMaxBlockText; ++k) {
        ASSERT_EQ(colours[k], TSignColour{0xEE}) << k;
        ASSERT_EQ(flash[k], TFlash{0xEE}) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ExpandMarkupTest,
    testing::Values(ExpandCase{"RedThenGreen", "^R^AB^G^C", "ABC", {0, 0, 1}, {0, 0, 0}},
                    ExpandCase{"FlashOnOff", "A^F^B^F^C", "ABC", {0, 0, 0}, {0, 1, 0}},
                    ExpandCase{"YellowFlashing", "^Y^^F^HI", "HI", {2, 2}, {1, 1}},
                    ExpandCase{"CaretBeforeCode", "^^G^X", "^X", {0, 1}, {0, 0}},
                    ExpandCase{"UnknownCode", "50^%", "50^%", {0, 0, 0, 0}, {0, 0, 0, 0}},
                    ExpandCase{"CutOffCode", "AB^Y", "AB^Y", {0, 0, 0, 0}, {0, 0, 0, 0}},
                    ExpandCase{"LowerCase", "^g^", "^g^", {0, 0, 0}, {0, 0, 0}},
                    ExpandCase{"Empty", "", "", {}, {}},
                    ExpandCase{"OnlyCodes", "^R^^F^", "", {}, {}},
                    ExpandCase{"ThreeToggles", "a^F^b^F^c^F^d", "abcd", {0, 0, 0, 0}, {0, 1, 0, 1}},
                    ExpandCase{"LoneCaretAtEnd", "x^", "x^", {0, 0}, {0, 0}},
                    ExpandCase{"CodeAfterLiteralCaret", "^X^G^Y", "^XY", {0, 0, 1}, {0, 0, 0}},
                    ExpandCase{"GreenFlashingMixed", "A^G^B^F^C", "ABC", {0, 1, 1}, {0, 0, 1}}),
    CaseName());

TEST(ExpandMarkupLimits, NeverWritesPastTheArrays) {
    TColourArray colours;
    TFlashArray flash;
    std::string plain;
    // 600 characters of text: the expansion stops at the arrays' room.
    ExpandMarkup(std::string(300, 'a') + "^G^" + std::string(300, 'b'), plain, colours, flash);
    EXPECT_EQ(plain, std::string(255, 'a'));
}

TEST(SingleLineTextTest, JoinsLinesWithSpaces) {
    EXPECT_EQ(singleLineText("a\r\nb"), "a b");
    EXPECT_EQ(singleLineText("a\n\nb"), "a  b");
    EXPECT_EQ(singleLineText("a\r"), "a ");
    EXPECT_EQ(singleLineText(std::string("\0a", 2)), "a");
    EXPECT_EQ(singleLineText("plain"), "plain");
}

} // namespace
