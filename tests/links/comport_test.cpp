#include "links/comport.h"
#include "links/comport_errors.h"
#include "support/core/process_counts.h"
#include "support/core/test_env.h"
#include "support/core/test_pty.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <termios.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

namespace {

// Polls `done` until it holds or `timeoutMs` has passed; its last answer.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Every byte value, the line-discipline characters (NUL, CR, LF, XON, XOFF, ^C) included, in
// an order that shows a lost or repeated stretch.
std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + i / 256) & 0xFF);
    return bytes;
}

// Puts `bytes` as the send command does: chunks of 200, waiting after each until the queue is
// empty. False when the queue did not drain in time.
bool sendInChunks(TComPort& port, const std::string& bytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (std::size_t at = 0; at < bytes.size(); at += 200) {
        for (std::size_t i = at; i < std::min(bytes.size(), at + 200); ++i)
            port.PutByte(static_cast<std::uint8_t>(bytes[i]));
        while (port.OutPending() > 0) {
            port.ServicePort();
            if (std::chrono::steady_clock::now() > deadline)
                return false;
        }
    }
    return true;
}

class ComPortTest : public testing::Test {
protected:
    void SetUp() override {
        port.ComNumber = 1;
        port.DeviceResolver = [this](unsigned n) {
            return n == 1 ? pty.path() : dir.file("missing" + std::to_string(n));
        };
        // Some runtimes start a helper thread along with the first thread of the process.
        std::thread([] {}).join();
        baseFds = openFdCount();
        baseThreads = threadCount();
    }

    // Nothing of an opening is left: no descriptor and no thread.
    void expectNothingLeft() {
        EXPECT_EQ(openFdCount(), baseFds);
        EXPECT_TRUE(waitUntil([&] { return threadCount() == baseThreads; }))
            << threadCount() << " threads, " << baseThreads << " before";
    }

    TempDir dir;
    TestPty pty;
    TComPort port;
    int baseFds = 0;
    int baseThreads = 0;
};

TEST_F(ComPortTest, HundredThousandBytesArriveCompleteAndInOrder) {
    const std::string sent = pattern(100000);
    std::string received;
    std::thread reader([&] { received = pty.read(sent.size(), 5000); });
    port.Open(true);
    ASSERT_TRUE(port.Open());
    const bool drained = sendInChunks(port, sent);
    port.Open(false);
    reader.join();
    EXPECT_TRUE(drained);
    ASSERT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent)
        << "first difference at byte "
        << std::mismatch(sent.begin(), sent.end(), received.begin()).first - sent.begin();
    expectNothingLeft();
}

// A caller waiting on the port is woken when its queue has gone out, not at the end of its wait.
TEST_F(ComPortTest, AWaitEndsWhenTheQueueHasGoneOut) {
    using Clock = std::chrono::steady_clock;
    port.Open(true);
    // Generous bounds, for slow builds (ThreadSanitizer): a reader that gave up early would
    // leave the drain waiting, and only a wait that is not woken lasts its whole 30 seconds.
    std::thread reader([&] { pty.read(100, 20000); });
    for (char byte : pattern(100))
        port.PutByte(static_cast<std::uint8_t>(byte));
    const auto start = Clock::now();
    while (port.OutPending() > 0 && Clock::now() - start < std::chrono::seconds(20))
        port.WaitOutput(std::chrono::seconds(30));
    EXPECT_EQ(port.OutPending(), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
    reader.join();

    port.Open(false);
    expectNothingLeft();
}

// A pseudo-terminal read slowly frees room in small pieces without waking a writer that waits
// for room; the port must still take each piece as it comes, not only once the reader has
// emptied the terminal (seconds later), or a slow line looks stalled.
TEST(ComPortSlowReaderTest, TakesTheRoomThatASlowReaderMakes) {
    PtyReader reader({.bytesPerSecond = 4000});
    TComPort port;
    port.ComNumber = 1;
    port.DeviceResolver = [&reader](unsigned) { return reader.path(); };
    port.Open(true);
    using Clock = std::chrono::steady_clock;
    std::chrono::duration<double> longest{};
    int runsAfterFull = 0;
    const std::string run = pattern(200);
    for (int i = 0; i < 300 && runsAfterFull < 10; ++i) {
        const auto start = Clock::now();
        for (char byte : run)
            port.PutByte(static_cast<std::uint8_t>(byte));
        while (port.OutPending() > 0 && Clock::now() - start < std::chrono::seconds(10))
            port.ServicePort();
        const auto took = Clock::now() - start;
        // The terminal is full once a run has to wait for the reader.
        if (runsAfterFull > 0 || took > std::chrono::milliseconds(20)) {
            ++runsAfterFull;
            longest = std::max<std::chrono::duration<double>>(longest, took);
        }
    }
    port.Open(false);
    EXPECT_EQ(runsAfterFull, 10) << "the terminal never filled";
    // At 4000 bytes a second a run goes in 50 ms; the reader empties the terminal in seconds.
    EXPECT_LT(longest.count(), 1.0);
}

TEST_F(ComPortTest, FullQueueRejectsTheNextByteAndKeepsWhatItHolds) {
    const std::size_t filler = pty.fill('F');
    ASSERT_GT(filler, 0u);
    port.Open(true);
    for (int i = 0; i < 4096; ++i)
        port.PutByte(static_cast<std::uint8_t>('a' + i % 26));
    EXPECT_EQ(port.OutPending(), 4096);
    try {
        port.PutByte('!');
        FAIL() << "the 4097th byte was taken";
    } catch (const EOutputBufferTooSmall& e) {
        EXPECT_EQ(e.code(), -3006);
        EXPECT_STREQ(e.what(), "Output buffer too small for block");
    }
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(port.OutPending(), 4096);

    // Once the reader reads, the queue drains and its bytes follow the filler unchanged.
    std::string expected(filler, 'F');
    for (int i = 0; i < 4096; ++i)
        expected += static_cast<char>('a' + i % 26);
    const std::string received = pty.read(expected.size(), 5000);
    EXPECT_TRUE(waitUntil([&] { return port.OutPending() == 0; }));
    EXPECT_TRUE(received == expected) << received.size() << " of " << expected.size();
    port.Open(false);
    expectNothingLeft();
}

TEST_F(ComPortTest, ClosingWithOutputPendingDropsItAndLeavesNothing) {
    pty.fill('F');
    port.Open(true);
    for (int i = 0; i < 1000; ++i)
        port.PutByte('P');
    EXPECT_EQ(port.OutPending(), 1000);

    const auto start = std::chrono::steady_clock::now();
    port.Open(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.OutPending(), 0);
    expectNothingLeft();
    const std::string received = pty.read(100000, 200);
    EXPECT_EQ(received.find('P'), std::string::npos);
}

// Closing after the queue has drained must not purge the device: a pseudo-terminal reports
// its output drained while the bytes still wait for the reader.
TEST_F(ComPortTest, ClosingAfterTheQueueDrainedKeepsTheTail) {
    const std::string sent = pattern(5000);
    port.Open(true);
    ASSERT_TRUE(sendInChunks(port, sent));
    port.Open(false);
    const std::string received = pty.read(sent.size());
    EXPECT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
}

TEST_F(ComPortTest, DestroyingAnOpenPortClosesIt) {
    {
        TComPort other;
        other.ComNumber = 1;
        other.DeviceResolver = port.DeviceResolver;
        other.Open(true);
        pty.fill('F');
        other.PutByte('x');
    }
    expectNothingLeft();
    // The device is free again.
    port.Open(true);
    EXPECT_TRUE(port.Open());
}

TEST_F(ComPortTest, OpeningTwiceOpensOnceAndClosingAClosedPortDoesNothing) {
    int opened = 0;
    port.OnPortOpen = [&] { ++opened; };
    port.Open(false);
    EXPECT_EQ(openFdCount(), baseFds);
    port.Open(true);
    const int fdsOpen = openFdCount();
    port.Open(true);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(openFdCount(), fdsOpen);
    port.Open(false);
    port.Open(false);
    EXPECT_FALSE(port.Open());
    expectNothingLeft();
}

TEST_F(ComPortTest, PuttingOnAClosedPortOpensItOnlyWithAutoOpen) {
    port.AutoOpen = false;
    EXPECT_THROW(port.PutByte('x'), ECommNotOpen);
    try {
        port.ServicePort();
        FAIL() << "ServicePort ran on a closed port";
    } catch (const ECommNotOpen& e) {
        EXPECT_EQ(e.code(), -2007);
        EXPECT_STREQ(e.what(), "Device not open");
    }
    EXPECT_FALSE(port.Open());

    port.AutoOpen = true;
    port.PutByte('x');
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(pty.read(1), "x");
    port.Open(false);
    port.ServicePort();
    EXPECT_TRUE(port.Open());
}

TEST_F(ComPortTest, OpeningRequestedWhileClosingRunsWhenTheCloseCompletes) {
    int opened = 0;
    std::optional<TPortState> stateSeen;
    port.OnPortOpen = [&] { ++opened; };
    port.OnPortClose = [&] {
        stateSeen = port.state();
        port.PutByte('z'); // ignored while closing
        EXPECT_EQ(port.OutPending(), 0);
        port.OnPortClose = nullptr;
        port.Open(true); // reopen pending
        EXPECT_FALSE(port.Open());
    };
    port.Open(true);
    port.Open(false);
    EXPECT_EQ(stateSeen, TPortState::Closing);
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(port.state(), TPortState::Open);
    EXPECT_EQ(pty.read(1, 100), "");
    port.Open(false);
    expectNothingLeft();
}

TEST_F(ComPortTest, PromptChoosesThePortWhenNoneIsSet) {
    port.ComNumber = 0;
    int asked = 0;
    port.PortPrompt = [&](const TComPort&) -> std::optional<unsigned> {
        ++asked;
        return 1;
    };
    port.Open(true);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(port.ComNumber, 1);
    port.Open(false);
    // The number stays chosen.
    port.Open(true);
    EXPECT_EQ(asked, 1);
}

// Each opening failure leaves the port closed with nothing acquired, and the next opening
// starts afresh once the cause is gone.
struct FailureEnv {
    TComPort& port;
    TestPty& pty;
    TempDir& dir;
    int& lockFd;
};

struct OpenFailureCase {
    const char* name;
    std::function<void(FailureEnv&)> cause;
    std::function<void(FailureEnv&)> cure;
    std::function<bool(const EPortException&)> isExpectedClass;
    int code;
    std::string message;
};

// Test names and failures show the case by its name, not its bytes.
void PrintTo(const OpenFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class OpenFailureTest : public ComPortTest, public testing::WithParamInterface<OpenFailureCase> {
protected:
    void TearDown() override {
        if (lockFd >= 0)
            ::close(lockFd);
    }
    int lockFd = -1;
};

TEST_P(OpenFailureTest, FailsLeavesNothingAndOpensOnceCured) {
    const OpenFailureCase& c = GetParam();
    FailureEnv env{port, pty, dir, lockFd};
    const auto resolver = port.DeviceResolver;
    c.cause(env);
    baseFds = openFdCount();
    try {
        port.Open(true);
        FAIL() << "the port opened";
    } catch (const EPortException& e) {
        EXPECT_TRUE(c.isExpectedClass(e)) << typeid(e).name();
        EXPECT_EQ(e.code(), c.code);
        EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.state(), TPortState::Closed);
    expectNothingLeft();

    c.cure(env);
    port.DeviceResolver = resolver;
    port.Open(true);
    EXPECT_TRUE(port.Open());
    port.PutByte('k');
    EXPECT_EQ(pty.read(1), "k");
}

template <class T>
bool is(const EPortException& e) {
    return dynamic_cast<const T*>(&e) != nullptr;
}

void useSlave(FailureEnv& env) {
    env.port.ComNumber = 1;
}

const std::string kBadArgument = std::strerror(EINVAL);
const std::string kNotSet = "The ComNumber property of the port has not been set";

INSTANTIATE_TEST_SUITE_P(
    Causes, OpenFailureTest,
    testing::Values(
        OpenFailureCase{"MissingDevice", [](FailureEnv& e) { e.port.ComNumber = 9; }, useSlave,
                        is<EBadId>, -2001, "Specified comport doesn't exist"},
        OpenFailureCase{"HeldByAnotherDescriptor",
                        [](FailureEnv& e) {
                            e.lockFd = ::open(e.pty.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
                            ASSERT_EQ(::flock(e.lockFd, LOCK_EX | LOCK_NB), 0);
                        },
                        [](FailureEnv& e) {
                            ::close(e.lockFd);
                            e.lockFd = -1;
                        },
                        is<EAlreadyOpen>, -2008, "Device already open"},
        OpenFailureCase{"NotADevice",
                        [](FailureEnv& e) {
                            writeFileBytes(e.dir.file("plain"), "x");
                            const std::string plain = e.dir.file("plain");
                            e.port.DeviceResolver = [plain](unsigned) { return plain; };
                        },
                        [](FailureEnv&) {}, is<EInOutError>, -ENOTTY, std::strerror(ENOTTY)},
        OpenFailureCase{"SpeedThatTermiosCannotTake", [](FailureEnv& e) { e.port.Baud = 12345; },
                        [](FailureEnv& e) { e.port.Baud = 9600; }, is<EInOutError>, -EINVAL,
                        kBadArgument},
        // A pseudo-terminal keeps 8 data bits without parity whatever it is asked.
        OpenFailureCase{"ParityThatTheDeviceDrops", [](FailureEnv& e) { e.port.Parity = pEven; },
                        [](FailureEnv& e) { e.port.Parity = pNone; }, is<EInOutError>, -EINVAL,
                        kBadArgument},
        OpenFailureCase{"NineDataBits", [](FailureEnv& e) { e.port.DataBits = 9; },
                        [](FailureEnv& e) { e.port.DataBits = 8; }, is<EInOutError>, -EINVAL,
                        kBadArgument},
        OpenFailureCase{"ThreeStopBits", [](FailureEnv& e) { e.port.StopBits = 3; },
                        [](FailureEnv& e) { e.port.StopBits = 1; }, is<EInOutError>, -EINVAL,
                        kBadArgument},
        OpenFailureCase{"NoPortAndNoPrompt", [](FailureEnv& e) { e.port.ComNumber = 0; }, useSlave,
                        is<ENoPortSelected>, -2011, kNotSet},
        OpenFailureCase{"PromptSwitchedOff",
                        [](FailureEnv& e) {
                            e.port.ComNumber = 0;
                            e.port.PromptForPort = false;
                            e.port.PortPrompt = [](const TComPort&) -> std::optional<unsigned> {
                                ADD_FAILURE() << "prompted although switched off";
                                return 1;
                            };
                        },
                        useSlave, is<ENoPortSelected>, -2011, kNotSet},
        OpenFailureCase{"PromptCancelled",
                        [](FailureEnv& e) {
                            e.port.ComNumber = 0;
                            e.port.PortPrompt = [](const TComPort&) {
                                return std::optional<unsigned>();
                            };
                        },
                        [](FailureEnv& e) {
                            EXPECT_EQ(e.port.ComNumber, 0);
                            e.port.PortPrompt = [](const TComPort&) {
                                return std::optional<unsigned>(1);
                            };
                        },
                        is<ENoPortSelected>, -2011, kNotSet}),
    [](const testing::TestParamInfo<OpenFailureCase>& info) {
        return std::string(info.param.name);
    });

// The settings read back from the device after opening.
struct LineCase {
    const char* name;
    std::int32_t baud;
    TParity parity;
    std::uint16_t dataBits;
    std::uint16_t stopBits;
    speed_t speed;
    tcflag_t frame;
};

// Test names and failures show the case by its name, not its bytes.
void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class LineSettingsTest : public ComPortTest, public testing::WithParamInterface<LineCase> {};

TEST_P(LineSettingsTest, DeviceTakesTheSettingsInRawMode) {
    const LineCase& c = GetParam();
    termios before{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &before), 0);
    ::cfsetspeed(&before, B4800);
    ASSERT_EQ(::tcsetattr(pty.slave(), TCSANOW, &before), 0);

    port.Baud = c.baud;
    port.Parity = c.parity;
    port.DataBits = c.dataBits;
    port.StopBits = c.stopBits;
    port.Open(true);
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), c.speed);
    EXPECT_EQ(::cfgetispeed(&t), c.speed);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB | CMSPAR), c.frame);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), CREAD | CLOCAL);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | INPCK | PARMRK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LineSettingsTest,
    testing::Values(LineCase{"Default19200_8N1", 19200, pNone, 8, 1, B19200, CS8},
                    LineCase{"Slowest300", 300, pNone, 8, 1, B300, CS8},
                    LineCase{"Fast115200", 115200, pNone, 8, 1, B115200, CS8},
                    LineCase{"TwoStopBits", 9600, pNone, 8, 2, B9600, CS8 | CSTOPB},
                    LineCase{"ZeroKeepsTheSpeed", 0, pNone, 8, 1, B4800, CS8}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

// A reader that goes away in the middle of a send: the failed write is not counted as sent,
// and the caller meets it at the next PutByte or ServicePort.
struct VanishCase {
    const char* name;
    bool writerBlocked; // the output thread waits on a full device when the reader goes
};

// Test names and failures show the case by its name, not its bytes.
void PrintTo(const VanishCase& c, std::ostream* os) {
    *os << c.name;
}

class ReaderVanishesTest : public ComPortTest, public testing::WithParamInterface<VanishCase> {};

TEST_P(ReaderVanishesTest, FailureReachesTheCaller) {
    port.Open(true);
    if (GetParam().writerBlocked)
        pty.fill('F');
    else
        pty.closeMaster();
    int put = 0;
    bool raised = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    try {
        for (; put < 300; ++put)
            port.PutByte('P');
        if (GetParam().writerBlocked)
            pty.closeMaster();
        while (port.OutPending() > 0 && std::chrono::steady_clock::now() < deadline)
            port.ServicePort();
    } catch (const EInOutError& e) {
        raised = true;
        EXPECT_EQ(e.ErrorCode, 160);
        EXPECT_EQ(e.code(), -160);
        EXPECT_STREQ(e.what(), "Device write error");
    }
    ASSERT_TRUE(raised) << "OutPending " << port.OutPending();
    EXPECT_GT(put, 0);
    EXPECT_EQ(port.OutPending(), put);
    EXPECT_THROW(port.PutByte('Q'), EInOutError);
    EXPECT_THROW(port.ServicePort(), EInOutError);
    EXPECT_EQ(port.OutPending(), put);
    EXPECT_TRUE(port.Open());
    port.Open(false);
    pty.closeMaster();
    --baseFds; // the master has gone
    expectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(When, ReaderVanishesTest,
                         testing::Values(VanishCase{"WhileTheWriterWaits", true},
                                         VanishCase{"BeforeTheNextWrite", false}),
                         [](const testing::TestParamInfo<VanishCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
