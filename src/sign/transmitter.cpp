#include "sign/transmitter.h"

#include "base/ui_text.h"
#include "links/comport.h"
#include "links/net_errors.h"
#include "links/tcpclient.h"
#include "sign/send_errors.h"

#include <algorithm>
#include <optional>
#include <thread>

namespace {

// A wait on a port that cannot wake the sender: a run takes milliseconds to go out at the
// fastest speed, so checking again at once would only burn the processor.
constexpr std::chrono::microseconds kSerialRecheck{500};
// The longest that one wait on a serial port blocks: the caller's onWait comes every 20
// milliseconds, so a stalled port wakes the sender at most 50 times a second.
constexpr std::chrono::milliseconds kSerialWaitStep{20};

} // namespace

void TComPortSink::PutByte(std::uint8_t byte) {
    port_.PutByte(byte);
}

std::int32_t TComPortSink::OutPending() {
    return port_.OutPending();
}

void TComPortSink::ServicePort() {
    port_.ServicePort();
}

std::uint64_t TComPortSink::Taken() {
    return port_.Taken();
}

std::optional<std::size_t> TComPortSink::Queued() {
    return port_.DeviceQueued();
}

void TComPortSink::WaitForOutput(std::chrono::milliseconds most) {
    port_.WaitOutput(most);
}

void TSerialSink::WaitForOutput(std::chrono::milliseconds most) {
    ServicePort();
    std::this_thread::sleep_for(std::min<std::chrono::microseconds>(most, kSerialRecheck));
}

std::string TSendOutcome::message() const {
    if (!cancelled)
        return {};
    return fillIn(uiText("SendErrors", "Sending cancelled: %1."), {count().sentText()});
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

    // Whether the next tick calls onWait.
    bool due() const { return Clock::now() >= nextCall_; }
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

    // Tells the caller the count when it has grown since it was last told (the caller knows
    // the 0 that every send starts with).
    void progress(const TSendCount& count) {
        if (count.sent <= told_)
            return;
        told_ = count.sent;
        if (options_.onProgress)
            options_.onProgress(count);
    }

private:
    const TSendOptions& options_;
    std::size_t told_ = 0;
    Clock::duration paused_{};
    Clock::time_point nextCall_{};
};

// How far the bytes of one serial send came: those that have left the device's output queue,
// or those handed to the device where it cannot tell.
class TSerialCount {
public:
    TSerialCount(TSerialSink& port, std::size_t total)
        : port_(port)
        , base_(port.Taken())
        , total_(total)
        , handed_(!port.Queued()) {}

    TSendCount now() {
        // The count taken first: bytes that the device takes meanwhile only make the queue
        // longer, never the count larger than it is.
        const std::uint64_t taken = port_.Taken() - base_;
        const std::optional<std::size_t> queued = port_.Queued();
        std::uint64_t left = taken;
        if (!handed_)
            left = queued ? taken - std::min<std::uint64_t>(taken, *queued) : last_;
        last_ = std::max(last_, std::min<std::uint64_t>(left, total_));
        return {static_cast<std::size_t>(last_), total_, handed_};
    }
    TSendCount all() const { return {total_, total_, handed_}; }

private:
    TSerialSink& port_;
    std::uint64_t base_;
    std::size_t total_;
    bool handed_;
    std::uint64_t last_ = 0;
};

// Waits until the port has sent the run just put. False when a cancel came and the run did not
// go out within its grace.
bool waitUntilEmpty(TSerialSink& port, std::size_t runBytes, TSerialCount& count,
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
            throw sendStalled(count.now(), options.link, stallLimit);
        if (now > deadline)
            throw sendTimedOut(count.now(), options.link);
        if (clock.due())
            clock.progress(count.now());
        clock.tick();
        // The port wakes the sender when the run has gone out; otherwise the sender looks at
        // its clock, the cancel and the caller at the pace that the caller is called at.
        port.WaitForOutput(kSerialWaitStep);
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
    TSerialCount count(port, total);
    auto cancelled = [&count] {
        const TSendCount now = count.now();
        return TSendOutcome{true, now.sent, now.total, now.handed};
    };
    std::size_t put = 0;
    try {
        while (put < total) {
            if (clock.cancelled())
                return cancelled();
            const std::size_t run = std::min(kSerialChunk, total - put);
            for (std::size_t i = 0; i < run; ++i)
                port.PutByte(static_cast<std::uint8_t>(bytes[put + i]));
            if (!waitUntilEmpty(port, run, count, options, clock))
                return cancelled();
            put += run;
            // The whole run has left once the port has drained it.
            clock.progress(put == total ? count.all() : count.now());
            clock.call();
        }
    } catch (...) {
        // A failure of the port: the caller counts up to it.
        clock.progress(count.now());
        throw;
    }
    return {false, total, total, count.all().handed};
}

TSendOutcome transmitNetwork(TTcpClient& client, std::string_view bytes,
                             const TSendOptions& options) {
    TSendClock clock(options);
    clock.call(); // the caller shows the total before the first byte goes
    const std::size_t total = bytes.size();
    // Bytes handed to the platform, and of them those that the peer acknowledged (the count
    // that everything tells), or all of them where the platform cannot tell.
    std::size_t handedOver = 0;
    std::size_t counted = 0;
    const bool handed = !client.Unacknowledged();
    // Brings the count up to date; true when it grew. A connection that is gone keeps the last.
    auto recount = [&] {
        std::size_t now = handedOver;
        if (!handed) {
            const std::optional<std::size_t> open = client.Unacknowledged();
            if (!open)
                return false;
            now = handedOver - std::min(handedOver, *open);
        }
        if (now <= counted)
            return false;
        counted = now;
        clock.progress({counted, total, handed});
        return true;
    };
    auto count = [&] { return TSendCount{counted, total, handed}; };
    // A cancel: the peer may still acknowledge what the platform holds, for a while; the rest
    // is thrown away so that it never reaches the sign behind the count's back.
    auto cancelled = [&] {
        const auto asked = clock.now();
        while (!handed) {
            recount();
            const std::optional<std::size_t> open = client.Unacknowledged();
            if (!open || *open == 0)
                break;
            if (clock.now() - asked >= kCancelAckWait) {
                client.Abort();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kSocketWaitMs));
            clock.tick();
        }
        return TSendOutcome{true, counted, total, handed};
    };
    try {
        auto lastMove = clock.now();
        while (handedOver < total) {
            if (clock.cancelled())
                return cancelled();
            if (client.WaitForRoom(kSocketWaitMs)) {
                const std::size_t taken = client.WriteSome(
                    bytes.data() + handedOver, std::min(kNetworkPiece, total - handedOver));
                if (taken > 0) {
                    handedOver += taken;
                    lastMove = clock.now();
                }
            }
            if (recount())
                lastMove = clock.now();
            if (clock.now() - lastMove > options.stallLimit)
                throw sendStalled(count(), options.link, options.stallLimit);
            clock.tick();
        }

        // The platform holds every byte. The message is delivered once the peer's side has
        // acknowledged them all and the peer has ended its stream in order; a reset on the way
        // is a failure. A peer that keeps its side open is given peerEndWait after the
        // acknowledgement.
        client.ShutdownSend();
        lastMove = clock.now();
        std::optional<Clock::time_point> allAcknowledgedAt;
        for (;;) {
            if (clock.cancelled())
                return cancelled();
            const bool ended = client.WaitForPeerEnd(kSocketWaitMs);
            const auto at = clock.now();
            if (recount())
                lastMove = at;
            if (counted == total) {
                if (ended)
                    break;
                if (!allAcknowledgedAt)
                    allAcknowledgedAt = at;
                if (at - *allAcknowledgedAt >= options.peerEndWait)
                    break;
            } else if (at - lastMove > options.stallLimit) {
                throw sendStalled(count(), options.link, options.stallLimit);
            }
            clock.tick();
        }
    } catch (const ENetException& error) {
        if (client.PeerEnded())
            throw sendRefusedByClosedPeer(count(), options.link, error.what());
        throw sendBrokeOff(count(), options.link, error.what());
    }
    clock.progress({total, total, handed});
    return {false, total, total, handed};
}
