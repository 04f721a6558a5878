#pragma once

#include "broker/broker_link.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// The settings file's section "[Gateway]": the broker through which gateway signs are reached,
// and, on the computer that the signs hang on, the gateway itself.
//   Broker=mqtt://host:1883 or mqtts://host:8883 (the port may be left out)
//   Name=      the gateway's name in its topics; the host name when left out
//   User=      the user name given to the broker
//   PasswordFile=  a file whose first line is the password; refused when others may read it
//   CAFile=    with mqtts://, the certificates that the broker's must chain to
//   Expiry=    seconds that a command waits to be acted on, 1 to 3600 (60)

constexpr const char* kGatewaySection = "Gateway";

struct TBrokerAddress {
    std::string host;
    int port = 1883;
    bool tls = false;
};

// "mqtt://host[:port]" or "mqtts://host[:port]" (1883 and 8883 without a port). Throws
// std::runtime_error for any other text.
TBrokerAddress parseBrokerUrl(std::string_view url);

struct TGatewaySettings {
    // As the file gives it, for messages.
    std::string broker;
    TBrokerAddress address;
    std::string name;
    std::string user;
    std::string passwordFile;
    std::string caFile;
    std::uint32_t expiry = 60;
};

// Whether the file at `path` has a [Gateway] section that names a broker.
bool hasGatewaySettings(const std::string& path);

// The [Gateway] section of the file at `path`. Throws std::runtime_error when it is missing,
// names no broker or holds a value that cannot be used; EFOpenError when the file cannot be read.
TGatewaySettings readGatewaySettings(const std::string& path);

// How the link to the broker is made with these settings, the password read from its file
// (checked first: secretFileProblem). Throws std::runtime_error.
TBrokerOptions brokerOptions(const TGatewaySettings& settings);

// Why a daemon must not take its settings from the file at `path`: users other than its owner
// may write it or replace it (the file, or its folder, writable by a group or by everybody; a
// file owned by another user than the one who runs the program or root). Empty when it is safe.
std::string settingsFileProblem(const std::string& path);

// Why the password in the file at `path` is not private: the same as for settings, and users
// other than its owner may read it. Empty when it is private.
std::string secretFileProblem(const std::string& path);

// The name of this computer, for a gateway that names none.
std::string hostName();
