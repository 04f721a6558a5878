#include "sign/comm_settings.h"

#include "base/ui_text.h"
#include "settings/profile.h"
#include "settings/settings_path.h"

#include <climits>

namespace {

// The whole number of `key` in `section`, which may run from 0 to `most`. A missing key or a text
// that is no number gives `def`, as the file functions do; a number out of that range gives
// `below` when it is negative and `def` when it is too large, and is reported.
int loadCount(const TProfile& profile, const std::string& section, const char* key, int def,
              int below, const char* belowMeaning, std::vector<std::string>& report,
              int most = INT_MAX) {
    const std::string& path = profile.path();
    const std::string text = profile.string(section, key, "");
    const std::optional<long long> number = profileNumber(text);
    if (!number)
        return def;
    if (*number >= 0 && *number <= most)
        return static_cast<int>(*number);
    const bool negative = *number < 0;
    const int used = negative ? below : def;
    const std::string shown = text.size() > 24 ? text.substr(0, 24) + "..." : text;
    // The section is named where it is not the editor's own.
    const std::string where = section == kCommSection ? "" : "[" + section + "] ";
    const std::string setting = where + key + "=" + shown;
    if (negative && belowMeaning)
        report.push_back(
            fillIn(uiText("CommSettings", "%1: %2 is out of range; %3 is used instead (%4)."),
                   {path, setting, std::to_string(used), uiText("CommSettings", belowMeaning)}));
    else
        report.push_back(
            fillIn(uiText("CommSettings", "%1: %2 is out of range; %3 is used instead."),
                   {path, setting, std::to_string(used)}));
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
    return Load(TProfile::read(path_));
}

std::vector<std::string> TBComm::Load(const TProfile& profile) {
    std::vector<std::string> report;
    Port = loadCount(profile, section_, "Port", kDefaultCommPort, 0,
                     UI_TEXT_NOOP("CommSettings", "no serial port is chosen: a send asks for one"),
                     report);
    Baud =
        loadCount(profile, section_, "Baud", kDefaultCommBaud, kDefaultCommBaud, nullptr, report);
    setIP(profile.string(section_, "IP", kDefaultCommIP));
    SignLines = loadCount(profile, section_, "SignLines", 0, 0, nullptr, report, kMaxSignLines);
    SignColumns =
        loadCount(profile, section_, "SignColumns", 0, 0, nullptr, report, kMaxSignColumns);
    return report;
}

void TBComm::Save() {
    writeProfileString(path_, section_, "Port", std::to_string(Port));
    writeProfileString(path_, section_, "Baud", std::to_string(Baud));
    writeProfileString(path_, section_, "IP", IP);
    // A file that never knew the sign's size stays as it was until a size is set.
    writeSizeKey("SignLines", SignLines);
    writeSizeKey("SignColumns", SignColumns);
}

void TBComm::writeSizeKey(const char* key, int value) {
    // No value can hold a line break: it stands for a missing key.
    if (value == 0 && readProfileString(path_, section_, key, "\n") == "\n")
        return;
    writeProfileString(path_, section_, key, std::to_string(value));
}
