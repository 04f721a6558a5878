#include "app/send_command.h"

#include "app/send_record.h"

#include "links/comport.h"
#include "links/ui/port_select_dlg.h"
#include "settings/port_map.h"
#include "sign/comm_settings.h"
#include "sign/send_errors.h"
#include "sign/sign_sender.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/control_byte_question.h"
#include "sign/ui/send_data.h"
#include "widgets/error_report.h"
#include "widgets/modal_result.h"
#include "widgets/spin_edit.h"

#include <QCoreApplication>
#include <QMessageBox>

TSendCommand::TSendCommand(QWidget& window, const TBComm& comm, TComPort& port, TTcpClient& client,
                           TSendBuffer& buffer, TBlock& sendBlock)
    : QObject(&window)
    , window_(window)
    , comm_(comm)
    , port_(port)
    , client_(client)
    , buffer_(buffer)
    , sendBlock_(sendBlock) {
    // Serial port n is the device that the settings file maps it to; without a port number
    // the port asks the user with the Select Port dialog.
    port_.DeviceResolver = [settingsPath = comm.settingsPath()](unsigned number) {
        return comDeviceFromSettings(settingsPath, number);
    };
    installPortSelectDialog(port_, &window);
}

void TSendCommand::SetDialogs(TAskSend1* askSend, TSendData1* sendData) {
    askSend_ = askSend;
    sendData_ = sendData;
}

namespace {

// Draws the windows that wait for it, without taking the user's input.
void paintPending() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

void TSendCommand::Run(const std::vector<std::string>& lines, const std::string& file) {
    if (Sending() || lines.empty() || !askSend_ || !sendData_)
        return;
    if (!askToSendControlBytes(&window_, lines))
        return;
    if (askSend_->ShowModal() == kModalResultCancel)
        return;
    if (BeforeSend)
        BeforeSend();

    TSignSender sender(signLinkFromSettings(comm_, client_.Port), port_, client_);
    sender.OnProgress = [this](std::size_t taken, std::size_t total) {
        sendData_->SendProgress(taken, total);
    };
    // The Sending Data window takes the user's input (Cancel, Escape, its close request) and
    // every window is drawn; the other windows' input is thrown away meanwhile.
    sender.OnWait = [this] {
        sendData_->ShowLatestProgress();
        QCoreApplication::processEvents();
    };
    const QMetaObject::Connection cancelling =
        connect(sendData_, &TSendData1::CancelRequested, this, [&sender] { sender.Cancel(); });

    // Until the command ends the main window cannot close under the send.
    sender_ = &sender;
    closeAfterSend_ = false;
    sendData_->SetProgress(0, 0);
    sendData_->BeginSend();
    paintPending();
    TSendOutcome outcome;
    std::exception_ptr failure;
    try {
        outcome = sender.Send(lines, askSend_->SpinEdit1->Value(), askSend_->SpinEdit2->Value(),
                              buffer_, sendBlock_);
    } catch (...) {
        failure = std::current_exception();
    }

    // The link is closed; the window goes before anything is reported.
    disconnect(cancelling);
    sender_ = nullptr;
    if (cancelQuestion_)
        cancelQuestion_->close();
    sendData_->EndSend();
    paintPending();
    // What the sign took goes in its ledger, as lumavane-send's sends do.
    recordEditorSend(file, lines, askSend_->SpinEdit1->Value(), askSend_->SpinEdit2->Value(),
                     outcome, failure);

    try {
        if (failure)
            std::rethrow_exception(failure);
        if (outcome.cancelled)
            Tell(outcome.message());
    } catch (const ESendOpenFailed& error) {
        Tell(error.what());
    } catch (const std::exception& error) {
        reportError(error);
    }
    if (closeAfterSend_) {
        closeAfterSend_ = false;
        emit CloseAfterSend();
    }
}

void TSendCommand::Tell(const std::string& text) {
    reportError(QString::fromLocal8Bit(text), &window_, TReportLook::Plain);
}

void TSendCommand::AskToCancelAndClose() {
    if (cancelQuestion_) {
        cancelQuestion_->raise();
        cancelQuestion_->activateWindow();
        return;
    }
    // Over the Sending Data window, which takes the user's input while the send goes on.
    auto* box = new QMessageBox(QMessageBox::Question, programTitle(),
                                tr("A message is being sent to the sign.\nCancel the send and "
                                   "close the editor?"),
                                QMessageBox::Yes | QMessageBox::No, sendData_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    connect(box, &QMessageBox::finished, this, [this](int answer) {
        if (answer != QMessageBox::Yes || !sender_)
            return;
        closeAfterSend_ = true;
        sender_->Cancel();
    });
    cancelQuestion_ = box;
    box->show();
}
