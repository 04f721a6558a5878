#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class TComDevice;

enum TParity { pNone, pOdd, pEven, pMark, pSpace };

enum THWFlowOption : unsigned {
    hwfUseDTR = 1u << 0,
    hwfUseRTS = 1u << 1,
    hwfRequireDSR = 1u << 2,
    hwfRequireCTS = 1u << 3,
};
// A set of THWFlowOption bits; empty means no hardware handshake.
using THWFlowOptions = unsigned;

enum TSWFlowOptions { swfNone, swfReceive, swfTransmit, swfBoth };

enum TTraceLogState { tlOff, tlOn, tlDump, tlAppend, tlClear, tlPause };

// The three states of the port.
enum class TPortState { Closed, Open, Closing };

// How a device answered a trial opening (see TComPort::Probe).
enum class TProbeResult { Opened, Held, PermissionDenied, Missing, Failed };

// The device path of serial port `number` when nothing else maps it: /dev/ttyS<number-1>.
std::string defaultComDevice(unsigned number);

// A serial port that writes bytes to a numbered device. Bytes put with PutByte wait in an
// output queue of OutSize bytes that a background thread writes to the device; a byte counts
// as sent only when the device has taken it. Nothing is read from the port.
//
// All members are called on one thread (the user-interface thread). The line settings take
// effect at the next opening.
class TComPort {
public:
    TComPort();
    ~TComPort();
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    // Port number; 0 means that no port is chosen, and opening then asks PortPrompt.
    std::uint16_t ComNumber = 0;
    // Line speed in bits per second; 0 keeps the device's current speed.
    std::int32_t Baud = 19200;
    TParity Parity = pNone;
    std::uint16_t DataBits = 8;
    std::uint16_t StopBits = 1;
    // Size of the device's input queue; the platform sizes its queues itself.
    std::uint16_t InSize = 4096;
    // Size of the output queue.
    std::uint16_t OutSize = 4096;
    // Modem lines raised while the port is open.
    bool DTR = true;
    bool RTS = true;
    THWFlowOptions HWFlowOptions = 0;
    TSWFlowOptions SWFlowOptions = swfNone;
    std::uint8_t XOnChar = 0x11;
    std::uint8_t XOffChar = 0x13;
    // At opening with ComNumber 0, ask PortPrompt for a port.
    bool PromptForPort = true;
    // PutByte and ServicePort on a closed port open it first.
    bool AutoOpen = true;
    // The port keeps no trace or log of its traffic; these only hold their values.
    TTraceLogState Tracing = tlOff;
    TTraceLogState Logging = tlOff;
    std::string TraceName = "PORT.TRC";
    std::string LogName = "PORT.LOG";
    std::uint32_t TraceSize = 10000;
    std::uint32_t LogSize = 10000;

    // The device path of a port number; defaultComDevice unless the application maps ports.
    std::function<std::string(unsigned)> DeviceResolver = defaultComDevice;
    // Asks the user for a port number at opening with ComNumber 0; no value means none was
    // chosen. Set by the user-interface layer.
    std::function<std::optional<unsigned>(const TComPort&)> PortPrompt;
    // Told when the port has opened and when it starts closing.
    std::function<void()> OnPortOpen;
    std::function<void()> OnPortClose;

    // True while the port is open.
    bool Open() const { return state_ == TPortState::Open; }
    // Opens (true) or closes (false) the port; setting the current value does nothing.
    // A failed opening leaves the port closed and raises the failure.
    void Open(bool value);

    TPortState state() const { return state_; }

    // Queues one byte for the device; fails with EOutputBufferTooSmall when the queue is
    // full, and with the recorded failure once a device write has failed.
    void PutByte(std::uint8_t byte);
    // Bytes put and not yet taken by the device; 0 while the port is not open.
    std::int32_t OutPending();
    // Bytes that the device has taken since the port opened (any thread).
    std::uint64_t Taken() const { return taken_.load(); }
    // Of those, the bytes that still wait in the device's output queue, not yet on the line;
    // none while the port is not open and where the device cannot tell (a pseudo-terminal).
    std::optional<std::size_t> DeviceQueued() const;
    // One pass for a caller that waits on the port: yields the processor. Raises the
    // recorded failure once a device write has failed.
    void ServicePort();
    // For a caller that waits on the port without spinning: returns once the output queue has
    // changed (bytes taken or put), the port closes or a write fails, and at the latest after
    // `most`. Raises the recorded failure as ServicePort does.
    void WaitOutput(std::chrono::milliseconds most);
    // The platform's code (an errno value) of the device write that failed while the port is
    // open, 0 while none has; it says why PutByte and ServicePort raise "Device write error".
    int WriteErrorCode() const { return writeError_; }

    // Opens the device at `path` as an opening would and closes it again at once.
    static TProbeResult Probe(const std::string& path);

private:
    void openPort();
    void closePort();
    // Opens a closed port on demand for PutByte and ServicePort; false while closing.
    bool ensureOpen();
    void outputLoop();
    // Bytes held by the queue; needs the output lock.
    std::size_t held() const;
    void raiseWriteFailure() const;

    TPortState state_ = TPortState::Closed;
    bool reopenPending_ = false;
    std::unique_ptr<TComDevice> device_;
    std::thread outputThread_;

    // The output queue and what the output thread shares with the caller, under outLock_.
    std::mutex outLock_;
    std::condition_variable outWake_;
    // Told when the output thread has emptied the queue or met a failure.
    std::condition_variable outMoved_;
    std::unique_ptr<std::uint8_t[]> ring_;
    std::size_t size_ = 0;
    std::size_t r_ = 0;
    std::size_t w_ = 0;
    bool full_ = false;
    bool stopping_ = false;
    // The platform code of the failed device write, 0 while none has failed.
    std::atomic<int> writeError_ = 0;
    // Bytes of this opening that the device has taken.
    std::atomic<std::uint64_t> taken_ = 0;
};
