#include "fleet/schedule_pass.h"

#include "files/file_errors.h"
#include "model/block.h"
#include "model/message_file.h"
#include "sign/live_fields.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"

#include <algorithm>
#include <filesystem>

std::vector<std::string> readMessageToSend(const std::string& path) {
    std::optional<std::size_t> nul;
    std::vector<std::string> lines = readMessageFile(path, &nul);
    if (nul)
        throw EFOpenError("Cannot open file " + path + "\nIt holds a NUL byte at offset " +
                          std::to_string(*nul) +
                          ": the editor would show it only up to there, so it is not sent.");
    if (lines.empty())
        throw EFOpenError("Cannot open file " + path +
                          "\nIt holds no block line: there is nothing to send.");
    return lines;
}

TFieldValues messageToSend(const std::string& path, bool fields, TMoment moment) {
    std::vector<std::string> lines = readMessageToSend(path);
    if (!fields)
        return TFieldValues{std::move(lines), std::nullopt, {}};
    const std::size_t slash = path.rfind('/');
    try {
        return expandLiveFields(lines, moment,
                                slash == std::string::npos ? "" : path.substr(0, slash));
    } catch (const ELiveFieldError& error) {
        throw ELiveFieldError(path + ": " + error.what());
    }
}

namespace {

void earliest(std::optional<TMoment>& next, std::optional<TMoment> candidate) {
    if (candidate && (!next || *candidate < *next))
        next = candidate;
}

// The messages of one pass, each read and filled in once.
class TMessages {
public:
    TMessages(TMoment moment, TPassPlan& plan)
        : moment_(moment)
        , plan_(plan) {}

    // The lines of `wanted` and their stream; throws what keeps them from being had.
    std::string stream(const TLedgerMessage& wanted, std::vector<std::string>& lines) {
        const auto key = std::make_pair(wanted.message, wanted.fields);
        auto found = read_.find(key);
        if (found == read_.end()) {
            Entry entry;
            try {
                entry.values = messageToSend(wanted.message, wanted.fields, moment_);
                earliest(plan_.nextChange, entry.values.nextChange);
                for (const std::string& file : entry.values.files)
                    watch(file);
            } catch (const std::exception& error) {
                entry.error = error.what();
            }
            watch(wanted.message);
            found = read_.emplace(key, std::move(entry)).first;
        }
        if (!found->second.error.empty())
            throw std::runtime_error(found->second.error);
        lines = found->second.values.lines;
        TSendBuffer buffer;
        TBlock block;
        buildSignStream(buffer, block, lines, wanted.start, wanted.width);
        return std::string(buffer.bytes());
    }

private:
    struct Entry {
        TFieldValues values;
        std::string error;
    };

    void watch(const std::string& file) {
        if (std::find(plan_.files.begin(), plan_.files.end(), file) == plan_.files.end())
            plan_.files.push_back(file);
    }

    TMoment moment_;
    TPassPlan& plan_;
    std::map<std::pair<std::string, bool>, Entry> read_;
};

} // namespace

std::string showText(const TLedgerMessage& message) {
    if (message.show == "otherwise" || message.show == "hold" || message.show == "editor" ||
        message.show == "one-off" || message.show.empty())
        return message.show.empty() ? "no show" : message.show;
    return "show " + message.show;
}

TPassPlan planPass(const TSchedule& schedule, const std::vector<TChosenSign>& signs,
                   const TRememberedAddress& remembered,
                   const std::map<std::string, TSignLedger>& ledgers, TMoment moment, bool force,
                   bool backoff) {
    TPassPlan plan;
    plan.moment = moment;
    earliest(plan.nextChange, nextScheduleChange(schedule, moment));
    TMessages messages(moment, plan);
    static const TSignLedger kNone;

    for (const TChosenSign& sign : signs) {
        const auto found = ledgers.find(sign.name);
        const TSignLedger& ledger = found == ledgers.end() ? kNone : found->second;
        TPassSign part;
        part.job = signJob(sign, std::nullopt, std::nullopt, remembered);

        std::optional<TLedgerMessage> wanted;
        if (ledger.hold && ledger.hold->activeAt(moment)) {
            wanted = ledger.hold->what;
            earliest(plan.nextChange, ledger.hold->until);
        } else if (const TShow* show = wantedShow(schedule, sign.name, moment)) {
            const TSignJob job = signJob(sign, show->start, show->width, remembered);
            wanted = TLedgerMessage{show->message,
                                    show->otherwise() ? "otherwise" : show->name,
                                    job.start,
                                    job.width,
                                    show->fields,
                                    {},
                                    0};
        } else if (ledger.hold && ledger.hold->before) {
            wanted = ledger.hold->before;
        }
        if (!wanted) {
            plan.signs.push_back(std::move(part));
            continue;
        }
        part.wanted = *wanted;
        part.job.start = wanted->start;
        part.job.width = wanted->width;
        try {
            part.bytes = messages.stream(*wanted, part.lines);
        } catch (const std::exception& error) {
            part.action = TPassSign::Action::Failed;
            part.reason = error.what();
            plan.signs.push_back(std::move(part));
            continue;
        }
        part.wanted.sha256 = sha256Hex(part.bytes);
        part.wanted.bytes = part.bytes.size();
        const TSendDecision decision =
            decideSend(ledger, part.wanted.sha256, moment, force, backoff);
        part.action = decision.send      ? TPassSign::Action::Send
                      : decision.retryAt ? TPassSign::Action::Wait
                                         : TPassSign::Action::Unchanged;
        part.retryAt = decision.retryAt;
        earliest(plan.nextChange, decision.retryAt);
        if (part.action == TPassSign::Action::Send)
            part.job.stream = part.bytes;
        plan.signs.push_back(std::move(part));
    }
    return plan;
}

TLedgerSend ledgerSend(const TPassSign& sign, const TSignReport& report, TMoment time) {
    TLedgerSend send;
    send.time = time;
    send.what = sign.wanted;
    send.sent = report.sent;
    send.whole = report.state == TSignReport::State::Sent;
    send.result = reportResult(report);
    return send;
}

std::vector<TLedgerMessage> oneOffMessages(const std::vector<TSignJob>& jobs,
                                           const std::vector<std::string>& lines,
                                           const std::string& file, bool fields,
                                           const std::string& show) {
    std::vector<TLedgerMessage> messages;
    // An untitled message has no file.
    const std::string path =
        file.empty() ? std::string() : std::filesystem::absolute(file).lexically_normal().string();
    for (const TSignJob& job : jobs) {
        TSendBuffer buffer;
        TBlock block;
        buildSignStream(buffer, block, lines, job.start, job.width);
        messages.push_back(
            {path, show, job.start, job.width, fields, sha256Hex(buffer.bytes()), buffer.size()});
    }
    return messages;
}

std::vector<std::string> recordOneOffSends(const std::vector<TSignJob>& jobs,
                                           const std::vector<TLedgerMessage>& messages,
                                           const std::vector<TSignReport>& reports) {
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        // A sign that no send began for still shows what it did.
        if (reports[i].state == TSignReport::State::Waiting ||
            (reports[i].state == TSignReport::State::Stopped && reports[i].sent == 0))
            continue;
        TPassSign sign;
        sign.job = jobs[i];
        sign.wanted = messages[i];
        try {
            recordSignSend(jobs[i].name, ledgerSend(sign, reports[i], momentNow()));
        } catch (const std::exception& error) {
            problems.push_back(error.what());
        }
    }
    return problems;
}
