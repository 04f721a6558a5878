#include "sign/send_buffer.h"
#include "sign/sign_preview.h"
#include "sign/sign_stream.h"

#include "support/core/random_message.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <variant>
#include <vector>

namespace {

// What a sign shows for `stream`, worked out here from the decoder alone: the records fed in
// the pieces that reads make, the last record of each address kept, laid out on `size`.
TSignFace faceFromDecoder(const std::string& stream, TSignSize size, std::mt19937& rng,
                          std::vector<TStreamError>& errors) {
    std::map<std::string, TSignRecord> held;
    std::size_t widest = 1;
    for (TStreamEvent& event : decodeInRandomPieces(stream, rng)) {
        if (auto* record = std::get_if<TSignRecord>(&event)) {
            held[record->address] = *record;
            widest =
                std::max(widest, record->leadingPad + record->chars.size() + record->trailingPad);
        } else {
            errors.push_back(std::get<TStreamError>(event));
        }
    }
    TSignFace face;
    face.columns = size.columns > 0 ? size.columns : static_cast<int>(widest);
    if (size.lines == 0) {
        for (const auto& [address, record] : held)
            face.lines.push_back({address, record});
        return face;
    }
    for (int n = 1; n <= size.lines; ++n) {
        const std::string address = (n < 10 ? "0" : "") + std::to_string(n);
        const auto found = held.find(address);
        face.lines.push_back(
            {address, found == held.end() ? std::nullopt : std::optional(found->second)});
    }
    return face;
}

// The preview is the decoder's reading of the bytes a send builds, for any message, start line,
// width and sign size; a line's text may even hold framing bytes.
TEST(SignPreviewTest, RandomMessagesShowWhatTheDecoderReads) {
    std::mt19937 rng(1919);
    std::uniform_int_distribution<int> blockCount(0, 130);
    std::uniform_int_distribution<int> startLine(0, 99);
    std::uniform_int_distribution<int> lineWidth(1, 60);
    std::uniform_int_distribution<int> signLines(0, 12);
    std::uniform_int_distribution<int> signColumns(0, 40);
    std::bernoulli_distribution framingByte(0.02);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::string> lines;
        for (int n = blockCount(rng) % (round % 3 == 0 ? 131 : 9); n > 0; --n)
            lines.push_back(randomBlockLine(rng) + (framingByte(rng) ? "\x02x\x03" : ""));
        const int start = startLine(rng);
        const int width = lineWidth(rng);
        const TSignSize size{round % 4 == 0 ? 0 : signLines(rng),
                             round % 5 == 0 ? 0 : signColumns(rng)};

        const TSignPreview preview = previewSignMessage(lines, start, width, size);

        TSendBuffer sent;
        TBlock block;
        buildSignStream(sent, block, lines, start, width);
        std::vector<TStreamError> errors;
        const TSignFace face = faceFromDecoder(std::string(sent.bytes()), size, rng, errors);
        EXPECT_EQ(preview.errors, errors);
        EXPECT_EQ(preview.face, face);
        ASSERT_EQ(preview.blocks.size(), lines.size());
    }
}

struct Fit {
    TBlockFit::Place place;
    std::size_t cut;
    bool operator==(const Fit&) const = default;
};

void PrintTo(const Fit& fit, std::ostream* os) {
    static const char* places[] = {"shown", "beyond", "replaced", "unreadable"};
    *os << places[static_cast<int>(fit.place)] << " cut " << fit.cut;
}

std::vector<std::string> blocks(std::size_t n, const std::string& line) {
    return std::vector<std::string>(n, line);
}

// How lines fare on a sign of 20 characters (and of a few lines), the Select Address width W
// given apart: lines of W - 1, W and W + 1 characters, centred or not.
TEST(SignPreviewTest, LinesThatDoNotFit) {
    using P = TBlockFit::Place;
    const Fit fits{P::Shown, 0};
    const std::string c19(19, 'c'), c20(20, 'c'), c21(21, 'c');
    const struct {
        const char* name;
        std::vector<std::string> lines;
        int start, width;
        TSignSize size;
        std::vector<Fit> expected;
    } cases[] = {
        {"WidthMinusOneWidthWidthPlusOne",
         {"NotCentered," + c19, "NotCentered," + c20, "NotCentered," + c21},
         1,
         20,
         {0, 20},
         {fits, fits, {P::Shown, 1}}},
        {"CentredTheSame",
         {"Centered," + c19, "Centered," + c20, "Centered,^G^" + c21 + "xx"},
         1,
         20,
         {0, 20},
         {fits, fits, {P::Shown, 3}}},
        {"CodesTakeNoRoom", {"NotCentered,^G^^F^" + c20 + "^F^"}, 1, 20, {0, 20}, {fits}},
        {"TrailingSpacesShowNothing", {"NotCentered," + c19 + "     "}, 1, 20, {0, 20}, {fits}},
        // Centred for a width wider than the sign: the pad pushes the text off its end.
        {"CentredForAWiderLine",
         {"Centered,HELLO", "Centered," + std::string(11, 'c'), "Centered," + std::string(13, 'c')},
         1,
         30,
         {0, 20},
         {fits, fits, {P::Shown, 1}}},
        {"WidthUnknownCutsNothing", {"NotCentered," + c21 + c21}, 1, 20, {0, 0}, {fits}},
        {"BeyondTheLastLine",
         {"NotCentered,A", "NotCentered,B", "NotCentered," + c21},
         3,
         20,
         {4, 20},
         {fits, fits, {P::BeyondLastLine, 1}}},
        {"StartLineZeroIsNoLine",
         {"NotCentered,A", "NotCentered,B"},
         0,
         20,
         {4, 0},
         {{P::BeyondLastLine, 0}, fits}},
        {"AddressesWrapAfter99",
         blocks(3, "NotCentered,A"),
         99,
         20,
         {3, 0},
         {{P::BeyondLastLine, 0}, {P::BeyondLastLine, 0}, fits}},
        {"LinesUnknownHideNothing", blocks(3, "NotCentered,A"), 99, 20, {0, 0}, {fits, fits, fits}},
        {"FramingByteInTheText",
         {"NotCentered,A\x02"
          "B",
          "NotCentered,C\x03"
          "D"},
         1,
         20,
         {0, 0},
         {{P::Unreadable, 0}, fits}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TSignPreview preview = previewSignMessage(c.lines, c.start, c.width, c.size);
        std::vector<Fit> got;
        for (const TBlockFit& fit : preview.blocks)
            got.push_back({fit.place, fit.cut});
        EXPECT_EQ(got, c.expected);
    }

    // A hundred and one lines on a sign of 99: the 101st goes to line 01 again and replaces
    // the first.
    const TSignPreview wrapped = previewSignMessage(blocks(101, "NotCentered,A"), 1, 20, {99, 0});
    EXPECT_EQ(wrapped.blocks.front().place, TBlockFit::Place::Replaced);
    EXPECT_EQ(wrapped.blocks[99].place, TBlockFit::Place::BeyondLastLine); // line 00
    EXPECT_EQ(wrapped.blocks.back().place, TBlockFit::Place::Shown);
    EXPECT_EQ(wrapped.hiddenCount(), 2u);
    EXPECT_EQ(fitNote(wrapped), "2 lines will not be shown (the sign has 99 lines).");
}

// A text byte that the sign reads as framing, a colour or a flash toggle: which, what it means
// to the sign, and where in the block's text; only the text that a send takes counts.
TEST(SignPreviewTest, ControlBytesInATextAreNamedWithTheirColumn) {
    const std::vector<std::string> lines = {"NotCentered,fine \x01\x7F\x81 tab\t^R^",
                                            "NotCentered,\x03",
                                            "Centered,^G^A\x0F",
                                            "NotCentered,x\x17\x02",
                                            "NotCentered,\x05",
                                            "NotCentered,\x06",
                                            "NotCentered," + std::string(kMaxBlockText, 'a') +
                                                "\x02"};
    const std::string block = "holds the control byte 0x";
    EXPECT_EQ(controlByteWarnings(lines),
              (std::vector<std::string>{
                  "Block 2 " + block + "03 at column 1: the sign reads it as the end of a record.",
                  "Block 3 " + block + "0F at column 5: the sign reads it as a flash toggle.",
                  "Block 4 " + block + "17 at column 2: the sign reads it as the colour red.",
                  "Block 5 " + block + "05 at column 1: the sign reads it as the colour green.",
                  "Block 6 " + block + "06 at column 1: the sign reads it as the colour yellow."}));

    // The preview marks the block, also the record that its start byte begins (on line 05),
    // and says why.
    const TSignPreview preview = previewSignMessage({"NotCentered,fine", "NotCentered,CTL\x02"
                                                                         "05EVIL\x03"
                                                                         "X"},
                                                    1, 20, {0, 0});
    ASSERT_TRUE(preview.blocks[1].control);
    EXPECT_EQ(preview.controlCount(), 1u);
    EXPECT_EQ(blockFitNote(preview.blocks[1], preview.size),
              "Its text holds bytes that break the sign's record: the sign does not show it.\n"
              "Holds the control byte 0x02 at column 4: the sign reads it as the start of a "
              "record.");
    ASSERT_EQ(preview.face.lines.size(), 2u);
    EXPECT_EQ(preview.face.lines[1].address, "05");
    EXPECT_EQ(preview.blockAt(preview.face.lines[0].record->offset), 0u);
    EXPECT_EQ(preview.blockAt(preview.face.lines[1].record->offset), 1u);
}

} // namespace
