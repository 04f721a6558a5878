#pragma once

#include "fleet/sign_choice.h"
#include "sign/wall_clock.h"

#include <QCommandLineOption>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class QCommandLineParser;

// The options of lumavane-send beyond a one-off send: a schedule's passes (--schedule, --follow,
// --at, --force), live fields (--fields), holds (--hold, --for, --release) and --status.
struct TModeOptions {
    enum class Mode { Send, Schedule, Status, Hold, Release };
    Mode mode = Mode::Send;
    std::string schedule;
    bool follow = false;
    bool force = false;
    bool fields = false;
    std::optional<TMoment> at;
    std::string holdFile;
    std::int64_t holdSeconds = 0;
};

// What a mode other than a one-off send is run with: its own options and those it shares with a
// send.
struct TModeRun {
    TModeOptions mode;
    TSignRequest signs;
    std::optional<int> line;
    std::optional<int> width;
    std::size_t connections = 0;
    bool dryRun = false;
    bool hex = false;
    bool quiet = false;
};

class TModeCommandLine {
public:
    TModeCommandLine();
    // Adds the options to `parser`.
    void add(QCommandLineParser& parser) const;
    // The options given. Throws std::invalid_argument for a value or a combination that
    // cannot be used.
    TModeOptions read(const QCommandLineParser& parser) const;

private:
    QCommandLineOption schedule_, follow_, at_, force_, fields_, status_, hold_, for_, release_;
};

// A duration written as "30m", "2h", "1h30m", "45s" or "1d": its seconds; none for other text.
std::optional<std::int64_t> durationSeconds(const std::string& text);

// Checks the options that a mode shares with a one-off send; throws std::invalid_argument.
void checkModeRun(const TModeRun& run);

// Runs a mode other than a one-off send; its exit status.
int runMode(const TModeRun& run);
