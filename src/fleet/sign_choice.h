#pragma once

#include "sign/sign_sender.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The signs that one run of the command-line sender goes to. By default the editor's own link,
// section "Comm" of the settings file, read exactly as the editor reads it. Beside it the file
// may name signs, one section "[Sign NAME]" each, with the keys of "Comm" (Port, Baud, IP, the
// same defaults and rules) and three of their own: Device (a serial device, used instead of a
// port number), Line and Width (where the message goes on that sign). In a sign's IP the
// address may carry its TCP port, ADDR:PORT (23 without); the editor never reads these
// sections. A sign whose section says Gateway=NAME hangs on another computer: it is reached
// through the broker of the [Gateway] section (gateway_settings.h), by the name of its section,
// and its link keys are those of the gateway's own settings file.

// What the sender knows of one sign.
struct TChosenSign {
    // The sign's name; kCommSection for the editor's link.
    std::string name;
    TSignLink link;
    // The gateway that it hangs on; empty for a sign that this computer reaches itself.
    std::string gateway;
    // The start line and width that the sign's section gives, if any.
    std::optional<int> start;
    std::optional<int> width;
};

// Link values given for one run only; never written back.
struct TLinkOverride {
    std::optional<int> port;           // as the key Port: 1 to 4 serial, 5 or more the network
    std::optional<int> baud;           // the serial line speed
    std::optional<std::string> device; // a serial device, used instead of a port's own
    std::optional<std::string> host;   // ADDR or ADDR:PORT: the network link to it

    // Whether it names one sign's place (a port, a device or a host), which cannot hold for
    // several signs at once.
    bool namesAPlace() const { return port || device || host; }
};

// Which signs: the named ones (each once, in the order given), every named sign of the file
// (`all`), or the editor's link when neither is asked for.
struct TSignRequest {
    std::vector<std::string> names;
    bool all = false;
    TLinkOverride change;
};

// What makes the file's sign sections unusable as they stand, one line each, naming the file,
// the line and the section: a section "[Sign ]" without a name, a header with more after its
// name than the closing bracket ("[Sign x]y]"), a second section for a sign already named. None
// for a file that is missing or cannot be read.
std::vector<std::string> signSectionFaults(const std::string& settingsPath);

// Reads the editor's own link settings into `comm` (TBComm::Load) and returns what the user is to
// be told of the settings file, one line each: the values replaced, and the sign sections that
// lumavane-send cannot use (signSectionFaults). Empty when all is well.
std::string loadEditorSettings(TBComm& comm);

// The names of the file's signs, in file order; none when the file is missing. Throws
// EFOpenError when the file exists but cannot be read, std::runtime_error with the first of
// signSectionFaults.
std::vector<std::string> namedSigns(const std::string& settingsPath);

// The signs of `request` with their links, the overrides applied. Values of the file that are
// out of range and replaced as the editor replaces them are told in `notes`. Throws
// std::runtime_error for a file whose sign sections cannot be used (signSectionFaults), a sign
// that the file does not name, a sign's Line or Width that is not a
// number in the dialog's bounds, a Device on a sign whose Port is the network, a host's port that
// is no TCP port, a gateway sign whose names cannot be topics or that an override would move,
// and contradicting overrides; EFOpenError for a file that cannot be read.
std::vector<TChosenSign> chooseSigns(const std::string& settingsPath, const TSignRequest& request,
                                     std::vector<std::string>& notes);

// "ADDR" or "ADDR:PORT" as a host and a TCP port (23 without). Throws std::runtime_error when the
// port is not a whole number from 1 to 65535 or the address is empty.
std::pair<std::string, int> splitHostPort(std::string_view text);

struct TRememberedAddress;
struct TSignJob;

// Where the message goes on a sign: the run's own start line and width when given, else the
// sign's Line and Width, else the values that the editor's Select Address dialog remembered,
// else 1 and 20.
TSignJob signJob(const TChosenSign& sign, std::optional<int> start, std::optional<int> width,
                 const TRememberedAddress& remembered);

// Whether some sign hangs on a gateway (so that the [Gateway] section must be read).
bool needsGateway(const std::vector<TChosenSign>& signs);

// Whether some sign takes a value from the remembered ones (so that they must be read).
bool needsRememberedAddress(const std::vector<TChosenSign>& signs, std::optional<int> start,
                            std::optional<int> width);
