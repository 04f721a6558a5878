#pragma once

#include "broker/broker_link.h"
#include "fleet/gateway_protocol.h"
#include "fleet/gateway_settings.h"
#include "fleet/sign_choice.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The gateway at work: it keeps its availability on the broker ("online" while connected,
// "offline" as its last will and when it stops), takes the commands of its signs, sends each
// message with the one sender, one sign at a time on each line or address (the others side by
// side), and publishes each result and each sign's retained state. It connects again after a
// loss, with a doubling pause, and then publishes again what the broker may have lost.
class TGatewayService {
public:
    // `log` is told one line for each event worth a journal line.
    TGatewayService(TGatewaySettings settings, TBrokerOptions options,
                    std::vector<TChosenSign> signs, std::function<void(const std::string&)> log);
    ~TGatewayService();
    TGatewayService(const TGatewayService&) = delete;
    TGatewayService& operator=(const TGatewayService&) = delete;

    // Serves until `stop` is set: then takes no more commands, lets the sends that have begun
    // end (all of them stop at once when `stop` reaches 2), refuses those that wait, publishes
    // "offline" and disconnects.
    void Run(const std::atomic<int>& stop);

private:
    struct State;
    std::unique_ptr<State> state_;
};
