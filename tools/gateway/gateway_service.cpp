#include "gateway_service.h"

#include "base/error_text.h"
#include "fleet/multi_send.h"
#include "model/block.h"
#include "model/message_file.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A send taken, waiting for its sign's line or address.
struct Work {
    std::size_t sign = 0;
    TGatewayCommand command;
    // Unless begun by then, it is refused: its sender has stopped waiting.
    Clock::time_point deadline;
};

// One line or address: its sends, one at a time, on a thread of its own.
struct Place {
    std::deque<Work> queue;
    std::thread thread;
    // A send taken from the queue has not ended yet.
    bool busy = false;
    TMultiSend* running = nullptr;
    std::string runningId;
};

// The stream of one message for one start line and width, built once for every sign that takes
// it.
struct SharedStream {
    std::string message;
    int start = 0;
    int width = 0;
    std::once_flag built;
    std::shared_ptr<const std::string> bytes;
    std::string sha256;
};

std::string sha256Of(const std::string& bytes) {
    const QByteArray data =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex().toStdString();
}

// The time that the bytes take on the link: ten bits a byte on a serial line (300 baud when its
// speed is not known), nothing worth counting on the network.
double lineSeconds(const TSignLink& link, std::size_t bytes) {
    if (link.network())
        return 0;
    return static_cast<double>(bytes) * 10.0 / (link.baud > 0 ? link.baud : 300);
}

std::string_view resultWord(TSignReport::State state) {
    switch (state) {
    case TSignReport::State::Sent:
        return result::kSent;
    case TSignReport::State::Stopped:
        return result::kStopped;
    case TSignReport::State::OpenFailed:
        return result::kNotOpened;
    default:
        return result::kBrokeOff;
    }
}

} // namespace

struct TGatewayService::State {
    TGatewaySettings settings;
    std::vector<TChosenSign> signs;
    std::function<void(const std::string&)> log;
    std::unique_ptr<TBrokerLink> link;

    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, Place> places;
    std::vector<Place*> placeOfSign;
    TDoneCommands done;
    std::set<std::string> inHand;
    std::map<int, TBrokerMessage> unconfirmed;
    std::map<std::size_t, TBrokerMessage> states;
    // The streams of the latest messages, newest last.
    std::deque<std::shared_ptr<SharedStream>> streams;
    bool stopping = false;
    bool cancelAll = false;

    State(TGatewaySettings s, std::vector<TChosenSign> chosen,
          std::function<void(const std::string&)> logger)
        : settings(std::move(s))
        , signs(std::move(chosen))
        , log(std::move(logger)) {
        for (const TChosenSign& sign : signs)
            placeOfSign.push_back(&places[linkPlace(sign.link)]);
    }

    std::string topic(std::size_t sign, std::string_view kind) const {
        return signTopic(settings.name, signs[sign].name, kind);
    }
    // Publishes at QoS 1 and keeps the message until the broker has taken it. Under the lock.
    void publish(TBrokerMessage message);
    void answer(std::size_t sign, const TGatewayResult& result);
    void onConnected();
    void onMessage(const TBrokerMessage& in);
    void take(std::size_t sign, const TBrokerMessage& in);
    void cancel(std::size_t sign, const std::string& id);
    void serve(Place& place);
    std::shared_ptr<const SharedStream> streamOf(const TGatewayCommand& command);
    void perform(Place& place, const Work& work);
    // Waits until every place has ended its send (a second stop request cancels them), then
    // ends the places' threads.
    void finishSends(const std::atomic<int>& stop);
    // Publishes "offline" and disconnects once the broker has taken what was published.
    void goOffline();
    TGatewayResult sendNow(Place& place, const Work& work,
                           const std::shared_ptr<const std::string>& stream);
};

void TGatewayService::State::publish(TBrokerMessage message) {
    message.qos = 1;
    try {
        const int id = link->Publish(message);
        unconfirmed[id] = std::move(message);
    } catch (const EBrokerError& error) {
        log(error.what());
    }
}

void TGatewayService::State::answer(std::size_t sign, const TGatewayResult& result) {
    TBrokerMessage message;
    message.topic = topic(sign, "result");
    message.payload = resultJson(result);
    if (result.final())
        done.remember(result.id, message.payload);
    publish(std::move(message));
}

void TGatewayService::State::onConnected() {
    std::lock_guard<std::mutex> lock(mutex);
    log("connected to " + settings.broker + " as the gateway " + settings.name);
    TBrokerMessage online;
    online.topic = availabilityTopic(settings.name);
    online.payload = kOnline;
    online.retain = true;
    publish(online);
    std::vector<std::string> topics;
    for (std::size_t i = 0; i < signs.size(); ++i)
        topics.push_back(topic(i, "send"));
    try {
        // Retained commands are neither sent nor, published live, taken for new ones.
        link->Subscribe(topics, {1, true, true});
    } catch (const EBrokerError& error) {
        log(error.what());
    }
    // What the broker may have lost with a restart: the results not yet taken, the states.
    std::map<int, TBrokerMessage> again;
    again.swap(unconfirmed);
    for (auto& [id, message] : again)
        publish(std::move(message));
    for (const auto& [sign, state] : states)
        publish(state);
}

void TGatewayService::State::onMessage(const TBrokerMessage& in) {
    const std::optional<TSignTopic> topic = parseSignTopic(in.topic);
    if (!topic || topic->gateway != settings.name || topic->kind != "send")
        return;
    for (std::size_t i = 0; i < signs.size(); ++i) {
        if (signs[i].name == topic->sign) {
            std::lock_guard<std::mutex> lock(mutex);
            take(i, in);
            return;
        }
    }
}

void TGatewayService::State::take(std::size_t sign, const TBrokerMessage& in) {
    TCommandCheck check = checkCommand(in);
    if (!check.command) {
        log(signs[sign].name + ": a command on " + in.topic + " is not acted on: " + check.refusal);
        // A retained message is nobody's live command: it is not answered.
        if (!in.retain && !check.id.empty() && !done.resultOf(check.id))
            answer(sign, {check.id, std::string(result::kRefused), 0, 0, check.refusal});
        return;
    }
    TGatewayCommand& command = *check.command;
    if (command.kind == TGatewayCommand::Kind::Cancel) {
        cancel(sign, command.id);
        return;
    }
    if (const std::optional<std::string> result = done.resultOf(command.id)) {
        // Delivered again: answered again, never done twice.
        TBrokerMessage message;
        message.topic = topic(sign, "result");
        message.payload = *result;
        publish(std::move(message));
        return;
    }
    if (!inHand.insert(command.id).second)
        return;
    const auto deadline = Clock::now() + std::chrono::seconds(in.expiry.value_or(0));
    placeOfSign[sign]->queue.push_back({sign, std::move(command), deadline});
    changed.notify_all();
}

void TGatewayService::State::cancel(std::size_t sign, const std::string& id) {
    Place& place = *placeOfSign[sign];
    if (place.runningId == id && place.running) {
        place.running->Cancel();
        return;
    }
    for (auto work = place.queue.begin(); work != place.queue.end(); ++work) {
        if (work->command.id == id) {
            place.queue.erase(work);
            inHand.erase(id);
            answer(sign, {id, std::string(result::kStopped), 0, 0, "cancelled before it began"});
            return;
        }
    }
    // Not come yet: when it comes, it is answered as stopped and not done.
    if (!done.resultOf(id))
        done.remember(
            id, resultJson({id, std::string(result::kStopped), 0, 0, "cancelled before it began"}));
}

void TGatewayService::State::serve(Place& place) {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [&] { return !place.queue.empty() || stopping; });
        if (place.queue.empty())
            return;
        Work work = std::move(place.queue.front());
        place.queue.pop_front();
        if (stopping) {
            inHand.erase(work.command.id);
            answer(work.sign, {work.command.id, std::string(result::kRefused), 0, 0,
                               "the gateway is stopping"});
            continue;
        }
        place.busy = true;
        lock.unlock();
        try {
            perform(place, work);
        } catch (const std::exception& error) {
            std::lock_guard<std::mutex> guard(mutex);
            log(signs[work.sign].name + ": " + error.what());
            answer(work.sign,
                   {work.command.id, std::string(result::kBrokeOff), 0, 0, oneLine(error.what())});
        }
        lock.lock();
        place.busy = false;
        inHand.erase(work.command.id);
    }
}

std::shared_ptr<const SharedStream>
TGatewayService::State::streamOf(const TGatewayCommand& command) {
    constexpr std::size_t kKept = 4;
    std::shared_ptr<SharedStream> shared;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const std::shared_ptr<SharedStream>& s : streams) {
            if (s->start == command.start && s->width == command.width &&
                s->message == command.message)
                shared = s;
        }
        if (!shared) {
            shared = std::make_shared<SharedStream>();
            shared->message = command.message;
            shared->start = command.start;
            shared->width = command.width;
            streams.push_back(shared);
            if (streams.size() > kKept)
                streams.pop_front();
        }
    }
    std::call_once(shared->built, [&] {
        TSendBuffer buffer;
        TBlock block;
        buildSignStream(buffer, block, splitMessageLines(command.message), command.start,
                        command.width);
        shared->bytes = std::make_shared<const std::string>(buffer.bytes());
        shared->sha256 = sha256Of(*shared->bytes);
    });
    return shared;
}

void TGatewayService::State::perform(Place& place, const Work& work) {
    const TGatewayCommand& command = work.command;
    const TChosenSign& sign = signs[work.sign];
    const std::shared_ptr<const SharedStream> shared = streamOf(command);
    const std::string& stream = *shared->bytes;
    if (Clock::now() > work.deadline) {
        std::lock_guard<std::mutex> lock(mutex);
        log(sign.name + ": command " + command.id + " expired while the sign was busy");
        answer(work.sign, {command.id, std::string(result::kRefused), 0, stream.size(),
                           "it expired while the sign was busy with an earlier send"});
        return;
    }
    TGatewayResult result = sendNow(place, work, shared->bytes);
    result.time = utcTime(std::time(nullptr));
    result.sha256 = shared->sha256;
    TBrokerMessage state;
    state.topic = topic(work.sign, "state");
    state.payload = stateJson(result);
    state.retain = true;
    std::lock_guard<std::mutex> lock(mutex);
    answer(work.sign, result);
    states[work.sign] = state;
    publish(std::move(state));
}

TGatewayResult TGatewayService::State::sendNow(Place& place, const Work& work,
                                               const std::shared_ptr<const std::string>& stream) {
    const TGatewayCommand& command = work.command;
    const TChosenSign& sign = signs[work.sign];
    TSignJob job{sign.name, sign.link, command.start, command.width};
    TMultiSend run({job}, {});
    run.ShareStream(command.start, command.width, stream);
    {
        std::lock_guard<std::mutex> lock(mutex);
        TGatewayResult begun{command.id, std::string(result::kSending), 0, stream->size()};
        begun.seconds = lineSeconds(sign.link, stream->size());
        answer(work.sign, begun);
        place.running = &run;
        place.runningId = command.id;
        if (cancelAll)
            run.Cancel();
    }
    run.Run();
    const TSignReport report = run.Reports().front();
    {
        std::lock_guard<std::mutex> lock(mutex);
        place.running = nullptr;
        place.runningId.clear();
        log(reportLine(job, report) + "\t(command " + command.id + ")");
    }
    TGatewayResult result{command.id, std::string(resultWord(report.state)), report.sent,
                          report.total, report.reason};
    result.handed = report.handed;
    return result;
}

void TGatewayService::State::finishSends(const std::atomic<int>& stop) {
    for (bool busy = true; busy;) {
        busy = false;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (stop.load() >= 2 && !cancelAll) {
                cancelAll = true;
                log("stopping now: the sends that run are cancelled");
            }
            for (auto& [key, place] : places) {
                if (place.running && cancelAll)
                    place.running->Cancel();
                busy = busy || place.busy || !place.queue.empty();
            }
        }
        if (busy)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (auto& [key, place] : places)
        place.thread.join();
}

void TGatewayService::State::goOffline() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        TBrokerMessage offline;
        offline.topic = availabilityTopic(settings.name);
        offline.payload = kOffline;
        offline.retain = true;
        publish(offline);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (link->Connected() && Clock::now() < deadline) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (unconfirmed.empty())
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    link->Stop();
}

TGatewayService::TGatewayService(TGatewaySettings settings, TBrokerOptions options,
                                 std::vector<TChosenSign> signs,
                                 std::function<void(const std::string&)> log)
    : state_(std::make_unique<State>(std::move(settings), std::move(signs), std::move(log))) {
    State& s = *state_;
    TBrokerMessage will;
    will.topic = availabilityTopic(s.settings.name);
    will.payload = kOffline;
    will.qos = 1;
    will.retain = true;
    options.will = will;
    options.clientId = "lumavane-gateway-" + s.settings.name;
    s.link = std::make_unique<TBrokerLink>(std::move(options));
    s.link->OnConnected = [&s] { s.onConnected(); };
    s.link->OnConnectFailed = [&s](int, const std::string& reason) {
        s.log("cannot connect to " + s.settings.broker + ": " + reason + "; trying again");
    };
    s.link->OnConnectionLost = [&s](const std::string& reason) {
        s.log("the connection to " + s.settings.broker + " ended: " + reason +
              "; connecting again");
    };
    s.link->OnMessage = [&s](const TBrokerMessage& in) { s.onMessage(in); };
    s.link->OnPublished = [&s](int id, int, const std::string&) {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.unconfirmed.erase(id);
    };
}

TGatewayService::~TGatewayService() = default;

void TGatewayService::Run(const std::atomic<int>& stop) {
    State& s = *state_;
    for (auto& [key, place] : s.places)
        place.thread = std::thread([&s, &place = place] { s.serve(place); });
    s.link->Start();
    while (stop.load() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    s.log("stopping: the sends that have begun end first");
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.stopping = true;
    }
    s.changed.notify_all();
    s.finishSends(stop);
    s.goOffline();
}
