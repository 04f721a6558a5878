#pragma once

#include "fleet/gateway_settings.h"
#include "fleet/multi_send.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The sends of one run to signs that hang on gateways: one connection to the broker for all of
// them. A sign is sent to only while its gateway is online: the command is published when the
// gateway's availability says "online", and its result is awaited with its id. Each sign ends
// with an honest report:
//   - the broker cannot be reached or refuses the user, the gateway is offline or has never been
//     online, the broker refuses the command, the gateway does not serve the sign, takes no
//     notice of the command before it expires, or refuses it: not opened (nothing was sent);
//   - the gateway began the send and reports no end within the line time of the message plus
//     ResultGrace: broke off (the sign may have taken part of it);
//   - otherwise what the gateway reports: sent, stopped, not opened or broke off, with its count.
// A lost connection to the broker is made again; a result missed meanwhile is found in the
// sign's retained state, which carries the id of the send it tells.
class TGatewaySend {
public:
    struct Job {
        std::size_t index = 0; // of the run's reports
        std::string gateway;
        std::string sign;
        int start = 1;
        int width = 20;
        std::size_t total = 0; // the stream's size, for the reports
    };
    // Changes the report of job `index`.
    using Update = std::function<void(std::size_t index, const std::function<void(TSignReport&)>&)>;

    TGatewaySend(TGatewaySettings settings, std::string message, std::vector<Job> jobs,
                 Update update);
    ~TGatewaySend();
    TGatewaySend(const TGatewaySend&) = delete;
    TGatewaySend& operator=(const TGatewaySend&) = delete;

    // The wait for a begun send beyond the message's line time.
    std::chrono::milliseconds ResultGrace{30000};
    // The wait for the broker's acceptance of the connection.
    std::chrono::milliseconds ConnectTimeout{5000};
    // After a cancel, the wait for the gateways to confirm the stop.
    std::chrono::milliseconds CancelWait{5000};

    // Sends and returns when every job has ended. `cancel` set: the commands not yet published
    // are not, the gateways are asked to stop the others.
    void Run(const std::atomic<bool>& cancel);

private:
    struct State;
    std::unique_ptr<State> state_;
};
