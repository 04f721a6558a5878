// The sign data stream: decoding what the sender builds, and decoding any bytes at all.
//
// Input: a first byte that picks the mode. Even: the rest is raw bytes, fed to the decoder in
// pieces whose sizes come from the second byte. Odd: a start line and a line width byte follow,
// then block lines (one per '\n', a first byte '1' asks for a centred block) that are built
// into a stream and decoded.

#include "fuzz_support.h"
#include "model/block.h"
#include "sign/send_buffer.h"
#include "sign/sign_protocol.h"
#include "sign/sign_stream.h"
#include "sign/stream_decoder.h"

#include <variant>
#include <vector>

namespace {

void checkRawBytes(FuzzInput& input) {
    const std::size_t piece = input.byte() % 64 + 1;
    const std::string_view bytes = input.rest();
    TStreamDecoder decoder;
    std::vector<TStreamEvent> events;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        decoder.feed(bytes.substr(at, piece));
        for (TStreamEvent& e : decoder.takeEvents())
            events.push_back(std::move(e));
    }
    decoder.finish();
    for (TStreamEvent& e : decoder.takeEvents())
        events.push_back(std::move(e));

    // Every byte belongs to exactly one event, in stream order.
    std::size_t next = 0;
    for (const TStreamEvent& e : events) {
        if (const auto* r = std::get_if<TSignRecord>(&e)) {
            FUZZ_CHECK(r->offset == next);
            FUZZ_CHECK(r->length >= 4 && r->length <= kMaxRecordBytes);
            FUZZ_CHECK(r->address.size() == 2);
            FUZZ_CHECK(r->body.size() + 4 == r->length);
            for (const TSignChar& c : r->chars)
                FUZZ_CHECK(c.colour <= TSignColour::Yellow);
            next += r->length;
        } else {
            const auto& err = std::get<TStreamError>(e);
            FUZZ_CHECK(err.offset == next);
            FUZZ_CHECK(err.length > 0);
            FUZZ_CHECK(err.sample.size() <= kErrorSampleBytes);
            FUZZ_CHECK(!err.describe().empty());
            next += err.length;
        }
    }
    FUZZ_CHECK(next == bytes.size());
}

// Bytes that a block's text cannot put on the line: the stream's control bytes and the line
// ends of the file. Each becomes a letter.
char carried(char c) {
    switch (static_cast<unsigned char>(c)) {
    case 0x00:
    case '\r':
    case '\n':
    case kSignStart:
    case kSignEnd:
    case kSignRed:
    case kSignGreen:
    case kSignYellow:
    case kSignFlash:
        return 'x';
    default:
        return c;
    }
}

void checkBuiltStream(FuzzInput& input) {
    const int start = input.byte() % 100;
    const int width = input.byte() % 80 + 1;
    std::vector<std::string> lines;
    std::string_view rest = input.rest();
    while (!rest.empty() && lines.size() < 40) {
        const std::size_t end = rest.find('\n');
        std::string_view raw = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const bool centred = !raw.empty() && raw.front() == '1';
        if (!raw.empty())
            raw.remove_prefix(1);
        std::string text;
        for (char c : raw)
            text.push_back(carried(c));
        lines.push_back((centred ? "Centered," : "NotCentered,") + text);
    }

    TSendBuffer buffer;
    TBlock sendBlock;
    buildSignStream(buffer, sendBlock, lines, start, width);
    FUZZ_CHECK(buffer.bytes().find('\0') == std::string_view::npos);
    TStreamDecoder decoder;
    decoder.feed(buffer.bytes());
    decoder.finish();
    const std::vector<TStreamEvent> events = decoder.takeEvents();
    FUZZ_CHECK(events.size() == lines.size());

    std::size_t offset = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto* r = std::get_if<TSignRecord>(&events[i]);
        FUZZ_CHECK(r != nullptr);
        TBlock block;
        block.ParseLine(lines[i]);
        std::string plain;
        TColourArray colours{};
        TFlashArray flash{};
        ExpandMarkup(block.Text, plain, colours, flash);
        const long long d = block.Centered ? width - static_cast<long long>(plain.size()) : 0;
        const std::size_t left = d > 0 ? static_cast<std::size_t>(d / 2) : 0;
        const std::size_t right = d > 0 ? static_cast<std::size_t>(d - d / 2) : 0;

        FUZZ_CHECK(r->address == lineAddress(start, i));
        FUZZ_CHECK(r->offset == offset);
        offset += r->length;
        FUZZ_CHECK(!r->endsFlashing);

        // Steady spaces at the end of a text that follow a character of the same colour look
        // like pad on the line and come back as pad; everything before them comes back as it
        // was.
        std::size_t moved = 0;
        for (std::size_t j = plain.size(); j-- > 0;) {
            if (plain[j] != ' ' || flash[j] != TFlash::Steady || j == 0 ||
                colours[j] != colours[j - 1])
                break;
            ++moved;
            if (flash[j - 1] != TFlash::Steady)
                break;
        }
        const std::size_t kept = plain.size() - moved;
        FUZZ_CHECK(r->text() == plain.substr(0, kept));
        FUZZ_CHECK(r->leadingPad == left);
        FUZZ_CHECK(r->trailingPad == right + moved);
        for (std::size_t k = 0; k < kept; ++k) {
            FUZZ_CHECK(r->chars[k].colour == colours[k]);
            FUZZ_CHECK(r->chars[k].flashing == (flash[k] != TFlash::Steady));
        }
    }
    FUZZ_CHECK(offset == buffer.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    if (input.byte() % 2 == 0)
        checkRawBytes(input);
    else
        checkBuiltStream(input);
    return 0;
}
