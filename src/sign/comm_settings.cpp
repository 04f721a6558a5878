#include "sign/comm_settings.h"

#include "sign/profile.h"
#include "sign/settings_path.h"

namespace {
constexpr const char* kSection = "Comm";
}

TBComm::TBComm()
    : path_(settingsFilePath()) {}

TBComm::TBComm(std::string settingsPath)
    : path_(std::move(settingsPath)) {}

void TBComm::Load() {
    Port = readProfileInt(path_, kSection, "Port", kDefaultCommPort);
    Baud = readProfileInt(path_, kSection, "Baud", kDefaultCommBaud);
    setIP(readProfileString(path_, kSection, "IP", kDefaultCommIP));
}

void TBComm::Save() {
    writeProfileString(path_, kSection, "Port", std::to_string(Port));
    writeProfileString(path_, kSection, "Baud", std::to_string(Baud));
    writeProfileString(path_, kSection, "IP", IP);
}
