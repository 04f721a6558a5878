// One send to a sign that behaves well or badly, over a loopback connection and over a
// pseudo-terminal: how it ends, how long it takes, what the sign got, and what the user is told.

#include "sign/comm_settings.h"
#include "sign/send_buffer.h"
#include "sign/send_errors.h"
#include "sign/sign_sender.h"
#include "sign/sign_stream.h"
#include "support/core/case_name.h"
#include "support/core/loopback_peer.h"
#include "support/core/process_counts.h"
#include "support/core/test_env.h"
#include "support/core/test_pty.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Peer = LoopbackPeer::Behaviour;

enum class Ending { Delivered, Cancelled, Stalled, BrokeOff, PeerClosed };

struct SendCase {
    const char* name;
    bool network;
    Peer peer;                            // the network sign
    std::size_t resetAfter = 0;           // for Peer::ResetAfter
    PtyReader::Behaviour reader = {};     // the serial sign
    int blocks;                           // of 240 characters each
    std::size_t cancelAt = 0;             // Cancel() once this many bytes are counted (0: never)
    bool transmitAfterPeerClosed = false; // Open, wait until the peer has closed, then Transmit
    Ending ending;
    const char* firstLine = "";            // the message's first line (or the start of it)
    const char* secondLineEnd = "";        // how the line after the link ends
    double minSeconds = 0, maxSeconds = 5; // how long the send takes
};

std::vector<std::string> message(int blocks) {
    std::vector<std::string> lines;
    for (int i = 0; i < blocks; ++i)
        lines.push_back((i % 3 ? "NotCentered,^G^" : "Centered,^F^") +
                        std::string(240, static_cast<char>('A' + i % 26)));
    return lines;
}

constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();

const SendCase kCases[] = {
    {.name = "NetworkDeliversEveryByte",
     .network = true,
     .peer = Peer::ReadAll,
     .blocks = 1000,
     .ending = Ending::Delivered},
    {.name = "SerialDeliversEveryByte",
     .network = false,
     .peer = Peer::ReadAll,
     .blocks = 1000,
     .ending = Ending::Delivered},
    {.name = "NetworkCancelledMidSend",
     .network = true,
     .peer = Peer::ReadAll,
     .blocks = 1000,
     .cancelAt = 1,
     .ending = Ending::Cancelled,
     .firstLine = "Sending cancelled: "},
    {.name = "SerialCancelledMidSend",
     .network = false,
     .peer = Peer::ReadAll,
     .blocks = 1000,
     .cancelAt = 1,
     .ending = Ending::Cancelled,
     .firstLine = "Sending cancelled: "},
    // The peer's side acknowledges what fits its buffer; the rest is thrown away a second
    // after the cancel.
    {.name = "NetworkCancelledPeerNeverReads",
     .network = true,
     .peer = Peer::NeverRead,
     .blocks = 4000,
     .cancelAt = 32768,
     .ending = Ending::Cancelled,
     .firstLine = "Sending cancelled: ",
     .minSeconds = 0.9},
    // Far more than the peer's receive window: most of it is never acknowledged.
    {.name = "NetworkPeerNeverReads",
     .network = true,
     .peer = Peer::NeverRead,
     .blocks = 4000,
     .ending = Ending::Stalled,
     .firstLine = "The sign stopped taking data after ",
     .secondLineEnd = ": no byte was taken for 10 seconds.",
     .minSeconds = 9.9,
     .maxSeconds = 12.5},
    {.name = "SerialReaderStopsReading",
     .network = false,
     .peer = Peer::ReadAll,
     .reader = {kAll, 1000, 0},
     .blocks = 1000,
     .ending = Ending::Stalled,
     .firstLine = "The sign stopped taking data after ",
     .secondLineEnd = ": no byte was taken for 10 seconds.",
     .minSeconds = 9.9,
     .maxSeconds = 12.5},
    {.name = "NetworkPeerResetsMidSend",
     .network = true,
     .peer = Peer::ResetAfter,
     .resetAfter = 2000,
     .blocks = 2500,
     .ending = Ending::BrokeOff,
     .firstLine = "Sending failed after ",
     .secondLineEnd = ": Socket Error # 10054 Connection reset by peer."},
    {.name = "NetworkPeerClosedAtOnce",
     .network = true,
     .peer = Peer::AcceptAndClose,
     .blocks = 100,
     .transmitAfterPeerClosed = true,
     .ending = Ending::PeerClosed,
     .firstLine = "The sign closed the connection before taking the message.",
     .secondLineEnd = " Cannot send or receive after socket is closed."},
    {.name = "SerialReaderGoesAway",
     .network = false,
     .peer = Peer::ReadAll,
     .reader = {1000, kAll, 0},
     .blocks = 1000,
     .ending = Ending::BrokeOff,
     .firstLine = "Sending failed after ",
     .secondLineEnd = ": Device write error (Input/output error)"}};

class SignSenderTest : public testing::TestWithParam<SendCase> {};

TEST_P(SignSenderTest, EndsAsTheSignBehaves) {
    const SendCase& c = GetParam();
    std::unique_ptr<LoopbackPeer> peer;
    std::unique_ptr<PtyReader> pty;
    TSignLink link;
    std::string linkText;
    if (c.network) {
        peer = std::make_unique<LoopbackPeer>(c.peer, c.resetAfter);
        link = TSignLink::Network("127.0.0.1", peer->port());
        linkText = "IP address 127.0.0.1, port " + std::to_string(peer->port());
    } else {
        pty = std::make_unique<PtyReader>(c.reader);
        link = TSignLink::Serial(1, 1200, pty->path());
        linkText = "Com port 1 (" + pty->path() + ") at 1200 baud";
    }
    const std::vector<std::string> lines = message(c.blocks);
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, lines, 1, 20);
    const std::string stream(buffer.bytes());

    TSignSender sender(link);
    EXPECT_EQ(sender.Description(), linkText);
    std::vector<std::size_t> progress;
    int waits = 0;
    auto lastMove = Clock::now();
    long long wakeupsAtLastMove = threadWakeups();
    sender.OnProgress = [&](std::size_t taken, std::size_t total) {
        EXPECT_EQ(total, stream.size());
        progress.push_back(taken);
        lastMove = Clock::now();
        wakeupsAtLastMove = threadWakeups();
        if (c.cancelAt > 0 && taken >= c.cancelAt)
            sender.Cancel();
    };
    sender.OnWait = [&] { ++waits; };

    std::optional<TSendOutcome> outcome;
    std::optional<Ending> failure;
    std::string text;
    std::size_t sent = 0;
    bool handed = false;
    const auto start = Clock::now();
    try {
        if (c.transmitAfterPeerClosed) {
            sender.Open();
            ASSERT_TRUE(peer->waitForFinished(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            outcome = sender.Transmit(stream);
            sender.Close();
        } else {
            outcome = sender.Send(lines, 1, 20, buffer, block);
        }
        text = outcome->message();
        sent = outcome->sent;
        handed = outcome->handed;
    } catch (const ESendError& error) {
        text = error.what();
        failure = text.starts_with("The sign stopped taking data")     ? Ending::Stalled
                  : text.starts_with("The sign closed the connection") ? Ending::PeerClosed
                  : text.starts_with("Sending failed after")           ? Ending::BrokeOff
                                                                       : Ending::Delivered;
        sent = error.sent();
        handed = error.count().handed;
        EXPECT_EQ(error.total(), stream.size());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // A stalled serial send waits on its port: it wakes at most 50 times a second (room for
    // the closing of the port).
    if (!c.network && c.ending == Ending::Stalled) {
        const double stalled = std::chrono::duration<double>(Clock::now() - lastMove).count();
        EXPECT_LE(threadWakeups() - wakeupsAtLastMove, 50 * stalled + 20);
    }

    const Ending ending =
        outcome ? (outcome->cancelled ? Ending::Cancelled : Ending::Delivered) : *failure;
    ASSERT_EQ(static_cast<int>(ending), static_cast<int>(c.ending)) << text;
    EXPECT_GE(seconds, c.minSeconds);
    EXPECT_LE(seconds, c.maxSeconds);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_GT(waits, 0);
    // One count everywhere: the bar never shows more than the message or the outcome says;
    // a pseudo-terminal cannot tell what its reader took, the network what the sign took.
    EXPECT_EQ(handed, !c.network) << text;
    EXPECT_EQ(sender.Handed(), !c.network);
    EXPECT_LE(progress.back(), sent);

    const std::string counted = std::to_string(sent) + " of " + std::to_string(stream.size()) +
                                (c.network ? " bytes" : " bytes handed to the link");
    const std::string firstLine = text.substr(0, text.find('\n'));
    const std::string secondLine =
        text.find('\n') == std::string::npos ? std::string() : text.substr(text.find('\n') + 1);
    EXPECT_EQ(firstLine.rfind(c.firstLine, 0), 0u) << text;
    switch (c.ending) {
    case Ending::Delivered:
        EXPECT_EQ(sent, stream.size());
        EXPECT_EQ(progress.back(), stream.size()) << "the bar reaches the end";
        break;
    case Ending::Cancelled:
        EXPECT_EQ(text, "Sending cancelled: " + std::to_string(sent) + " of " +
                            std::to_string(stream.size()) + " bytes were " +
                            (c.network ? "sent." : "handed to the link."));
        break;
    case Ending::Stalled:
    case Ending::BrokeOff:
        EXPECT_NE(firstLine.find(counted), std::string::npos) << text;
        [[fallthrough]];
    case Ending::PeerClosed:
        EXPECT_EQ(secondLine.rfind(linkText, 0), 0u) << text;
        EXPECT_TRUE(secondLine.ends_with(c.secondLineEnd)) << text;
        EXPECT_LT(sent, stream.size());
        break;
    }

    // What the sign got: everything counted as sent on a delivered or cancelled send, a part of
    // it on a failed one.
    std::string got;
    std::size_t unread = 0; // taken by the peer's side, never read
    if (peer) {
        EXPECT_TRUE(peer->waitForFinished(1));
        got = peer->received();
        unread = peer->unread();
    } else {
        got = pty->read(ending == Ending::Delivered ? stream.size() : sent, 3000);
    }
    if (c.peer == Peer::NeverRead) {
        // A peer that never reads holds exactly what was counted, and gets nothing more.
        EXPECT_EQ(sent, unread);
    } else if (outcome) {
        EXPECT_TRUE(got == stream.substr(0, sent)) << got.size() << " bytes came";
    } else {
        EXPECT_TRUE(got == stream.substr(0, got.size())) << got.size() << " bytes came";
        // A failure counts at least what the sign read, over the network no more than the
        // peer's side took: what it read and what it could hold unread.
        EXPECT_GE(sent, got.size());
        if (c.network) {
            EXPECT_LE(sent, got.size() + peer->receiveBuffer()) << got.size() << " read";
        }
    }
    if (c.peer == Peer::ResetAfter) {
        EXPECT_EQ(got.size(), c.resetAfter);
    }
}

INSTANTIATE_TEST_SUITE_P(Sign, SignSenderTest, testing::ValuesIn(kCases), CaseName());

TEST(SignLinkTest, TheSettingsChooseTheLinkAndMessagesNameIt) {
    TempDir dir;
    const struct {
        const char* settings;
        const char* described;
    } cases[] = {
        {"[Comm]\r\nPort=5\r\nIP=sign.example\r\n", "IP address sign.example, port 23"},
        {"[Comm]\r\nPort=3\r\nBaud=9600\r\n[Ports]\r\nCOM3=/dev/ttyUSB0\r\n",
         "Com port 3 (/dev/ttyUSB0) at 9600 baud"},
        {"[Comm]\r\nPort=2\r\nBaud=0\r\n", "Com port 2 (/dev/ttyS1) at the device's speed"},
        {"[Comm]\r\nPort=0\r\nBaud=1200\r\n", "Com port 0 at 1200 baud"},
    };
    for (const auto& c : cases) {
        writeFileBytes(dir.file("LUMAVANE.INI"), c.settings);
        TBComm comm(dir.file("LUMAVANE.INI"));
        comm.Load();
        EXPECT_EQ(describeSignLink(signLinkFromSettings(comm)), c.described) << c.settings;
    }
}

} // namespace
