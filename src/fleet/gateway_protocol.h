#pragma once

#include "broker/broker_link.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// What senders and gateways say to each other through the broker. Each gateway has the topics
//   lumavane/<gateway>/availability       "online", or "offline" as its last will (retained)
//   lumavane/<gateway>/<sign>/send         commands to the sign: a send or the cancel of one
//   lumavane/<gateway>/<sign>/result       how a command went, with its id (never retained)
//   lumavane/<gateway>/<sign>/state        what the sign last took (retained)
// A command is an MQTT 5 message with the user properties "id" and "command" ("send" or
// "cancel"); a send has "line" and "width" as well and carries the message file's bytes as its
// payload, exactly. Commands are never retained and always expire: a gateway acts on neither a
// retained nor an expired one, and on each id once. Results and states are small JSON objects.

constexpr std::string_view kOnline = "online";
constexpr std::string_view kOffline = "offline";

// How long a command waits to be acted on unless the settings say otherwise.
constexpr std::uint32_t kDefaultCommandExpiry = 60;

// Why a name cannot be a level of a topic ('/', '+', '#', a control character, not printable
// ASCII, empty); empty when it can.
std::string topicNameProblem(std::string_view name);

std::string availabilityTopic(std::string_view gateway);
std::string signTopic(std::string_view gateway, std::string_view sign, std::string_view kind);

// The gateway, the sign and the last level ("send", "result", "state") of a sign's topic.
struct TSignTopic {
    std::string gateway;
    std::string sign;
    std::string kind;
};
std::optional<TSignTopic> parseSignTopic(std::string_view topic);

// A new command id: 128 random bits in hexadecimal.
std::string newCommandId();

struct TGatewayCommand {
    enum class Kind { Send, Cancel };
    Kind kind = Kind::Send;
    std::string id;
    // A send: the message file's bytes and where the message goes on the sign.
    std::string message = {};
    int start = 1;
    int width = 20;
};

// The command as a message to `sign` of `gateway`, expiring after `expiry` seconds.
TBrokerMessage commandMessage(const TGatewayCommand& command, std::string_view gateway,
                              std::string_view sign, std::uint32_t expiry);

// What a gateway makes of a message on a send topic: the command, or why it is not acted on
// (with the id when it has one, so that the sender can be told).
struct TCommandCheck {
    std::optional<TGatewayCommand> command;
    std::string id;
    std::string refusal;
};
TCommandCheck checkCommand(const TBrokerMessage& message);

// How a command went, as results and states tell it.
namespace result {
constexpr std::string_view kSending = "sending";      // begun; `seconds` is its line time
constexpr std::string_view kSent = "sent";            // every byte delivered
constexpr std::string_view kStopped = "stopped";      // cancelled after `bytes`
constexpr std::string_view kNotOpened = "not-opened"; // the sign's link could not be opened
constexpr std::string_view kBrokeOff = "broke-off";   // the link failed after `bytes`
constexpr std::string_view kRefused = "refused";      // the gateway did not act on it
} // namespace result

struct TGatewayResult {
    std::string id;
    std::string result;
    std::size_t bytes = 0;
    std::size_t total = 0;
    std::string reason = {};
    // The bytes were handed to a link that cannot tell what the sign acknowledged (a serial
    // line): `bytes` counts those.
    bool handed = false;
    // kSending: the line time of the message on the sign's link, in seconds.
    double seconds = 0;
    // States only: when the send ended (UTC, ISO 8601) and the SHA-256 of the bytes, in hex.
    std::string time = {};
    std::string sha256 = {};

    bool final() const { return result != result::kSending; }
};

// The JSON of a result (id, result, bytes, total, handed, reason; seconds while sending) and of
// a state (the same, and time and sha256).
std::string resultJson(const TGatewayResult& result);
std::string stateJson(const TGatewayResult& state);
// A result or a state read back; none when the text is no such JSON object.
std::optional<TGatewayResult> readResult(std::string_view json);

// A moment as ISO 8601 in UTC: "2025-03-30T01:59:59Z".
std::string utcTime(std::int64_t secondsSinceEpoch);

// The commands that a gateway has done, each with the result it published, so that a command
// delivered twice is answered again and not done again. It keeps the latest `capacity` ids.
class TDoneCommands {
public:
    explicit TDoneCommands(std::size_t capacity = 4096)
        : capacity_(capacity) {}

    // The result JSON of a command done; none for a command not seen.
    std::optional<std::string> resultOf(const std::string& id) const;
    void remember(const std::string& id, std::string resultJson);

private:
    std::size_t capacity_;
    std::map<std::string, std::string> results_;
    std::deque<std::string> order_;
};
