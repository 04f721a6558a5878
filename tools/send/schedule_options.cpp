#include "schedule_options.h"

#include "ledger_commands.h"
#include "schedule_run.h"

#include "base/whole_number.h"
#include "files/file_names.h"

#include <QCommandLineParser>

#include <stdexcept>

namespace {

using Mode = TModeOptions::Mode;

constexpr std::int64_t kLongestHold = 366LL * 86400;

} // namespace

TModeCommandLine::TModeCommandLine()
    : schedule_("schedule",
                "Send what the schedule FILE wants on each of its signs now, to the signs whose "
                "bytes differ from what they last took.",
                "FILE")
    , follow_("follow", "With --schedule: keep running and send whenever something changes.")
    , at_("at", "Work the schedule (or the fields) out for the local time \"YYYY-MM-DD HH:MM\".",
          "TIME")
    , force_("force", "With --schedule: send to every sign, changed or not.")
    , fields_("fields", "Fill in the live fields ({time:...}, {date:...}, {file:...}).")
    , status_("status", "Print what each sign shows, since when, and its last result.")
    , hold_("hold",
            "Send FILE to the signs now and keep it there for --for, whatever a schedule wants.",
            "FILE")
    , for_("for", "How long a hold lasts: 30m, 2h, 1h30m, 1d.", "TIME")
    , release_("release", "End the hold of the signs now.") {}

void TModeCommandLine::add(QCommandLineParser& parser) const {
    parser.addOptions({schedule_, follow_, at_, force_, fields_, status_, hold_, for_, release_});
}

std::optional<std::int64_t> durationSeconds(const std::string& text) {
    std::int64_t total = 0;
    std::size_t pos = 0;
    if (text.empty())
        return std::nullopt;
    while (pos < text.size()) {
        const std::size_t unit = text.find_first_not_of("0123456789", pos);
        if (unit == std::string::npos || unit == pos)
            return std::nullopt;
        const std::optional<long long> n =
            parseWholeNumber(std::string_view(text).substr(pos, unit - pos), TNumberForm::Digits);
        const std::string_view units = "smhd";
        const std::size_t which = units.find(text[unit]);
        if (!n || which == std::string_view::npos || *n > kLongestHold)
            return std::nullopt;
        constexpr std::int64_t kScale[] = {1, 60, 3600, 86400};
        total += *n * kScale[which];
        if (total > kLongestHold)
            return std::nullopt;
        pos = unit + 1;
    }
    return total;
}

TModeOptions TModeCommandLine::read(const QCommandLineParser& parser) const {
    TModeOptions o;
    int modes = 0;
    auto mode = [&](const QCommandLineOption& option, Mode m) {
        if (parser.isSet(option)) {
            o.mode = m;
            ++modes;
        }
    };
    mode(schedule_, Mode::Schedule);
    mode(status_, Mode::Status);
    mode(hold_, Mode::Hold);
    mode(release_, Mode::Release);
    if (modes > 1)
        throw std::invalid_argument("Give one of --schedule, --status, --hold and --release.");
    auto only = [&](const QCommandLineOption& option, bool allowed, const char* with) {
        if (parser.isSet(option) && !allowed)
            throw std::invalid_argument("--" + option.names().constFirst().toStdString() +
                                        " goes with " + with + ".");
    };
    only(follow_, o.mode == Mode::Schedule, "--schedule");
    only(force_, o.mode == Mode::Schedule, "--schedule");
    only(for_, o.mode == Mode::Hold, "--hold");
    only(fields_, o.mode == Mode::Send || o.mode == Mode::Hold,
         "a message file or --hold (a schedule fills fields in unless a show says Fields=no)");

    // The arguments hold a file name's very bytes, whatever their encoding (files/file_names.h).
    o.schedule = fileNameFromUtf16(parser.value(schedule_).toStdU16String());
    o.holdFile = fileNameFromUtf16(parser.value(hold_).toStdU16String());
    o.follow = parser.isSet(follow_);
    o.force = parser.isSet(force_);
    o.fields = parser.isSet(fields_);
    if ((o.mode == Mode::Schedule && o.schedule.empty()) ||
        (o.mode == Mode::Hold && o.holdFile.empty()))
        throw std::invalid_argument("--schedule and --hold take the path of a file.");
    if (parser.isSet(at_)) {
        if (o.follow || (o.mode != Mode::Schedule && !(o.mode == Mode::Send && o.fields)))
            throw std::invalid_argument(
                "--at goes with --schedule (without --follow) or with --fields.");
        const std::string text = parser.value(at_).toStdString();
        bool skipped = false;
        o.at = momentOfWallText(text, &skipped);
        if (!o.at)
            throw std::invalid_argument(
                skipped ? "--at \"" + text + "\": the clock change skips that time here."
                        : "--at takes a local time \"YYYY-MM-DD HH:MM\", not \"" + text + "\".");
    }
    if (o.mode == Mode::Hold) {
        if (!parser.isSet(for_))
            throw std::invalid_argument("--hold needs --for: how long the message stays.");
        const std::string text = parser.value(for_).toStdString();
        const std::optional<std::int64_t> seconds = durationSeconds(text);
        if (!seconds || *seconds == 0)
            throw std::invalid_argument("--for takes a time such as 30m, 2h, 1h30m or 1d (at most "
                                        "366d), not \"" +
                                        text + "\".");
        o.holdSeconds = *seconds;
    }
    return o;
}

void checkModeRun(const TModeRun& run) {
    const Mode mode = run.mode.mode;
    if (mode == Mode::Send)
        return;
    if (run.signs.change.namesAPlace() || run.signs.change.baud)
        throw std::invalid_argument("--port, --baud, --device and --host change a one-off send; "
                                    "name the signs in the settings file.");
    const bool named = run.signs.all || !run.signs.names.empty();
    if (mode == Mode::Schedule) {
        if (named || run.line || run.width)
            throw std::invalid_argument("With --schedule, the schedule names the signs and its "
                                        "shows say Line= and Width=.");
        if (run.dryRun && run.mode.follow)
            throw std::invalid_argument("--dry-run makes one pass; it goes without --follow.");
    } else if (mode == Mode::Hold || mode == Mode::Release) {
        if (!named)
            throw std::invalid_argument("Say which signs: --sign NAME or --all-signs.");
    }
    if (run.dryRun && mode != Mode::Schedule)
        throw std::invalid_argument("--dry-run goes with a message file or --schedule.");
    if (mode != Mode::Hold && (run.line || run.width))
        throw std::invalid_argument("--line and --width go with a message file or --hold.");
}

int runMode(const TModeRun& run) {
    switch (run.mode.mode) {
    case Mode::Schedule:
        return runSchedule(run);
    case Mode::Status:
        return runStatus(run);
    case Mode::Hold:
        return runHold(run);
    case Mode::Release:
        return runRelease(run);
    case Mode::Send:
        break;
    }
    return 0;
}
