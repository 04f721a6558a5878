#pragma once

#include "schedule_options.h"

#include "fleet/multi_send.h"
#include "fleet/schedule.h"
#include "fleet/schedule_pass.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// The passes of a schedule: reading it with the settings, working out each pass, sending to the
// signs that need it, recording the sends in the ledger, and telling each change on a line.

// Tells a problem on standard error, on one line: "lumavane-send: <message>".
void tellProblem(const std::string& message);
// Writes a line on standard output at once (a journal or a pipe sees it when it happens).
void tellLine(const std::string& line);

// One line about a sign: its name, its show, its message file, its link and `rest`, separated
// by tabs.
std::string signLine(const TSignJob& job, const TLedgerMessage& what, const std::string& rest);

// Makes a first SIGINT or SIGTERM stop the sends in order (a second ends the program at once),
// and write a byte to `wakeFd` (when not -1) so that a waiting event loop can end.
void installStopHandlers(int wakeFd = -1);
// The signal that asked to stop; 0 while none has.
int stopSignalSeen();

// Sends each job's stream, the signs side by side, with a progress bar on a terminal unless
// `quiet`; stops in order on a signal (see installStopHandlers).
// Throws for a sign on another computer: schedules and holds keep a ledger of what each sign
// took whole, which only a sign of this computer can give. `what` names the file or option.
void refuseGatewaySigns(const std::vector<TChosenSign>& signs, const std::string& what);

// Runs `run` with a progress line on a terminal's standard error, cancelled by the stop
// handlers (installStopHandlers); returns how each sign ended.
std::vector<TSignReport> runSends(TMultiSend& run, bool quiet);

std::vector<TSignReport> sendSigns(const std::vector<TSignJob>& jobs, std::size_t connections,
                                   bool quiet);

class TScheduleRunner {
public:
    explicit TScheduleRunner(const TModeRun& run);

    // Reads the settings and the schedule; throws what makes them unusable.
    void Load();
    // Reads them again when either file has changed; a schedule that cannot be used now is
    // told, and the one read before stays in force.
    void Reload();
    // Works out the pass at `moment`, sends and records; its exit status.
    int Pass(TMoment moment);

    const TSchedule& Schedule() const { return schedule_; }
    // The files that the last pass depended on (schedule, settings, messages, fields).
    std::vector<std::string> WatchedFiles() const;
    // When the last pass's answer changes by the clock next.
    std::optional<TMoment> NextChange() const { return plan_.nextChange; }
    // Whether a sign's ledger has changed since the last pass wrote or read it (another
    // program's send or hold).
    bool LedgersChanged() const;

private:
    void Print(const TPassSign& sign, const std::string& rest, bool always);
    void PrintDryRun() const;

    TModeRun run_;
    std::string settings_;
    TSchedule schedule_;
    std::vector<TChosenSign> signs_;
    TRememberedAddress remembered_;
    TPassPlan plan_;
    std::string loadProblem_;
    // The schedule and the settings file as last read: their identity, size and time.
    std::string readFiles_;
    // Each sign's ledger as this program last read or wrote it, with the stamp of its file:
    // read again only when another program has changed it.
    std::map<std::string, std::pair<std::string, TSignLedger>> ledgers_;
    bool clockProblemTold_ = false;
    // Follow: the last line told of each sign that was not a send.
    std::map<std::string, std::string> told_;
};

// lumavane-send --schedule: one pass, or following.
int runSchedule(const TModeRun& run);

// Follows the schedule until a signal: a pass now and at every moment something can change.
int followSchedule(TScheduleRunner& runner);
