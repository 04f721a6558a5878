#pragma once

#include "fleet/multi_send.h"
#include "fleet/schedule.h"
#include "fleet/sign_choice.h"
#include "fleet/sign_ledger.h"
#include "sign/live_fields.h"
#include "sign/send_address.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// One pass of a schedule: what every sign of it should show at a moment, worked out from the
// clock and the ledger alone (so that a pass after a reboot, a suspend or a missed minute gives
// the same answer as one on time), and which signs are to be sent to.

// The block lines of the message file at `path`, as a send takes them. Throws EFOpenError for
// a file that cannot be read, holds a NUL byte or no block line.
std::vector<std::string> readMessageToSend(const std::string& path);

// The lines of a message with its live fields filled in at `moment` (or as they are when
// `fields` is false), and what the fields need watched. Throws ELiveFieldError, naming the file.
TFieldValues messageToSend(const std::string& path, bool fields, TMoment moment);

// One sign's part in a pass.
struct TPassSign {
    enum class Action {
        Keep,      // nothing wants the sign: it keeps what it shows
        Unchanged, // it took these bytes whole already
        Send,      // to be sent
        Wait,      // its last send failed; tried again at retryAt
        Failed,    // its message cannot be had (reason)
    };
    TSignJob job; // its name, link, and the start line and width of its message
    Action action = Action::Keep;
    TLedgerMessage wanted;
    std::vector<std::string> lines; // its message's block lines, fields filled in
    std::string bytes;
    std::string reason;
    std::optional<TMoment> retryAt;
};

struct TPassPlan {
    TMoment moment = 0;
    std::vector<TPassSign> signs;
    // The first moment after this one at which the answer can change by the clock: a show
    // starts or ends, a time field reads differently, a hold ends, a failed sign is due again.
    std::optional<TMoment> nextChange;
    // The files that the answer was read from: messages and the files of their fields.
    std::vector<std::string> files;
};

// The pass at `moment` for `signs` (the schedule's signs with their links). A sign's message is,
// in this order: its hold while the hold lasts; the schedule's show; the message from before an
// ended hold; none. Where a show says no Line or Width, the sign's own and then `remembered` hold.
TPassPlan planPass(const TSchedule& schedule, const std::vector<TChosenSign>& signs,
                   const TRememberedAddress& remembered,
                   const std::map<std::string, TSignLedger>& ledgers, TMoment moment, bool force,
                   bool backoff);

// The ledger's account of a send of `sign` that ended as `report` says.
TLedgerSend ledgerSend(const TPassSign& sign, const TSignReport& report, TMoment time);

// The text of a show in lines and tables: "show breakfast", "otherwise", "hold", "editor" (the
// editor's Send Message), "one-off" (lumavane-send FILE).
std::string showText(const TLedgerMessage& message);

// What a send of `file` (its block lines `lines`) outside a schedule puts on each sign of
// `jobs`, for their ledgers, under the show name `show` ("one-off" for lumavane-send, "editor"
// for the editor's sends).
std::vector<TLedgerMessage> oneOffMessages(const std::vector<TSignJob>& jobs,
                                           const std::vector<std::string>& lines,
                                           const std::string& file, bool fields,
                                           const std::string& show);
// Records in each sign's ledger how its send ended (a sign whose send never began keeps what it
// showed); returns the texts of the ledgers that could not be written.
std::vector<std::string> recordOneOffSends(const std::vector<TSignJob>& jobs,
                                           const std::vector<TLedgerMessage>& messages,
                                           const std::vector<TSignReport>& reports);
