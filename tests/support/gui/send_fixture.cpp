#include "support/gui/send_fixture.h"

#include "sign/ui/ask_send.h"
#include "support/gui/modal.h"

#include <QMessageBox>
#include <QTest>

#include <cstdlib>

void SendFixture::useNetwork(int tcpPort) {
    form().Comm().Port = 5;
    form().Comm().IP = "127.0.0.1";
    form().TCP1.Port = tcpPort;
}

void SendFixture::useSerial(const std::string& device, int baud) {
    form().Comm().Port = 1;
    form().Comm().Baud = baud;
    writeFileBytes(std::getenv("LUMAVANE_INI"), "[Ports]\r\nCOM1=" + device + "\r\n");
}

void SendFixture::confirmAddress(TAskSend1* dialog) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog,
                    Qt::Key_Return);
}

bool SendFixture::pressSend(std::function<void(TAskSend1*)> answer,
                            std::function<void(QMessageBox*)> box, int timeoutMs) {
    ModalScript script(timeoutMs);
    script.expect<TAskSend1>(std::move(answer));
    if (box)
        script.expect<QMessageBox>(std::move(box));
    press(Qt::Key_F9);
    const bool served = script.wait();
    EXPECT_TRUE(served) << "still waiting for " << script.pending();
    return served;
}
