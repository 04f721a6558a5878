#pragma once

#include "links/comport.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The line settings that an opening applies to the device.
struct TLineSettings {
    std::int32_t baud = 19200;
    TParity parity = pNone;
    unsigned dataBits = 8;
    unsigned stopBits = 1;
    THWFlowOptions hwFlow = 0;
    TSWFlowOptions swFlow = swfNone;
    std::uint8_t xonChar = 0x11;
    std::uint8_t xoffChar = 0x13;
    bool dtr = true;
    bool rts = true;
};

// One opened serial device: the platform's side of TComPort. The constructor and configure()
// raise the port's exceptions; the output calls return platform codes so that the output
// thread can record them. Every resource is released by the destructor.
class TComDevice {
public:
    // Opens `path` for reading and writing, without becoming its controlling terminal, and
    // holds it exclusively.
    explicit TComDevice(const std::string& path);
    ~TComDevice();
    TComDevice(const TComDevice&) = delete;
    TComDevice& operator=(const TComDevice&) = delete;

    // Raw 8-bit binary line settings, handshakes and modem lines.
    void configure(const TLineSettings& settings);

    // Result of write(): every byte written, cancel() called, or a platform code.
    static constexpr int kDone = 0;
    static constexpr int kCancelled = -1;
    // Writes `size` bytes, waiting while the device takes no more; each byte that the device
    // takes is added to `taken` as it goes. Returns early when cancel() is called.
    int write(const std::uint8_t* data, std::size_t size, std::atomic<std::uint64_t>& taken);
    // Waits until the device has sent what it holds; kDone or a platform code.
    int drain();
    // Makes a write() in progress, and every later one, return kCancelled. Any thread.
    void cancel();

    // Bytes that the device has taken and not yet sent on the line; none where it cannot tell
    // (a pseudo-terminal holds them for its reader where the writer cannot see them). Any
    // thread.
    std::optional<std::size_t> outQueued() const;

    // Throw away what the device holds for output and what it received.
    void purgeOutput();
    void purgeInput();

    // The outcome of opening `path` as the constructor would, closed again at once.
    static TProbeResult probe(const std::string& path);

private:
    void release();

    int fd_ = -1;
    // Whether the device's output queue tells what has left on the line.
    bool queueTells_ = true;
    int cancelRead_ = -1;
    int cancelWrite_ = -1;
};
