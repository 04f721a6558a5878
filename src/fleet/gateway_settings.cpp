#include "fleet/gateway_settings.h"

#include "base/ascii_case.h"
#include "base/error_text.h"
#include "base/ui_text.h"
#include "base/whole_number.h"
#include "files/whole_file.h"
#include "fleet/gateway_protocol.h"
#include "settings/profile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t kMaxExpiry = 3600;

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Who besides the owner may change the file at `path` or what its folder holds; empty when
// nobody may.
std::string writersProblem(const std::string& path, const struct stat& file) {
    if (file.st_uid != 0 && file.st_uid != ::geteuid())
        return fillIn(uiText("GatewaySettings", "it belongs to another user (uid %1)"),
                      {std::to_string(file.st_uid)});
    if (file.st_mode & (S_IWGRP | S_IWOTH))
        return fillIn(
            uiText("GatewaySettings", "users other than its owner may write it (mode %1)"),
            {octal(file.st_mode)});
    struct stat folder {};
    const std::string dir = folderOf(path);
    if (::stat(dir.c_str(), &folder) != 0)
        return {};
    const bool othersWrite = (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    if (othersWrite && !(folder.st_mode & S_ISVTX))
        return fillIn(uiText("GatewaySettings", "users other than its owner may replace it: its "
                                                "folder %1 is writable by others (mode %2)"),
                      {dir, octal(folder.st_mode)});
    return {};
}

std::string statProblem(const std::string& path, struct stat& file) {
    if (::stat(path.c_str(), &file) != 0)
        return std::strerror(errno);
    if (!S_ISREG(file.st_mode))
        return uiText("GatewaySettings", "it is not a regular file");
    return {};
}

std::string key(const std::string& path, const char* name) {
    return readProfileString(path, kGatewaySection, name, "");
}

std::string fault(const std::string& path, const char* name, const std::string& value,
                  const std::string& why) {
    return path + ": [" + kGatewaySection + "] " + name + "=" + value + ": " + why;
}

} // namespace

TBrokerAddress parseBrokerUrl(std::string_view url) {
    TBrokerAddress address;
    std::string_view rest;
    if (url.starts_with("mqtt://")) {
        rest = url.substr(7);
    } else if (url.starts_with("mqtts://")) {
        rest = url.substr(8);
        address.tls = true;
        address.port = 8883;
    } else {
        throw std::runtime_error("\"" + std::string(url) +
                                 "\" is no broker: give mqtt://HOST:PORT or mqtts://HOST:PORT.");
    }
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    const std::size_t colon = rest.rfind(':');
    if (colon != std::string_view::npos) {
        const std::optional<long long> port =
            parseWholeNumber(rest.substr(colon + 1), TNumberForm::Digits);
        if (!port || *port < 1 || *port > 65535)
            throw std::runtime_error(fillIn(
                uiText("GatewaySettings", "\"%1\": the port is a whole number from 1 to 65535."),
                {url}));
        address.port = static_cast<int>(*port);
        rest = rest.substr(0, colon);
    }
    if (rest.empty() || rest.find('/') != std::string_view::npos)
        throw std::runtime_error(
            fillIn(uiText("GatewaySettings", "\"%1\" names no broker host."), {url}));
    address.host = rest;
    return address;
}

bool hasGatewaySettings(const std::string& path) {
    return !key(path, "Broker").empty();
}

TGatewaySettings readGatewaySettings(const std::string& path) {
    const std::vector<std::string> sections = readProfileSections(path);
    const bool present = std::any_of(sections.begin(), sections.end(), [](const std::string& s) {
        return sameIgnoringAsciiCase(s, kGatewaySection);
    });
    TGatewaySettings settings;
    settings.broker = key(path, "Broker");
    if (!present || settings.broker.empty())
        throw std::runtime_error(
            fillIn(uiText("GatewaySettings", "%1 has no [Gateway] section with a Broker= (for "
                                             "example Broker=mqtt://localhost:1883)."),
                   {path}));
    try {
        settings.address = parseBrokerUrl(settings.broker);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(fault(path, "Broker", settings.broker, error.what()));
    }
    settings.name = key(path, "Name");
    if (settings.name.empty())
        settings.name = hostName();
    if (const std::string problem = topicNameProblem(settings.name); !problem.empty())
        throw std::runtime_error(fault(
            path, "Name", settings.name,
            fillIn(uiText("GatewaySettings", "the name cannot be a topic level: %1"), {problem})));
    settings.user = key(path, "User");
    settings.passwordFile = key(path, "PasswordFile");
    settings.caFile = key(path, "CAFile");
    if (const std::string expiry = key(path, "Expiry"); !expiry.empty()) {
        const std::optional<long long> seconds = parseWholeNumber(expiry, TNumberForm::Digits);
        if (!seconds || *seconds < 1 || *seconds > kMaxExpiry)
            throw std::runtime_error(
                fault(path, "Expiry", expiry,
                      uiText("GatewaySettings", "the seconds are a whole number from 1 to 3600")));
        settings.expiry = static_cast<std::uint32_t>(*seconds);
    }
    return settings;
}

TBrokerOptions brokerOptions(const TGatewaySettings& settings) {
    TBrokerOptions options;
    options.host = settings.address.host;
    options.port = settings.address.port;
    options.tls = settings.address.tls;
    options.caFile = settings.caFile;
    options.user = settings.user;
    if (settings.passwordFile.empty())
        return options;
    const std::string& path = settings.passwordFile;
    if (const std::string problem = secretFileProblem(path); !problem.empty())
        throw std::runtime_error(
            fillIn(uiText("GatewaySettings", "The password file %1 is not used: %2. Make it "
                                             "readable by its owner only (chmod 600)."),
                   {path, problem}));
    std::string data;
    std::string reason;
    if (readRegularFile(path, data, reason) != TReadResult::Ok)
        throw std::runtime_error(failureLine(
            fillIn(uiText("GatewaySettings", "Cannot read the password file %1"), {path}), reason));
    options.password = data.substr(0, data.find_first_of("\r\n"));
    return options;
}

std::string settingsFileProblem(const std::string& path) {
    struct stat file {};
    if (std::string problem = statProblem(path, file); !problem.empty())
        return problem;
    return writersProblem(path, file);
}

std::string secretFileProblem(const std::string& path) {
    struct stat file {};
    if (std::string problem = statProblem(path, file); !problem.empty())
        return problem;
    if (file.st_mode & (S_IRGRP | S_IROTH))
        return fillIn(uiText("GatewaySettings", "users other than its owner may read it (mode %1)"),
                      {octal(file.st_mode)});
    return writersProblem(path, file);
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    // The first label only: "shop-east.example.org" is the gateway "shop-east".
    std::string text = name;
    return text.substr(0, text.find('.'));
}
