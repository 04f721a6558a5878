#include "settings/port_map.h"

#include "links/comport.h"
#include "settings/profile.h"

std::string comDeviceFromSettings(const std::string& settingsPath, unsigned number) {
    const std::string mapped =
        readProfileString(settingsPath, "Ports", "COM" + std::to_string(number), "");
    return mapped.empty() ? defaultComDevice(number) : mapped;
}
