#pragma once

#include "sign/send_errors.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class TComPort;
class TTcpClient;

// Bytes that the serial port takes per run before the sender waits for its queue to empty. A
// run always fits the port's output queue, which rejects a byte that does not fit.
constexpr std::size_t kSerialChunk = 200;
// Bytes handed to the network link per piece: small enough for the progress to move and for a
// cancel to be noticed between pieces, large enough to cost nothing.
constexpr std::size_t kNetworkPiece = 16384;
// After a cancel, the longest wait for the network peer to acknowledge what it was handed.
constexpr std::chrono::milliseconds kCancelAckWait{1000};

// What the sender needs of a serial port: put one byte into its output queue, count the bytes
// not yet taken by the device, yield to the port while waiting, and tell how far the bytes came:
// those that the device has taken, and of them those that still wait in its output queue (none
// where the device cannot tell).
class TSerialSink {
public:
    virtual ~TSerialSink() = default;
    virtual void PutByte(std::uint8_t byte) = 0;
    virtual std::int32_t OutPending() = 0;
    virtual void ServicePort() = 0;
    virtual std::uint64_t Taken() = 0;
    virtual std::optional<std::size_t> Queued() = 0;
    // Waits for the port: until its queue changes, at the latest `most`. A port that cannot
    // tell when its queue changes is serviced and checked again after a short pause.
    virtual void WaitForOutput(std::chrono::milliseconds most);
};

// TSerialSink over the program's serial port.
class TComPortSink : public TSerialSink {
public:
    explicit TComPortSink(TComPort& port)
        : port_(port) {}
    void PutByte(std::uint8_t byte) override;
    std::int32_t OutPending() override;
    void ServicePort() override;
    std::uint64_t Taken() override;
    std::optional<std::size_t> Queued() override;
    void WaitForOutput(std::chrono::milliseconds most) override;

private:
    TComPort& port_;
};

// How a send reports, bounds and stops itself.
struct TSendOptions {
    // Line speed in bits per second; 0 or less means unknown (the slowest, 300, is assumed).
    int baud = 0;
    // Bytes that the serial device itself may still hold when it has taken a run (the buffers
    // of a driver, an adapter or a pseudo-terminal, which can hold back a writer until most of
    // them has gone out). Their line time counts into the longest wait for a run.
    std::size_t deviceBacklog = 16384;
    // Added to three times the line time to give the longest wait for one serial run.
    std::chrono::milliseconds grace{5000};
    // A send that gets no byte taken by the link for this long has stalled. On a serial line so
    // slow that a run and the piece in which a device makes room (512 bytes) take longer than
    // two thirds of it, the limit is half as long again as their line time (300 baud: 36 s).
    std::chrono::milliseconds stallLimit{10000};
    // Once the peer of the network link has acknowledged every byte, the longest wait for the
    // end of its stream; the send is complete when it ends in order or this time has passed.
    std::chrono::milliseconds peerEndWait{3000};
    // Told how far the send has come (TSendCount) whenever the count grows.
    std::function<void(const TSendCount& count)> onProgress;
    // Called every 20 milliseconds or so while the send runs, so that the caller can keep its
    // windows drawn and take a cancel. The time spent in it never counts as the link's.
    std::function<void()> onWait;
    // When set (from any thread or a signal handler), the send stops after the current run or
    // piece. A serial run that has not gone out within its line time and one second more is
    // abandoned; the caller's close then throws it away.
    const std::atomic<bool>* cancel = nullptr;
    // The link as the messages name it, for example "IP address 10.0.0.5, port 23".
    std::string link;
};

// How a send ended when it did not fail: every byte delivered, or cancelled after `sent` (as
// TSendCount counts them; `handed` where the link cannot know what the sign took).
struct TSendOutcome {
    bool cancelled = false;
    std::size_t sent = 0;
    std::size_t total = 0;
    bool handed = false;

    TSendCount count() const { return {sent, total, handed}; }
    // "Sending cancelled: n of m bytes were sent." (or "... were handed to the link.") for a
    // cancelled send; empty otherwise.
    std::string message() const;
};

// The longest wait for `bytes` bytes to leave a port at `baud` bits per second: three times
// their line time (ten bits per byte) plus `grace`. The sender asks it for a run together with
// the device's backlog.
std::chrono::milliseconds serialWaitLimit(std::size_t bytes, int baud,
                                          std::chrono::milliseconds grace);

// Writes `bytes` to the port in runs of kSerialChunk bytes: each run is put byte by byte, then
// the sender waits until the port's queue is empty (ServicePort between the checks); a shorter
// last run is followed by its own wait. Throws sendStalled when the queue does not move for
// the stall limit, sendTimedOut when a wait passes its limit (serialWaitLimit of the run and
// the device's backlog), and lets the port's own failures through. Counts the bytes that have
// left the device's output queue, or those handed to the device where it cannot tell.
TSendOutcome transmitSerial(TSerialSink& port, std::string_view bytes, const TSendOptions& options);

// Writes `bytes` to the connected client in pieces of kNetworkPiece bytes as the platform takes
// them, then ends the sending direction and waits until the peer has acknowledged every byte
// and ended its own stream (or peerEndWait has passed after the acknowledgement). Throws
// sendStalled when no byte is taken or acknowledged for the stall limit, sendBrokeOff for a
// failure of the client (a reset among them), sendRefusedByClosedPeer when the peer had ended its
// stream before that failure. Every count (progress, cancel, failure) is of the bytes that the
// peer acknowledged, or of those handed to the platform where it cannot tell. A cancelled send
// gives the peer kCancelAckWait to acknowledge what the platform holds; what it has not
// acknowledged by then is thrown away with a reset, so that the sign gets no more than counted.
TSendOutcome transmitNetwork(TTcpClient& client, std::string_view bytes,
                             const TSendOptions& options);
