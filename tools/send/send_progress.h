#pragma once

#include "fleet/multi_send.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

// A progress bar on a terminal: one line, redrawn in place, for a send that may take minutes
// (a long message at 1200 baud). Bytes that the signs acknowledged (or, where a link cannot
// know, that were handed to it) over the bytes of every sign, and how many signs have ended.
class TSendProgress {
public:
    explicit TSendProgress(std::FILE* terminal)
        : terminal_(terminal) {}

    // Draws the bar for these reports, at most ten times a second.
    void show(const std::vector<TSignReport>& reports);
    // Takes the bar off the line, so that what follows starts on a clean line.
    void clear();

    // The text of the bar.
    static std::string barText(const std::vector<TSignReport>& reports);

private:
    std::FILE* terminal_;
    std::string shown_;
    std::chrono::steady_clock::time_point next_{};
};
