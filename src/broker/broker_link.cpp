#include "broker/broker_link.h"

#include "base/error_text.h"
#include "base/ui_text.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr TCodeText kReasonTexts[] = {
    {MQTT_RC_NO_MATCHING_SUBSCRIBERS, UI_TEXT_NOOP("ErrorCodes", "nobody subscribes to the topic")},
    {MQTT_RC_UNSPECIFIED, UI_TEXT_NOOP("ErrorCodes", "unspecified error")},
    {MQTT_RC_MALFORMED_PACKET, UI_TEXT_NOOP("ErrorCodes", "malformed packet")},
    {MQTT_RC_PROTOCOL_ERROR, UI_TEXT_NOOP("ErrorCodes", "protocol error")},
    {MQTT_RC_IMPLEMENTATION_SPECIFIC,
     UI_TEXT_NOOP("ErrorCodes", "refused by the broker's own rules")},
    {MQTT_RC_UNSUPPORTED_PROTOCOL_VERSION,
     UI_TEXT_NOOP("ErrorCodes", "the broker does not speak MQTT 5")},
    {MQTT_RC_CLIENTID_NOT_VALID, UI_TEXT_NOOP("ErrorCodes", "client identifier not valid")},
    {MQTT_RC_BAD_USERNAME_OR_PASSWORD, UI_TEXT_NOOP("ErrorCodes", "bad user name or password")},
    {MQTT_RC_NOT_AUTHORIZED, UI_TEXT_NOOP("ErrorCodes", "not authorised")},
    {MQTT_RC_SERVER_UNAVAILABLE, UI_TEXT_NOOP("ErrorCodes", "server unavailable")},
    {MQTT_RC_SERVER_BUSY, UI_TEXT_NOOP("ErrorCodes", "server busy")},
    {MQTT_RC_BANNED, UI_TEXT_NOOP("ErrorCodes", "banned")},
    {MQTT_RC_SERVER_SHUTTING_DOWN, UI_TEXT_NOOP("ErrorCodes", "the broker is shutting down")},
    {MQTT_RC_BAD_AUTHENTICATION_METHOD, UI_TEXT_NOOP("ErrorCodes", "bad authentication method")},
    {MQTT_RC_KEEP_ALIVE_TIMEOUT, UI_TEXT_NOOP("ErrorCodes", "keep-alive time-out")},
    {MQTT_RC_SESSION_TAKEN_OVER,
     UI_TEXT_NOOP("ErrorCodes", "another client connected with the same client identifier")},
    {MQTT_RC_TOPIC_FILTER_INVALID, UI_TEXT_NOOP("ErrorCodes", "topic filter not valid")},
    {MQTT_RC_TOPIC_NAME_INVALID, UI_TEXT_NOOP("ErrorCodes", "topic name not valid")},
    {MQTT_RC_PACKET_TOO_LARGE, UI_TEXT_NOOP("ErrorCodes", "message too large for the broker")},
    {MQTT_RC_QUOTA_EXCEEDED, UI_TEXT_NOOP("ErrorCodes", "quota exceeded")},
    {MQTT_RC_ADMINISTRATIVE_ACTION,
     UI_TEXT_NOOP("ErrorCodes", "disconnected by the broker's administrator")},
    {MQTT_RC_PAYLOAD_FORMAT_INVALID, UI_TEXT_NOOP("ErrorCodes", "payload format not valid")},
    {MQTT_RC_RETAIN_NOT_SUPPORTED, UI_TEXT_NOOP("ErrorCodes", "retained messages not supported")},
    {MQTT_RC_QOS_NOT_SUPPORTED, UI_TEXT_NOOP("ErrorCodes", "QoS not supported")},
    {MQTT_RC_USE_ANOTHER_SERVER, UI_TEXT_NOOP("ErrorCodes", "use another server")},
    {MQTT_RC_SERVER_MOVED, UI_TEXT_NOOP("ErrorCodes", "server moved")},
    {MQTT_RC_CONNECTION_RATE_EXCEEDED, UI_TEXT_NOOP("ErrorCodes", "connection rate exceeded")},
};

void initialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

// The library's error as words: the system's for a failed system call.
std::string libraryErrorText(int rc, int savedErrno) {
    if (rc == MOSQ_ERR_ERRNO)
        return savedErrno != 0 ? std::string(std::strerror(savedErrno))
                               : uiText("ErrorCodes", "system error");
    if (rc == MOSQ_ERR_CONN_LOST)
        return uiText("ErrorCodes", "the broker closed the connection");
    std::string text = mosquitto_strerror(rc);
    while (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

// The broker's reason string property, when it sent one.
std::string reasonProperty(const mosquitto_property* props) {
    char* text = nullptr;
    if (!mosquitto_property_read_string(props, MQTT_PROP_REASON_STRING, &text, false) || !text)
        return {};
    std::string reason = text;
    std::free(text);
    return reason;
}

std::string reasonOf(int code, const mosquitto_property* props) {
    const std::string said = reasonProperty(props);
    return said.empty() ? brokerReasonText(code) : brokerReasonText(code) + " (" + said + ")";
}

// Frees a property list when it goes out of scope.
struct Properties {
    mosquitto_property* list = nullptr;
    ~Properties() { mosquitto_property_free_all(&list); }
};

} // namespace

std::string brokerReasonText(int code) {
    const std::string text = codeText(kReasonTexts, code);
    return text.empty() ? fillIn(uiText("ErrorCodes", "reason code %1"), {std::to_string(code)})
                        : text;
}

std::optional<std::string> TBrokerMessage::property(std::string_view name) const {
    for (const auto& [key, value] : properties) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

struct TBrokerLink::Impl {
    TBrokerLink& owner;
    TBrokerOptions options;
    mosquitto* client = nullptr;
    std::thread thread;
    std::atomic<bool> stopping = false;
    std::atomic<bool> connected = false;
    std::chrono::milliseconds stopWait{2000};
    std::mutex mutex;
    std::condition_variable wake;
    // This attempt's failure was told already (a refusal comes before the socket closes).
    bool told = false;
    // Why the broker ended the connection, when it said so.
    std::string endReason;

    Impl(TBrokerLink& link, TBrokerOptions o)
        : owner(link)
        , options(std::move(o)) {}

    void configure();
    void run();
    // Runs the library's loop for one connection attempt; the library's last result.
    int connectAndServe();
    void pause(std::chrono::milliseconds duration);
    void disconnectInOrder();

    static Impl& of(void* data) { return *static_cast<Impl*>(data); }
    static void onConnect(mosquitto*, void* data, int rc, int, const mosquitto_property* props);
    static void onDisconnect(mosquitto*, void* data, int rc, const mosquitto_property* props);
    static void onMessage(mosquitto*, void* data, const mosquitto_message* message,
                          const mosquitto_property* props);
    static void onPublish(mosquitto*, void* data, int id, int rc, const mosquitto_property* props);
    static void onSubscribe(mosquitto*, void* data, int id, int count, const int* granted,
                            const mosquitto_property*);
};

void TBrokerLink::Impl::configure() {
    initialiseLibraryOnce();
    client =
        mosquitto_new(options.clientId.empty() ? nullptr : options.clientId.c_str(), true, this);
    if (!client)
        throw EBrokerError(
            uiText("ErrorCodes", "Cannot make a connection to the broker: out of memory."));
    mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    mosquitto_threaded_set(client, true);
    mosquitto_connect_v5_callback_set(client, onConnect);
    mosquitto_disconnect_v5_callback_set(client, onDisconnect);
    mosquitto_message_v5_callback_set(client, onMessage);
    mosquitto_publish_v5_callback_set(client, onPublish);
    mosquitto_subscribe_v5_callback_set(client, onSubscribe);
    if (!options.user.empty())
        mosquitto_username_pw_set(client, options.user.c_str(),
                                  options.password.empty() ? nullptr : options.password.c_str());
    if (options.will) {
        const TBrokerMessage& will = *options.will;
        mosquitto_will_set_v5(client, will.topic.c_str(), static_cast<int>(will.payload.size()),
                              will.payload.data(), will.qos, will.retain, nullptr);
    }
    if (options.tls) {
        int rc = MOSQ_ERR_SUCCESS;
        if (options.caFile.empty())
            rc = mosquitto_int_option(client, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        else
            rc = mosquitto_tls_set(client, options.caFile.c_str(), nullptr, nullptr, nullptr,
                                   nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            throw EBrokerError(failureLine(
                fillIn(uiText("ErrorCodes", "Cannot use TLS with %1"), {options.caFile}),
                libraryErrorText(rc, errno)));
    }
}

void TBrokerLink::Impl::onConnect(mosquitto*, void* data, int rc, int,
                                  const mosquitto_property* props) {
    Impl& self = of(data);
    if (rc == 0) {
        self.connected = true;
        if (self.owner.OnConnected)
            self.owner.OnConnected();
        return;
    }
    self.told = true;
    if (self.owner.OnConnectFailed)
        self.owner.OnConnectFailed(rc, reasonOf(rc, props));
}

void TBrokerLink::Impl::onDisconnect(mosquitto*, void* data, int rc,
                                     const mosquitto_property* props) {
    // A DISCONNECT from the broker carries its reason; a lost socket only the library's code.
    if (props || rc >= MQTT_RC_UNSPECIFIED)
        of(data).endReason = reasonOf(rc, props);
}

void TBrokerLink::Impl::onMessage(mosquitto*, void* data, const mosquitto_message* message,
                                  const mosquitto_property* props) {
    Impl& self = of(data);
    if (!self.owner.OnMessage)
        return;
    TBrokerMessage in;
    in.topic = message->topic;
    if (message->payloadlen > 0)
        in.payload.assign(static_cast<const char*>(message->payload),
                          static_cast<std::size_t>(message->payloadlen));
    in.qos = message->qos;
    in.retain = message->retain;
    std::uint32_t expiry = 0;
    if (mosquitto_property_read_int32(props, MQTT_PROP_MESSAGE_EXPIRY_INTERVAL, &expiry, false))
        in.expiry = expiry;
    char* name = nullptr;
    char* value = nullptr;
    for (const mosquitto_property* p = mosquitto_property_read_string_pair(
             props, MQTT_PROP_USER_PROPERTY, &name, &value, false);
         p;
         p = mosquitto_property_read_string_pair(p, MQTT_PROP_USER_PROPERTY, &name, &value, true)) {
        in.properties.emplace_back(name ? name : "", value ? value : "");
        std::free(name);
        std::free(value);
        name = value = nullptr;
    }
    self.owner.OnMessage(in);
}

void TBrokerLink::Impl::onPublish(mosquitto*, void* data, int id, int rc,
                                  const mosquitto_property* props) {
    Impl& self = of(data);
    if (self.owner.OnPublished)
        self.owner.OnPublished(id, rc, rc == 0 ? std::string() : reasonOf(rc, props));
}

void TBrokerLink::Impl::onSubscribe(mosquitto*, void* data, int id, int count, const int* granted,
                                    const mosquitto_property*) {
    Impl& self = of(data);
    if (self.owner.OnSubscribed)
        self.owner.OnSubscribed(id, std::vector<int>(granted, granted + count));
}

int TBrokerLink::Impl::connectAndServe() {
    told = false;
    endReason.clear();
    errno = 0;
    int rc = mosquitto_connect_bind_async(client, options.host.c_str(), options.port,
                                          options.keepAliveSeconds, nullptr);
    const auto start = Clock::now();
    while (rc == MOSQ_ERR_SUCCESS && !stopping) {
        errno = 0;
        rc = mosquitto_loop(client, 100, 1);
        if (rc == MOSQ_ERR_SUCCESS && !connected && Clock::now() - start > options.connectTimeout)
            rc = MOSQ_ERR_TIMEOUT;
    }
    return rc;
}

void TBrokerLink::Impl::pause(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(mutex);
    wake.wait_for(lock, duration, [this] { return stopping.load(); });
}

void TBrokerLink::Impl::run() {
    std::chrono::milliseconds retry = options.firstRetry;
    while (!stopping) {
        const int rc = connectAndServe();
        const int savedErrno = errno;
        if (stopping)
            break;
        std::string reason = endReason;
        if (reason.empty() && rc == MOSQ_ERR_TIMEOUT)
            reason = fillIn(uiText("ErrorCodes", "the broker did not answer within %1 ms"),
                            {std::to_string(options.connectTimeout.count())});
        else if (reason.empty())
            reason = libraryErrorText(rc, savedErrno);
        if (connected.exchange(false)) {
            retry = options.firstRetry;
            if (owner.OnConnectionLost)
                owner.OnConnectionLost(reason);
        } else if (!told && owner.OnConnectFailed) {
            owner.OnConnectFailed(0, reason);
        }
        pause(retry);
        retry = std::min(retry * 2, options.longestRetry);
    }
    disconnectInOrder();
}

void TBrokerLink::Impl::disconnectInOrder() {
    if (!connected.exchange(false))
        return;
    // What was published before Stop goes out first, then the goodbye.
    const auto deadline = Clock::now() + stopWait;
    while (mosquitto_want_write(client) && Clock::now() < deadline &&
           mosquitto_loop(client, 50, 1) == MOSQ_ERR_SUCCESS) {
    }
    mosquitto_disconnect_v5(client, MQTT_RC_NORMAL_DISCONNECTION, nullptr);
    while (Clock::now() < deadline && mosquitto_loop(client, 50, 1) == MOSQ_ERR_SUCCESS) {
    }
}

TBrokerLink::TBrokerLink(TBrokerOptions options)
    : impl_(std::make_unique<Impl>(*this, std::move(options))) {
    impl_->configure();
}

TBrokerLink::~TBrokerLink() {
    Stop();
    mosquitto_destroy(impl_->client);
}

void TBrokerLink::Start() {
    if (!impl_->thread.joinable())
        impl_->thread = std::thread([this] { impl_->run(); });
}

bool TBrokerLink::Connected() const {
    return impl_->connected;
}

int TBrokerLink::Publish(const TBrokerMessage& message) {
    Properties props;
    if (message.expiry)
        mosquitto_property_add_int32(&props.list, MQTT_PROP_MESSAGE_EXPIRY_INTERVAL,
                                     *message.expiry);
    for (const auto& [name, value] : message.properties)
        mosquitto_property_add_string_pair(&props.list, MQTT_PROP_USER_PROPERTY, name.c_str(),
                                           value.c_str());
    int id = 0;
    const int rc = mosquitto_publish_v5(
        impl_->client, &id, message.topic.c_str(), static_cast<int>(message.payload.size()),
        message.payload.data(), message.qos, message.retain, props.list);
    // Without a connection a QoS 1 message stays queued for the next one.
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN)
        throw EBrokerError(
            failureLine(fillIn(uiText("ErrorCodes", "Cannot publish to %1"), {message.topic}),
                        libraryErrorText(rc, errno)));
    return id;
}

int TBrokerLink::Subscribe(const std::vector<std::string>& topics, const TSubscription& how) {
    std::vector<char*> filters;
    for (const std::string& topic : topics)
        filters.push_back(const_cast<char*>(topic.c_str()));
    const int options = (how.retainAsPublished ? MQTT_SUB_OPT_RETAIN_AS_PUBLISHED : 0) |
                        (how.skipRetained ? MQTT_SUB_OPT_SEND_RETAIN_NEVER : 0);
    int id = 0;
    const int rc =
        mosquitto_subscribe_multiple(impl_->client, &id, static_cast<int>(filters.size()),
                                     filters.data(), how.qos, options, nullptr);
    if (rc != MOSQ_ERR_SUCCESS)
        throw EBrokerError(
            failureLine(fillIn(uiText("ErrorCodes", "Cannot subscribe to %1"), {topics.front()}),
                        libraryErrorText(rc, errno)));
    return id;
}

void TBrokerLink::Stop(std::chrono::milliseconds wait) {
    if (!impl_->thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->stopWait = wait;
        impl_->stopping = true;
    }
    impl_->wake.notify_all();
    // The goodbye goes after what was published before it, and wakes the thread at once.
    if (impl_->connected)
        mosquitto_disconnect_v5(impl_->client, MQTT_RC_NORMAL_DISCONNECTION, nullptr);
    impl_->thread.join();
}
