#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One connection to an MQTT 5 broker: the only place that calls the client library
// (broker_link.cpp), as the links keep their platform calls in files of their own. It connects,
// keeps the connection up (reconnecting with a doubling pause after a loss), publishes and
// subscribes, and tells what the broker says through callbacks that run on a thread of its own.

// The library refused a publish or a subscription outright (a topic it cannot carry, no memory).
class EBrokerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A message as it goes to the broker or comes from it. The payload is bytes, carried exactly.
struct TBrokerMessage {
    std::string topic;
    std::string payload;
    int qos = 0;
    bool retain = false;
    // Going out: the message expiry interval in seconds. Coming in: what is left of it; none when
    // the message carries no expiry.
    std::optional<std::uint32_t> expiry;
    // MQTT 5 user properties, name and value, in order.
    std::vector<std::pair<std::string, std::string>> properties;

    // The value of the first user property `name`; none when the message has none.
    std::optional<std::string> property(std::string_view name) const;
};

struct TBrokerOptions {
    std::string host;
    int port = 1883;
    // TLS, checked against the certificates of `caFile` (empty: the system's).
    bool tls = false;
    std::string caFile;
    // Empty user: the connection gives no user name.
    std::string user;
    std::string password;
    // Empty: the broker gives the connection a name of its own.
    std::string clientId;
    int keepAliveSeconds = 30;
    // A connection that the broker has not accepted within this time counts as failed.
    std::chrono::milliseconds connectTimeout{5000};
    // The pause before the next attempt after a failure, doubled after each failure up to the
    // longest, and back to the first once a connection is accepted.
    std::chrono::milliseconds firstRetry{1000};
    std::chrono::milliseconds longestRetry{30000};
    // Published by the broker when the connection ends without an orderly goodbye.
    std::optional<TBrokerMessage> will;
};

// How a subscription treats the retained messages of its topics.
struct TSubscription {
    int qos = 1;
    // Live messages keep the retain flag their publisher gave them.
    bool retainAsPublished = false;
    // The retained messages that the topics hold already are not sent.
    bool skipRetained = false;
};

class TBrokerLink {
public:
    explicit TBrokerLink(TBrokerOptions options);
    // Stop() when it is still running.
    ~TBrokerLink();
    TBrokerLink(const TBrokerLink&) = delete;
    TBrokerLink& operator=(const TBrokerLink&) = delete;

    // The callbacks run on the link's thread, one at a time; set them before Start.
    // The broker accepted the connection (again, after a loss).
    std::function<void()> OnConnected;
    // An attempt failed: `refusal` is the broker's reason code when the broker refused it (then
    // `reason` holds its words), 0 when the broker could not be reached (the system's words).
    std::function<void(int refusal, const std::string& reason)> OnConnectFailed;
    // An accepted connection ended; the link tries again after its pause.
    std::function<void(const std::string& reason)> OnConnectionLost;
    std::function<void(const TBrokerMessage&)> OnMessage;
    // The broker's answer to the publish `id` (QoS 1): its reason code (0: taken; 16: taken,
    // nobody subscribes; 128 and more: refused) and words.
    std::function<void(int id, int reasonCode, const std::string& reason)> OnPublished;
    // The broker's answer to the subscription `id`: per topic the QoS granted, or a reason code
    // of 128 and more for a topic refused.
    std::function<void(int id, const std::vector<int>& granted)> OnSubscribed;

    // Starts connecting on the link's thread. Once only.
    void Start();
    // Whether the broker has accepted the connection and it has not ended since.
    bool Connected() const;
    // Publishes `message`; its id for OnPublished (0 for QoS 0). Without a connection the message
    // waits for the next one (QoS 1). Throws EBrokerError when the library cannot take it.
    int Publish(const TBrokerMessage& message);
    // Subscribes to `topics`; the id for OnSubscribed. Throws EBrokerError without a connection
    // or for a topic filter that cannot be.
    int Subscribe(const std::vector<std::string>& topics, const TSubscription& how);
    // Ends the connection in order (the broker does not publish the will) after the messages
    // already published have been written, waiting at most `wait`, and ends the thread.
    void Stop(std::chrono::milliseconds wait = std::chrono::milliseconds(2000));

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The words of an MQTT 5 reason code, as the messages use them: "not authorised", "bad user
// name or password", ...; "reason code N" for a code without words.
std::string brokerReasonText(int code);
