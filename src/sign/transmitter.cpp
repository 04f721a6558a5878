#include "sign/transmitter.h"

#include "links/comport.h"
#include "links/net_errors.h"
#include "links/tcpclient.h"
#include "sign/send_errors.h"

#include <algorithm>
#include <optional>
#include <thread>

void TComPortSink::PutByte(std::uint8_t byte) {
    port_.PutByte(byte);
}

std::int32_t TComPortSink::OutPending() {
    return port_.OutPending();
}

void TComPortSink::ServicePort() {
    port_.ServicePort();
}

std::string TSendOutcome::message() const {
    if (!cancelled)
        return {};
    return "Sending cancelled: " + std::to_string(sent) + " of " + std::to_string(total) +
           " bytes were sent.";
}

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The line time of `bytes` bytes at `baud` bits per second (ten bits per byte), rounded up.
milliseconds lineTime(std::size_t bytes, int baud) {
    const long long bitsPerSecond = baud > 0 ? baud : 300;
    return milliseconds((static_cast<long long>(bytes) * 10 * 1000 + bitsPerSecond - 1) /
                        bitsPerSecond);
}

// The most that a serial device takes at once when it makes room again.
constexpr std::size_t kDeviceRoomPiece = 512;

// The send's own clock and its calls back to the caller. Time spent in the caller's onWait is
// left out of now(), so that a caller that stays there a while (a window that it keeps open)
// never makes the link look stalled.
class TSendClock {
public:
    explicit TSendClock(const TSendOptions& options)
        : options_(options) {}

    Clock::time_point now() const { return Clock::now() - paused_; }
    bool cancelled() const { return options_.cancel && options_.cancel->load(); }

    // Calls onWait when 20 milliseconds have passed since the last call.
    void tick() {
        if (Clock::now() >= nextCall_)
            call();
    }
    // Calls onWait now: at the start, and after each serial run, whose pace is the line's.
    void call() {
        if (!options_.onWait)
            return;
        const auto before = Clock::now();
        options_.onWait();
        const auto after = Clock::now();
        paused_ += after - before;
        nextCall_ = after + milliseconds(20);
    }

    void progress(std::size_t sent) const {
        if (options_.onProgress)
            options_.onProgress(sent);
    }

private:
    const TSendOptions& options_;
    Clock::duration paused_{};
    Clock::time_point nextCall_{};
};

// Waits until the port has sent the run just put. False when a cancel came and the run did not
// go out within its grace.
bool waitUntilEmpty(TSerialSink& port, std::size_t runBytes, std::size_t sent, std::size_t total,
                    const TSendOptions& options, TSendClock& clock) {
    const auto start = clock.now();
    const auto deadline =
        start + serialWaitLimit(runBytes + options.deviceBacklog, options.baud, options.grace);
    const milliseconds runTime = lineTime(runBytes, options.baud);
    // On a slow line a device may stand still longer than the stall limit while it works: it
    // makes room in pieces (a pseudo-terminal about 512 bytes at a time, an adapter a packet).
    const milliseconds stallLimit =
        std::max(options.stallLimit, lineTime(runBytes + kDeviceRoomPiece, options.baud) * 3 / 2);
    std::int32_t last = -1;
    auto lastMove = start;
    std::optional<Clock::time_point> cancelledAt;
    for (;;) {
        const std::int32_t pending = port.OutPending();
        if (pending == 0)
            return true;
        const auto now = clock.now();
        if (pending != last) {
            last = pending;
            lastMove = now;
        }
        if (clock.cancelled()) {
            if (!cancelledAt)
                cancelledAt = now;
            if (now - *cancelledAt > runTime + milliseconds(1000))
                return false;
        }
        if (now - lastMove > stallLimit)
            throw ESendStalled(sent, total, options.link, stallLimit);
        if (now > deadline)
            throw ESendTimeout(sent, total, options.link);
        clock.tick();
        port.ServicePort();
        // A run takes milliseconds to go out at the fastest speed: checking again at once
        // would only burn the processor.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

// How long one wait on the socket may block before the sender looks at its clock again.
constexpr int kSocketWaitMs = 20;

} // namespace

std::chrono::milliseconds serialWaitLimit(std::size_t bytes, int baud,
                                          std::chrono::milliseconds grace) {
    return 3 * lineTime(bytes, baud) + grace;
}

TSendOutcome transmitSerial(TSerialSink& port, std::string_view bytes,
                            const TSendOptions& options) {
    TSendClock clock(options);
    clock.call(); // the caller shows the total before the first byte goes
    const std::size_t total = bytes.size();
    std::size_t sent = 0;
    while (sent < total) {
        if (clock.cancelled())
            return {true, sent, total};
        const std::size_t run = std::min(kSerialChunk, total - sent);
        for (std::size_t i = 0; i < run; ++i)
            port.PutByte(static_cast<std::uint8_t>(bytes[sent + i]));
        if (!waitUntilEmpty(port, run, sent, total, options, clock))
            return {true, sent, total};
        sent += run;
        clock.progress(sent);
        clock.call();
    }
    return {false, sent, total};
}

TSendOutcome transmitNetwork(TTcpClient& client, std::string_view bytes,
                             const TSendOptions& options) {
    TSendClock clock(options);
    clock.call(); // the caller shows the total before the first byte goes
    const std::size_t total = bytes.size();
    std::size_t sent = 0;
    // What the peer's side has acknowledged: the count that a failure reports.
    std::size_t confirmed = 0;
    try {
        auto lastMove = clock.now();
        while (sent < total) {
            if (clock.cancelled())
                return {true, sent, total};
            if (client.WaitForRoom(kSocketWaitMs)) {
                const std::size_t taken =
                    client.WriteSome(bytes.data() + sent, std::min(kNetworkPiece, total - sent));
                if (taken > 0) {
                    sent += taken;
                    confirmed = sent - std::min(sent, client.Unacknowledged());
                    lastMove = clock.now();
                    clock.progress(sent);
                }
            }
            if (clock.now() - lastMove > options.stallLimit) {
                confirmed = sent - std::min(sent, client.Unacknowledged());
                throw ESendStalled(confirmed, total, options.link, options.stallLimit);
            }
            clock.tick();
        }

        // The platform holds every byte. The message is delivered once the peer's side has
        // acknowledged them all and the peer has ended its stream in order; a reset on the way
        // is a failure. A peer that keeps its side open is given peerEndWait after the
        // acknowledgement.
        client.ShutdownSend();
        std::size_t unacknowledged = client.Unacknowledged();
        confirmed = total - std::min(total, unacknowledged);
        lastMove = clock.now();
        std::optional<Clock::time_point> allAcknowledgedAt;
        for (;;) {
            if (clock.cancelled())
                return {true, sent, total};
            const bool ended = client.WaitForPeerEnd(kSocketWaitMs);
            const std::size_t now = client.Unacknowledged();
            const auto at = clock.now();
            if (now != unacknowledged) {
                unacknowledged = now;
                confirmed = total - std::min(total, unacknowledged);
                lastMove = at;
            }
            if (unacknowledged == 0) {
                if (ended)
                    break;
                if (!allAcknowledgedAt)
                    allAcknowledgedAt = at;
                if (at - *allAcknowledgedAt >= options.peerEndWait)
                    break;
            } else if (at - lastMove > options.stallLimit) {
                throw ESendStalled(confirmed, total, options.link, options.stallLimit);
            }
            clock.tick();
        }
    } catch (const ENetException& error) {
        if (client.PeerEnded())
            throw ESendPeerClosed(confirmed, total, options.link, error.what());
        throw ESendBrokeOff(confirmed, total, options.link, error.what());
    }
    return {false, sent, total};
}
