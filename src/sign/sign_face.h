#pragma once

#include "sign/stream_decoder.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// One line of a sign as it stands: its two-digit address and the record that the sign shows
// there, or none for a dark line.
struct TSignFaceLine {
    std::string address;
    std::optional<TSignRecord> record;

    bool operator==(const TSignFaceLine&) const = default;
};

// What a sign shows: its lines from top to bottom, each `columns` characters wide. A record
// that runs past the width is cut there by the sign.
struct TSignFace {
    int columns = 1;
    std::vector<TSignFaceLine> lines;

    bool operator==(const TSignFace&) const = default;
};

// What a sign keeps of the records it was sent: the last record for each line address, a later
// one replacing an earlier one.
class TSignMemory {
public:
    void take(TSignRecord record);
    void clear();

    // The record held for `address`, or null.
    const TSignRecord* line(const std::string& address) const;
    // Addresses that hold a record.
    std::size_t size() const { return held_; }

    // The face of a sign of `lines` lines of `columns` characters. With `lines` from 1 on the
    // sign's lines are the addresses 01 to `lines`, and a record for any other address does not
    // show; with 0 (a sign of unknown size) there is one line for each address held, in address
    // order. `columns` is at least 1.
    TSignFace face(int lines, int columns) const;

private:
    // One place for each two-digit address, 00 to 99.
    std::array<std::optional<TSignRecord>, 100> lines_;
    std::size_t held_ = 0;
};

// The two-digit address of sign line `line` (0 to 99).
std::string signLineAddress(int line);
