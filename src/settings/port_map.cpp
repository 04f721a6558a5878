#include "settings/port_map.h"

#include "links/comport.h"
#include "settings/profile.h"

std::string comDeviceFromSettings(const std::string& settingsPath, unsigned number) {
    return comDeviceFromSettings(TProfile::read(settingsPath), number);
}

std::string comDeviceFromSettings(const TProfile& settings, unsigned number) {
    const std::string mapped = settings.string("Ports", "COM" + std::to_string(number), "");
    return mapped.empty() ? defaultComDevice(number) : mapped;
}
