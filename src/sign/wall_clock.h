#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The local wall clock, for schedules and for the time in live fields. A moment is a whole
// number of seconds since 1970-01-01 00:00 UTC; what the wall clock reads at a moment follows
// the local time zone (TZ respected), clock changes included. Nothing here sleeps: the next
// moment that matters is worked out from the zone's rules.

using TMoment = std::int64_t;

// A clock that reads a moment before 2020 has not been set yet (a machine without a real-time
// clock reads 1970 until the network sets it): its time is not to be shown or acted on.
constexpr TMoment kFirstSetMoment = 1577836800; // 2020-01-01 00:00 UTC
inline bool clockIsSet(TMoment moment) {
    return moment >= kFirstSetMoment;
}

// The moment now, from the system's clock.
TMoment momentNow();

// What the wall clock reads at a moment.
struct TWallTime {
    std::int64_t day = 0; // the date as a Julian day number
    int weekday = 1;      // 1 Monday to 7 Sunday
    int second = 0;       // of the day, 0 to 86399

    int minute() const { return second / 60; }
    // Seconds of the wall clock counted over days: day * 86400 + second.
    std::int64_t total() const { return day * 86400 + second; }
};
TWallTime wallTimeAt(TMoment moment);

// The first moment after `moment` at which the wall clock reads `wallTotal` (day * 86400 +
// second), or the local zone's next change of offset if that comes first, so that a wall time
// that a clock change skips or repeats is handled where it happens: the caller works out its
// state afresh at the moment returned. `wallTotal` must lie after the wall time at `moment`.
TMoment nextWallMoment(TMoment moment, std::int64_t wallTotal);

// The first moment after `moment` at which the wall clock starts a new second, minute, hour or
// day (`step` 1, 60, 3600 or 86400 seconds), or the zone's offset changes.
TMoment nextWallStep(TMoment moment, int step);

// The moment at which the wall clock reads the date and time of `text`, "YYYY-MM-DD HH:MM";
// the earlier of two when a clock change repeats the hour. None when the text is no such time,
// or when a clock change skips it (`skipped` is then set).
std::optional<TMoment> momentOfWallText(std::string_view text, bool* skipped = nullptr);

// A moment as the wall clock reads it, "YYYY-MM-DD HH:MM" (with ":SS" when asked).
std::string wallText(TMoment moment, bool seconds = false);
// A moment as a file keeps it: ISO 8601 local time with its offset, "2026-03-29T07:00:00+02:00".
std::string isoText(TMoment moment);
// The moment of an ISO 8601 time with an offset (or Z); none when the text is no such time.
std::optional<TMoment> momentOfIsoText(std::string_view text);
