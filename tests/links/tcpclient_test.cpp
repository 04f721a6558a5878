#include "links/net_errors.h"
#include "links/tcp_host_address.h"
#include "links/tcpclient.h"
#include "links/tcpclient_posix.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <netdb.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <typeindex>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Stand-ins for the sign on the loopback interface: listeners on 127.0.0.1 with ports that the
// system picks, and a reader that takes one connection.

// A file descriptor that closes itself.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept
        : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&&) = delete;

    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

// Accepts one connection on a listener and reads it to its end on a thread of its own.
class PeerReader {
public:
    struct Options {
        std::string greeting;                    // sent to the client right after the accept
        std::chrono::milliseconds startDelay{0}; // before the first read
        std::size_t chunk = 65536;               // bytes per read
        std::chrono::microseconds pause{0};      // after every read
        bool closeAtOnce = false;                // close right after the accept, reading nothing
        std::size_t resetAfter = 0;              // > 0: reset the connection once this many arrived
    };

    PeerReader(int listener, Options options);
    explicit PeerReader(int listener)
        : PeerReader(listener, Options{}) {}
    ~PeerReader();

    // Waits until the greeting has been sent (at once without one).
    void waitUntilGreeted();
    // Waits for the reader to finish; the results below are valid afterwards.
    void join();

    const std::string& received() const { return received_; }
    // True when the stream ended in order (end of stream, not a reset or an error).
    bool endedInOrder() const { return endedInOrder_; }
    int readError() const { return readError_; }

private:
    void run(int listener, Options options);

    std::string received_;
    bool endedInOrder_ = false;
    int readError_ = 0;
    std::atomic<bool> greeted_{false};
    std::thread thread_;
};

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string(what) + " failed: errno " + std::to_string(errno));
}

// A TCP socket bound to 127.0.0.1 on a free port; listening when `backlog` >= 0.
// `receiveBuffer` > 0 shrinks the receive buffer (accepted connections inherit it).
UniqueFd loopbackSocket(int backlog, int receiveBuffer = 0) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    check(fd.get() >= 0, "socket");
    if (receiveBuffer > 0)
        check(::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer) ==
                  0,
              "SO_RCVBUF");
    const sockaddr_in address = loopback(0);
    check(::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0,
          "bind");
    if (backlog >= 0)
        check(::listen(fd.get(), backlog) == 0, "listen");
    return fd;
}

int localPort(int fd) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    check(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0, "getsockname");
    return ntohs(address.sin_port);
}

// A non-blocking connect to 127.0.0.1:port that is left in whatever state it reaches.
UniqueFd startConnect(int port) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    check(fd.get() >= 0, "socket");
    const sockaddr_in address = loopback(port);
    const int result =
        ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    check(result == 0 || errno == EINPROGRESS, "connect");
    return fd;
}

// Number of open file descriptors of this process.
int openFdCount() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count - 1; // the directory's own descriptor
}

// `size` bytes that differ from their neighbours, so that lost, doubled or swapped pieces show.
std::string patternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

PeerReader::PeerReader(int listener, Options options)
    : thread_([this, listener, options] { run(listener, options); }) {}

PeerReader::~PeerReader() {
    if (thread_.joinable())
        thread_.join();
}

void PeerReader::waitUntilGreeted() {
    while (!greeted_.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void PeerReader::join() {
    if (thread_.joinable())
        thread_.join();
}

void PeerReader::run(int listener, Options options) {
    pollfd watch{listener, POLLIN, 0};
    if (::poll(&watch, 1, 10000) != 1) {
        readError_ = ETIMEDOUT;
        greeted_ = true;
        return;
    }
    UniqueFd fd(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
    if (fd.get() < 0) {
        readError_ = errno;
        greeted_ = true;
        return;
    }
    if (!options.greeting.empty())
        ::send(fd.get(), options.greeting.data(), options.greeting.size(), MSG_NOSIGNAL);
    greeted_ = true;
    if (options.closeAtOnce)
        return;
    std::this_thread::sleep_for(options.startDelay);

    std::string buffer(options.chunk, '\0');
    while (true) {
        const ssize_t got = ::recv(fd.get(), buffer.data(), buffer.size(), 0);
        if (got == 0) {
            endedInOrder_ = true;
            return;
        }
        if (got < 0) {
            if (errno == EINTR)
                continue;
            readError_ = errno;
            return;
        }
        received_.append(buffer.data(), static_cast<std::size_t>(got));
        if (options.resetAfter > 0 && received_.size() >= options.resetAfter) {
            const linger abort{1, 0};
            ::setsockopt(fd.get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            return; // the close sends a reset
        }
        if (options.pause.count() > 0)
            std::this_thread::sleep_for(options.pause);
    }
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

// Connects, writes and disconnects on a fresh listener: the client is usable again.
void expectUsable(TTcpClient& client) {
    UniqueFd listener = loopbackSocket(4);
    PeerReader peer(listener.get());
    client.Host = "127.0.0.1";
    client.Port = localPort(listener.get());
    client.BoundIP.clear();
    client.BoundPort = 0;
    client.Connect(3000);
    EXPECT_TRUE(client.Connected());
    client.Write("ok", 2);
    client.Disconnect();
    peer.join();
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
    std::function<void(TTcpClient&, std::vector<UniqueFd>& held)> aim;
    std::type_index type;
    std::string message;
};

void PrintTo(const ConnectFailureCase& c, std::ostream* out) {
    *out << c.name;
}

class ConnectFailureTest : public testing::TestWithParam<ConnectFailureCase> {};

void aimAtClosedPort(TTcpClient& client, std::vector<UniqueFd>& held) {
    // Bound but not listening: the port stays ours and every connect to it is refused.
    held.push_back(loopbackSocket(-1));
    client.Host = "127.0.0.1";
    client.Port = localPort(held.back().get());
}

const std::string kRefused = "Socket Error # 10061\r\nConnection refused.";

TEST_P(ConnectFailureTest, FailsQuicklyWithItsMessageAndLeavesNoSocket) {
    const ConnectFailureCase& c = GetParam();
    std::vector<UniqueFd> held;
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
        ConnectFailureCase{"LocalPortInUse", 3000,
                           [](TTcpClient& client, std::vector<UniqueFd>& held) {
                               held.push_back(loopbackSocket(4));
                               client.Host = "127.0.0.1";
                               client.Port = localPort(held.back().get());
                               client.BoundIP = "127.0.0.1";
                               client.BoundPort = client.Port;
                           },
                           typeid(ECouldNotBindSocket),
                           "Could not bind socket. Address and port are already in use."},
        ConnectFailureCase{"PortOutOfRange", 3000,
                           [](TTcpClient& client, std::vector<UniqueFd>&) {
                               client.Host = "127.0.0.1";
                               client.Port = 65536 + 23;
                           },
                           typeid(ESocketError), "Socket Error # 10022\r\nInvalid argument."},
        ConnectFailureCase{"UnknownName", 3000,
                           [](TTcpClient& client, std::vector<UniqueFd>&) {
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
    UniqueFd listener = loopbackSocket(0);
    const int port = localPort(listener.get());
    std::vector<UniqueFd> queued;
    queued.push_back(startConnect(port));
    queued.push_back(startConnect(port));

    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = port;
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
    UniqueFd listener = loopbackSocket(4);
    PeerReader peer(listener.get());
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = localPort(listener.get());
    client.Connect(3000);

    for (const int timeout : {3000, 0}) {
        const Failure failure = failureOf([&] { client.Connect(timeout); });
        EXPECT_EQ(failure.type, std::type_index(typeid(EAlreadyConnected)));
        EXPECT_EQ(failure.message, "Already connected.");
    }
    EXPECT_TRUE(client.Connected());
    client.Write("still here", 10);
    client.Disconnect();
    peer.join();
    EXPECT_EQ(peer.received(), "still here");
    EXPECT_TRUE(peer.endedInOrder());
}

struct DeliveryCase {
    const char* name;
    std::size_t size;
    int receiveBuffer;
    PeerReader::Options peer;
};

void PrintTo(const DeliveryCase& c, std::ostream* out) {
    *out << c.name;
}

class DeliveryTest : public testing::TestWithParam<DeliveryCase> {};

TEST_P(DeliveryTest, DisconnectRightAfterWriteDeliversEveryByteAndAnOrderlyEnd) {
    const DeliveryCase& c = GetParam();
    UniqueFd listener = loopbackSocket(4, c.receiveBuffer);
    const int fdsBefore = openFdCount();
    PeerReader peer(listener.get(), c.peer);
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = localPort(listener.get());
    client.Connect(3000);
    peer.waitUntilGreeted();

    const std::string bytes = patternBytes(c.size);
    client.Write(bytes.data(), static_cast<int>(bytes.size()));
    client.Disconnect();
    EXPECT_FALSE(client.Connected());
    peer.join();

    EXPECT_TRUE(peer.endedInOrder()) << "read error " << peer.readError();
    EXPECT_EQ(peer.received().size(), bytes.size());
    EXPECT_TRUE(peer.received() == bytes) << "bytes differ";
    EXPECT_EQ(openFdCount(), fdsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeliveryTest,
    testing::Values(
        // A sign that takes its data slowly: the write waits for room again and again.
        DeliveryCase{
            "SlowReader", 40000, 2048, {"", milliseconds(50), 512, std::chrono::microseconds(300)}},
        // A peer that said something first, which the link never reads: the close must not
        // turn into a reset that throws away the bytes still on their way.
        DeliveryCase{
            "PeerSpokeFirst", 40000, 2048, {"\xFF\xFD\x18 hello", milliseconds(100), 4096, {}}},
        DeliveryCase{"LargeBuffer", 4000000, 0, {}}),
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

    UniqueFd listener = loopbackSocket(4);
    PeerReader peer(listener.get(), {"", milliseconds(20), 16384, {}});
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = localPort(listener.get());
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
    peer.join();
    ::sigaction(SIGUSR1, &previous, nullptr);

    EXPECT_EQ(peer.received().size(), bytes.size());
    EXPECT_TRUE(peer.received() == bytes) << "bytes differ";
}

struct LostConnectionCase {
    const char* name;
    PeerReader::Options peer;
    bool peerGoneFirst;
    std::string message;
};

void PrintTo(const LostConnectionCase& c, std::ostream* out) {
    *out << c.name;
}

class LostConnectionTest : public testing::TestWithParam<LostConnectionCase> {};

TEST_P(LostConnectionTest, WriteFailsWithTheSocketErrorClosesTheSocketAndTheProcessLives) {
    const LostConnectionCase& c = GetParam();
    UniqueFd listener = loopbackSocket(4, 4096);
    PeerReader peer(listener.get(), c.peer);
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = localPort(listener.get());
    const int fdsBefore = openFdCount();
    client.Connect(3000);
    if (c.peerGoneFirst)
        peer.join();

    // Far more than the buffers on the way hold, so the write is still running when the peer
    // answers with a reset. A write that raised SIGPIPE would end the test process here.
    const std::string bytes = patternBytes(16000000);
    const Failure failure =
        failureOf([&] { client.Write(bytes.data(), static_cast<int>(bytes.size())); });
    peer.join();

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
    testing::Values(LostConnectionCase{"PeerResetsDuringWrite",
                                       {"", milliseconds(0), 1024, {}, false, 1000},
                                       false,
                                       "Socket Error # 10054\r\nConnection reset by peer."},
                    // The peer ended the connection before the write; it answers the data with a
                    // reset, which the system reports as a broken pipe.
                    LostConnectionCase{
                        "PeerClosedBeforeWrite",
                        {"", milliseconds(0), 1024, {}, true, 0},
                        true,
                        "Socket Error # 10058\r\nCannot send or receive after socket is "
                        "closed."}),
    [](const testing::TestParamInfo<LostConnectionCase>& info) { return info.param.name; });

TEST(TcpClientTest, HostFormsReachTheLoopbackWithoutALookUp) {
    UniqueFd listener = loopbackSocket(8);
    const int port = localPort(listener.get());
    for (const char* host :
         {"LOCALHOST", "localhost", "LocalHost", "127.0.0.1", "127.1", "127.0.1", "2130706433"}) {
        SCOPED_TRACE(host);
        PeerReader peer(listener.get());
        TTcpClient client;
        std::vector<std::string> statuses;
        client.OnStatus = [&](const std::string& text) { statuses.push_back(text); };
        client.Host = host;
        client.Port = port;
        client.Connect(3000);
        client.Write(host, static_cast<int>(std::string(host).size()));
        client.Disconnect();
        peer.join();
        EXPECT_EQ(peer.received(), host);
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
