#include "links/net_errors.h"
#include "links/tcp_host_address.h"
#include "links/tcpclient.h"
#include "links/tcpclient_posix.h"
#include "support/core/loopback_peer.h"
#include "support/core/process_counts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <functional>
#include <memory>
#include <netdb.h>
#include <optional>
#include <pthread.h>
#include <string>
#include <thread>
#include <typeindex>
#include <utility>
#include <vector>

namespace {

// Stand-ins for the sign on the loopback interface: peers on 127.0.0.1 with ports that the
// system picks.
using Peer = LoopbackPeer::Behaviour;

// `size` bytes that differ from their neighbours, so that lost, doubled or swapped pieces show.
std::string patternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// What a call threw: the class, the message and, for a socket error, the code.
struct Failure {
    std::optional<std::type_index> type;
    std::string message;
    int code = 0;
};

Failure failureOf(const std::function<void()>& call) {
    Failure failure;
    try {
        call();
    } catch (const ESocketError& error) {
        failure = {typeid(error), error.what(), error.code()};
    } catch (const ENetException& error) {
        failure = {typeid(error), error.what(), 0};
    }
    return failure;
}

long long millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// Connects, writes and disconnects on a fresh peer: the client is usable again.
void expectUsable(TTcpClient& client) {
    LoopbackPeer peer;
    client.Host = "127.0.0.1";
    client.Port = peer.port();
    client.BoundIP.clear();
    client.BoundPort = 0;
    client.Connect(3000);
    EXPECT_TRUE(client.Connected());
    client.Write("ok", 2);
    client.Disconnect();
    EXPECT_TRUE(peer.waitForFinished(1));
    EXPECT_EQ(peer.received(), "ok");
}

TEST(TcpClientTest, NewClientIsDisconnectedOnPort23) {
    TTcpClient client;
    std::vector<std::string> statuses;
    client.OnStatus = [&](const std::string& text) { statuses.push_back(text); };
    EXPECT_EQ(client.Port, 23);
    EXPECT_FALSE(client.Connected());

    client.Disconnect();
    client.Write(nullptr, 10);
    client.Write("abc", 0);
    client.Write("abc", -1);
    EXPECT_TRUE(statuses.empty());

    const Failure failure = failureOf([&] { client.Write("abc", 3); });
    EXPECT_EQ(failure.type, std::type_index(typeid(ENotConnected)));
    EXPECT_EQ(failure.message, "Not Connected");
}

struct ConnectFailureCase {
    const char* name;
    int timeoutMs;
    // Points the client at something that fails; may keep what it needs alive in `held`.
    std::function<void(TTcpClient&, std::vector<std::unique_ptr<LoopbackPeer>>& held)> aim;
    std::type_index type;
    std::string message;
};

void PrintTo(const ConnectFailureCase& c, std::ostream* out) {
    *out << c.name;
}

class ConnectFailureTest : public testing::TestWithParam<ConnectFailureCase> {};

void aimAtClosedPort(TTcpClient& client, std::vector<std::unique_ptr<LoopbackPeer>>& held) {
    // Bound but not listening: the port stays ours and every connect to it is refused.
    held.push_back(std::make_unique<LoopbackPeer>(Peer::Refuse));
    client.Host = "127.0.0.1";
    client.Port = held.back()->port();
}

const std::string kRefused = "Socket Error # 10061\r\nConnection refused.";

TEST_P(ConnectFailureTest, FailsQuicklyWithItsMessageAndLeavesNoSocket) {
    const ConnectFailureCase& c = GetParam();
    std::vector<std::unique_ptr<LoopbackPeer>> held;
    TTcpClient client;
    c.aim(client, held);
    const int fdsBefore = openFdCount();

    const auto start = Clock::now();
    const Failure failure = failureOf([&] { client.Connect(c.timeoutMs); });
    EXPECT_LT(millisecondsSince(start), 1000) << "noticed late";
    EXPECT_EQ(failure.type, c.type);
    EXPECT_EQ(failure.message, c.message);
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(openFdCount(), fdsBefore);

    // The failed connect keeps its state: the closed connection is known as such.
    const Failure write = failureOf([&] { client.Write("x", 1); });
    EXPECT_EQ(write.type, std::type_index(typeid(EConnClosedGracefully)));
    EXPECT_EQ(write.message, "Connection Closed Gracefully.");
    expectUsable(client);
    EXPECT_EQ(openFdCount(), fdsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectFailureTest,
    testing::Values(
        ConnectFailureCase{"RefusedWithTimeout", 3000, aimAtClosedPort, typeid(EConnectFailed),
                           kRefused},
        ConnectFailureCase{"RefusedWithoutTimeout", 0, aimAtClosedPort, typeid(ESocketError),
                           kRefused},
        ConnectFailureCase{"RefusedWaitingForever", -1, aimAtClosedPort, typeid(ESocketError),
                           kRefused},
        ConnectFailureCase{
            "LocalPortInUse", 3000,
            [](TTcpClient& client, std::vector<std::unique_ptr<LoopbackPeer>>& held) {
                held.push_back(std::make_unique<LoopbackPeer>());
                client.Host = "127.0.0.1";
                client.Port = held.back()->port();
                client.BoundIP = "127.0.0.1";
                client.BoundPort = client.Port;
            },
            typeid(ECouldNotBindSocket),
            "Could not bind socket. Address and port are already in use."},
        ConnectFailureCase{"PortOutOfRange", 3000,
                           [](TTcpClient& client, std::vector<std::unique_ptr<LoopbackPeer>>&) {
                               client.Host = "127.0.0.1";
                               client.Port = 65536 + 23;
                           },
                           typeid(ESocketError), "Socket Error # 10022\r\nInvalid argument."},
        ConnectFailureCase{"UnknownName", 3000,
                           [](TTcpClient& client, std::vector<std::unique_ptr<LoopbackPeer>>&) {
                               client.Host = "no-such-sign.invalid";
                           },
                           typeid(ESocketError), "Socket Error # 11001\r\nHost not found."}),
    [](const testing::TestParamInfo<ConnectFailureCase>& info) { return info.param.name; });

TEST(TcpClientTest, UnknownNameFailsWithCode11001AfterSayingWhatItResolves) {
    TTcpClient client;
    std::vector<std::string> statuses;
    client.OnStatus = [&](const std::string& text) { statuses.push_back(text); };
    for (const char* host : {"sign.invalid", "SIGN.Invalid.", "invalid", ""}) {
        SCOPED_TRACE(host);
        statuses.clear();
        client.Host = host;
        const Failure failure = failureOf([&] { client.Connect(3000); });
        EXPECT_EQ(failure.code, kSocketErrorHostNotFound);
        EXPECT_EQ(statuses,
                  std::vector<std::string>{"Resolving hostname " + std::string(host) + "."});
        EXPECT_FALSE(client.Connected());
    }
}

TEST(TcpClientTest, PeerThatNeverAnswersTimesOutNearTheTimeoutAndClosesTheSocket) {
    // A full accept queue: the listener never accepts, and the connections already queued make
    // the system drop every further connection request without an answer.
    LoopbackPeer silent(Peer::NeverAnswer);

    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = silent.port();
    const int fdsBefore = openFdCount();
    const auto start = Clock::now();
    const Failure failure = failureOf([&] { client.Connect(3000); });
    const long long elapsed = millisecondsSince(start);

    EXPECT_EQ(failure.type, std::type_index(typeid(EConnectTimeout)));
    EXPECT_EQ(failure.message, "Connect timed out.");
    EXPECT_GE(elapsed, 3000);
    EXPECT_LT(elapsed, 3500);
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(openFdCount(), fdsBefore);
    expectUsable(client);
}

TEST(TcpClientTest, SecondConnectFailsAndLeavesTheFirstConnectionAsItWas) {
    LoopbackPeer peer;
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = peer.port();
    client.Connect(3000);

    for (const int timeout : {3000, 0}) {
        const Failure failure = failureOf([&] { client.Connect(timeout); });
        EXPECT_EQ(failure.type, std::type_index(typeid(EAlreadyConnected)));
        EXPECT_EQ(failure.message, "Already connected.");
    }
    EXPECT_TRUE(client.Connected());
    client.Write("still here", 10);
    client.Disconnect();
    ASSERT_TRUE(peer.waitForFinished(1));
    EXPECT_EQ(peer.received(), "still here");
    EXPECT_TRUE(peer.connections().at(0).endedInOrder);
}

struct DeliveryCase {
    const char* name;
    std::size_t size;
    LoopbackPeer::Options peer;
};

void PrintTo(const DeliveryCase& c, std::ostream* out) {
    *out << c.name;
}

class DeliveryTest : public testing::TestWithParam<DeliveryCase> {};

TEST_P(DeliveryTest, DisconnectRightAfterWriteDeliversEveryByteAndAnOrderlyEnd) {
    const DeliveryCase& c = GetParam();
    LoopbackPeer peer(Peer::ReadAll, c.peer);
    const int fdsBefore = openFdCount();
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = peer.port();
    client.Connect(3000);
    ASSERT_TRUE(peer.waitForAccepted(1)) << "the greeting has gone out";

    const std::string bytes = patternBytes(c.size);
    client.Write(bytes.data(), static_cast<int>(bytes.size()));
    client.Disconnect();
    EXPECT_FALSE(client.Connected());
    ASSERT_TRUE(peer.waitForFinished(1, 10000));

    const LoopbackPeer::Connection connection = peer.connections().at(0);
    EXPECT_TRUE(connection.endedInOrder) << "read error " << connection.readError;
    EXPECT_EQ(connection.received.size(), bytes.size());
    EXPECT_TRUE(connection.received == bytes) << "bytes differ";
    EXPECT_EQ(openFdCount(), fdsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeliveryTest,
    testing::Values(
        // A sign that takes its data slowly: the write waits for room again and again.
        DeliveryCase{"SlowReader",
                     40000,
                     {.receiveBuffer = 2048,
                      .startDelay = milliseconds(50),
                      .chunk = 512,
                      .pause = std::chrono::microseconds(300)}},
        // A peer that said something first, which the link never reads: the close must not
        // turn into a reset that throws away the bytes still on their way.
        DeliveryCase{"PeerSpokeFirst",
                     40000,
                     {.receiveBuffer = 2048,
                      .greeting = "\xFF\xFD\x18 hello",
                      .startDelay = milliseconds(100),
                      .chunk = 4096}},
        DeliveryCase{"LargeBuffer", 4000000, {}}),
    [](const testing::TestParamInfo<DeliveryCase>& info) { return info.param.name; });

void ignoreSignal(int) {}

TEST(TcpClientTest, WriteInterruptedBySignalsStillSendsEverythingOnce) {
    // Without restart, every signal makes a blocked send return early, with part of the bytes
    // or with nothing taken at all.
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = ignoreSignal;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);

    LoopbackPeer peer(Peer::ReadAll, {.startDelay = milliseconds(20), .chunk = 16384});
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = peer.port();
    client.Connect(3000);

    const std::string bytes = patternBytes(16000000);
    std::atomic<bool> writing{true};
    const pthread_t writer = ::pthread_self();
    std::thread interrupter([&] {
        while (writing.load()) {
            ::pthread_kill(writer, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    client.Write(bytes.data(), static_cast<int>(bytes.size()));
    writing = false;
    interrupter.join();
    client.Disconnect();
    EXPECT_TRUE(peer.waitForFinished(1, 10000));
    ::sigaction(SIGUSR1, &previous, nullptr);

    EXPECT_EQ(peer.receivedSize(), bytes.size());
    EXPECT_TRUE(peer.received() == bytes) << "bytes differ";
}

struct LostConnectionCase {
    const char* name;
    Peer peer;
    std::size_t resetAfter;
    bool peerGoneFirst;
    std::string message;
};

void PrintTo(const LostConnectionCase& c, std::ostream* out) {
    *out << c.name;
}

class LostConnectionTest : public testing::TestWithParam<LostConnectionCase> {};

TEST_P(LostConnectionTest, WriteFailsWithTheSocketErrorClosesTheSocketAndTheProcessLives) {
    const LostConnectionCase& c = GetParam();
    LoopbackPeer peer(c.peer, {.resetAfter = c.resetAfter, .receiveBuffer = 4096, .chunk = 1024});
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = peer.port();
    const int fdsBefore = openFdCount();
    client.Connect(3000);
    if (c.peerGoneFirst) {
        ASSERT_TRUE(peer.waitForFinished(1));
    }

    // Far more than the buffers on the way hold, so the write is still running when the peer
    // answers with a reset. A write that raised SIGPIPE would end the test process here.
    const std::string bytes = patternBytes(16000000);
    const Failure failure =
        failureOf([&] { client.Write(bytes.data(), static_cast<int>(bytes.size())); });
    EXPECT_TRUE(peer.waitForFinished(1));

    EXPECT_EQ(failure.type, std::type_index(typeid(ESocketError)));
    EXPECT_EQ(failure.message, c.message);
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(openFdCount(), fdsBefore);
    const Failure again = failureOf([&] { client.Write("x", 1); });
    EXPECT_EQ(again.type, std::type_index(typeid(EConnClosedGracefully)));
    client.Disconnect();
    expectUsable(client);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LostConnectionTest,
    testing::Values(LostConnectionCase{"PeerResetsDuringWrite", Peer::ResetAfter, 1000, false,
                                       "Socket Error # 10054\r\nConnection reset by peer."},
                    // The peer ended the connection before the write; it answers the data with a
                    // reset, which the system reports as a broken pipe.
                    LostConnectionCase{
                        "PeerClosedBeforeWrite", Peer::AcceptAndClose, 0, true,
                        "Socket Error # 10058\r\nCannot send or receive after socket is "
                        "closed."}),
    [](const testing::TestParamInfo<LostConnectionCase>& info) { return info.param.name; });

TEST(TcpClientTest, HostFormsReachTheLoopbackWithoutALookUp) {
    LoopbackPeer peer;
    int connections = 0;
    for (const char* host :
         {"LOCALHOST", "localhost", "LocalHost", "127.0.0.1", "127.1", "127.0.1", "2130706433"}) {
        SCOPED_TRACE(host);
        TTcpClient client;
        std::vector<std::string> statuses;
        client.OnStatus = [&](const std::string& text) { statuses.push_back(text); };
        client.Host = host;
        client.Port = peer.port();
        client.Connect(3000);
        client.Write(host, static_cast<int>(std::string(host).size()));
        client.Disconnect();
        ASSERT_TRUE(peer.waitForFinished(++connections));
        EXPECT_EQ(peer.connections().back().received, host);
        EXPECT_EQ(statuses, (std::vector<std::string>{"Connecting to 127.0.0.1.", "Connected.",
                                                      "Disconnecting.", "Disconnected."}));
    }
}

struct LiteralCase {
    const char* host;
    std::optional<std::string> address;
};

TEST(TcpHostAddressTest, LiteralFormsAndTextsThatNeedALookUp) {
    const LiteralCase cases[] = {
        {"0.0.0.0", "0.0.0.0"},
        {"255.255.255.255", "255.255.255.255"},
        {"192.168.001.010", "192.168.1.10"},
        {"10.1", "10.0.0.1"},
        {"10.16777215", "10.255.255.255"},
        {"10.1.65535", "10.1.255.255"},
        {"10.1.256", "10.1.1.0"},
        {"4294967295", "255.255.255.255"},
        {"0", "0.0.0.0"},
        {"localHOST", "127.0.0.1"},
        {"256.0.0.1", std::nullopt},
        {"1.2.3.256", std::nullopt},
        {"1.2.65536", std::nullopt},
        {"1.16777216", std::nullopt},
        {"4294967296", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..2", std::nullopt},
        {".1", std::nullopt},
        {"1.", std::nullopt},
        {"", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"0x7f.1", std::nullopt},
        {"+1", std::nullopt},
        {"-1", std::nullopt},
        {"localhost.", std::nullopt},
        {"sign", std::nullopt},
    };
    for (const LiteralCase& c : cases) {
        SCOPED_TRACE(c.host);
        const auto address = literalHostAddress(c.host);
        EXPECT_EQ(address ? std::optional(dottedAddress(*address)) : std::nullopt, c.address);
    }
}

TEST(TcpHostAddressTest, OnlyTheEmptyTextAndTheInvalidDomainAreNeverHosts) {
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"invalid", true},
        {"sign.invalid", true},
        {"a.b.INVALID.", true},
        {"invalid.example", false},
        {"notinvalid", false},
        {"sign", false},
        {"sign.invalid.example", false},
    };
    for (const auto& [host, never] : cases)
        EXPECT_EQ(isNeverAHostName(host), never) << host;
}

TEST(TcpPosixErrorsTest, PlatformErrorsTakeTheSocketErrorCodes) {
    const std::pair<int, int> errnoCases[] = {
        {ECONNREFUSED, 10061}, {ECONNRESET, 10054},
        {ETIMEDOUT, 10060},    {EHOSTUNREACH, 10065},
        {ENETUNREACH, 10051},  {ECONNABORTED, 10053},
        {EPIPE, 10058},        {EADDRINUSE, 10048},
        {EMFILE, 10024},       {EIO, 0},
    };
    for (const auto& [error, code] : errnoCases)
        EXPECT_EQ(socketCodeFromErrno(error), code) << "errno " << error;
    EXPECT_EQ(socketCodeFromResolver(EAI_NONAME), 11001);
    EXPECT_EQ(socketCodeFromResolver(EAI_AGAIN), 11002);
    EXPECT_EQ(socketCodeFromResolver(EAI_FAIL), 11003);

    // Codes without a text of their own keep the code and nothing after the line break.
    EXPECT_EQ(ESocketError(10035).what(),
              std::string("Socket Error # 10035\r\nOperation would block. "));
    EXPECT_EQ(ESocketError(12345).what(), std::string("Socket Error # 12345\r\n"));
}

} // namespace
