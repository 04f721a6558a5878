#include "sign/transmitter.h"

#include "links/comport.h"
#include "links/tcpclient.h"

#include <algorithm>
#include <climits>
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

std::chrono::milliseconds serialWaitLimit(std::size_t bytes, int baud,
                                          std::chrono::milliseconds grace) {
    const long long bitsPerSecond = baud > 0 ? baud : 300;
    const long long lineMs =
        (static_cast<long long>(bytes) * 10 * 1000 + bitsPerSecond - 1) / bitsPerSecond;
    return std::chrono::milliseconds(3 * lineMs) + grace;
}

namespace {

using Clock = std::chrono::steady_clock;

void waitUntilEmpty(TSerialSink& port, std::size_t runBytes, const TSerialSendOptions& options) {
    const auto deadline = Clock::now() + serialWaitLimit(runBytes + options.deviceBacklog,
                                                         options.baud, options.grace);
    // The caller's windows are looked after every few milliseconds, not on every pass.
    auto nextWaitCall = Clock::now();
    while (port.OutPending() != 0) {
        const auto now = Clock::now();
        if (now > deadline)
            throw ESendTimeout();
        if (options.onWait && now >= nextWaitCall) {
            options.onWait();
            nextWaitCall = Clock::now() + std::chrono::milliseconds(20);
        }
        port.ServicePort();
        // A run takes milliseconds to go out at the fastest speed: checking again at once
        // would only burn the processor.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

} // namespace

void transmitSerial(TSerialSink& port, std::string_view bytes, const TSerialSendOptions& options) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const std::size_t run = std::min(kSerialChunk, bytes.size() - sent);
        for (std::size_t i = 0; i < run; ++i)
            port.PutByte(static_cast<std::uint8_t>(bytes[sent + i]));
        waitUntilEmpty(port, run, options);
        sent += run;
        if (options.onProgress)
            options.onProgress(sent);
    }
}

void transmitNetwork(TTcpClient& client, std::string_view bytes) {
    std::size_t sent = 0;
    do {
        const std::size_t part = std::min<std::size_t>(bytes.size() - sent, INT_MAX);
        client.Write(bytes.data() + sent, static_cast<int>(part), false);
        sent += part;
    } while (sent < bytes.size());
}
