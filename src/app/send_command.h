#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class QMessageBox;
class QWidget;
class TAskSend1;
class TBComm;
class TBlock;
class TComPort;
class TSendBuffer;
class TSendData1;
class TSignSender;
class TTcpClient;

// Send > Send Message (F9): asks for the start line and the width, sends the message through
// the one sender with the Sending Data window showing its progress, and tells how it ended. The
// main window owns the links, the send buffer and the send block it works on; the serial port
// takes its devices from the settings file and asks with Select Port when it has no number.
class TSendCommand : public QObject {
    Q_OBJECT
public:
    TSendCommand(QWidget& window, const TBComm& comm, TComPort& port, TTcpClient& client,
                 TSendBuffer& buffer, TBlock& sendBlock);

    // The dialogs are created after the main window; the owner hands them over (null: gone).
    void SetDialogs(TAskSend1* askSend, TSendData1* sendData);

    // Sends `lines`, when there are any and the user confirms Select Address. A send that did
    // not deliver the message is told, and logged, before this returns. The send is recorded in
    // the ledger of the editor's sign, with `file`, the message's file.
    void Run(const std::vector<std::string>& lines, const std::string& file);

    // Called once the user has confirmed Select Address, before the link opens.
    std::function<void()> BeforeSend;

    // True while a send runs.
    bool Sending() const { return sender_ != nullptr; }

    // The window is to close during a send: asks whether to cancel the send and close
    // afterwards. Asked again, the open question comes to the front.
    void AskToCancelAndClose();

signals:
    // The send that the user cancelled to close the window has ended.
    void CloseAfterSend();

private:
    // Tells the user how a send ended that did not deliver the message.
    void Tell(const std::string& text);

    QWidget& window_;
    const TBComm& comm_;
    TComPort& port_;
    TTcpClient& client_;
    TSendBuffer& buffer_;
    TBlock& sendBlock_;
    TAskSend1* askSend_ = nullptr;
    TSendData1* sendData_ = nullptr;
    // The send that runs, and what the user asked of it by closing the window.
    TSignSender* sender_ = nullptr;
    bool closeAfterSend_ = false;
    QPointer<QMessageBox> cancelQuestion_;
};
