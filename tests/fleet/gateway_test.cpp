// The rules of the gateways without a broker: what a gateway acts on, what results say, the
// [Gateway] section and its files, and the signs that hang on a gateway.

#include "fleet/gateway_protocol.h"
#include "fleet/gateway_settings.h"
#include "fleet/sign_choice.h"
#include "model/message_file.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(GatewayTest, ActsOnlyOnLiveExpiringCommandsWithUsableValues) {
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte += static_cast<char>(b);
    TGatewayCommand send;
    send.id = "a1-B2_c3.d4";
    send.message = everyByte;
    send.start = 0;
    send.width = 999;
    const TBrokerMessage good = commandMessage(send, "east", "door", 60);
    auto with = [&](const std::function<void(TBrokerMessage&)>& change) {
        TBrokerMessage m = good;
        change(m);
        return m;
    };
    auto property = [](TBrokerMessage& m, const char* name, const char* value) {
        for (auto& [key, text] : m.properties) {
            if (key == name)
                text = value;
        }
    };
    const struct {
        const char* name;
        TBrokerMessage message;
        const char* refusal; // empty: acted on
    } cases[] = {
        {"Send", good, ""},
        {"Retained", with([](TBrokerMessage& m) { m.retain = true; }), "never retained"},
        {"NoExpiry", with([](TBrokerMessage& m) { m.expiry.reset(); }), "expiry interval"},
        {"NoId", with([&](TBrokerMessage& m) { property(m, "id", ""); }), "no usable id"},
        {"IdWithSlash", with([&](TBrokerMessage& m) { property(m, "id", "a/b"); }), "no usable id"},
        {"LineTooHigh", with([&](TBrokerMessage& m) { property(m, "line", "100"); }), "its line"},
        {"WidthZero", with([&](TBrokerMessage& m) { property(m, "width", "0"); }), "its width"},
        {"OtherCommand", with([&](TBrokerMessage& m) { property(m, "command", "reboot"); }),
         "no command"},
        {"NulByte", with([](TBrokerMessage& m) { m.payload += '\0'; }), "NUL byte at offset 255"},
        {"NoBlock", with([](TBrokerMessage& m) { m.payload.clear(); }), "no block line"},
        {"Cancel",
         commandMessage({TGatewayCommand::Kind::Cancel, "a1-B2_c3.d4"}, "east", "door", 60), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TCommandCheck check = checkCommand(c.message);
        EXPECT_NE(check.refusal.find(c.refusal), std::string::npos) << check.refusal;
        EXPECT_EQ(check.command.has_value(), std::string(c.refusal).empty());
        // A refusal keeps a usable id, so that the sender is told.
        if (c.message.property("id") == send.id) {
            EXPECT_EQ(check.id, send.id);
        }
    }
    const TCommandCheck check = checkCommand(good);
    ASSERT_TRUE(check.command);
    EXPECT_TRUE(check.command->message == everyByte);
    EXPECT_EQ(check.command->start, 0);
    EXPECT_EQ(check.command->width, 999);
    EXPECT_EQ(good.topic, "lumavane/east/door/send");
}

TEST(GatewayTest, ResultsAndStatesReadBackAsWritten) {
    const struct {
        const char* name;
        std::string reason;
        std::string readBack; // the reason as read back
    } cases[] = {
        {"Plain", "Socket Error # 10061 Connection refused.", ""},
        {"Quotes", "a \"b\" \\ c / d", ""},
        {"Controls", std::string("tab\tcr\rnul") + '\0' + "\x7f", ""},
        {"Utf8", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC", ""},
        // A byte that is no UTF-8 is read in the system's character set.
        {"Cp1252", "caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TGatewayResult state{"id-1", "broke-off", 4096, 9000, c.reason};
        state.handed = std::string(c.name) == "Quotes";
        state.time = utcTime(1743299999);
        state.sha256 = std::string(64, 'a');
        for (const std::string& json : {resultJson(state), stateJson(state)}) {
            const std::optional<TGatewayResult> read = readResult(json);
            ASSERT_TRUE(read) << json;
            EXPECT_EQ(read->id, "id-1");
            EXPECT_EQ(read->result, "broke-off");
            EXPECT_EQ(read->bytes, 4096u);
            EXPECT_EQ(read->total, 9000u);
            EXPECT_EQ(read->handed, state.handed);
            EXPECT_EQ(read->reason, c.readBack.empty() ? c.reason : c.readBack);
        }
        EXPECT_EQ(readResult(stateJson(state))->time, "2025-03-30T01:59:59Z");
    }
    TGatewayResult begun{"id-2", "sending", 0, 10};
    begun.seconds = 2.5;
    EXPECT_DOUBLE_EQ(readResult(resultJson(begun))->seconds, 2.5);
    for (const char* bad : {"", "{", "[1]", "{\"id\":\"x\"}", "{\"id\":{\"a\":1},\"result\":\"x\"}",
                            "{\"id\":\"x\",\"result\":\"y\"} trailing"})
        EXPECT_FALSE(readResult(bad)) << bad;
}

TEST(GatewayTest, ACommandDoneIsRememberedWithItsResult) {
    TDoneCommands done(2);
    done.remember("a", "ra");
    done.remember("b", "rb");
    done.remember("a", "ra2");
    EXPECT_EQ(done.resultOf("a"), "ra2");
    done.remember("c", "rc");
    EXPECT_FALSE(done.resultOf("a"));
    EXPECT_EQ(done.resultOf("b"), "rb");
    EXPECT_EQ(done.resultOf("c"), "rc");
}

TEST(GatewayTest, ReadsTheGatewaySectionAndRefusesFilesThatOthersCanReach) {
    const struct {
        const char* name;
        std::string section;
        std::string expected; // "host port tls name expiry", or the error's start
    } cases[] = {
        {"Plain", "Broker=mqtt://broker.local\r\nName=east\r\n", "broker.local 1883 0 east 60"},
        {"Tls", "Broker=mqtts://10.0.0.2\r\nName=e\r\nExpiry=5\r\n", "10.0.0.2 8883 1 e 5"},
        {"Port", "Broker=mqtt://127.0.0.1:18830/\r\nName=e\r\n", "127.0.0.1 18830 0 e 60"},
        {"NoBroker", "Name=east\r\n", "has no [Gateway] section with a Broker="},
        {"Http", "Broker=http://x\r\n", "is no broker"},
        {"BadPort", "Broker=mqtt://x:0\r\n", "the port is a whole number"},
        {"NoHost", "Broker=mqtt://:1883\r\n", "names no broker host"},
        {"SlashInName", "Broker=mqtt://x\r\nName=a/b\r\n", "cannot be a topic level"},
        {"BadExpiry", "Broker=mqtt://x\r\nName=e\r\nExpiry=0\r\n", "from 1 to 3600"},
    };
    TempDir dir;
    const std::string path = dir.file("gateway.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFileBytes(path, "[gateway]\r\n" + c.section);
        std::string got;
        try {
            const TGatewaySettings s = readGatewaySettings(path);
            got = s.address.host + " " + std::to_string(s.address.port) + " " +
                  std::to_string(s.address.tls) + " " + s.name + " " + std::to_string(s.expiry);
        } catch (const std::runtime_error& error) {
            got = error.what();
            if (got.find(c.expected) != std::string::npos)
                got = c.expected;
        }
        EXPECT_EQ(got, c.expected);
    }

    const struct {
        mode_t file;
        mode_t folder;
        const char* settings; // settingsFileProblem's start, empty for none
        const char* secret;   // secretFileProblem's start
    } modes[] = {
        {0600, 0700, "", ""},
        {0644, 0755, "", "users other than its owner may read it (mode 0644)"},
        {0640, 0700, "", "users other than its owner may read it"},
        {0620, 0700, "users other than its owner may write it (mode 0620)", "users other"},
        {0600, 0777, "users other than its owner may replace it", "users other"},
        {0600, 01777, "", ""},
    };
    const std::string folder = dir.file("etc");
    const std::string file = folder + "/secret";
    ::mkdir(folder.c_str(), 0700);
    writeFileBytes(file, "password\n");
    for (const auto& m : modes) {
        SCOPED_TRACE(std::to_string(m.file) + " in " + std::to_string(m.folder));
        ::chmod(file.c_str(), m.file);
        ::chmod(folder.c_str(), m.folder);
        EXPECT_EQ(settingsFileProblem(file).rfind(m.settings, 0), 0u) << settingsFileProblem(file);
        EXPECT_EQ(secretFileProblem(file).rfind(m.secret, 0), 0u) << secretFileProblem(file);
    }
    ::chmod(folder.c_str(), 0700);
    EXPECT_EQ(settingsFileProblem(dir.file("none")), "No such file or directory");
}

TEST(GatewayTest, ASignOnAGatewayHasNoLinkOfItsOwn) {
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    writeFileBytes(path, "[Sign far]\r\nGateway=east\r\nLine=4\r\nPort=99\r\n"
                         "[Sign a/b]\r\nGateway=east\r\n[Sign near]\r\nPort=5\r\nIP=10.0.0.1\r\n");
    std::vector<std::string> notes;
    TSignRequest request;
    request.names = {"far", "near"};
    const std::vector<TChosenSign> signs = chooseSigns(path, request, notes);
    ASSERT_EQ(signs.size(), 2u);
    EXPECT_EQ(signs[0].gateway, "east");
    EXPECT_EQ(signs[0].start, 4);
    EXPECT_EQ(signs[1].gateway, "");
    EXPECT_TRUE(needsGateway(signs));
    EXPECT_TRUE(notes.empty()) << notes.front();

    request.names = {"a/b"};
    EXPECT_THROW(chooseSigns(path, request, notes), std::runtime_error);
    request.names = {"far"};
    request.change.host = "10.0.0.9";
    EXPECT_THROW(chooseSigns(path, request, notes), std::runtime_error);
}

} // namespace
