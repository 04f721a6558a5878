// lumavane-gateway and lumavane-send as they run on the computers of a fleet: real processes
// and a real Mosquitto broker with a password file and an ACL, signs on loopback listeners and a
// pseudo-terminal.

#include "broker/broker_link.h"
#include "fleet/gateway_protocol.h"
#include "model/block.h"
#include "model/message_file.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"
#include "support/core/loopback_peer.h"
#include "support/core/test_broker.h"
#include "support/core/test_pty.h"
#include "support/desktop/child_process.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <signal.h>

namespace {

using namespace std::chrono_literals;

std::vector<std::string> gatewayAcl(const std::string& name) {
    const std::string root = "topic write lumavane/" + name;
    return {"topic read lumavane/" + name + "/+/send", root + "/availability", root + "/+/result",
            root + "/+/state"};
}

const std::vector<TestBroker::User> kUsers = {
    {"lumavane-send",
     "send-secret",
     {"topic write lumavane/+/+/send", "topic read lumavane/+/+/result",
      "topic read lumavane/+/+/state", "topic read lumavane/+/availability"}},
    {"east", "east-secret", gatewayAcl("east")},
    {"west", "west-secret", gatewayAcl("west")},
};

// A block of every byte that a block's text can hold, and one with markup.
std::vector<std::string> message() {
    std::string every;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            every += static_cast<char>(b);
    }
    return {"NotCentered," + every, "Centered,^G^OPEN ^F^NOW"};
}

std::string streamOf(const std::vector<std::string>& lines) {
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, lines, 1, 20);
    return std::string(buffer.bytes());
}

// What a client of the broker sees: the last message of each topic it watches. It publishes
// too, as the user lumavane-send.
class Watcher {
public:
    Watcher(const TestBroker& broker, std::vector<std::string> topics)
        : link_(options(broker)) {
        link_.OnConnected = [this, topics] { link_.Subscribe(topics, {}); };
        link_.OnMessage = [this](const TBrokerMessage& in) {
            std::lock_guard<std::mutex> lock(mutex_);
            last_[in.topic] = in.payload;
            changed_.notify_all();
        };
        link_.Start();
    }

    // Waits until `topic` holds a payload that `holds` accepts; whether it came.
    bool waitFor(const std::string& topic, const std::function<bool(const std::string&)>& holds) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, 10s,
                                 [&] { return last_.count(topic) > 0 && holds(last_[topic]); });
    }
    bool waitFor(const std::string& topic, std::string_view payload) {
        return waitFor(topic, [&](const std::string& p) { return p == payload; });
    }
    // Forgets what `topic` held, so that the next wait is for a message still to come.
    void forget(const std::string& topic) {
        std::lock_guard<std::mutex> lock(mutex_);
        last_.erase(topic);
    }
    TBrokerLink& link() { return link_; }

private:
    static TBrokerOptions options(const TestBroker& broker) {
        TBrokerOptions o;
        o.host = "127.0.0.1";
        o.port = broker.port();
        o.user = "lumavane-send";
        o.password = "send-secret";
        o.firstRetry = 100ms;
        return o;
    }

    TBrokerLink link_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::string> last_;
};

class GatewayToolTest : public testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = TestBroker::missing(); !why.empty())
            GTEST_SKIP() << why;
        broker = std::make_unique<TestBroker>(kUsers);
        watcher = std::make_unique<Watcher>(
            *broker, std::vector<std::string>{"lumavane/+/availability", "lumavane/+/+/state"});
    }

    // The [Gateway] section with the user's password in a file of its own.
    std::string gatewaySection(const std::string& user, const std::string& password) {
        const std::string file = dir.file(user + ".password");
        writeFileBytes(file, password + "\n");
        ::chmod(file.c_str(), 0600);
        return "[Gateway]\r\nBroker=" + broker->url() + "\r\nUser=" + user +
               "\r\nPasswordFile=" + file + "\r\n";
    }

    // Starts the gateway `name` with its signs (sections [Sign ...]) and waits until it is online.
    ChildProcess& startGateway(const std::string& name, const std::string& signs) {
        const std::string config = dir.file(name + ".ini");
        const std::string password = name == "east" ? "east-secret" : "west-secret";
        writeFileBytes(config, gatewaySection(name, password) + "Name=" + name + "\r\n" + signs);
        ::chmod(config.c_str(), 0600);
        watcher->forget(availabilityTopic(name));
        gateways[name] = std::make_unique<ChildProcess>(
            std::vector<std::string>{LUMAVANE_GATEWAY_TOOL, "--config", config}, ChildEnvironment(),
            dir.file(name + ".log"));
        EXPECT_TRUE(watcher->waitFor(availabilityTopic(name), kOnline))
            << readFileBytes(dir.file(name + ".log"));
        return *gateways[name];
    }

    // Runs lumavane-send with a settings file of these signs and the sender's password.
    ToolResult send(const std::string& signs, std::vector<std::string> args,
                    const std::string& password = "send-secret") {
        const std::string settings = dir.file("sender.ini");
        writeFileBytes(settings, gatewaySection("lumavane-send", password) + signs);
        writeMessageFile(dir.file("message.lsm"), message());
        ChildEnvironment env;
        env.set("LUMAVANE_INI", settings);
        args.insert(args.begin(), LUMAVANE_SEND_TOOL);
        args.insert(args.end(), {"--line", "1", "--width", "20", dir.file("message.lsm")});
        return runTool(args, env, 40s);
    }

    TempDir dir;
    std::unique_ptr<TestBroker> broker;
    std::unique_ptr<Watcher> watcher;
    std::map<std::string, std::unique_ptr<ChildProcess>> gateways;
};

std::string tcpSign(const std::string& name, const LoopbackPeer& peer) {
    return "[Sign " + name + "]\r\nPort=5\r\nIP=127.0.0.1:" + std::to_string(peer.port()) + "\r\n";
}

TEST_F(GatewayToolTest, EveryGoodSignGetsTheExactBytesAndTheOthersTellWhy) {
    LoopbackPeer a;
    PtyReader b;
    LoopbackPeer c;
    LoopbackPeer d(LoopbackPeer::Behaviour::Refuse);
    startGateway("east", tcpSign("a", a) + "[Sign b]\r\nDevice=" + b.path() + "\r\nBaud=19200\r\n");
    startGateway("west", tcpSign("c", c) + tcpSign("d", d));

    const ToolResult run = send("[Sign a]\r\nGateway=east\r\n[Sign b]\r\nGateway=east\r\n"
                                "[Sign c]\r\nGateway=west\r\n[Sign d]\r\nGateway=west\r\n"
                                "[Sign e]\r\nGateway=east\r\n",
                                {"--all-signs"});
    const std::string stream = streamOf(message());
    const std::string all = std::to_string(stream.size());
    EXPECT_EQ(run.exitCode, 1) << run.out;
    // The serial sign's count is of bytes handed to the line, which cannot tell more.
    for (const std::string& sign :
         {"a\tGateway east\t" + all + " of " + all + " bytes\t",
          "b\tGateway east\t" + all + " of " + all + " bytes handed to the link\t",
          "c\tGateway west\t" + all + " of " + all + " bytes\t"})
        EXPECT_NE(run.out.find(sign + "sent\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("d\tGateway west\t0 of " + all +
                           " bytes\tfailed: ERROR Connecting to IP Address."),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("e\tGateway east\t0 of " + all +
                           " bytes\tfailed: The gateway east does not serve the sign e"),
              std::string::npos)
        << run.out;
    ASSERT_TRUE(a.waitForFinished(1) && c.waitForFinished(1));
    EXPECT_TRUE(a.received() == stream);
    EXPECT_TRUE(c.received() == stream);
    EXPECT_TRUE(b.read(stream.size()) == stream);

    // The sign's retained state tells what it took.
    const QByteArray bytes(stream.data(), static_cast<qsizetype>(stream.size()));
    const std::string sha =
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
    EXPECT_TRUE(watcher->waitFor(signTopic("east", "b", "state"), [&](const std::string& json) {
        const std::optional<TGatewayResult> state = readResult(json);
        return state && state->result == "sent" && state->bytes == stream.size() &&
               state->sha256 == sha && !state->time.empty();
    }));
}

TEST_F(GatewayToolTest, AKilledGatewayIsOfflineAndItsSignsAreNotSentTo) {
    LoopbackPeer a;
    ChildProcess& east = startGateway("east", tcpSign("a", a));
    ::kill(east.pid(), SIGKILL);
    EXPECT_TRUE(watcher->waitFor(availabilityTopic("east"), kOffline));

    const ToolResult run = send("[Sign a]\r\nGateway=east\r\n", {"--sign", "a"});
    EXPECT_EQ(run.exitCode, 4) << run.out;
    EXPECT_NE(run.out.find("failed: The gateway east is offline."), std::string::npos) << run.out;
    EXPECT_EQ(a.accepted(), 0);
}

TEST_F(GatewayToolTest, ARetainedSendIsNeverActedOn) {
    LoopbackPeer a;
    startGateway("east", tcpSign("a", a));
    TGatewayCommand command;
    command.id = "retained-by-another-client";
    command.message = joinMessageLines({"NotCentered,STALE"});
    TBrokerMessage retained = commandMessage(command, "east", "a", 3600);
    retained.retain = true;
    watcher->link().Publish(retained);
    // Refused by the gateway that runs, and held by the broker for the next one.
    auto refused = [&] {
        return readFileBytes(dir.file("east.log")).find("a command is never retained") !=
               std::string::npos;
    };
    EXPECT_TRUE(waitUntil(refused, 5s));
    gateways["east"]->stop(SIGTERM, 5s);
    startGateway("east", tcpSign("a", a));
    const ToolResult run = send("[Sign a]\r\nGateway=east\r\n", {"--sign", "a"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    ASSERT_TRUE(a.waitForFinished(1));
    EXPECT_EQ(a.connections().size(), 1u);
    EXPECT_TRUE(a.received() == streamOf(message()));
}

TEST_F(GatewayToolTest, AWrongPasswordIsRefusedWithTheBrokersReason) {
    const ToolResult run = send("[Sign a]\r\nGateway=east\r\n", {"--sign", "a"}, "guessed");
    EXPECT_EQ(run.exitCode, 4) << run.out;
    EXPECT_NE(run.out.find("failed: The broker refused the user lumavane-send: not authorised."),
              std::string::npos)
        << run.out;
}

TEST_F(GatewayToolTest, AGatewaySurvivesABrokerRestart) {
    PtyReader a;
    startGateway("east", "[Sign a]\r\nDevice=" + a.path() + "\r\nBaud=19200\r\n");
    broker->stop();
    watcher->forget(availabilityTopic("east"));
    broker->start();
    // Nothing is kept across the restart: "online" is there only once the gateway is back.
    ASSERT_TRUE(watcher->waitFor(availabilityTopic("east"), kOnline));

    const ToolResult run = send("[Sign a]\r\nGateway=east\r\n", {"--sign", "a"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    const std::string stream = streamOf(message());
    EXPECT_TRUE(a.read(stream.size()) == stream);
}

} // namespace
