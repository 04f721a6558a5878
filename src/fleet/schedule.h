#pragma once

#include "sign/wall_clock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A schedule: which message each named sign shows at which time. A file in the settings file's
// format, one section per show:
//
//   [Show breakfast]
//   Signs=hall,door            ; signs of the settings file ([Sign NAME]), or all
//   Message=breakfast.lsm      ; a message file; a relative path from the schedule's folder
//   Days=Mon-Fri               ; Mon..Sun, ranges and lists; every day when left out
//   From=07:00                 ; local wall-clock time; the whole day when both are left out
//   Until=11:00                ; before From: the show runs past midnight
//   Dates=2026-12-24..2026-12-26, 2026-12-31   ; every date when left out
//   Line=1                     ; where the message goes on the sign; the sign's own or the
//   Width=20                   ; remembered values when left out
//   Fields=no                  ; live fields are filled in unless this says no
//   [Otherwise]
//   Message=welcome.lsm        ; Signs= too; every sign that the shows name when left out
//
// A ';' after a space starts a comment, also after a value. Days, Dates and the window belong
// to the day on which a show starts: a show from 22:00 to 02:00 on Fridays runs Friday night.
// At any moment each sign shows the active show with the shortest window that names it (Until
// minus From in wall-clock minutes; the whole day for a show without times), the one written
// later on equal windows; with no active show the [Otherwise] message, and without one the sign
// keeps what it shows.

struct TShow {
    std::string name; // NAME of [Show NAME]; empty for [Otherwise]
    int line = 0;     // of its section header
    int messageLine = 0;
    std::vector<std::string> signs;
    std::string message;
    std::array<bool, 7> days{true, true, true, true, true, true, true}; // Monday first
    int from = 0;                                                       // minutes of the day
    int until = 24 * 60; // at most From: up to that time the next day
    // Julian day numbers, first and last of each range; every date when empty.
    std::vector<std::pair<std::int64_t, std::int64_t>> dates;
    std::optional<int> start;
    std::optional<int> width;
    bool fields = true;

    bool otherwise() const { return name.empty(); }
    // The length of its window in wall-clock minutes.
    int window() const;
    // Whether it runs when the wall clock reads `time`.
    bool activeAt(const TWallTime& time) const;
    bool names(const std::string& sign) const;
};

struct TSchedule {
    std::string path;
    std::vector<TShow> shows; // in file order
    std::optional<TShow> otherwise;
    // Every sign that it names, in the order of the settings file.
    std::vector<std::string> signs;
};

// Reads the schedule at `path` for the signs `signNames` of the settings file (the names in any
// case; the schedule keeps their spelling). `checkMessage` is called for each show's message
// file and whether it takes live fields, and throws what is wrong with it. Throws
// std::runtime_error naming the file, the line and the key of the first problem, and for a file
// that cannot be read.
TSchedule
readSchedule(const std::string& path, const std::vector<std::string>& signNames,
             const std::function<void(const std::string& message, bool fields)>& checkMessage = {});

// The show that sign `sign` shows at `moment`; null when it keeps what it shows.
const TShow* wantedShow(const TSchedule& schedule, const std::string& sign, TMoment moment);

// The first moment after `moment` at which a show can start or end; none when no show has a
// time or a day (only [Otherwise]).
std::optional<TMoment> nextScheduleChange(const TSchedule& schedule, TMoment moment);
