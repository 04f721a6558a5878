#include "links/comport_errors.h"
#include "sign/send_errors.h"
#include "sign/transmitter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

// A port that records what the sender does: "p<n>" for a run of n bytes put, "w" for a wait
// that ended with an empty queue. The device takes the queue after `drainAfter` checks.
class RecordingPort : public TSerialSink {
public:
    void PutByte(std::uint8_t byte) override {
        if (failAt >= 0 && received.size() == static_cast<std::size_t>(failAt))
            throw EOutputBufferTooSmall();
        received.push_back(static_cast<char>(byte));
        ++queued;
        if (!ops.empty() && ops.back()[0] == 'p')
            ops.back() = "p" + std::to_string(std::stoi(ops.back().substr(1)) + 1);
        else
            ops.push_back("p1");
    }
    std::int32_t OutPending() override {
        if (queued > 0 && ++checks > drainAfter) {
            queued = 0;
            checks = 0;
            ops.push_back("w");
        }
        return queued;
    }
    void ServicePort() override {
        ++services;
        if (neverDrains)
            checks = 0;
    }
    // The device takes the queue whole when it drains, and keeps none of it.
    std::uint64_t Taken() override { return received.size() - static_cast<std::size_t>(queued); }
    std::optional<std::size_t> Queued() override { return std::size_t{0}; }

    std::string received;
    std::vector<std::string> ops;
    int queued = 0;
    int checks = 0;
    int drainAfter = 2;
    int services = 0;
    int failAt = -1;
    bool neverDrains = false;
};

std::string bytes(std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(static_cast<char>(1 + i % 251));
    return out;
}

TEST(TransmitSerialTest, PutsRunsOf200BytesAndWaitsAfterEach) {
    using Ops = std::vector<std::string>;
    const struct {
        std::size_t n;
        Ops ops;
    } cases[] = {
        {0, {}},
        {1, {"p1", "w"}},
        {199, {"p199", "w"}},
        {200, {"p200", "w"}},
        {201, {"p200", "w", "p1", "w"}},
        {400, {"p200", "w", "p200", "w"}},
        {401, {"p200", "w", "p200", "w", "p1", "w"}},
    };
    for (const auto& c : cases) {
        RecordingPort port;
        std::vector<std::size_t> progress;
        TSendOptions options;
        options.baud = 19200;
        options.onProgress = [&](const TSendCount& sent) { progress.push_back(sent.sent); };
        const std::string data = bytes(c.n);
        transmitSerial(port, data, options);
        EXPECT_EQ(port.ops, c.ops) << c.n << " bytes";
        EXPECT_EQ(port.received, data) << c.n << " bytes";
        EXPECT_GT(port.services, c.n ? 0 : -1);
        if (c.n > 0) {
            EXPECT_EQ(progress.back(), c.n);
            EXPECT_EQ(progress.size(), (c.n + 199) / 200);
        }
    }
}

TEST(TransmitSerialTest, GivesUpWhenThePortNeverEmpties) {
    RecordingPort port;
    port.neverDrains = true;
    int waits = 0;
    TSendOptions options;
    options.baud = 19200;
    options.deviceBacklog = 0;
    options.grace = std::chrono::milliseconds(50);
    options.onWait = [&] { ++waits; };
    const auto begin = std::chrono::steady_clock::now();
    try {
        transmitSerial(port, bytes(450), options);
        ADD_FAILURE() << "the send did not time out";
    } catch (const ESendError& error) {
        EXPECT_THAT(error.what(), testing::StartsWith("The serial port did not send its data"));
    }
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    // 200 bytes at 19200 baud: 105 ms of line time, three times that plus the grace.
    EXPECT_GE(elapsed, std::chrono::milliseconds(360));
    EXPECT_LT(elapsed, std::chrono::seconds(3));
    EXPECT_EQ(port.received.size(), 200u) << "nothing is put after the wait that failed";
    EXPECT_GT(waits, 0);
}

TEST(TransmitSerialTest, LetsThePortsFailuresThrough) {
    RecordingPort port;
    port.failAt = 250;
    EXPECT_THROW(transmitSerial(port, bytes(600), TSendOptions{}), EOutputBufferTooSmall);
    EXPECT_EQ(port.received.size(), 250u);
}

TEST(TransmitSerialTest, BoundsTheWaitByTheLineTime) {
    using std::chrono::milliseconds;
    EXPECT_EQ(serialWaitLimit(200, 19200, milliseconds(5000)), milliseconds(3 * 105 + 5000));
    EXPECT_EQ(serialWaitLimit(200, 1200, milliseconds(5000)), milliseconds(3 * 1667 + 5000));
    EXPECT_EQ(serialWaitLimit(200, 300, milliseconds(0)), milliseconds(3 * 6667));
    // An unknown speed counts as the slowest.
    EXPECT_EQ(serialWaitLimit(200, 0, milliseconds(0)), serialWaitLimit(200, 300, milliseconds(0)));
}

} // namespace
