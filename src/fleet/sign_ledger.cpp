#include "fleet/sign_ledger.h"

#include "base/error_text.h"
#include "base/state_dir.h"
#include "base/ui_text.h"
#include "base/whole_number.h"
#include "files/file_errors.h"
#include "files/safe_file.h"
#include "files/whole_file.h"
#include "settings/profile.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr const char* kShows = "Shows";
constexpr const char* kLastSend = "Last Send";
constexpr const char* kHold = "Hold";
constexpr const char* kBeforeHold = "Before Hold";

// `value` with each byte for which `escape(index, byte)` holds written as %XX.
template <class Escape>
std::string percentEscaped(std::string_view value, Escape escape) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (escape(i, c)) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// A value on one line that reads back as it was: '%', control characters and spaces at either
// end as %XX.
std::string escaped(std::string_view value) {
    return percentEscaped(value, [&](std::size_t i, unsigned char c) {
        return c == '%' || c < 0x20 || c == 0x7F || (c == ' ' && (i == 0 || i + 1 == value.size()));
    });
}

std::string unescaped(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size() &&
            std::isxdigit(static_cast<unsigned char>(value[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(value[i + 2]))) {
            out.push_back(
                static_cast<char>(std::stoi(std::string(value.substr(i + 1, 2)), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(value[i]);
        }
    }
    return out;
}

class TWriter {
public:
    void section(const char* name) {
        text_ += std::string(text_.empty() ? "" : "\n") + "[" + name + "]\n";
    }
    void key(const char* name, std::string_view value) {
        text_ += std::string(name) + "=" + escaped(value) + "\n";
    }
    void number(const char* name, long long value) { key(name, std::to_string(value)); }
    void flag(const char* name, bool value) { key(name, value ? "yes" : "no"); }
    void time(const char* name, TMoment value) { key(name, isoText(value)); }
    void message(const TLedgerMessage& m) {
        key("Message", m.message);
        key("Show", m.show);
        number("Line", m.start);
        number("Width", m.width);
        flag("Fields", m.fields);
        key("SHA256", m.sha256);
        number("Bytes", static_cast<long long>(m.bytes));
    }
    const std::string& text() const { return text_; }

private:
    std::string text_ =
        "; What the sign was sent and took, kept by lumavane-send and the editor.\n";
};

// The values of one section; each read fails the section when it makes no sense.
class TReader {
public:
    explicit TReader(const TProfileSection* section)
        : section_(section) {}

    explicit operator bool() const { return section_ && ok_; }
    std::string text(const char* name) {
        const TProfileKey* key = section_ ? section_->find(name) : nullptr;
        ok_ = ok_ && key;
        return key ? unescaped(key->value) : std::string();
    }
    long long number(const char* name) {
        const std::optional<long long> n = parseWholeNumber(text(name), TNumberForm::Signed);
        ok_ = ok_ && n;
        return n.value_or(0);
    }
    bool flag(const char* name) { return text(name) == "yes"; }
    TMoment time(const char* name) {
        const std::optional<TMoment> t = momentOfIsoText(text(name));
        ok_ = ok_ && t;
        return t.value_or(0);
    }
    TLedgerMessage message() {
        TLedgerMessage m;
        m.message = text("Message");
        m.show = text("Show");
        m.start = static_cast<int>(number("Line"));
        m.width = static_cast<int>(number("Width"));
        m.fields = flag("Fields");
        m.sha256 = text("SHA256");
        m.bytes = static_cast<std::size_t>(number("Bytes"));
        return m;
    }

private:
    const TProfileSection* section_;
    bool ok_ = true;
};

const TProfileSection* findSection(const std::vector<TProfileSection>& sections, const char* name) {
    for (const TProfileSection& s : sections) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

std::string encodedName(const std::string& name) {
    return percentEscaped(name, [](std::size_t i, unsigned char c) {
        return c == '/' || c == '%' || c < 0x20 || c == 0x7F || (i == 0 && c == '.');
    });
}

} // namespace

void TSignLedger::record(const TLedgerSend& send) {
    last = send;
    if (send.whole) {
        if (!shows || shows->sha256 != send.what.sha256)
            since = send.time;
        shows = send.what;
        failures = 0;
        // A hold that has ended is done with once the sign shows something else.
        if (hold && !hold->activeAt(send.time) && send.what.show != "hold")
            hold.reset();
        return;
    }
    ++failures;
    if (send.sent > 0) {
        // Some of the bytes reached the sign: what it shows now is not known.
        shows.reset();
        since = 0;
    }
}

std::string sha256Hex(std::string_view bytes) {
    return QCryptographicHash::hash(
               QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
               QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

std::string ledgerFolder() {
    return programStateDirectory() + "/signs";
}

std::string ledgerPath(const std::string& name) {
    return ledgerFolder() + "/" + encodedName(name);
}

TSignLedger readLedger(const std::string& name) {
    const std::optional<std::string> data = readFileIfPresent(ledgerPath(name));
    if (!data)
        return {};
    const std::vector<TProfileSection> sections = parseProfileText(*data);
    TSignLedger ledger;
    TReader shows(findSection(sections, kShows));
    ledger.shows = shows.message();
    ledger.since = shows.time("Since");
    if (!shows)
        ledger.shows.reset();

    TReader last(findSection(sections, kLastSend));
    TLedgerSend send;
    send.what = last.message();
    send.time = last.time("Time");
    send.sent = static_cast<std::size_t>(last.number("Sent"));
    send.whole = last.flag("Whole");
    send.result = last.text("Result");
    ledger.failures = static_cast<int>(last.number("Failures"));
    if (last)
        ledger.last = send;
    else
        ledger.failures = 0;

    TReader hold(findSection(sections, kHold));
    TLedgerHold held;
    held.what = hold.message();
    held.until = hold.time("Until");
    TReader before(findSection(sections, kBeforeHold));
    const TLedgerMessage beforeMessage = before.message();
    if (before)
        held.before = beforeMessage;
    if (hold)
        ledger.hold = held;
    return ledger;
}

void writeLedger(const std::string& name, const TSignLedger& ledger) {
    TWriter out;
    if (ledger.shows) {
        out.section(kShows);
        out.message(*ledger.shows);
        out.time("Since", ledger.since);
    }
    if (ledger.last) {
        out.section(kLastSend);
        out.message(ledger.last->what);
        out.time("Time", ledger.last->time);
        out.number("Sent", static_cast<long long>(ledger.last->sent));
        out.flag("Whole", ledger.last->whole);
        out.key("Result", ledger.last->result);
        out.number("Failures", ledger.failures);
    }
    if (ledger.hold) {
        out.section(kHold);
        out.message(ledger.hold->what);
        out.time("Until", ledger.hold->until);
        if (ledger.hold->before) {
            out.section(kBeforeHold);
            out.message(*ledger.hold->before);
        }
    }
    const std::string path = ledgerPath(name);
    try {
        try {
            writeFileSafely(path, out.text());
        } catch (const EFileSystemError& error) {
            // The first record of this user: the folder is made.
            if (!error.missing() && error.error() != ENOENT)
                throw;
            std::filesystem::create_directories(ledgerFolder());
            writeFileSafely(path, out.text());
        }
    } catch (const std::exception& error) {
        throw EFCreateError(
            failureText(fillIn(uiText("Files", "Cannot create file %1"), {path}), error.what()));
    }
}

void recordSignSend(const std::string& name, const TLedgerSend& send) {
    const TSignLock lock(name, true);
    TSignLedger ledger = readLedger(name);
    ledger.record(send);
    writeLedger(name, ledger);
}

int retryDelay(int failures) {
    int delay = 10;
    for (int i = 1; i < failures && delay < 300; ++i)
        delay *= 2;
    return std::min(delay, 300);
}

TSendDecision decideSend(const TSignLedger& ledger, std::string_view sha256, TMoment moment,
                         bool force, bool backoff) {
    if (force)
        return {true, std::nullopt};
    if (ledger.last && !ledger.last->whole) {
        const TMoment retry = ledger.last->time + retryDelay(std::max(ledger.failures, 1));
        if (backoff && moment < retry)
            return {false, retry};
        return {true, std::nullopt};
    }
    return {!ledger.shows || ledger.shows->sha256 != sha256, std::nullopt};
}

TSignLock::TSignLock(const std::string& name, bool wait) {
    const std::string path = ledgerFolder() + "/." + encodedName(name) + ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0 && errno == ENOENT) {
        std::error_code ignored;
        std::filesystem::create_directories(ledgerFolder(), ignored);
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    if (fd_ < 0)
        throw EFCreateError(failureText(fillIn(uiText("Files", "Cannot create file %1"), {path}),
                                        std::strerror(errno)));
    int rc;
    do {
        rc = ::flock(fd_, LOCK_EX | (wait ? 0 : LOCK_NB));
    } while (rc != 0 && errno == EINTR && wait);
    held_ = rc == 0;
}

TSignLock::~TSignLock() {
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
}
