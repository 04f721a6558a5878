#pragma once

#include "sign/sign_size.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// The port numbers from this one on choose the network link; those below, a serial port.
constexpr int kFirstNetworkPort = 5;
// Most characters of the sign's network address.
constexpr std::size_t kMaxCommIP = 40;
// The settings file's section of the editor's link.
constexpr const char* kCommSection = "Comm";
// Values used when the settings file has no usable entry.
constexpr int kDefaultCommPort = 2;
constexpr int kDefaultCommBaud = 1200;
constexpr const char* kDefaultCommIP = "192.168.1.100";
// The baud rates that the user can choose, at positions 0 to 6 of the Communications Setup
// dialog. `Baud` may hold any other rate that the settings file gives.
constexpr std::array<int, 7> kBaudTable = {300, 600, 1200, 2400, 4800, 9600, 19200};

// How the sign is reached: serial port `Port` (1 to 4) at `Baud` bits per second, or the
// network link (`Port` 5 or more) at address `IP`; and the sign's size, `SignLines` lines of
// `SignColumns` characters (0: not known). Kept in section "Comm" of the settings file.
class TProfile;

class TBComm {
public:
    // Settings kept in the machine's settings file (settingsFilePath()).
    TBComm();
    // Settings kept in the file at `settingsPath`.
    explicit TBComm(std::string settingsPath);
    // Settings kept in another section of that file, with the same keys and rules (the named
    // signs of the command-line sender); the editor only ever uses "Comm".
    TBComm(std::string settingsPath, std::string section);

    int Port = 0;
    int Baud = 0;
    std::string IP;      // at most 40 characters: use setIP to store a longer text
    int SignLines = 0;   // 0 to 99
    int SignColumns = 0; // 0 to 999

    // Stores the first 40 characters of `ip` in `IP`.
    void setIP(const std::string& ip) { IP = ip.substr(0, kMaxCommIP); }

    // Sets the fields from the settings file; missing or unreadable entries give the defaults
    // 2, 1200, 192.168.1.100 and a sign of unknown size. A number out of range (a port below 0,
    // a negative baud rate, one beyond 32 bits, a sign size beyond 99 lines or 999 characters)
    // is replaced: a port below 0 by 0 (no port chosen, a send asks for one), any other by the
    // key's default. Returns one line for each value replaced, naming the file, the key, the
    // value and what is used instead, for the user to be told.
    std::vector<std::string> Load();
    // The same from a settings file already read (which names the file in the lines).
    std::vector<std::string> Load(const TProfile& profile);
    // Writes "Port", "Baud", "IP", "SignLines" and "SignColumns", in this order; a size of 0
    // only over a key that the file holds. Throws EFCreateError ("Unable to write to
    // <file>") at the first key that cannot be written; the fields keep their values.
    void Save();

    TSignSize signSize() const { return {SignLines, SignColumns}; }
    // Whether `Port` chooses the network link.
    bool usesNetwork() const { return Port >= kFirstNetworkPort; }

    const std::string& settingsPath() const { return path_; }
    const std::string& section() const { return section_; }
    void setSettingsPath(std::string path) { path_ = std::move(path); }

private:
    void writeSizeKey(const char* key, int value);

    std::string path_;
    std::string section_ = kCommSection;
};
