#pragma once

#include "fleet/gateway_settings.h"
#include "sign/send_address.h"
#include "sign/sign_sender.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One message sent to several signs at once, each through a sender of its own (sign_sender.h):
// the network signs side by side, at most MaxConnections connections at a time; the serial
// lines side by side. Signs on one serial line, or behind one network address and port, take
// their turns, since such a line or address takes one sender at a time. Signs that hang on a
// gateway are sent to through the broker, all of them side by side (gateway_send.h). Every sign
// gets the whole message or an honest account of how far it came.

// One sign of a run: its name, its link, and where the message goes on it.
struct TSignJob {
    std::string name;
    TSignLink link;
    int start = kDefaultStartLine;
    int width = kDefaultLineWidth;
    // The gateway that the sign hangs on (its `link` is then not used); empty for a sign that
    // this computer reaches itself.
    std::string gateway = {};
    // The stream to send, when the caller built it (each sign a message of its own); otherwise
    // the run's message is built for `start` and `width`.
    std::optional<std::string> stream = {};
};

// What a link reaches, so that signs on one line or behind one address and port take their
// turns: the device (its real path, whatever names it), the port number, or the host and port.
std::string linkPlace(const TSignLink& link);

// The link of a job as the messages name it: describeSignLink, or "Gateway NAME".
std::string describeJobLink(const TSignJob& job);

// Where one sign's send stands, and how it ended.
struct TSignReport {
    enum class State {
        Waiting,    // not begun (its connection or its device is not free yet)
        Sending,    // its link is open or opening
        Sent,       // every byte delivered
        Stopped,    // cancelled: `sent` bytes went out, the rest did not
        OpenFailed, // the link could not be opened: nothing was sent
        BrokeOff,   // the link failed, stalled or timed out after `sent` bytes
    };
    State state = State::Waiting;
    // How far it came, as TSendCount counts: bytes that the sign acknowledged, or, `handed`,
    // bytes handed to a link that cannot know.
    std::size_t sent = 0;
    std::size_t total = 0; // 0 until the stream is built
    bool handed = false;
    // Why it failed, on one line.
    std::string reason;

    bool ended() const { return state != State::Waiting && state != State::Sending; }
};

// The exit statuses of the command-line sender.
constexpr int kExitSent = 0;       // every sign took every byte
constexpr int kExitSomeFailed = 1; // signs ended differently: some failed, others were sent to
constexpr int kExitUsage = 2;      // the command line or the settings cannot be used
constexpr int kExitBadFile = 3;    // the message file cannot be read
constexpr int kExitOpenFailed = 4; // a link could not be opened
constexpr int kExitBrokeOff = 5;   // a send broke off, stalled or timed out

// The exit status of a run that ended with these reports (none stopped): the status of the
// signs when they all ended alike (0, 4 or 5), otherwise kExitSomeFailed.
int runExitStatus(const std::vector<TSignReport>& reports);

// The line that tells how a sign's send ended: its name, its link, the bytes sent ("n of m
// bytes", or "n of m bytes handed to the link") and the result ("sent", "stopped...",
// "failed: <reason>"), separated by tabs.
std::string reportLine(const TSignJob& job, const TSignReport& report);

// The result of reportLine as the ledger keeps it: in these words whatever the user's
// language, for the programs that read the ledger.
std::string reportResult(const TSignReport& report);

// Network connections open at once unless the caller asks for another bound.
constexpr std::size_t kDefaultMaxConnections = 64;

class TMultiSend {
public:
    // The message is the block lines of a message file.
    TMultiSend(std::vector<TSignJob> jobs, std::vector<std::string> lines);
    ~TMultiSend();
    TMultiSend(const TMultiSend&) = delete;
    TMultiSend& operator=(const TMultiSend&) = delete;

    // The broker of the gateway signs; a gateway sign fails without it.
    std::optional<TGatewaySettings> Gateway;
    // The message file's bytes, which a gateway gets exactly; without them, the lines joined as
    // a message file holds them.
    std::optional<std::string> MessageFile;
    // Network sends running at once at most (1 or more).
    std::size_t MaxConnections = kDefaultMaxConnections;
    // Handed to every sender (sign_sender.h).
    std::chrono::milliseconds StallLimit{10000};
    int ConnectTimeoutMs = 3000;
    // Called on the thread of Run about every TickInterval while the sends run, and once at
    // the end: for a progress display.
    std::function<void()> OnTick;
    std::chrono::milliseconds TickInterval{100};

    // The stream for `start` and `width`, built by the caller, who shares it with other runs
    // (a gateway sends one message to many signs, each in a run of its own). Before Run.
    void ShareStream(int start, int width, std::shared_ptr<const std::string> bytes);

    // Sends to every sign and returns when every send has ended. Once only.
    void Run();
    // Asks every send to stop after its current serial run or network piece and to close its
    // link; sends that have not begun do not begin. Safe from any thread and from a signal
    // handler.
    void Cancel() noexcept { cancel_.store(true); }
    bool CancelRequested() const noexcept { return cancel_.load(); }

    const std::vector<TSignJob>& Jobs() const { return jobs_; }
    // Where each sign stands now (from any thread); after Run, how each ended.
    std::vector<TSignReport> Reports() const;

private:
    void sendOne(std::size_t index);
    // The message's stream for the start line and width of job `index`, built once.
    const std::string& streamOf(std::size_t index);
    void sendThroughGateways(const std::vector<std::size_t>& indices);
    void update(std::size_t index, const std::function<void(TSignReport&)>& change);

    std::vector<TSignJob> jobs_;
    std::vector<std::string> lines_;
    // The stream of each start line and width, built by the first send that needs it. The map
    // is filled before the sends begin and only its entries change while they run.
    struct Stream {
        std::once_flag built;
        std::shared_ptr<const std::string> bytes;
    };
    std::map<std::pair<int, int>, Stream> streams_;
    std::atomic<bool> cancel_ = false;
    static_assert(std::atomic<bool>::is_always_lock_free, "Cancel() runs in signal handlers");

    mutable std::mutex mutex_;
    std::vector<TSignReport> reports_;
};
