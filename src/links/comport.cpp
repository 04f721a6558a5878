#include "links/comport.h"

#include "links/comport_device.h"
#include "links/comport_errors.h"

#include <algorithm>
#include <exception>
#include <new>
#include <system_error>

std::string defaultComDevice(unsigned number) {
    if (number == 0)
        return {};
    return "/dev/ttyS" + std::to_string(number - 1);
}

TComPort::TComPort() = default;

TComPort::~TComPort() {
    reopenPending_ = false;
    OnPortClose = nullptr;
    try {
        closePort();
    } catch (...) {
        // Closing releases everything even when it fails; nothing is left to report to.
    }
}

void TComPort::Open(bool value) {
    if (value)
        openPort();
    else
        closePort();
}

void TComPort::openPort() {
    if (state_ == TPortState::Open)
        return;
    if (state_ == TPortState::Closing) {
        reopenPending_ = true;
        return;
    }

    if (ComNumber == 0) {
        std::optional<unsigned> chosen;
        if (PromptForPort && PortPrompt)
            chosen = PortPrompt(*this);
        if (!chosen || *chosen == 0 || *chosen > 0xFFFF)
            throw ENoPortSelected();
        ComNumber = static_cast<std::uint16_t>(*chosen);
    }

    const std::string path =
        DeviceResolver ? DeviceResolver(ComNumber) : defaultComDevice(ComNumber);
    auto device = std::make_unique<TComDevice>(path);
    TLineSettings settings;
    settings.baud = Baud;
    settings.parity = Parity;
    settings.dataBits = DataBits;
    settings.stopBits = StopBits;
    settings.hwFlow = HWFlowOptions;
    settings.swFlow = SWFlowOptions;
    settings.xonChar = XOnChar;
    settings.xoffChar = XOffChar;
    settings.dtr = DTR;
    settings.rts = RTS;
    device->configure(settings);

    {
        std::lock_guard<std::mutex> lock(outLock_);
        ring_ = std::make_unique<std::uint8_t[]>(std::max<std::size_t>(OutSize, 1));
        size_ = OutSize;
        r_ = w_ = 0;
        full_ = false;
        stopping_ = false;
        writeError_ = 0;
        taken_ = 0;
    }
    device_ = std::move(device);
    try {
        outputThread_ = std::thread(&TComPort::outputLoop, this);
    } catch (const std::system_error&) {
        device_.reset();
        ring_.reset();
        throw std::bad_alloc();
    }
    state_ = TPortState::Open;

    if (OnPortOpen) {
        try {
            OnPortOpen();
        } catch (...) {
            closePort();
            throw;
        }
    }
}

void TComPort::closePort() {
    if (state_ != TPortState::Open)
        return;
    state_ = TPortState::Closing;
    std::exception_ptr listenerFailure;
    if (OnPortClose) {
        try {
            OnPortClose();
        } catch (...) {
            listenerFailure = std::current_exception();
        }
    }

    // Bytes that the queue still holds have not left: abandon them, and purge what the device
    // holds of them. Once the queue has drained nothing is purged, because a device may report
    // its output drained while the tail still waits in the kernel.
    bool pending;
    {
        std::lock_guard<std::mutex> lock(outLock_);
        pending = held() > 0;
        stopping_ = true;
    }
    outWake_.notify_all();
    outMoved_.notify_all();
    device_->cancel();
    if (pending)
        device_->purgeOutput(); // also ends a drain in progress
    outputThread_.join();
    if (pending)
        device_->purgeOutput();
    device_->purgeInput();
    device_.reset();

    {
        std::lock_guard<std::mutex> lock(outLock_);
        ring_.reset();
        size_ = r_ = w_ = 0;
        full_ = false;
        stopping_ = false;
        writeError_ = 0;
    }
    state_ = TPortState::Closed;

    if (listenerFailure) {
        reopenPending_ = false;
        std::rethrow_exception(listenerFailure);
    }
    if (reopenPending_) {
        reopenPending_ = false;
        openPort();
    }
}

bool TComPort::ensureOpen() {
    if (state_ == TPortState::Closing)
        return false;
    if (state_ == TPortState::Closed) {
        if (!AutoOpen)
            throw ECommNotOpen();
        openPort();
    }
    return state_ == TPortState::Open;
}

std::size_t TComPort::held() const {
    if (full_)
        return size_;
    if (w_ > r_)
        return w_ - r_;
    if (r_ > w_)
        return size_ - r_ + w_;
    return 0;
}

void TComPort::raiseWriteFailure() const {
    throwPlatformError(kIoDeviceWriteError, "");
}

void TComPort::PutByte(std::uint8_t byte) {
    if (!ensureOpen())
        return;
    {
        std::lock_guard<std::mutex> lock(outLock_);
        if (writeError_ != 0)
            raiseWriteFailure();
        if (held() >= size_)
            throw EOutputBufferTooSmall();
        ring_[w_] = byte;
        w_ = (w_ + 1) % size_;
        if (w_ == r_)
            full_ = true;
    }
    outWake_.notify_one();
}

std::int32_t TComPort::OutPending() {
    if (state_ != TPortState::Open)
        return 0;
    std::lock_guard<std::mutex> lock(outLock_);
    return static_cast<std::int32_t>(held());
}

std::optional<std::size_t> TComPort::DeviceQueued() const {
    if (state_ != TPortState::Open || !device_)
        return std::nullopt;
    return device_->outQueued();
}

void TComPort::ServicePort() {
    if (!ensureOpen())
        return;
    if (writeError_ != 0)
        raiseWriteFailure();
    std::this_thread::yield();
}

void TComPort::WaitOutput(std::chrono::milliseconds most) {
    if (!ensureOpen())
        return;
    {
        std::unique_lock<std::mutex> lock(outLock_);
        const std::size_t before = held();
        outMoved_.wait_for(lock, most, [this, before] {
            return stopping_ || writeError_ != 0 || held() != before;
        });
    }
    if (writeError_ != 0)
        raiseWriteFailure();
}

TProbeResult TComPort::Probe(const std::string& path) {
    return TComDevice::probe(path);
}

void TComPort::outputLoop() {
    std::unique_lock<std::mutex> lock(outLock_);
    for (;;) {
        // After a failed write nothing more is written: the bytes stay queued, so that the
        // caller waiting for the queue to drain meets the failure instead of an empty queue.
        outWake_.wait(lock, [this] { return stopping_ || (writeError_ == 0 && held() > 0); });
        if (stopping_)
            return;

        // Take the held bytes as one contiguous run; when they wrap past the end of the ring,
        // move them to its start first.
        if (w_ <= r_ && w_ != 0) {
            const std::size_t count = held();
            std::rotate(ring_.get(), ring_.get() + r_, ring_.get() + size_);
            r_ = 0;
            w_ = count % size_;
        }
        const std::size_t start = r_;
        const std::size_t length = w_ > r_ ? w_ - r_ : size_ - r_;

        lock.unlock();
        int result = device_->write(ring_.get() + start, length, taken_);
        if (result == TComDevice::kDone)
            result = device_->drain();
        lock.lock();

        if (result == TComDevice::kCancelled)
            return;
        if (result != TComDevice::kDone) {
            writeError_ = result;
            outMoved_.notify_all();
            continue;
        }
        r_ = (r_ + length) % size_;
        full_ = false;
        if (r_ == w_)
            r_ = w_ = 0;
        outMoved_.notify_all();
    }
}
