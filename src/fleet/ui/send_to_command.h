#pragma once

#include "fleet/sign_choice.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;
class TAskSend1;
class TMultiSend;
class TSendResults;

// Send > Send To: the named signs of the settings file ([Sign NAME]) and All Signs. Choosing
// asks Select Address once and sends the message to the chosen signs side by side with the
// sender of lumavane-send (a sign's own Line and Width win over the dialog's values, as they win
// over the remembered ones there), showing each sign's progress and result in a window of its
// own. A sign that was not sent is logged in errors.log with the same line. Each send goes in
// the sign's ledger, as lumavane-send's do, so that a schedule knows what the sign shows.
class TSendToCommand : public QObject {
    Q_OBJECT
public:
    // Adds the submenu to `menu`; `lines` gives the message to send.
    TSendToCommand(QWidget& window, QMenu& menu, std::string settingsPath,
                   std::function<std::vector<std::string>()> lines);

    // The Select Address dialog is created after the main window (null: gone).
    void SetAskSend(TAskSend1* askSend) { askSend_ = askSend; }

    QMenu* SendTo1 = nullptr;
    QAction* AllSigns1 = nullptr;
    // Called when the signs are chosen, just before the sends begin.
    std::function<void()> BeforeSend;
    // The message's file, named in the signs' ledgers; empty while untitled.
    std::function<std::string()> FileName;

    // Sends to the signs of `request`.
    void Run(const TSignRequest& request);
    // True while a run sends.
    bool Sending() const { return running_ != nullptr; }
    // The window is to close: the run is cancelled and CloseAfterSend follows its end.
    void CancelAndClose();

signals:
    void CloseAfterSend();

private:
    // Lists the signs of the settings file as they are now.
    void Fill();
    // Shows where the signs of `run` stand; once it has ended, logs the signs not sent and
    // returns true.
    static bool ShowProgress(TSendResults& window, const TMultiSend& run, bool ended);
    // Sends and shows the results window until the user closes it.
    void Send(std::vector<TSignJob> jobs, const std::vector<std::string>& lines, bool gateways);

    QWidget& window_;
    std::string settingsPath_;
    std::function<std::vector<std::string>()> lines_;
    TAskSend1* askSend_ = nullptr;
    TMultiSend* running_ = nullptr;
    QPointer<TSendResults> results_;
    bool closeAfterSend_ = false;
};
