#pragma once

#include "sign/control_bytes.h"
#include "sign/sign_face.h"
#include "sign/sign_size.h"
#include "sign/stream_decoder.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// How one block line of a message fares on the sign.
struct TBlockFit {
    enum class Place {
        Shown,
        BeyondLastLine, // its address is not one of the sign's lines
        Replaced,       // a later line of the message has the same address
        Unreadable,     // its bytes make no record of their own (its text holds framing bytes)
    };
    Place place = Place::Shown;
    std::string address;   // the line address of its record; empty when Unreadable
    std::size_t width = 0; // characters its record puts on the line, the leading pad included
    std::size_t cut = 0;   // of them past the sign's width; 0 when the width is not known
    // The first byte of its text that the sign reads as framing or as a colour or flash byte.
    std::optional<TControlByte> control;
    std::size_t offset = 0; // where its bytes start in the stream

    bool shown() const { return place == Place::Shown; }
};

// A message as the sign will show it, worked out from the very bytes that a send builds and
// read back as the sign reads them: the sign's face and how each line fares.
struct TSignPreview {
    TSignSize size;
    std::vector<TStreamError> errors; // byte runs that are no record
    TSignFace face;
    std::vector<TBlockFit> blocks; // one for each block line, in list order

    // Lines shown with characters cut off, lines not shown at all, lines that hold a control
    // byte.
    std::size_t cutCount() const;
    std::size_t hiddenCount() const;
    std::size_t controlCount() const;
    // The block whose bytes hold the stream offset `offset`: the one that a record found there
    // came from.
    std::size_t blockAt(std::size_t offset) const;
};

// Builds the sign data stream of `lines` for start line `start` and line width `width` (what a
// send with these values writes), decodes it, and lays the records out on a sign of `size`: its
// lines when known, else one line for each address sent; its width when known, else the widest
// line sent. Where the size is not known, nothing counts as cut or beyond the last line.
TSignPreview previewSignMessage(const std::vector<std::string>& lines, int start, int width,
                                TSignSize size);

// What a user is told before a send about lines that will be cut or not shown; empty when every
// line fits (as far as the size is known).
std::string fitNote(const TSignPreview& preview);
// The same from the counts of lines cut and not shown on a sign of `size`.
std::string fitNote(std::size_t cut, std::size_t hidden, const TSignSize& size);

// What a user is told about one line that does not fit or holds a control byte; empty when it
// fits and holds none.
std::string blockFitNote(const TBlockFit& fit, const TSignSize& size);
