#include "sign/send_buffer.h"
#include "sign/sign_stream.h"
#include "support/core/case_name.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Bytes from space-separated hexadecimal pairs, e.g. "02 30 31".
std::string hex(const std::string& pairs) {
    std::istringstream in(pairs);
    std::string out;
    std::string pair;
    while (in >> pair)
        out.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
    return out;
}

std::string spaces(std::size_t n) {
    return std::string(n, ' ');
}

std::string dump(std::string_view bytes) {
    std::ostringstream out;
    for (unsigned char c : bytes) {
        static const char* digits = "0123456789ABCDEF";
        out << digits[c >> 4] << digits[c & 15] << ' ';
    }
    return out.str();
}

std::string build(const std::vector<std::string>& lines, int start, int width) {
    TSendBuffer buffer;
    TBlock sendBlock;
    buildSignStream(buffer, sendBlock, lines, start, width);
    return std::string(buffer.bytes());
}

struct StreamCase {
    const char* name;
    std::vector<std::string> lines;
    int start;
    int width;
    std::string expected;
};

class SignStreamTest : public testing::TestWithParam<StreamCase> {};

TEST_P(SignStreamTest, BuildsTheseBytes) {
    const StreamCase& c = GetParam();
    const std::string stream = build(c.lines, c.start, c.width);
    EXPECT_EQ(dump(stream), dump(c.expected));
}

const std::string kRecordStart = hex("02 30 31");

INSTANTIATE_TEST_SUITE_P(
    Records, SignStreamTest,
    testing::Values(
        // The worked examples.
        StreamCase{"GreenThenFlashing",
                   {"NotCentered,A^G^B^F^C"},
                   1,
                   20,
                   hex("02 30 31 17 41 05 42 0F 43 0F 03")},
        StreamCase{
            "CentredEvenPads", {"Centered,HI"}, 1, 6, hex("02 30 31 20 20 17 48 49 20 20 03")},
        StreamCase{"EmptyText", {"NotCentered,"}, 1, 20, hex("02 30 31 03")},
        StreamCase{"CentredEmptyText",
                   {"Centered,"},
                   1,
                   21,
                   kRecordStart + spaces(10) + spaces(11) + hex("03")},
        StreamCase{"FlashBeforeColour",
                   {"NotCentered,^Y^^F^OK"},
                   1,
                   20,
                   hex("02 30 31 17 0F 06 4F 4B 0F 03")},
        // Centring.
        StreamCase{"OddPadGoesAfter",
                   {"Centered,ABCDE"},
                   1,
                   20,
                   kRecordStart + spaces(7) + hex("17") + "ABCDE" + spaces(8) + hex("03")},
        StreamCase{"OneShortOfWidth",
                   {"Centered,ABC"},
                   1,
                   4,
                   kRecordStart + hex("17") + "ABC " + hex("03")},
        StreamCase{"ExactlyWidth", {"Centered,ABCD"}, 1, 4, kRecordStart + hex("17") + "ABCD\x03"},
        StreamCase{"WiderThanLineIsSentWhole",
                   {"Centered,ABCDEFGHIJ"},
                   1,
                   5,
                   kRecordStart + hex("17") + "ABCDEFGHIJ\x03"},
        StreamCase{"MarkupTakesNoRoom",
                   {"Centered,^G^AB^F^"},
                   1,
                   4,
                   kRecordStart + " " + hex("17 05") + "AB " + hex("03")},
        StreamCase{"NotCentredNeverPadded",
                   {"NotCentered,AB"},
                   1,
                   999,
                   kRecordStart + hex("17") + "AB\x03"},
        StreamCase{"CentredEmptyWidthOne", {"Centered,"}, 1, 1, kRecordStart + " \x03"},
        // Markup that changes nothing produces nothing.
        StreamCase{"RedStartHasOneRedByte",
                   {"NotCentered,^R^X"},
                   1,
                   20,
                   kRecordStart + hex("17") + "X\x03"},
        StreamCase{"FlashOnOffWithoutCharacter",
                   {"NotCentered,A^F^^F^B"},
                   1,
                   20,
                   kRecordStart + hex("17") + "AB\x03"},
        StreamCase{"ColourBackBeforeCharacter",
                   {"NotCentered,A^G^^R^B"},
                   1,
                   20,
                   kRecordStart + hex("17") + "AB\x03"},
        StreamCase{"OnlyMarkup", {"NotCentered,^G^^F^"}, 1, 20, hex("02 30 31 03")},
        StreamCase{"EndsSteadyAfterFlash",
                   {"NotCentered,^F^A^F^B"},
                   1,
                   20,
                   kRecordStart + hex("17 0F") + "A" + hex("0F") + "B\x03"},
        StreamCase{"EveryColourChange",
                   {"NotCentered,^Y^a^G^b^R^c"},
                   1,
                   20,
                   kRecordStart + hex("17 06") + "a" + hex("05") + "b" + hex("17") + "c\x03"},
        // Text bytes go out unchanged, control values and high bytes alike.
        StreamCase{"TextBytesUnescaped",
                   {"NotCentered,\x02\x17\xE9\xFF"},
                   1,
                   20,
                   kRecordStart + hex("17 02 17 E9 FF 03")},
        // Addresses.
        StreamCase{"ThreeBlocksFromOne",
                   {"NotCentered,", "NotCentered,", "NotCentered,"},
                   1,
                   20,
                   hex("02 30 31 03 02 30 32 03 02 30 33 03")},
        StreamCase{"StartZero", {"NotCentered,"}, 0, 20, hex("02 30 30 03")},
        StreamCase{"WrapsAfter99",
                   {"NotCentered,", "NotCentered,", "NotCentered,"},
                   99,
                   20,
                   hex("02 39 39 03 02 30 30 03 02 30 31 03")},
        StreamCase{"LineWithoutKeyword", {"plain"}, 1, 20, kRecordStart + hex("17") + "plain\x03"},
        StreamCase{"NoLinesNoBytes", {}, 1, 20, ""}),
    CaseName());

TEST(LineAddressTest, FollowsTheMiddleDigitsOfStartPlusIndexPlus100) {
    struct Row {
        long long start;
        std::size_t index;
        const char* address;
    } rows[] = {
        {0, 0, "00"},    {1, 0, "01"},    {1, 98, "99"},   {1, 99, "00"},  {99, 0, "99"},
        {99, 1, "00"},   {1, 898, "99"},  {1, 899, "00"},  {1, 999, "10"}, {99, 801, "00"},
        {99, 999, "19"}, {1, 9899, "00"}, {-150, 0, "50"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(lineAddress(row.start, row.index), row.address)
            << "start " << row.start << ", block " << row.index;
    // Whatever the start, a record's address is two digits wide.
    for (long long start = -250; start <= 250; ++start) {
        const std::string address = lineAddress(start, 3);
        ASSERT_EQ(address.size(), 2u) << start;
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(address[0])) &&
                    std::isdigit(static_cast<unsigned char>(address[1])))
            << start << ": " << address;
    }
}

// Splits a stream into its records, checking the framing of each.
std::vector<std::string> records(const std::string& stream) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < stream.size()) {
        EXPECT_EQ(stream[pos], '\x02') << "record " << out.size();
        const std::size_t end = stream.find('\x03', pos + 3);
        if (end == std::string::npos) {
            ADD_FAILURE() << "record " << out.size() << " has no end";
            break;
        }
        out.push_back(stream.substr(pos, end + 1 - pos));
        pos = end + 1;
    }
    return out;
}

TEST(SignStreamLimits, AThousandBlocksKeepTheirAddressesAndOrder) {
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i)
        lines.push_back("NotCentered,B" + std::to_string(i));
    const std::vector<std::string> recs = records(build(lines, 1, 20));
    ASSERT_EQ(recs.size(), 1000u);
    EXPECT_EQ(recs[0], "\x02"
                       "01\x17"
                       "B0\x03");
    EXPECT_EQ(recs[98].substr(1, 2), "99");
    EXPECT_EQ(recs[99].substr(1, 2), "00");
    EXPECT_EQ(recs[899], "\x02"
                         "00\x17"
                         "B899\x03");
    EXPECT_EQ(recs[999], "\x02"
                         "10\x17"
                         "B999\x03");
}

TEST(SignStreamLimits, AStreamBeyondTheReserveIsBuiltWhole) {
    // 1000 centred blocks of 255 flashing green characters on lines 999 wide: the stream is
    // about 1.7 MB, far beyond the 40000 bytes kept ready and beyond a 16-bit count.
    const std::string text = "^G^^F^" + std::string(255, 'w');
    std::vector<std::string> lines(1000, "Centered," + text.substr(0, 255));
    TSendBuffer buffer;
    TBlock sendBlock;
    buildSignStream(buffer, sendBlock, lines, 1, 999);
    // The line keeps 255 characters of text, 6 of them markup: 249 plain characters.
    const std::size_t pads = 999 - 249;
    const std::size_t record = 3 + pads + (1 + 2 + 249 + 1) + 1;
    ASSERT_EQ(buffer.size(), 1000 * record);
    EXPECT_EQ(std::strlen(buffer.data()), buffer.size()) << "zero byte inside the stream";
    const std::vector<std::string> recs = records(std::string(buffer.bytes()));
    ASSERT_EQ(recs.size(), 1000u);
    const std::string expected = "\x02"
                                 "10" +
                                 spaces(pads / 2) + hex("17 0F 05") + std::string(249, 'w') +
                                 hex("0F") + spaces(pads - pads / 2) + "\x03";
    EXPECT_EQ(recs[999], expected);
    EXPECT_EQ(sendBlock.Text, text.substr(0, 255)) << "the send block keeps the last line";
}

TEST(SendBufferTest, NeverHoldsAZeroByte) {
    TSendBuffer buffer;
    buffer.AppendByte('A');
    buffer.AppendByte(0);
    buffer.AppendString(std::string("b\0c", 3));
    EXPECT_EQ(buffer.bytes(), "Abc");
    EXPECT_EQ(buffer.data()[buffer.size()], '\0');
    // A zero byte smuggled into a line cannot end the stream early.
    EXPECT_EQ(build({std::string("NotCentered,x\0y", 15)}, 1, 20),
              kRecordStart + hex("17") + "xy\x03");
}

TEST(SendBufferTest, EachBuildStartsEmpty) {
    TSendBuffer buffer;
    TBlock sendBlock;
    buildSignStream(buffer, sendBlock, {"NotCentered,first message"}, 1, 20);
    buildSignStream(buffer, sendBlock, {"NotCentered,"}, 5, 20);
    EXPECT_EQ(buffer.bytes(), hex("02 30 35 03"));
}

TEST(SendBufferTest, EncodeTextOfNothingAppendsNothing) {
    TSendBuffer buffer;
    TColourArray colours{};
    TFlashArray flash{};
    buffer.AppendString("x");
    buffer.EncodeText("", colours, flash);
    EXPECT_EQ(buffer.bytes(), "x");
}

} // namespace
