#pragma once

#include "support/gui/app_fixture.h"

#include <functional>
#include <string>

class QMessageBox;
class TAskSend1;

// The program's windows with the sign reached over a loopback port or a serial device of the
// test's, and F9 pressed with its dialogs answered.
class SendFixture : public AppFixture {
protected:
    // The sign listens on 127.0.0.1 at `tcpPort`.
    void useNetwork(int tcpPort);
    // The sign is the serial device `device` (a pseudo-terminal), as port 1 at `baud` mapped to
    // it in the settings file.
    void useSerial(const std::string& device, int baud = 19200);

    // Confirms Select Address as it stands.
    static void confirmAddress(TAskSend1* dialog);
    // Presses F9 with Select Address answered by `answer` and, when set, the box that follows
    // by `box`. False (and a failure that names the dialog) when a dialog did not come in time.
    bool pressSend(std::function<void(TAskSend1*)> answer,
                   std::function<void(QMessageBox*)> box = nullptr, int timeoutMs = 10000);
};
