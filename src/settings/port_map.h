#pragma once

#include <string>

// The device of serial port `number`: the value of key "COM<number>" in section "Ports" of the
// settings file at `settingsPath` when it is set (for example COM1=/dev/ttyUSB0), otherwise
// the machine's numbered port /dev/ttyS<number - 1>.
std::string comDeviceFromSettings(const std::string& settingsPath, unsigned number);

class TProfile;
// The same from a settings file already read.
std::string comDeviceFromSettings(const TProfile& settings, unsigned number);
