#pragma once

#include "sign/wall_clock.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What each named sign shows: after every send to it, the file $XDG_STATE_HOME/lumavane/signs/NAME
// records the time, the message file, the show, a SHA-256 of the bytes, their count and the
// result; and what the sign last took whole, since when. It is the one account of what a sign
// shows, for schedule passes, holds, --status and the editor's Send Message (its sign is "Comm").
// Each file is replaced whole (the safe writer), under a lock that every writer takes, so that
// two programs never lose each other's changes or leave a torn file.

// A message on a sign: which file, for which show, where on the sign, with or without live
// fields, and the bytes it came to.
struct TLedgerMessage {
    std::string message;
    std::string show; // "breakfast", "otherwise", "hold", "editor", "one-off"
    int start = 1;
    int width = 20;
    bool fields = false;
    std::string sha256; // of the bytes, in hexadecimal
    std::size_t bytes = 0;
};

// One send and how it ended.
struct TLedgerSend {
    TMoment time = 0;
    TLedgerMessage what;
    std::size_t sent = 0;
    bool whole = false; // the sign took every byte
    std::string result; // "sent", "failed: <reason>", "stopped"
};

// A message that schedule passes keep on the sign until a moment.
struct TLedgerHold {
    TLedgerMessage what;
    TMoment until = 0;
    // What the sign showed when the hold began, shown again when the hold ends and no show
    // wants the sign.
    std::optional<TLedgerMessage> before;

    bool activeAt(TMoment moment) const { return moment < until; }
};

struct TSignLedger {
    // The last message that the sign took whole, and since when; none when it is not known
    // (nothing recorded, or a later send broke off after some of its bytes).
    std::optional<TLedgerMessage> shows;
    TMoment since = 0;
    std::optional<TLedgerSend> last;
    int failures = 0; // sends failed in a row
    std::optional<TLedgerHold> hold;

    // Takes in a send that ended as `send` says.
    void record(const TLedgerSend& send);
};

// The SHA-256 of `bytes` in hexadecimal.
std::string sha256Hex(std::string_view bytes);

// The folder of the ledger files, and the file of the sign `name` in it (a name is kept apart
// from the folder's other files and from paths: '/', '%', a leading '.' and control characters
// are written as %XX).
std::string ledgerFolder();
std::string ledgerPath(const std::string& name);

// The ledger of sign `name`; empty when there is none. A file that cannot be read throws
// EFOpenError; lines that make no sense are passed over (the sign is then sent to again).
TSignLedger readLedger(const std::string& name);
// Replaces the ledger file of `name` (the folder is made when missing). Throws EFCreateError.
void writeLedger(const std::string& name, const TSignLedger& ledger);

// Takes in a send to sign `name` that ended as `send` says: under the sign's lock, the ledger is
// read, changed and written. Throws EFOpenError or EFCreateError.
void recordSignSend(const std::string& name, const TLedgerSend& send);

// Whether a pass sends to a sign that wants bytes with `sha256`: when they differ from the
// bytes that it last took whole, when its last send failed, or when forced. With `backoff`, a
// sign whose sends failed is tried again only after 10 seconds, doubling with each failure in a
// row up to 5 minutes; `retryAt` then tells when.
struct TSendDecision {
    bool send = false;
    std::optional<TMoment> retryAt;
};
TSendDecision decideSend(const TSignLedger& ledger, std::string_view sha256, TMoment moment,
                         bool force, bool backoff);

// The wait after `failures` failed sends in a row (1 or more), in seconds.
int retryDelay(int failures);

// A sign's lock: held while its ledger is read, changed and written, and while a send that will
// be recorded goes out, so that two programs take turns on one sign. Released when it goes.
class TSignLock {
public:
    // Waits for the lock; or, with `wait` false, takes it only when it is free (held() says).
    // Throws EFCreateError when the lock file cannot be made.
    TSignLock(const std::string& name, bool wait);
    ~TSignLock();
    TSignLock(const TSignLock&) = delete;
    TSignLock& operator=(const TSignLock&) = delete;

    bool held() const { return fd_ >= 0 && held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};
