#include "fleet/multi_send.h"

#include "base/error_text.h"
#include "base/ui_text.h"
#include "fleet/gateway_send.h"
#include "model/message_file.h"

#include "model/block.h"
#include "sign/send_buffer.h"
#include "sign/send_errors.h"
#include "sign/sign_stream.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <thread>

int runExitStatus(const std::vector<TSignReport>& reports) {
    auto statusOf = [](const TSignReport& report) {
        switch (report.state) {
        case TSignReport::State::Sent:
            return kExitSent;
        case TSignReport::State::OpenFailed:
            return kExitOpenFailed;
        default:
            return kExitBrokeOff;
        }
    };
    if (reports.empty())
        return kExitSent;
    const int first = statusOf(reports.front());
    for (const TSignReport& report : reports) {
        if (statusOf(report) != first)
            return kExitSomeFailed;
    }
    return first;
}

namespace {

// How a sign's send ended, in the user's language when `shown`, else in the words that the
// ledger keeps whatever the language.
std::string outcome(const TSignReport& report, bool shown) {
    const auto word = [shown](const char* text) {
        return shown ? uiText("MultiSend", text) : std::string(text);
    };
    switch (report.state) {
    case TSignReport::State::Sent:
        return word(UI_TEXT_NOOP("MultiSend", "sent"));
    case TSignReport::State::Stopped:
        if (report.total == 0)
            return word(UI_TEXT_NOOP("MultiSend", "stopped before it began"));
        // Every byte handed over, but the link cannot tell whether the sign took them: never
        // "sent". Every byte acknowledged, but stopped before the sign ended the connection.
        if (report.sent == report.total)
            return report.handed
                       ? word(UI_TEXT_NOOP("MultiSend",
                                           "stopped before the sign confirmed every byte"))
                       : word(UI_TEXT_NOOP("MultiSend",
                                           "stopped after the sign acknowledged every byte"));
        return word(UI_TEXT_NOOP("MultiSend", "stopped"));
    case TSignReport::State::Waiting:
    case TSignReport::State::Sending:
        return word(UI_TEXT_NOOP("MultiSend", "not ended"));
    case TSignReport::State::OpenFailed:
    case TSignReport::State::BrokeOff:
        break;
    }
    return fillIn(word(UI_TEXT_NOOP("MultiSend", "failed: %1")), {report.reason});
}

} // namespace

std::string reportLine(const TSignJob& job, const TSignReport& report) {
    const TSendCount count{report.sent, report.total, report.handed};
    return job.name + "\t" + describeJobLink(job) + "\t" + count.text() + "\t" +
           outcome(report, true);
}

std::string reportResult(const TSignReport& report) {
    return outcome(report, false);
}

std::string describeJobLink(const TSignJob& job) {
    return job.gateway.empty() ? describeSignLink(job.link)
                               : fillIn(uiText("MultiSend", "Gateway %1"), {job.gateway});
}

TMultiSend::TMultiSend(std::vector<TSignJob> jobs, std::vector<std::string> lines)
    : jobs_(std::move(jobs))
    , lines_(std::move(lines))
    , reports_(jobs_.size()) {}

TMultiSend::~TMultiSend() = default;

std::vector<TSignReport> TMultiSend::Reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

void TMultiSend::update(std::size_t index, const std::function<void(TSignReport&)>& change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change(reports_[index]);
}

void TMultiSend::sendOne(std::size_t index) {
    if (cancel_) {
        update(index, [](TSignReport& r) { r.state = TSignReport::State::Stopped; });
        return;
    }
    update(index, [](TSignReport& r) { r.state = TSignReport::State::Sending; });
    const TSignJob& job = jobs_[index];
    TSignSender sender(job.link);
    sender.StallLimit = StallLimit;
    sender.ConnectTimeoutMs = ConnectTimeoutMs;
    sender.OnProgress = [this, index, &sender](std::size_t sent, std::size_t total) {
        update(index, [&](TSignReport& r) {
            r.sent = sent;
            r.total = total;
            r.handed = sender.Handed();
        });
    };
    sender.OnWait = [this, &sender] {
        if (cancel_)
            sender.Cancel();
    };
    // Built before the link opens, so that every report can tell the size of the message.
    const std::string& bytes = streamOf(index);
    update(index, [&](TSignReport& r) { r.total = bytes.size(); });
    try {
        TSendOutcome outcome;
        try {
            sender.Open();
            outcome = sender.Transmit(bytes);
            sender.Close();
        } catch (...) {
            try {
                sender.Close();
            } catch (...) {
                // The failure that ended the send is the one to report.
            }
            throw;
        }
        update(index, [&](TSignReport& r) {
            r.state = outcome.cancelled ? TSignReport::State::Stopped : TSignReport::State::Sent;
            r.sent = outcome.sent;
            r.total = outcome.total;
            r.handed = outcome.handed;
        });
    } catch (const ESendOpenFailed& error) {
        update(index, [&](TSignReport& r) {
            r.state = TSignReport::State::OpenFailed;
            r.sent = 0;
            r.reason = oneLine(error.what());
        });
    } catch (const ESendError& error) {
        update(index, [&](TSignReport& r) {
            r.state = TSignReport::State::BrokeOff;
            r.sent = error.sent();
            r.total = error.total();
            r.handed = error.count().handed;
            r.reason = oneLine(error.what());
        });
    } catch (const std::exception& error) {
        // Any other failure (closing the link, memory) ends this sign only, with what it had
        // counted; it is never taken for a delivered send.
        update(index, [&](TSignReport& r) {
            r.state = TSignReport::State::BrokeOff;
            r.reason = oneLine(error.what());
        });
    }
}

const std::string& TMultiSend::streamOf(std::size_t index) {
    // Once for all the signs that share a start line and a width; the signs share its bytes.
    const TSignJob& job = jobs_[index];
    if (job.stream)
        return *job.stream;
    Stream& stream = streams_.at({job.start, job.width});
    std::call_once(stream.built, [&] {
        TSendBuffer buffer;
        TBlock sendBlock;
        buildSignStream(buffer, sendBlock, lines_, job.start, job.width);
        stream.bytes = std::make_shared<const std::string>(buffer.bytes());
    });
    return *stream.bytes;
}

void TMultiSend::ShareStream(int start, int width, std::shared_ptr<const std::string> bytes) {
    Stream& stream = streams_[{start, width}];
    std::call_once(stream.built, [&] { stream.bytes = std::move(bytes); });
}

void TMultiSend::sendThroughGateways(const std::vector<std::size_t>& indices) {
    // Any failure ends the signs that have not ended, as not sent.
    auto failAll = [&](const std::string& reason) {
        for (std::size_t index : indices)
            update(index, [&](TSignReport& r) {
                if (!r.ended()) {
                    r.state = TSignReport::State::OpenFailed;
                    r.reason = reason;
                }
            });
    };
    try {
        std::vector<TGatewaySend::Job> jobs;
        for (std::size_t index : indices) {
            const TSignJob& job = jobs_[index];
            const std::size_t total = streamOf(index).size();
            update(index, [&](TSignReport& r) { r.total = total; });
            jobs.push_back({index, job.gateway, job.name, job.start, job.width, total});
        }
        if (!Gateway) {
            failAll(
                uiText("MultiSend", "No [Gateway] section names the broker of the gateway signs."));
            return;
        }
        TGatewaySend send(*Gateway, MessageFile ? *MessageFile : joinMessageLines(lines_),
                          std::move(jobs),
                          [this](std::size_t index, const std::function<void(TSignReport&)>& f) {
                              update(index, f);
                          });
        send.Run(cancel_);
    } catch (const std::exception& error) {
        failAll(oneLine(error.what()));
    }
}

std::string linkPlace(const TSignLink& link) {
    if (link.network())
        return "tcp:" + link.host + ":" + std::to_string(link.tcpPort);
    if (link.device.empty())
        return "com:" + std::to_string(link.comNumber);
    std::error_code ignored;
    const std::filesystem::path real = std::filesystem::canonical(link.device, ignored);
    return "dev:" + (real.empty() ? link.device : real.string());
}

void TMultiSend::Run() {
    // The signs by the line or the address they are on, each place's signs in turn: every
    // serial line on a thread of its own; the network places on at most MaxConnections threads.
    std::map<std::string, std::vector<std::size_t>> places;
    std::vector<std::vector<std::size_t>*> serial;
    std::vector<std::vector<std::size_t>*> network;
    std::vector<std::size_t> gatewayJobs;
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
        streams_[{jobs_[i].start, jobs_[i].width}];
        if (!jobs_[i].gateway.empty()) {
            gatewayJobs.push_back(i);
            continue;
        }
        std::vector<std::size_t>& place = places[linkPlace(jobs_[i].link)];
        if (place.empty())
            (jobs_[i].link.network() ? network : serial).push_back(&place);
        place.push_back(i);
    }

    std::mutex doneMutex;
    std::condition_variable doneChanged;
    std::size_t running = 0;
    auto finished = [&] {
        std::lock_guard<std::mutex> lock(doneMutex);
        --running;
        doneChanged.notify_all();
    };

    std::vector<std::thread> threads;
    std::atomic<std::size_t> nextNetwork = 0;
    const std::size_t networkThreads =
        std::min(network.size(), std::max<std::size_t>(MaxConnections, 1));
    running = serial.size() + networkThreads + (gatewayJobs.empty() ? 0 : 1);
    try {
        if (!gatewayJobs.empty()) {
            threads.emplace_back([this, &gatewayJobs, &finished] {
                sendThroughGateways(gatewayJobs);
                finished();
            });
        }
        for (const std::vector<std::size_t>* place : serial) {
            threads.emplace_back([this, place, &finished] {
                for (std::size_t index : *place)
                    sendOne(index);
                finished();
            });
        }
        for (std::size_t t = 0; t < networkThreads; ++t) {
            threads.emplace_back([this, &network, &nextNetwork, &finished] {
                for (std::size_t n; (n = nextNetwork++) < network.size();) {
                    for (std::size_t index : *network[n])
                        sendOne(index);
                }
                finished();
            });
        }
    } catch (...) {
        // No thread for the rest: the sends that have begun end as asked, none other begins.
        Cancel();
        for (std::thread& thread : threads)
            thread.join();
        throw;
    }

    {
        std::unique_lock<std::mutex> lock(doneMutex);
        while (running > 0) {
            doneChanged.wait_for(lock, TickInterval);
            if (OnTick && running > 0) {
                lock.unlock();
                OnTick();
                lock.lock();
            }
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    if (OnTick)
        OnTick();
}
