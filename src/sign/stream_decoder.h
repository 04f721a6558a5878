#pragma once

#include "model/sign_colour.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// One character that a record puts on a sign line, with the state in force when it came.
struct TSignChar {
    unsigned char code = ' ';
    TSignColour colour = TSignColour::Red;
    bool flashing = false;

    bool operator==(const TSignChar&) const = default;
};

// One complete record of the sign data stream, decoded.
struct TSignRecord {
    std::size_t offset = 0; // position of its start byte in the send
    std::size_t length = 0; // bytes from the start byte to the end byte, both included
    std::string address;    // the two address digits
    std::size_t leadingPad = 0;
    std::size_t trailingPad = 0;
    std::vector<TSignChar> chars; // the characters between the pads
    // The bytes between the address and the end byte, pads included, as they came: the
    // control bytes in their places, for an annotated listing of what was sent.
    std::string body;
    // Whether the text left the sign flashing at its end (the sender's stream always closes
    // a flashing text; other senders may not).
    bool endsFlashing = false;

    std::string text() const;
    bool operator==(const TSignRecord&) const = default;
};

// A run of bytes that is not a complete record, with where it lies in the send.
struct TStreamError {
    enum Kind {
        OutsideRecord, // bytes between records, before the first or after the last
        BadAddress,    // a start byte not followed by two decimal digits
        Unterminated,  // a record cut off by a new start byte or by the end of the send
        TooLong,       // a record longer than any that a sender makes
    };
    Kind kind = OutsideRecord;
    std::size_t offset = 0;
    std::size_t length = 0;
    std::string sample; // the first bytes of the run (at most kErrorSampleBytes)

    std::string describe() const;
    bool operator==(const TStreamError&) const = default;
};

using TStreamEvent = std::variant<TSignRecord, TStreamError>;

// The longest record kept: the longest that a sender builds (address, 767 bytes of encoded
// text, pads of up to 999 spaces) with room to spare. A longer one is reported and skipped,
// so a record that never ends costs no more than this.
constexpr std::size_t kMaxRecordBytes = 4096;
// Bytes of a malformed run kept for its report.
constexpr std::size_t kErrorSampleBytes = 32;

// Turns the bytes that a sign receives back into records, however the bytes are split
// between reads. Feed every read in order; finish() at the end of a send (a connection that
// closes). Malformed input is reported as TStreamError events and skipped.
//
// Pads: spaces before the opening colour byte are the leading pad. Spaces at the end of a
// record after its last character are the trailing pad, except where a colour byte (or a
// flash toggle that turns flashing on) stands right before them: a sender puts such a byte
// only before a character, so the first of those spaces is text. A steady space that ends a
// text and a pad space are the same on the line; the decoder counts it as pad. A record of
// spaces only is a centred empty block: its spaces split as centring splits them, the odd one
// after.
class TStreamDecoder {
public:
    void feed(std::string_view bytes);
    // Ends the send: an open record is reported as unterminated, a pending run of stray bytes
    // is reported, and the offsets start again from 0.
    void finish();

    // The events decoded since the last call, in stream order.
    std::vector<TStreamEvent> takeEvents();

    // Decodes the body of a record (the bytes between its address and its end byte) into
    // pads and characters.
    static void decodeBody(TSignRecord& record);

private:
    enum class State { Outside, Address, Body, Skipping };

    void flushStray();
    void report(TStreamError::Kind kind, std::size_t offset, std::size_t length,
                const std::string& sample);
    void startRecord();
    void endSkipping();

    State state_ = State::Outside;
    std::size_t offset_ = 0; // position of the next byte in the send

    // Stray bytes outside a record.
    std::size_t strayOffset_ = 0;
    std::size_t strayLength_ = 0;
    std::string straySample_;

    // The record being read (or skipped).
    std::size_t recordOffset_ = 0;
    std::string recordBytes_; // from the start byte on, at most kMaxRecordBytes
    std::size_t skipLength_ = 0;
    TStreamError::Kind skipKind_ = TStreamError::BadAddress;

    std::vector<TStreamEvent> events_;
};
