#include "ledger_commands.h"

#include "schedule_run.h"

#include "base/error_text.h"
#include "fleet/schedule_pass.h"
#include "fleet/sign_ledger.h"
#include "settings/settings_path.h"
#include "sign/comm_settings.h"
#include "sign/send_buffer.h"
#include "sign/send_errors.h"
#include "sign/sign_stream.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

// The signs that the command names, with their links; told and none on a problem.
std::optional<std::vector<TChosenSign>> chosenSigns(const TModeRun& run, bool withEditors) {
    const std::string settings = settingsFilePath();
    try {
        std::vector<std::string> notes;
        TSignRequest request = run.signs;
        std::vector<TChosenSign> signs;
        const bool named = request.all || !request.names.empty();
        if (named || !namedSigns(settings).empty()) {
            request.all = request.all || !named;
            signs = chooseSigns(settings, request, notes);
        }
        // The editor's own sign, once it has sent to it.
        if (withEditors && !named && std::filesystem::exists(ledgerPath(kCommSection)))
            signs.insert(signs.begin(), chooseSigns(settings, TSignRequest{}, notes).front());
        return signs;
    } catch (const std::exception& error) {
        tellProblem(error.what());
        return std::nullopt;
    }
}

// When a hold ends, to the second where it does not end on a minute.
std::string holdEnd(TMoment until) {
    return wallText(until, until % 60 != 0);
}

} // namespace

int runStatus(const TModeRun& run) {
    const std::optional<std::vector<TChosenSign>> signs = chosenSigns(run, true);
    if (!signs)
        return kExitUsage;
    const TMoment now = momentNow();
    std::vector<std::vector<std::string>> rows = {
        {"SIGN", "LINK", "SHOWS", "SINCE", "LAST SEND", "HOLD"}};
    int status = kExitSent;
    for (const TChosenSign& sign : *signs) {
        TSignLedger ledger;
        try {
            ledger = readLedger(sign.name);
        } catch (const std::exception& error) {
            tellProblem(error.what());
            status = kExitSomeFailed;
            continue;
        }
        std::vector<std::string> row = {sign.name, describeSignLink(sign.link)};
        if (ledger.shows) {
            row.push_back(ledger.shows->message + " (" + showText(*ledger.shows) + ")");
            row.push_back(wallText(ledger.since));
        } else {
            row.push_back(!ledger.last            ? "nothing recorded"
                          : ledger.last->sent > 0 ? "not known: a send broke off after " +
                                                        std::to_string(ledger.last->sent) + " bytes"
                                                  : "not known");
            row.push_back("-");
        }
        row.push_back(ledger.last ? wallText(ledger.last->time) + " " + ledger.last->result : "-");
        row.push_back(ledger.hold && ledger.hold->activeAt(now)
                          ? "until " + holdEnd(ledger.hold->until) + " (" +
                                ledger.hold->what.message + ")"
                          : "-");
        rows.push_back(std::move(row));
    }
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? row[c] + std::string(widths[c] - row[c].size() + 2, ' ')
                                       : row[c];
        tellLine(line);
    }
    return status;
}

int runHold(const TModeRun& run) {
    const std::optional<std::vector<TChosenSign>> signs = chosenSigns(run, false);
    if (!signs)
        return kExitUsage;
    try {
        refuseGatewaySigns(*signs, "--hold");
    } catch (const std::exception& error) {
        tellProblem(error.what());
        return kExitUsage;
    }
    TRememberedAddress remembered;
    if (needsRememberedAddress(*signs, run.line, run.width)) {
        try {
            remembered = readRememberedAddress(editorStoreFile(
                QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));
        } catch (const std::exception& error) {
            tellProblem(oneLine(error.what()) +
                        "; give the start line and the width with --line and --width.");
            return kExitUsage;
        }
    }
    const std::string file = std::filesystem::absolute(run.mode.holdFile).lexically_normal();
    const TMoment now = momentNow();
    TFieldValues message;
    try {
        message = messageToSend(file, run.mode.fields, now);
    } catch (const std::exception& error) {
        tellProblem(error.what());
        return kExitBadFile;
    }
    const TMoment until = now + run.mode.holdSeconds;

    installStopHandlers();
    std::vector<std::unique_ptr<TSignLock>> locks;
    std::vector<TSignLedger> ledgers;
    std::vector<TPassSign> parts;
    std::vector<TSignJob> jobs;
    bool unrecorded = false;
    for (const TChosenSign& sign : *signs) {
        locks.push_back(std::make_unique<TSignLock>(sign.name, true));
        TSignLedger ledger;
        try {
            ledger = readLedger(sign.name);
        } catch (const std::exception& error) {
            tellProblem("warning: " + std::string(error.what()) + " (taken as empty)");
        }
        TPassSign part;
        part.job = signJob(sign, run.line, run.width, remembered);
        TSendBuffer buffer;
        TBlock block;
        buildSignStream(buffer, block, message.lines, part.job.start, part.job.width);
        part.job.stream = std::string(buffer.bytes());
        part.wanted = TLedgerMessage{file,           "hold",          part.job.start,
                                     part.job.width, run.mode.fields, sha256Hex(*part.job.stream),
                                     buffer.size()};
        // A hold over a hold keeps what the sign showed before the first.
        TLedgerHold hold{part.wanted, until, ledger.shows};
        if (ledger.hold && ledger.hold->activeAt(now))
            hold.before = ledger.hold->before;
        ledger.hold = hold;
        try {
            writeLedger(sign.name, ledger);
        } catch (const std::exception& error) {
            tellProblem(std::string(error.what()) + ": the hold is sent but not kept.");
            unrecorded = true;
        }
        jobs.push_back(part.job);
        parts.push_back(std::move(part));
        ledgers.push_back(std::move(ledger));
    }

    const std::vector<TSignReport> reports = sendSigns(jobs, run.connections, run.quiet);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        ledgers[i].record(ledgerSend(parts[i], reports[i], momentNow()));
        try {
            writeLedger(parts[i].job.name, ledgers[i]);
        } catch (const std::exception& error) {
            tellProblem("warning: " + std::string(error.what()));
        }
        const std::string report = reportLine(parts[i].job, reports[i]);
        const std::string line = parts[i].job.name + "\t" + "hold until " + holdEnd(until) + "\t" +
                                 file + "\t" + report.substr(parts[i].job.name.size() + 1);
        if (!run.quiet)
            tellLine(line);
        else if (reports[i].state != TSignReport::State::Sent)
            std::fprintf(stderr, "%s\n", line.c_str());
    }
    if (stopSignalSeen() != 0)
        return 128 + stopSignalSeen();
    const int status = runExitStatus(reports);
    return status == kExitSent && unrecorded ? kExitSomeFailed : status;
}

int runRelease(const TModeRun& run) {
    const std::optional<std::vector<TChosenSign>> signs = chosenSigns(run, false);
    if (!signs)
        return kExitUsage;
    int status = kExitSent;
    for (const TChosenSign& sign : *signs) {
        const TSignLock lock(sign.name, true);
        const TMoment now = momentNow();
        try {
            TSignLedger ledger = readLedger(sign.name);
            if (!ledger.hold || !ledger.hold->activeAt(now)) {
                tellLine(sign.name + "\tno hold");
                continue;
            }
            // Ended rather than forgotten: what the sign showed before it is still known.
            ledger.hold->until = now;
            writeLedger(sign.name, ledger);
            tellLine(sign.name + "\thold released\t" + ledger.hold->what.message);
        } catch (const std::exception& error) {
            tellProblem(error.what());
            status = kExitSomeFailed;
        }
    }
    return status;
}
