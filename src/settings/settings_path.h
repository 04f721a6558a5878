#pragma once

#include <string>

// Name of the settings file.
constexpr const char* kSettingsFileName = "LUMAVANE.INI";
// The machine-wide directory that an installation creates for the settings file.
constexpr const char* kMachineSettingsDir = "/var/lib/lumavane";

// The settings file of this machine: the path in LUMAVANE_INI when that is set and not empty;
// else LUMAVANE.INI in the machine-wide directory when the directory exists; else
// LUMAVANE.INI in the user's configuration directory ($XDG_CONFIG_HOME/lumavane, by default
// ~/.config/lumavane), which is created when the file is first written.
std::string settingsFilePath();

// The same rule with another machine-wide directory.
std::string settingsFilePath(const std::string& machineDir);
