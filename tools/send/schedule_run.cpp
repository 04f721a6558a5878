#include "schedule_run.h"

#include "send_progress.h"

#include "base/error_text.h"
#include "common/stream_listing.h"
#include "files/file_errors.h"
#include "settings/settings_path.h"
#include "sign/control_bytes.h"
#include "sign/send_errors.h"

#include <QCoreApplication>
#include <QFile>

#include "model/block.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A follower sends to at most this many network signs at once (fewer with --connections): its
// passes are small and frequent, and a thread for each of many signs at every pass costs more
// processor time than the waits that it saves.
constexpr std::size_t kFollowConnections = 16;

std::atomic<TMultiSend*> runningSend = nullptr;
volatile std::sig_atomic_t stopSignal = 0;
int stopWakeFd = -1;

extern "C" void stopModeOnSignal(int signal) {
    stopSignal = signal;
    if (TMultiSend* run = runningSend.load())
        run->Cancel();
    if (stopWakeFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(stopWakeFd, &byte, 1);
    }
}

// The identity, size and time of a file: changed when the file has.
std::string fileStamp(const std::string& path) {
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        return "-";
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" +
           std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

// The exit status of signs that ended with these statuses (0, 3, 4 or 5): theirs when alike,
// else 1.
int commonStatus(const std::vector<int>& statuses) {
    for (const int status : statuses) {
        if (status != statuses.front())
            return kExitSomeFailed;
    }
    return statuses.empty() ? kExitSent : statuses.front();
}

} // namespace

void tellProblem(const std::string& message) {
    // What failed, then why, on one line.
    const std::size_t reason = message.find('\n');
    const std::string line = reason == std::string::npos
                                 ? message
                                 : message.substr(0, reason) + ": " + message.substr(reason + 1);
    std::fprintf(stderr, "lumavane-send: %s\n", oneLine(line).c_str());
    std::fflush(stderr);
}

void tellLine(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string signLine(const TSignJob& job, const TLedgerMessage& what, const std::string& rest) {
    return job.name + "\t" + showText(what) + "\t" + what.message + "\t" +
           describeSignLink(job.link) + "\t" + rest;
}

void installStopHandlers(int wakeFd) {
    stopWakeFd = wakeFd;
    struct sigaction action = {};
    action.sa_handler = stopModeOnSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stopSignalSeen() {
    return stopSignal;
}

void refuseGatewaySigns(const std::vector<TChosenSign>& signs, const std::string& what) {
    for (const TChosenSign& sign : signs)
        if (!sign.gateway.empty())
            throw std::runtime_error(what + ": the sign " + sign.name + " hangs on the gateway " +
                                     sign.gateway +
                                     ", and only signs of this computer can be kept in step; "
                                     "send to it with --sign.");
}

std::vector<TSignReport> runSends(TMultiSend& run, bool quiet) {
    std::optional<TSendProgress> progress;
    if (!quiet && ::isatty(STDERR_FILENO))
        progress.emplace(stderr);
    run.OnTick = [&] {
        if (progress)
            progress->show(run.Reports());
    };
    runningSend = &run;
    if (stopSignal != 0)
        run.Cancel();
    run.Run();
    runningSend = nullptr;
    if (progress)
        progress->clear();
    return run.Reports();
}

std::vector<TSignReport> sendSigns(const std::vector<TSignJob>& jobs, std::size_t connections,
                                   bool quiet) {
    TMultiSend run(jobs, {});
    run.MaxConnections = connections;
    return runSends(run, quiet);
}

TScheduleRunner::TScheduleRunner(const TModeRun& run)
    : run_(run)
    , settings_(settingsFilePath()) {}

void TScheduleRunner::Load() {
    const TMoment now = momentNow();
    readFiles_ = fileStamp(run_.mode.schedule) + "|" + fileStamp(settings_);
    const std::vector<std::string> names = namedSigns(settings_);
    std::vector<std::string> warnings;
    TSchedule schedule =
        readSchedule(run_.mode.schedule, names, [&](const std::string& message, bool fields) {
            messageToSend(message, fields, now);
            // Sent as they stand, as a one-off send sends them; said, since the sign reads such
            // bytes as framing or colours.
            for (const std::string& warning : controlByteWarnings(readMessageToSend(message)))
                warnings.push_back(message + ": " + warning);
        });
    for (const std::string& warning : warnings)
        tellProblem("warning: " + warning);
    TSignRequest request;
    request.names = schedule.signs;
    std::vector<std::string> notes;
    std::vector<TChosenSign> signs = chooseSigns(settings_, request, notes);
    for (const std::string& note : notes)
        tellProblem("warning: " + note);
    refuseGatewaySigns(signs, run_.mode.schedule);
    TRememberedAddress remembered;
    if (needsRememberedAddress(signs, std::nullopt, std::nullopt)) {
        const std::string store = editorStoreFile(
            QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
        try {
            remembered = readRememberedAddress(store);
        } catch (const std::exception& error) {
            throw std::runtime_error(oneLine(error.what()) +
                                     "; give each sign Line= and Width= in the settings file.");
        }
    }
    schedule_ = std::move(schedule);
    signs_ = std::move(signs);
    remembered_ = remembered;
}

void TScheduleRunner::Reload() {
    // A message's or a field's change needs no reading of the schedule: each pass reads them.
    if (fileStamp(run_.mode.schedule) + "|" + fileStamp(settings_) == readFiles_ &&
        loadProblem_.empty())
        return;
    try {
        Load();
        loadProblem_.clear();
    } catch (const std::exception& error) {
        const std::string problem = oneLine(error.what());
        if (problem != loadProblem_)
            tellProblem(problem + " (the schedule read before stays in force)");
        loadProblem_ = problem;
    }
}

std::vector<std::string> TScheduleRunner::WatchedFiles() const {
    std::vector<std::string> files = plan_.files;
    files.push_back(schedule_.path);
    files.push_back(settings_);
    for (const TShow& show : schedule_.shows)
        files.push_back(show.message);
    if (schedule_.otherwise)
        files.push_back(schedule_.otherwise->message);
    return files;
}

bool TScheduleRunner::LedgersChanged() const {
    for (const TChosenSign& sign : signs_) {
        const auto known = ledgers_.find(sign.name);
        if (known == ledgers_.end() || known->second.first != fileStamp(ledgerPath(sign.name)))
            return true;
    }
    return false;
}

void TScheduleRunner::Print(const TPassSign& sign, const std::string& rest, bool always) {
    const std::string line = signLine(sign.job, sign.wanted, rest);
    if (run_.mode.follow && !always) {
        // Following, a state that goes on is told once.
        std::string& told = told_[sign.job.name];
        if (told == line)
            return;
        told = line;
    } else if (run_.mode.follow) {
        told_.erase(sign.job.name);
    }
    const bool failed = rest.starts_with("failed") || rest.starts_with("stopped");
    if (!run_.quiet)
        tellLine(line);
    else if (failed)
        std::fprintf(stderr, "%s\n", line.c_str());
}

void TScheduleRunner::PrintDryRun() const {
    std::string text;
    for (const TPassSign& sign : plan_.signs) {
        if (sign.action == TPassSign::Action::Keep) {
            text += "# " + sign.job.name + "\tno show: keeps what it shows\n";
            continue;
        }
        if (sign.action == TPassSign::Action::Failed) {
            text +=
                "# " + signLine(sign.job, sign.wanted, "failed: " + oneLine(sign.reason)) + "\n";
            continue;
        }
        const std::string verdict = sign.action == TPassSign::Action::Send ? "would send"
                                    : sign.action == TPassSign::Action::Wait
                                        ? "would wait to try again"
                                        : "unchanged: would not send";
        text += "# " +
                signLine(sign.job, sign.wanted,
                         "line " + std::to_string(sign.job.start) + ", width " +
                             std::to_string(sign.job.width) + "\t" +
                             std::to_string(sign.bytes.size()) + " bytes\t" + verdict) +
                "\n";
        for (const std::string& record : hexDumpStream(sign.lines, sign.job.start, sign.job.width))
            text += record + "\n";
    }
    std::fputs(text.c_str(), stdout);
}

int TScheduleRunner::Pass(TMoment moment) {
    const bool follow = run_.mode.follow;
    if (!clockIsSet(moment)) {
        if (!clockProblemTold_)
            tellProblem("the clock reads " + wallText(moment) +
                        ", before 2020: it is not set yet, and no show is chosen until it is.");
        clockProblemTold_ = true;
        plan_ = TPassPlan{};
        plan_.moment = moment;
        return kExitSomeFailed;
    }
    clockProblemTold_ = false;

    // Each sign is worked out and sent to under its lock, so that another program's send or
    // hold on it comes wholly before or after this one.
    std::vector<std::unique_ptr<TSignLock>> locks;
    std::vector<TChosenSign> ready;
    std::map<std::string, TSignLedger> ledgers;
    for (const TChosenSign& sign : signs_) {
        if (!run_.dryRun) {
            try {
                auto lock = std::make_unique<TSignLock>(sign.name, !follow);
                if (!lock->held()) {
                    if (follow && told_[sign.name] != "busy")
                        tellLine(sign.name + "\tbusy: another program is sending to it; this "
                                             "pass leaves it alone");
                    told_[sign.name] = "busy";
                    continue;
                }
                locks.push_back(std::move(lock));
            } catch (const std::exception& error) {
                tellProblem(error.what());
            }
        }
        const std::string stamp = fileStamp(ledgerPath(sign.name));
        auto& [known, ledger] = ledgers_[sign.name];
        if (known != stamp) {
            try {
                ledger = readLedger(sign.name);
                known = stamp;
            } catch (const std::exception& error) {
                tellProblem("warning: " + std::string(error.what()) + " (taken as empty)");
                ledger = TSignLedger{};
                known.clear();
            }
        }
        ledgers[sign.name] = ledger;
        ready.push_back(sign);
    }
    plan_ = planPass(schedule_, ready, remembered_, ledgers, moment, run_.mode.force, follow);
    if (run_.dryRun) {
        PrintDryRun();
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitSent : kExitSomeFailed;
    }

    std::vector<TSignJob> jobs;
    std::vector<const TPassSign*> sent;
    for (const TPassSign& sign : plan_.signs) {
        if (sign.action == TPassSign::Action::Send) {
            jobs.push_back(sign.job);
            sent.push_back(&sign);
        }
    }
    const std::vector<TSignReport> reports =
        jobs.empty()
            ? std::vector<TSignReport>{}
            : sendSigns(jobs,
                        follow ? std::min(run_.connections, kFollowConnections) : run_.connections,
                        run_.quiet);
    const TMoment recorded = run_.mode.at ? *run_.mode.at : momentNow();
    std::vector<int> statuses;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        TSignLedger& ledger = ledgers[sent[i]->job.name];
        ledger.record(ledgerSend(*sent[i], reports[i], recorded));
        try {
            writeLedger(sent[i]->job.name, ledger);
            ledgers_[sent[i]->job.name] = {fileStamp(ledgerPath(sent[i]->job.name)), ledger};
        } catch (const std::exception& error) {
            tellProblem("warning: " + std::string(error.what()));
            ledgers_.erase(sent[i]->job.name);
        }
        statuses.push_back(runExitStatus({reports[i]}));
    }
    locks.clear();

    std::size_t next = 0;
    for (const TPassSign& sign : plan_.signs) {
        using Action = TPassSign::Action;
        switch (sign.action) {
        case Action::Send: {
            const std::string line = reportLine(sign.job, reports[next++]);
            // The bytes and the result, as a one-off send tells them.
            Print(sign, line.substr(line.find('\t', sign.job.name.size() + 1) + 1), true);
            break;
        }
        case Action::Failed:
            statuses.push_back(kExitBadFile);
            Print(sign, "failed: " + oneLine(sign.reason), false);
            break;
        case Action::Wait:
            Print(sign, "last send failed: tries again at " + wallText(*sign.retryAt, true), false);
            break;
        case Action::Unchanged: {
            const auto ledger = ledgers.find(sign.job.name);
            if (!follow)
                Print(sign, "unchanged since " + wallText(ledger->second.since), false);
            else
                told_.erase(sign.job.name);
            break;
        }
        case Action::Keep:
            if (!follow)
                Print(sign, "keeps what it shows", false);
            break;
        }
    }
    if (stopSignal != 0)
        return 128 + stopSignal;
    return commonStatus(statuses);
}

int runSchedule(const TModeRun& run) {
    TScheduleRunner runner(run);
    try {
        runner.Load();
    } catch (const std::exception& error) {
        tellProblem(error.what());
        return kExitUsage;
    }
    if (!run.mode.follow) {
        installStopHandlers();
        return runner.Pass(run.mode.at.value_or(momentNow()));
    }
    return followSchedule(runner);
}
