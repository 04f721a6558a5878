#include "fleet/sign_choice.h"

#include "base/ascii_case.h"
#include "base/ui_text.h"
#include "base/whole_number.h"
#include "fleet/gateway_protocol.h"
#include "fleet/multi_send.h"
#include "settings/profile.h"
#include "sign/comm_settings.h"
#include "sign/send_address.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr std::string_view kSignWord = "Sign";

// Whether a section name is that of a sign: the word "Sign" (in any case) alone or followed by a
// space and the sign's name.
bool isSignSection(std::string_view section) {
    return section.size() >= kSignWord.size() &&
           sameIgnoringAsciiCase(section.substr(0, kSignWord.size()), kSignWord) &&
           (section.size() == kSignWord.size() || section[kSignWord.size()] == ' ');
}

// The sign's name in a sign section's name; empty when it gives none.
std::string signNameOf(const std::string& section) {
    const std::size_t first = section.find_first_not_of(' ', kSignWord.size());
    return first == std::string::npos ? std::string() : section.substr(first);
}

struct NamedSection {
    std::string name;
    std::string section;
    std::size_t line = 0;
};

// The sign sections of the file, in file order, and what is wrong with those that cannot be
// used as they stand: a section without a sign's name, one whose header is more than a name in
// brackets, a second section for a sign already named.
std::vector<NamedSection> signSections(const TProfile& profile, std::vector<std::string>& faults) {
    const std::string& settingsPath = profile.path();
    std::vector<NamedSection> signs;
    // Each sign's place in `signs` by its name in lower case.
    std::unordered_map<std::string, std::size_t> named;
    for (const TProfileHeader& header : profile.headers()) {
        if (!isSignSection(header.name))
            continue;
        const std::string where = fillIn(uiText("SignChoice", "%1, line %2: %3"),
                                         {settingsPath, std::to_string(header.line), header.text});
        const std::string name = signNameOf(header.name);
        if (!header.closed) {
            faults.push_back(fillIn(
                uiText("SignChoice", "%1 is not a sign section: a section header is its "
                                     "name in brackets, and a sign's name cannot hold \"]\"."),
                {where}));
            continue;
        }
        if (name.empty()) {
            faults.push_back(fillIn(
                uiText("SignChoice", "%1 names no sign: write the sign's name after \"Sign\"."),
                {where}));
            continue;
        }
        // "Sign a" and "Sign  a" are one sign to the user, as are "a" and "A".
        const auto [known, first] = named.try_emplace(foldAsciiCase(name), signs.size());
        if (!first) {
            faults.push_back(
                fillIn(uiText("SignChoice", "%1 names the sign %2 again (first on line %3): one "
                                            "section for each sign, or its values are never used."),
                       {where, name, std::to_string(signs[known->second].line)}));
            continue;
        }
        signs.push_back({name, header.name, header.line});
    }
    return signs;
}

// The sign sections of a file that can be used as it stands; throws std::runtime_error with the
// first fault.
std::vector<NamedSection> signSections(const TProfile& profile) {
    std::vector<std::string> faults;
    std::vector<NamedSection> signs = signSections(profile, faults);
    if (!faults.empty())
        throw std::runtime_error(faults.front());
    return signs;
}

// The value of a sign's Line or Width: none when the key is missing or empty.
std::optional<int> boundedKey(const TProfile& profile, const std::string& section, const char* key,
                              int low, int high, const char* meaning) {
    const std::string& path = profile.path();
    const std::string text = profile.string(section, key, "");
    if (text.empty())
        return std::nullopt;
    const std::optional<long long> number = profileNumber(text);
    if (!number || *number < low || *number > high)
        throw std::runtime_error(
            fillIn(uiText("SignChoice", "%1: [%2] %3=%4: %5 is a whole number from %6 to %7."),
                   {path, section, key, text, uiText("SignChoice", meaning), std::to_string(low),
                    std::to_string(high)}));
    return static_cast<int>(*number);
}

// The sign of `section` that hangs on `gateway`: no link of its own.
TChosenSign readGatewaySign(const TProfile& profile, const std::string& name,
                            const std::string& section, const std::string& gateway,
                            const TLinkOverride& change) {
    const std::string& path = profile.path();
    if (change.namesAPlace() || change.baud)
        throw std::runtime_error("The sign " + name + " hangs on the gateway " + gateway +
                                 ": its link is set there, not by a port, a baud rate, a device "
                                 "or a host.");
    for (const auto& [what, text] : {std::pair{"gateway", gateway}, std::pair{"sign", name}}) {
        if (const std::string problem = topicNameProblem(text); !problem.empty())
            throw std::runtime_error(path + ": [" + section + "]: the " + what + " name \"" + text +
                                     "\" cannot be a topic level: " + problem + ".");
    }
    TChosenSign sign;
    sign.name = name;
    sign.gateway = gateway;
    sign.start = boundedKey(profile, section, "Line", kMinStartLine, kMaxStartLine,
                            UI_TEXT_NOOP("SignChoice", "the start line"));
    sign.width = boundedKey(profile, section, "Width", kMinLineWidth, kMaxLineWidth,
                            UI_TEXT_NOOP("SignChoice", "the width"));
    return sign;
}

// The sign of `section` with the run's overrides applied to its values.
TChosenSign readSign(const TProfile& profile, const std::string& name, const std::string& section,
                     const TLinkOverride& change, std::vector<std::string>& notes) {
    const std::string& path = profile.path();
    if (change.host && change.device)
        throw std::runtime_error("A sign is reached either over the network or over a serial "
                                 "device, not both.");
    if (change.host && change.port && *change.port < kFirstNetworkPort)
        throw std::runtime_error("Port " + std::to_string(*change.port) +
                                 " is a serial port; a host is reached over the network.");
    if (change.device && change.port && *change.port >= kFirstNetworkPort)
        throw std::runtime_error("Port " + std::to_string(*change.port) +
                                 " is the network; a serial device needs a port from 1 to 4.");

    if (section != kCommSection) {
        const std::string gateway = profile.string(section, "Gateway", "");
        if (!gateway.empty())
            return readGatewaySign(profile, name, section, gateway, change);
    }
    TBComm comm(path, section);
    for (std::string& note : comm.Load(profile))
        notes.push_back(std::move(note));
    const bool editors = section == kCommSection;
    std::string device = editors ? "" : profile.string(section, "Device", "");
    if (!device.empty() && comm.usesNetwork() && !change.port && !change.host && !change.device)
        throw std::runtime_error(path + ": [" + section + "] names the serial device " + device +
                                 " but Port=" + std::to_string(comm.Port) +
                                 " chooses the network.");
    if (change.port) {
        // Another port: the section's device belonged to its own.
        comm.Port = *change.port;
        device.clear();
    }
    if (change.baud)
        comm.Baud = *change.baud;
    if (change.device)
        device = *change.device;

    TChosenSign sign;
    sign.name = name;
    if (change.host) {
        const auto [host, port] = splitHostPort(*change.host);
        sign.link = TSignLink::Network(host, port);
    } else if (!device.empty()) {
        sign.link = TSignLink::Serial(change.port ? static_cast<unsigned>(*change.port) : 0,
                                      comm.Baud, device);
    } else if (comm.usesNetwork() && !editors) {
        const auto [host, port] = splitHostPort(comm.IP);
        sign.link = TSignLink::Network(host, port);
    } else {
        // The editor's link exactly as its Send Message takes it, the [Ports] map included.
        sign.link = signLinkFromSettings(comm, profile);
        // A sign's section without a usable Port goes where the shared default sends it; said,
        // since a section that gives an IP was likely meant for the network.
        sign.link.defaultPort =
            !editors && !change.port && !profileNumber(profile.string(section, "Port", ""));
    }
    if (!editors) {
        sign.start = boundedKey(profile, section, "Line", kMinStartLine, kMaxStartLine,
                                UI_TEXT_NOOP("SignChoice", "the start line"));
        sign.width = boundedKey(profile, section, "Width", kMinLineWidth, kMaxLineWidth,
                                UI_TEXT_NOOP("SignChoice", "the width"));
    }
    return sign;
}

} // namespace

std::pair<std::string, int> splitHostPort(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos)
        return {std::string(text), kSignTcpPort};
    const std::string_view digits = text.substr(colon + 1);
    const std::optional<long long> port = parseWholeNumber(digits, TNumberForm::Digits);
    if (!port || *port < 1 || *port > 65535)
        throw std::runtime_error("\"" + std::string(text) +
                                 "\": the port after the colon is a whole number from 1 to 65535.");
    if (colon == 0)
        throw std::runtime_error("\"" + std::string(text) + "\": no address before the port.");
    return {std::string(text.substr(0, colon)), static_cast<int>(*port)};
}

std::vector<std::string> signSectionFaults(const std::string& settingsPath) {
    std::vector<std::string> faults;
    try {
        signSections(TProfile::read(settingsPath, true), faults);
    } catch (const std::exception&) {
        // A file that cannot be read is told by those that read it.
    }
    return faults;
}

std::string loadEditorSettings(TBComm& comm) {
    std::vector<std::string> notes = comm.Load();
    for (std::string& fault : signSectionFaults(comm.settingsPath()))
        notes.push_back(std::move(fault));
    std::string report;
    for (const std::string& note : notes)
        report += (report.empty() ? "" : "\n") + note;
    return report;
}

std::vector<std::string> namedSigns(const std::string& settingsPath) {
    std::vector<std::string> names;
    for (const NamedSection& sign : signSections(TProfile::read(settingsPath, true)))
        names.push_back(sign.name);
    return names;
}

std::vector<TChosenSign> chooseSigns(const std::string& settingsPath, const TSignRequest& request,
                                     std::vector<std::string>& notes) {
    // Read first as a whole: a file that exists and cannot be read must not pass for one
    // without settings.
    const TProfile profile = TProfile::read(settingsPath, true);
    const std::vector<NamedSection> sections = signSections(profile);

    std::vector<NamedSection> chosen;
    if (request.all) {
        chosen = sections;
        if (chosen.empty())
            throw std::runtime_error(settingsPath +
                                     " names no sign: add a section [Sign NAME] for each.");
    } else if (request.names.empty()) {
        chosen.push_back({kCommSection, kCommSection});
    }
    for (const std::string& name : request.names) {
        const auto found = std::find_if(sections.begin(), sections.end(), [&](const auto& s) {
            return sameIgnoringAsciiCase(s.name, name);
        });
        if (found == sections.end()) {
            std::string known;
            for (const NamedSection& s : sections)
                known += (known.empty() ? "" : ", ") + s.name;
            throw std::runtime_error(
                "No sign \"" + name + "\" in " + settingsPath +
                (known.empty() ? ": it names no sign." : ": its signs are " + known + "."));
        }
        const bool twice = std::any_of(chosen.begin(), chosen.end(),
                                       [&](const auto& s) { return s.section == found->section; });
        if (!twice)
            chosen.push_back(*found);
    }
    if (chosen.size() > 1 && request.change.namesAPlace())
        throw std::runtime_error("A port, a device or a host names the place of one sign; " +
                                 std::to_string(chosen.size()) + " signs are chosen.");

    std::vector<TChosenSign> signs;
    for (const NamedSection& s : chosen)
        signs.push_back(readSign(profile, s.name, s.section, request.change, notes));
    return signs;
}

TSignJob signJob(const TChosenSign& sign, std::optional<int> start, std::optional<int> width,
                 const TRememberedAddress& remembered) {
    TSignJob job;
    job.name = sign.name;
    job.link = sign.link;
    job.gateway = sign.gateway;
    job.start = start.value_or(sign.start.value_or(remembered.start.value_or(kDefaultStartLine)));
    job.width = width.value_or(sign.width.value_or(remembered.width.value_or(kDefaultLineWidth)));
    return job;
}

bool needsGateway(const std::vector<TChosenSign>& signs) {
    return std::any_of(signs.begin(), signs.end(),
                       [](const TChosenSign& sign) { return !sign.gateway.empty(); });
}

bool needsRememberedAddress(const std::vector<TChosenSign>& signs, std::optional<int> start,
                            std::optional<int> width) {
    return std::any_of(signs.begin(), signs.end(), [&](const TChosenSign& sign) {
        return (!start && !sign.start) || (!width && !sign.width);
    });
}
