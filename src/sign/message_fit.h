#pragma once

#include "model/block.h"
#include "model/line_store.h"
#include "sign/send_buffer.h"
#include "sign/sign_face.h"
#include "sign/sign_preview.h"
#include "sign/sign_size.h"
#include "sign/stream_decoder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Lines cut, lines not shown, lines with a control byte and byte runs the sign cannot read, in
// a whole message.
struct TFitTotals {
    std::size_t cut = 0;
    std::size_t hidden = 0;
    std::size_t control = 0;
    std::size_t errors = 0;
};

// What the Sign Preview panel shows of a message.
struct TPreviewView {
    TSignSize size;
    TSignFace face;
    // For each line of the face, the warning of the block whose bytes it shows, when that block
    // holds a control byte; else empty.
    std::vector<std::string> lineNotes;
    // The warning of every block that holds a control byte, in list order.
    std::vector<std::string> warnings;
    TFitTotals totals;
};

// How the blocks of a message fare on the sign, kept up to date as the message changes at the
// cost of what changed. The stream that a send builds is a run of records, one per block, each
// opened by a start byte that ends whatever came before it, so each block's bytes are read back
// on their own and give the same records and errors as in the whole stream. Per block it keeps
// what does not depend on the block's place (its record's width, whether its bytes make a record
// of their own, whether they make others too); where the line goes and whether a later record
// replaces it is worked out from the place when asked. The same answers as previewSignMessage.
//
// The owner reports every change of the lines (with the lines as they are after it) and asks;
// until someone asks for a whole-message answer nothing is kept.
class TMessageFit {
public:
    TMessageFit();

    // The send's start line and width, and the sign's size.
    void setSend(int start, int width, TSignSize size);
    int start() const { return start_; }
    int width() const { return width_; }
    const TSignSize& size() const { return size_; }

    // Whether the per-block results are kept between changes; when not, each change drops them.
    void setKeep(bool keep);

    // The lines changed: all of them, `count` inserted at `row`, `count` removed from `row`,
    // the rows `first` to `last` replaced, or `count` rows from `from` moved to stand before
    // the row that was `to` (rows counted before the move).
    void reset();
    void inserted(const TLineStore& lines, std::size_t row, std::size_t count);
    void removed(std::size_t row, std::size_t count);
    void changed(const TLineStore& lines, std::size_t first, std::size_t last);
    void moved(std::size_t from, std::size_t count, std::size_t to);

    // How the line at `row` fares. Only the rows asked for are read back while the sign's
    // number of lines is not known.
    TBlockFit fit(const TLineStore& lines, std::size_t row);
    TFitTotals totals(const TLineStore& lines);
    TPreviewView view(const TLineStore& lines);

private:
    // What a block's bytes give, read back on their own, whatever its address.
    struct TBlockRecords {
        // Length of its bytes in the stream: at most a record of the widest line and the
        // longest text, a few thousand bytes. 8 bytes a block in all.
        std::uint16_t bytes = 0;
        std::uint16_t width = 0; // its own record's characters, the leading pad included
        std::uint16_t span = 0;  // the same with the trailing pad
        std::uint8_t flags = 0;
    };
    static constexpr std::uint8_t kOwnRecord = 1; // its bytes start with a record of its own
    static constexpr std::uint8_t kMore = 2;      // they hold other records or errors too
    static constexpr std::uint8_t kControl = 4;   // its text holds a control byte
    // Width, span and kControl are known (a block without framing bytes in its text makes one
    // record of its own and nothing else, which a look at its bytes tells; its width takes
    // reading it back).
    static constexpr std::uint8_t kMeasured = 8;

    // A record's place in the stream: the block, and which of the records in its bytes.
    struct TRecordPlace {
        std::size_t block = 0;
        std::size_t index = 0;
        bool held = false;
    };

    // Builds the bytes of `line` alone, sent to `address`, and reads them back as the sign
    // would; the decoder's events, valid until the next call.
    const std::vector<TStreamEvent>& readBack(std::string_view line, const std::string& address);
    // What the line gives; its width only with `measure`.
    TBlockRecords summarise(std::string_view line, std::size_t row, bool measure);
    void ensureBlocks(const TLineStore& lines);
    void ensurePlaces(const TLineStore& lines);
    void dropWhole();
    TBlockFit fitOf(std::string_view line, std::size_t row, const TBlockRecords& records);
    int addressOf(std::size_t row) const;

    int start_ = 1;
    int width_ = 20;
    TSignSize size_;
    bool keep_ = false;

    bool blocksValid_ = false;
    std::vector<TBlockRecords> blocks_;
    // The last record for each address, and where each block's bytes start (filled with the
    // places for the whole message).
    bool placesValid_ = false;
    std::array<TRecordPlace, 100> last_{};
    std::size_t widest_ = 1;
    std::size_t errors_ = 0;

    TSendBuffer buffer_;
    TBlock sendBlock_;
    TStreamDecoder decoder_;
    std::vector<TStreamEvent> events_;
};
