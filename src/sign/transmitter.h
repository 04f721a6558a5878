#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string_view>

class TComPort;
class TTcpClient;

// Bytes that the serial port takes per run before the sender waits for its queue to empty. A
// run always fits the port's output queue, which rejects a byte that does not fit.
constexpr std::size_t kSerialChunk = 200;

// What the sender needs of a serial port: put one byte into its output queue, count the bytes
// not yet taken by the device, and yield to the port while waiting.
class TSerialSink {
public:
    virtual ~TSerialSink() = default;
    virtual void PutByte(std::uint8_t byte) = 0;
    virtual std::int32_t OutPending() = 0;
    virtual void ServicePort() = 0;
};

// TSerialSink over the program's serial port.
class TComPortSink : public TSerialSink {
public:
    explicit TComPortSink(TComPort& port)
        : port_(port) {}
    void PutByte(std::uint8_t byte) override;
    std::int32_t OutPending() override;
    void ServicePort() override;

private:
    TComPort& port_;
};

// The serial port did not take a run of bytes within its time limit.
class ESendTimeout : public std::runtime_error {
public:
    ESendTimeout()
        : std::runtime_error("The serial port did not send its data in time: check the cable "
                             "and the baud rate.") {}
};

// How a serial send reports and bounds itself.
struct TSerialSendOptions {
    // Line speed in bits per second; 0 or less means unknown (the slowest, 300, is assumed).
    int baud = 0;
    // Bytes that the device itself may still hold when it has taken a run (the buffers of a
    // driver, an adapter or a pseudo-terminal, which can hold back a writer until most of them
    // has gone out). Their line time counts into the wait.
    std::size_t deviceBacklog = 16384;
    // Added to three times the line time to give the longest wait for one run.
    std::chrono::milliseconds grace{5000};
    // Told the count of bytes that the device has taken, after every run.
    std::function<void(std::size_t sent)> onProgress;
    // Called now and then while the sender waits, so that the caller can keep its windows drawn.
    std::function<void()> onWait;
};

// The longest wait for `bytes` bytes to leave a port at `baud` bits per second: three times
// their line time (ten bits per byte) plus `grace`. The sender asks it for a run together with
// the device's backlog.
std::chrono::milliseconds serialWaitLimit(std::size_t bytes, int baud,
                                          std::chrono::milliseconds grace);

// Writes `bytes` to the port in runs of kSerialChunk bytes: each run is put byte by byte, then
// the sender waits until the port's queue is empty (ServicePort between the checks); a shorter
// last run is followed by its own wait. Throws ESendTimeout when a wait passes its limit
// (serialWaitLimit of the run and the device's backlog), and
// lets the port's own failures through.
void transmitSerial(TSerialSink& port, std::string_view bytes, const TSerialSendOptions& options);

// Writes `bytes` to the connected client in one Write (more only for a stream beyond the
// largest count that one Write takes).
void transmitNetwork(TTcpClient& client, std::string_view bytes);
