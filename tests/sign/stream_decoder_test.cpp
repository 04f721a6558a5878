#include "sign/send_buffer.h"
#include "sign/sign_stream.h"
#include "sign/stream_decoder.h"

#include "support/core/case_name.h"
#include "support/core/random_message.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string build(const std::vector<std::string>& lines, int start, int width) {
    TSendBuffer buffer;
    TBlock sendBlock;
    buildSignStream(buffer, sendBlock, lines, start, width);
    return std::string(buffer.bytes());
}

std::vector<TStreamEvent> decodeAll(const std::string& stream) {
    TStreamDecoder decoder;
    decoder.feed(stream);
    decoder.finish();
    return decoder.takeEvents();
}

std::vector<TSignRecord> recordsOf(const std::vector<TStreamEvent>& events) {
    std::vector<TSignRecord> records;
    for (const TStreamEvent& e : events) {
        if (const auto* r = std::get_if<TSignRecord>(&e))
            records.push_back(*r);
        else
            ADD_FAILURE() << "unexpected error event: " << std::get<TStreamError>(e).describe();
    }
    return records;
}

// A short text of an event: "01@0 pad 2/2 'HI'" for a record, "error(kind)@offset+length"
// for a malformed run.
std::string summary(const TStreamEvent& e) {
    std::ostringstream out;
    if (const auto* r = std::get_if<TSignRecord>(&e)) {
        out << r->address << '@' << r->offset << '+' << r->length << " pad " << r->leadingPad << '/'
            << r->trailingPad << " '" << r->text() << "'";
    } else {
        const auto& err = std::get<TStreamError>(e);
        static const char* kinds[] = {"outside", "address", "unterminated", "toolong"};
        out << kinds[err.kind] << '@' << err.offset << '+' << err.length;
    }
    return out.str();
}

std::vector<std::string> summaries(const std::vector<TStreamEvent>& events) {
    std::vector<std::string> out;
    for (const TStreamEvent& e : events)
        out.push_back(summary(e));
    return out;
}

std::string digits(const std::vector<TSignColour>& values) {
    std::string out;
    for (TSignColour v : values)
        out.push_back(static_cast<char>('0' + static_cast<int>(v)));
    return out;
}

std::string coloursOf(const TSignRecord& r) {
    std::string out;
    for (const TSignChar& c : r.chars)
        out.push_back(static_cast<char>('0' + static_cast<int>(c.colour)));
    return out;
}

std::string flashOf(const TSignRecord& r) {
    std::string out;
    for (const TSignChar& c : r.chars)
        out.push_back(c.flashing ? '1' : '0');
    return out;
}

// ----- The worked examples -----------------------------------------------------------------

struct ExampleCase {
    const char* name;
    std::string line;
    int width;
    std::string text;
    std::string colours;
    std::string flash;
    std::size_t leading;
    std::size_t trailing;
};

class DecodeExampleTest : public testing::TestWithParam<ExampleCase> {};

TEST_P(DecodeExampleTest, GivesBackTheBlock) {
    const ExampleCase& c = GetParam();
    const std::string stream = build({c.line}, 1, c.width);
    const auto records = recordsOf(decodeAll(stream));
    ASSERT_EQ(records.size(), 1u);
    const TSignRecord& r = records[0];
    EXPECT_EQ(r.address, "01");
    EXPECT_EQ(r.offset, 0u);
    EXPECT_EQ(r.length, stream.size());
    EXPECT_EQ(r.text(), c.text);
    EXPECT_EQ(coloursOf(r), c.colours);
    EXPECT_EQ(flashOf(r), c.flash);
    EXPECT_EQ(r.leadingPad, c.leading);
    EXPECT_EQ(r.trailingPad, c.trailing);
    EXPECT_FALSE(r.endsFlashing);
}

INSTANTIATE_TEST_SUITE_P(Records, DecodeExampleTest,
                         testing::Values(ExampleCase{.name = "GreenThenFlashing",
                                                     .line = "NotCentered,A^G^B^F^C",
                                                     .width = 20,
                                                     .text = "ABC",
                                                     .colours = "011",
                                                     .flash = "001",
                                                     .leading = 0,
                                                     .trailing = 0},
                                         ExampleCase{.name = "CentredEvenPads",
                                                     .line = "Centered,HI",
                                                     .width = 6,
                                                     .text = "HI",
                                                     .colours = "00",
                                                     .flash = "00",
                                                     .leading = 2,
                                                     .trailing = 2},
                                         ExampleCase{.name = "EmptyText",
                                                     .line = "NotCentered,",
                                                     .width = 20,
                                                     .text = "",
                                                     .colours = "",
                                                     .flash = "",
                                                     .leading = 0,
                                                     .trailing = 0},
                                         ExampleCase{.name = "CentredEmptyText",
                                                     .line = "Centered,",
                                                     .width = 21,
                                                     .text = "",
                                                     .colours = "",
                                                     .flash = "",
                                                     .leading = 10,
                                                     .trailing = 11},
                                         ExampleCase{.name = "YellowFlashing",
                                                     .line = "NotCentered,^Y^^F^OK",
                                                     .width = 20,
                                                     .text = "OK",
                                                     .colours = "22",
                                                     .flash = "11",
                                                     .leading = 0,
                                                     .trailing = 0},
                                         ExampleCase{.name = "OddPadAfter",
                                                     .line = "Centered,12345",
                                                     .width = 20,
                                                     .text = "12345",
                                                     .colours = "00000",
                                                     .flash = "00000",
                                                     .leading = 7,
                                                     .trailing = 8},
                                         ExampleCase{.name = "WiderThanLine",
                                                     .line = "Centered,ABCDEFG",
                                                     .width = 5,
                                                     .text = "ABCDEFG",
                                                     .colours = "0000000",
                                                     .flash = "0000000",
                                                     .leading = 0,
                                                     .trailing = 0},
                                         ExampleCase{.name = "SpacesInsideText",
                                                     .line = "NotCentered,^G^A B",
                                                     .width = 20,
                                                     .text = "A B",
                                                     .colours = "111",
                                                     .flash = "000",
                                                     .leading = 0,
                                                     .trailing = 0},
                                         ExampleCase{.name = "LeadingSpacesAreText",
                                                     .line = "NotCentered,  A",
                                                     .width = 20,
                                                     .text = "  A",
                                                     .colours = "000",
                                                     .flash = "000",
                                                     .leading = 0,
                                                     .trailing = 0}),
                         CaseName());

TEST(StreamDecoderTest, AddressesFollowTheStartLineAndWrap) {
    const auto records = recordsOf(decodeAll(build({"A", "B", "C"}, 99, 20)));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].address, "99");
    EXPECT_EQ(records[1].address, "00");
    EXPECT_EQ(records[2].address, "01");
    EXPECT_EQ(records[1].offset, records[0].length);
}

// ----- Random messages: decoding the built stream gives the blocks back ---------------------

TEST(StreamDecoderTest, RandomMessagesDecodeToTheirBlocks) {
    std::mt19937 rng(20240917);
    std::uniform_int_distribution<int> blockCount(1, 12);
    std::uniform_int_distribution<int> startLine(0, 99);
    std::uniform_int_distribution<int> lineWidth(1, 60);
    std::size_t withTrailingSpace = 0;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::string> lines;
        for (int n = blockCount(rng); n > 0; --n)
            lines.push_back(randomBlockLine(rng));
        const int start = startLine(rng);
        const int width = round % 50 == 0 ? 999 : lineWidth(rng);
        const std::string stream = build(lines, start, width);
        const auto records = recordsOf(decodeInRandomPieces(stream, rng));
        ASSERT_EQ(records.size(), lines.size());

        std::size_t offset = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(lines[i]);
            const TSignRecord& r = records[i];
            TBlock block;
            block.ParseLine(lines[i]);
            std::string plain;
            TColourArray colours{};
            TFlashArray flash{};
            ExpandMarkup(block.Text, plain, colours, flash);
            const long long d = block.Centered ? width - static_cast<long long>(plain.size()) : 0;
            const std::size_t left = d > 0 ? static_cast<std::size_t>(d / 2) : 0;
            const std::size_t right = d > 0 ? static_cast<std::size_t>(d - d / 2) : 0;

            EXPECT_EQ(r.address, lineAddress(start, i));
            EXPECT_EQ(r.offset, offset);
            offset += r.length;
            EXPECT_FALSE(r.endsFlashing);
            EXPECT_EQ(r.leadingPad, left);

            // A steady space that ends the text looks like pad on the line and is read as
            // pad; everything before it comes back exactly.
            // A colour byte (the opening one too) always stands before its character, so a
            // space right after one is text; a closing flash toggle can end the text.
            std::size_t moved = 0;
            for (std::size_t j = plain.size(); j-- > 0;) {
                if (plain[j] != ' ' || flash[j] != TFlash::Steady || j == 0 ||
                    colours[j] != colours[j - 1])
                    break;
                ++moved;
                if (flash[j - 1] != TFlash::Steady)
                    break;
            }
            if (moved > 0)
                ++withTrailingSpace;
            const std::size_t kept = plain.size() - moved;
            EXPECT_EQ(r.text(), plain.substr(0, kept));
            EXPECT_EQ(coloursOf(r),
                      digits(std::vector<TSignColour>(colours.begin(), colours.begin() + kept)));
            std::string expectedFlash;
            for (std::size_t k = 0; k < kept; ++k)
                expectedFlash.push_back(flash[k] != TFlash::Steady ? '1' : '0');
            EXPECT_EQ(flashOf(r), expectedFlash);
            EXPECT_EQ(r.trailingPad, right + moved);

            // Built again from what was decoded, the record is the same bytes.
            TSendBuffer again;
            again.AppendSpaces(r.leadingPad);
            std::string text = r.text();
            TColourArray c{};
            TFlashArray f{};
            for (std::size_t k = 0; k < r.chars.size(); ++k) {
                c[k] = r.chars[k].colour;
                f[k] = r.chars[k].flashing ? TFlash::Flashing : TFlash::Steady;
            }
            again.EncodeText(text, c, f);
            again.AppendSpaces(r.trailingPad);
            EXPECT_EQ(std::string(again.bytes()), r.body);
            EXPECT_EQ(stream.substr(r.offset + 3, r.body.size()), r.body);
        }
    }
    // The generator must reach the case where text and pad meet.
    EXPECT_GT(withTrailingSpace, 20u);
}

// ----- Malformed streams -------------------------------------------------------------------

struct MalformedCase {
    const char* name;
    std::string stream;
    std::vector<std::string> expected;
};

class MalformedStreamTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedStreamTest, ReportsAndSkips) {
    const MalformedCase& c = GetParam();
    EXPECT_EQ(summaries(decodeAll(c.stream)), c.expected);
}

const std::string kGood = "\x02"
                          "01\x17"
                          "AB\x03"; // 7 bytes

INSTANTIATE_TEST_SUITE_P(
    Streams, MalformedStreamTest,
    testing::Values(MalformedCase{"BytesBeforeFirstRecord",
                                  "xy" + kGood,
                                  {"outside@0+2", "01@2+7 pad 0/0 'AB'"}},
                    MalformedCase{"BytesBetweenAndAfter",
                                  kGood + "\r\n" + kGood + "z",
                                  {"01@0+7 pad 0/0 'AB'", "outside@7+2", "01@9+7 pad 0/0 'AB'",
                                   "outside@16+1"}},
                    MalformedCase{"LetterInAddress",
                                  "\x02"
                                  "A1\x17X\x03" +
                                      kGood,
                                  {"address@0+6", "01@6+7 pad 0/0 'AB'"}},
                    MalformedCase{"EndInsteadOfAddress",
                                  "\x02"
                                  "0\x03" +
                                      kGood,
                                  {"address@0+3", "01@3+7 pad 0/0 'AB'"}},
                    MalformedCase{"BadAddressCutByStart",
                                  "\x02"
                                  "x1AB" +
                                      kGood,
                                  {"address@0+5", "01@5+7 pad 0/0 'AB'"}},
                    MalformedCase{"StartInsideText",
                                  "\x02"
                                  "01AB" +
                                      kGood,
                                  {"unterminated@0+5", "01@5+7 pad 0/0 'AB'"}},
                    MalformedCase{"StartInsideAddress",
                                  "\x02"
                                  "0" +
                                      kGood,
                                  {"unterminated@0+2", "01@2+7 pad 0/0 'AB'"}},
                    MalformedCase{"SendEndsInsideRecord",
                                  kGood + "\x02"
                                          "02\x17Q",
                                  {"01@0+7 pad 0/0 'AB'", "unterminated@7+5"}},
                    MalformedCase{"SendEndsAfterStart", "\x02", {"unterminated@0+1"}},
                    MalformedCase{"OnlyNoise", std::string("\x03\x03\x17", 3), {"outside@0+3"}},
                    MalformedCase{"RecordFarTooLong",
                                  "\x02"
                                  "01" +
                                      std::string(5000, 'A') + "\x03" + kGood,
                                  {"toolong@0+5004", "01@5004+7 pad 0/0 'AB'"}},
                    MalformedCase{"RecordTooLongWithoutEnd",
                                  "\x02"
                                  "01" +
                                      std::string(100000, 'A'),
                                  {"toolong@0+100003"}},
                    MalformedCase{"LongestKeptRecord",
                                  "\x02"
                                  "01" +
                                      std::string(kMaxRecordBytes - 3, 'A') + "\x03",
                                  {"01@0+" + std::to_string(kMaxRecordBytes + 1) + " pad 0/0 '" +
                                   std::string(kMaxRecordBytes - 3, 'A') + "'"}}),
    CaseName());

TEST(StreamDecoderTest, ErrorReportsKeepOnlyTheFirstBytes) {
    const auto events = decodeAll(std::string(1000, 'z') + kGood);
    ASSERT_EQ(events.size(), 2u);
    const auto& err = std::get<TStreamError>(events[0]);
    EXPECT_EQ(err.length, 1000u);
    EXPECT_EQ(err.sample, std::string(kErrorSampleBytes, 'z'));
}

TEST(StreamDecoderTest, EachSendCountsFromZero) {
    TStreamDecoder decoder;
    decoder.feed("zz" + kGood);
    decoder.finish();
    decoder.feed("\x02"
                 "05");
    decoder.finish();
    decoder.feed(kGood);
    decoder.finish();
    EXPECT_EQ(summaries(decoder.takeEvents()),
              (std::vector<std::string>{"outside@0+2", "01@2+7 pad 0/0 'AB'", "unterminated@0+3",
                                        "01@0+7 pad 0/0 'AB'"}));
}

// ----- Read boundaries ---------------------------------------------------------------------

TEST(StreamDecoderTest, AnySplitOfTheStreamDecodesTheSame) {
    const std::string stream = "?" + build({"Centered,^G^A^F^B C^F^", "NotCentered,", "x"}, 9, 9) +
                               "\x02"
                               "7x\x03" +
                               "\x02"
                               "12\x17Z" +
                               build({"NotCentered,^Y^end"}, 3, 4);
    const auto whole = summaries(decodeAll(stream));
    ASSERT_EQ(whole.size(), 7u);

    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        TStreamDecoder decoder;
        decoder.feed(std::string_view(stream).substr(0, cut));
        decoder.feed(std::string_view(stream).substr(cut));
        decoder.finish();
        EXPECT_EQ(summaries(decoder.takeEvents()), whole) << "cut at " << cut;
    }

    TStreamDecoder bytewise;
    std::vector<TStreamEvent> events;
    for (char ch : stream) {
        bytewise.feed(std::string_view(&ch, 1));
        for (auto& e : bytewise.takeEvents())
            events.push_back(std::move(e));
    }
    bytewise.finish();
    for (auto& e : bytewise.takeEvents())
        events.push_back(std::move(e));
    EXPECT_EQ(summaries(events), whole);
}

} // namespace
