#include "sign/comm_settings.h"

#include "settings/profile.h"
#include "settings/settings_path.h"

#include <climits>

namespace {

// The whole number of `key`, which may run from 0 to the largest 32-bit number. A missing key
// or a text that is no number gives `def`, as the file functions do; a number out of that
// range gives `below` when it is negative and `def` when it is too large, and is reported.
int loadCount(const std::string& path, const std::string& section, const char* key, int def,
              int below, const char* belowMeaning, std::vector<std::string>& report) {
    const std::string text = readProfileString(path, section, key, "");
    const std::optional<long long> number = profileNumber(text);
    if (!number)
        return def;
    if (*number >= 0 && *number <= INT_MAX)
        return static_cast<int>(*number);
    const bool negative = *number < 0;
    const int used = negative ? below : def;
    const std::string shown = text.size() > 24 ? text.substr(0, 24) + "..." : text;
    // The section is named where it is not the editor's own.
    const std::string where = section == kCommSection ? "" : "[" + section + "] ";
    std::string note = path + ": " + where + key + "=" + shown + " is out of range; " +
                       std::to_string(used) + " is used instead";
    if (negative && belowMeaning)
        note += std::string(" (") + belowMeaning + ")";
    report.push_back(note + ".");
    return used;
}

} // namespace

TBComm::TBComm()
    : path_(settingsFilePath()) {}

TBComm::TBComm(std::string settingsPath)
    : path_(std::move(settingsPath)) {}

TBComm::TBComm(std::string settingsPath, std::string section)
    : path_(std::move(settingsPath))
    , section_(std::move(section)) {}

std::vector<std::string> TBComm::Load() {
    std::vector<std::string> report;
    Port = loadCount(path_, section_, "Port", kDefaultCommPort, 0,
                     "no serial port is chosen: a send asks for one", report);
    Baud = loadCount(path_, section_, "Baud", kDefaultCommBaud, kDefaultCommBaud, nullptr, report);
    setIP(readProfileString(path_, section_, "IP", kDefaultCommIP));
    return report;
}

void TBComm::Save() {
    writeProfileString(path_, section_, "Port", std::to_string(Port));
    writeProfileString(path_, section_, "Baud", std::to_string(Baud));
    writeProfileString(path_, section_, "IP", IP);
}
