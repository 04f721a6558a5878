#include "fleet/gateway_send.h"

#include "base/ui_text.h"
#include "fleet/gateway_protocol.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;

// What the broker's link told, in the order it told it.
struct Event {
    enum class Kind { Connected, ConnectFailed, Lost, Message, Published, Subscribed };
    Kind kind = Kind::Connected;
    int code = 0; // the refusal, the publish or subscription id
    std::string text = {};
    TBrokerMessage message = {};
    std::vector<int> granted = {};
};

struct Pending {
    enum class Phase { Waiting, Published, Begun, Ended };
    TGatewaySend::Job job;
    std::string id;
    Phase phase = Phase::Waiting;
    bool taken = false; // the broker has taken the command
    Clock::time_point deadline = {};
};

std::string seconds(std::chrono::milliseconds duration) {
    return std::to_string((duration.count() + 999) / 1000) + " s";
}

} // namespace

struct TGatewaySend::State {
    TGatewaySend& owner;
    TGatewaySettings settings;
    std::string message;
    Update update;
    std::vector<Pending> pending;
    std::size_t open = 0;
    std::map<std::string, std::size_t> byId;
    std::map<int, std::size_t> byPublish;
    std::map<std::string, std::string> availability;
    std::set<std::string> wentOffline;
    int resultsSubscription = -1;
    bool everConnected = false;
    bool cancelling = false;
    Clock::time_point connectDeadline;
    Clock::time_point cancelDeadline;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Event> events;
    std::unique_ptr<TBrokerLink> link;

    State(TGatewaySend& o, TGatewaySettings s, std::string m, std::vector<Job> jobs, Update u)
        : owner(o)
        , settings(std::move(s))
        , message(std::move(m))
        , update(std::move(u)) {
        for (Job& job : jobs)
            pending.push_back({std::move(job), newCommandId()});
        open = pending.size();
        for (std::size_t i = 0; i < pending.size(); ++i)
            byId[pending[i].id] = i;
    }

    void post(Event event) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            events.push_back(std::move(event));
        }
        changed.notify_all();
    }
    void connect();
    void handle(const Event& event);
    void onConnected();
    void onConnectFailed(const Event& event);
    void onSubscribed(const Event& event);
    void onMessage(const TBrokerMessage& in);
    void onResult(Pending& p, const TGatewayResult& result);
    void onPublished(const Event& event);
    void publish(Pending& p);
    void end(Pending& p, TSignReport::State state, const std::string& reason, std::size_t sent = 0,
             bool handed = false);
    void endAll(TSignReport::State state, const std::string& reason);
    void checkDeadlines(Clock::time_point now);
    void startCancel(Clock::time_point now);
};

void TGatewaySend::State::connect() {
    TBrokerOptions options;
    try {
        options = brokerOptions(settings);
    } catch (const std::exception& error) {
        endAll(TSignReport::State::OpenFailed, error.what());
        return;
    }
    options.connectTimeout = owner.ConnectTimeout;
    link = std::make_unique<TBrokerLink>(options);
    link->OnConnected = [this] { post({Event::Kind::Connected}); };
    link->OnConnectFailed = [this](int refusal, const std::string& reason) {
        post({Event::Kind::ConnectFailed, refusal, reason});
    };
    link->OnConnectionLost = [this](const std::string& reason) {
        post({Event::Kind::Lost, 0, reason});
    };
    link->OnMessage = [this](const TBrokerMessage& in) { post({Event::Kind::Message, 0, {}, in}); };
    link->OnPublished = [this](int id, int code, const std::string& reason) {
        Event event{Event::Kind::Published, id, reason};
        event.granted = {code};
        post(std::move(event));
    };
    link->OnSubscribed = [this](int id, const std::vector<int>& granted) {
        Event event{Event::Kind::Subscribed, id};
        event.granted = granted;
        post(std::move(event));
    };
    connectDeadline = Clock::now() + owner.ConnectTimeout + std::chrono::seconds(1);
    link->Start();
}

void TGatewaySend::State::handle(const Event& event) {
    switch (event.kind) {
    case Event::Kind::Connected:
        onConnected();
        break;
    case Event::Kind::ConnectFailed:
        onConnectFailed(event);
        break;
    case Event::Kind::Lost:
        // The link connects again by itself; the commands wait for it.
        break;
    case Event::Kind::Message:
        onMessage(event.message);
        break;
    case Event::Kind::Published:
        onPublished(event);
        break;
    case Event::Kind::Subscribed:
        onSubscribed(event);
        break;
    }
}

void TGatewaySend::State::onConnected() {
    everConnected = true;
    std::set<std::string> gateways;
    for (const Pending& p : pending)
        gateways.insert(p.job.gateway);
    std::vector<std::string> available;
    std::vector<std::string> answers;
    for (const std::string& gateway : gateways) {
        available.push_back(availabilityTopic(gateway));
        answers.push_back(signTopic(gateway, "+", "result"));
        answers.push_back(signTopic(gateway, "+", "state"));
    }
    try {
        // The broker sends the retained availability before it answers the second subscription:
        // by then each gateway is known to be online or not.
        link->Subscribe(available, {});
        resultsSubscription = link->Subscribe(answers, {});
    } catch (const EBrokerError&) {
        // The connection went on the way; it is made again and subscribes then.
    }
}

void TGatewaySend::State::onConnectFailed(const Event& event) {
    // Once connected, the link keeps trying; the commands wait until their time is up.
    if (everConnected)
        return;
    if (event.code == 0)
        endAll(TSignReport::State::OpenFailed,
               fillIn(uiText("GatewaySend", "Cannot reach the broker %1: %2."),
                      {settings.broker, event.text}));
    else if (settings.user.empty())
        endAll(
            TSignReport::State::OpenFailed,
            fillIn(uiText("GatewaySend", "The broker refused the connection: %1."), {event.text}));
    else
        endAll(TSignReport::State::OpenFailed,
               fillIn(uiText("GatewaySend", "The broker refused the user %1: %2."),
                      {settings.user, event.text}));
}

void TGatewaySend::State::onSubscribed(const Event& event) {
    if (event.code != resultsSubscription)
        return;
    for (std::size_t i = 0; i < event.granted.size(); ++i) {
        if (event.granted[i] < 0x80)
            continue;
        const std::string refused =
            fillIn(uiText("GatewaySend", "The broker refused the subscription to the gateway's "
                                         "results: %1."),
                   {brokerReasonText(event.granted[i])});
        endAll(TSignReport::State::OpenFailed, refused);
        return;
    }
    for (Pending& p : pending) {
        if (p.phase == Pending::Phase::Ended || cancelling)
            continue;
        const std::string& word = availability[p.job.gateway];
        if (p.phase == Pending::Phase::Waiting && word == kOffline)
            end(p, TSignReport::State::OpenFailed,
                fillIn(uiText("GatewaySend", "The gateway %1 is offline."), {p.job.gateway}));
        else if (p.phase == Pending::Phase::Waiting && word.empty())
            end(p, TSignReport::State::OpenFailed,
                fillIn(
                    uiText("GatewaySend", "The gateway %1 has never been online (nothing on %2)."),
                    {p.job.gateway, availabilityTopic(p.job.gateway)}));
        else if (p.phase == Pending::Phase::Waiting || !p.taken)
            publish(p);
    }
}

void TGatewaySend::State::publish(Pending& p) {
    TGatewayCommand command;
    command.id = p.id;
    command.message = message;
    command.start = p.job.start;
    command.width = p.job.width;
    try {
        const int id =
            link->Publish(commandMessage(command, p.job.gateway, p.job.sign, settings.expiry));
        byPublish[id] = static_cast<std::size_t>(&p - pending.data());
    } catch (const EBrokerError& error) {
        end(p, TSignReport::State::OpenFailed, error.what());
        return;
    }
    if (p.phase == Pending::Phase::Waiting) {
        p.phase = Pending::Phase::Published;
        // Unless the gateway begins it before the command expires, it is never done.
        p.deadline = Clock::now() + std::chrono::seconds(settings.expiry) + std::chrono::seconds(5);
    }
}

void TGatewaySend::State::onPublished(const Event& event) {
    const auto found = byPublish.find(event.code);
    if (found == byPublish.end())
        return;
    Pending& p = pending[found->second];
    const int code = event.granted.front();
    const std::string topic = signTopic(p.job.gateway, p.job.sign, "send");
    if (p.phase == Pending::Phase::Ended || cancelling) {
        p.taken = true;
    } else if (code == 0x10) {
        end(p, TSignReport::State::OpenFailed,
            fillIn(uiText("GatewaySend",
                          "The gateway %1 does not serve the sign %2: nobody subscribes to %3."),
                   {p.job.gateway, p.job.sign, topic}));
    } else if (code >= 0x80) {
        end(p, TSignReport::State::OpenFailed,
            fillIn(uiText("GatewaySend", "The broker refused the send to %1: %2."),
                   {topic, event.text}));
    } else {
        p.taken = true;
    }
}

void TGatewaySend::State::onMessage(const TBrokerMessage& in) {
    if (in.topic.ends_with("/availability")) {
        for (const Pending& p : pending) {
            if (in.topic != availabilityTopic(p.job.gateway))
                continue;
            availability[p.job.gateway] = in.payload;
            if (in.payload == kOffline)
                wentOffline.insert(p.job.gateway);
            break;
        }
        return;
    }
    const std::optional<TGatewayResult> result = readResult(in.payload);
    if (!result)
        return;
    const auto found = byId.find(result->id);
    if (found == byId.end())
        return;
    Pending& p = pending[found->second];
    const std::optional<TSignTopic> topic = parseSignTopic(in.topic);
    if (p.phase != Pending::Phase::Ended && topic && topic->gateway == p.job.gateway &&
        topic->sign == p.job.sign)
        onResult(p, *result);
}

void TGatewaySend::State::onResult(Pending& p, const TGatewayResult& result) {
    using S = TSignReport::State;
    const std::size_t index = p.job.index;
    if (!result.final()) {
        p.phase = Pending::Phase::Begun;
        const auto lineTime =
            std::chrono::milliseconds(static_cast<long long>(result.seconds * 1000));
        p.deadline = Clock::now() + lineTime + owner.ResultGrace;
        update(index, [](TSignReport& r) { r.state = S::Sending; });
        return;
    }
    if (result.result == result::kSent)
        end(p, S::Sent, {}, result.bytes, result.handed);
    else if (result.result == result::kStopped)
        end(p, S::Stopped, result.reason, result.bytes, result.handed);
    else if (result.result == result::kNotOpened)
        end(p, S::OpenFailed, result.reason);
    else if (result.result == result::kRefused)
        end(p, S::OpenFailed,
            fillIn(uiText("GatewaySend", "The gateway %1 refused the send: %2."),
                   {p.job.gateway, result.reason}));
    else
        end(p, S::BrokeOff,
            result.reason.empty()
                ? fillIn(uiText("GatewaySend", "The gateway answered \"%1\"."), {result.result})
                : result.reason,
            result.bytes, result.handed);
}

void TGatewaySend::State::end(Pending& p, TSignReport::State state, const std::string& reason,
                              std::size_t sent, bool handed) {
    if (p.phase == Pending::Phase::Ended)
        return;
    p.phase = Pending::Phase::Ended;
    --open;
    update(p.job.index, [&](TSignReport& r) {
        r.state = state;
        r.sent = sent;
        r.handed = handed;
        r.reason = reason;
    });
}

void TGatewaySend::State::endAll(TSignReport::State state, const std::string& reason) {
    for (Pending& p : pending)
        end(p, state, reason);
}

void TGatewaySend::State::checkDeadlines(Clock::time_point now) {
    if (!everConnected && now > connectDeadline) {
        endAll(TSignReport::State::OpenFailed,
               fillIn(uiText("GatewaySend", "The broker %1 did not answer within %2."),
                      {settings.broker, seconds(owner.ConnectTimeout)}));
        return;
    }
    if (cancelling && now > cancelDeadline) {
        endAll(TSignReport::State::Stopped,
               uiText("GatewaySend", "The gateway did not confirm the stop."));
        return;
    }
    for (Pending& p : pending) {
        if (now <= p.deadline)
            continue;
        const std::string offline = wentOffline.count(p.job.gateway)
                                        ? uiText("GatewaySend", " (it went offline meanwhile)")
                                        : "";
        if (p.phase == Pending::Phase::Published)
            end(p, TSignReport::State::OpenFailed,
                fillIn(uiText("GatewaySend", "The gateway %1 did not take the send within %2 s%3."),
                       {p.job.gateway, std::to_string(settings.expiry), offline}));
        else if (p.phase == Pending::Phase::Begun)
            end(p, TSignReport::State::BrokeOff,
                fillIn(uiText("GatewaySend",
                              "The gateway %1 began the send and did not report its end%2."),
                       {p.job.gateway, offline}));
    }
}

void TGatewaySend::State::startCancel(Clock::time_point now) {
    cancelling = true;
    cancelDeadline = now + owner.CancelWait;
    for (Pending& p : pending) {
        if (p.phase == Pending::Phase::Waiting) {
            end(p, TSignReport::State::Stopped, {});
            continue;
        }
        if (p.phase == Pending::Phase::Ended)
            continue;
        TGatewayCommand cancel;
        cancel.kind = TGatewayCommand::Kind::Cancel;
        cancel.id = p.id;
        try {
            link->Publish(commandMessage(cancel, p.job.gateway, p.job.sign, settings.expiry));
        } catch (const EBrokerError&) {
            // The deadline of the cancel ends it.
        }
    }
}

TGatewaySend::TGatewaySend(TGatewaySettings settings, std::string message, std::vector<Job> jobs,
                           Update update)
    : state_(std::make_unique<State>(*this, std::move(settings), std::move(message),
                                     std::move(jobs), std::move(update))) {}

TGatewaySend::~TGatewaySend() = default;

void TGatewaySend::Run(const std::atomic<bool>& cancel) {
    State& s = *state_;
    s.connect();
    while (s.open > 0) {
        std::deque<Event> events;
        {
            std::unique_lock<std::mutex> lock(s.mutex);
            s.changed.wait_for(lock, std::chrono::milliseconds(50),
                               [&] { return !s.events.empty(); });
            events.swap(s.events);
        }
        for (const Event& event : events)
            s.handle(event);
        const auto now = Clock::now();
        if (cancel && !s.cancelling && s.link)
            s.startCancel(now);
        s.checkDeadlines(now);
    }
    if (s.link)
        s.link->Stop();
}
