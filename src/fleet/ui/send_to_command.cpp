#include "fleet/ui/send_to_command.h"

#include "base/error_text.h"
#include "fleet/multi_send.h"
#include "fleet/schedule_pass.h"
#include "fleet/ui/send_results.h"
#include "sign/send_address.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/control_byte_question.h"
#include "widgets/error_report.h"
#include "widgets/modal_result.h"
#include "widgets/run_command.h"
#include "widgets/spin_edit.h"

#include <QMenu>
#include <QTimer>

#include <thread>

TSendToCommand::TSendToCommand(QWidget& window, QMenu& menu, std::string settingsPath,
                               std::function<std::vector<std::string>()> lines)
    : QObject(&window)
    , window_(window)
    , settingsPath_(std::move(settingsPath))
    , lines_(std::move(lines)) {
    SendTo1 = menu.addMenu(tr("Send &To"));
    SendTo1->setObjectName(QStringLiteral("SendTo1"));
    AllSigns1 = new QAction(tr("&All Signs"), this);
    AllSigns1->setObjectName(QStringLiteral("AllSigns1"));
    connect(AllSigns1, &QAction::triggered, this, [this] {
        TSignRequest request;
        request.all = true;
        runCommand([&] { Run(request); });
    });
    connect(SendTo1, &QMenu::aboutToShow, this, &TSendToCommand::Fill);
    Fill();
}

void TSendToCommand::Fill() {
    for (QAction* action : SendTo1->actions()) {
        SendTo1->removeAction(action);
        if (action != AllSigns1)
            action->deleteLater();
    }
    std::vector<std::string> names;
    try {
        names = namedSigns(settingsPath_);
    } catch (const std::exception& error) {
        // A file that cannot be read, or a sign section that cannot be used, is named here.
        QAction* note = SendTo1->addAction(QString::fromLocal8Bit(failureLineOf(error.what())));
        note->setEnabled(false);
    }
    int number = 0;
    for (const std::string& name : names) {
        ++number;
        QString shown = QString::fromLocal8Bit(name);
        shown.replace('&', "&&");
        QAction* entry =
            SendTo1->addAction(number <= 9 ? QString("&%1 %2").arg(number).arg(shown) : shown);
        entry->setObjectName(QString("SendToSign%1").arg(number));
        connect(entry, &QAction::triggered, this, [this, name] {
            TSignRequest request;
            request.names = {name};
            runCommand([&] { Run(request); });
        });
    }
    if (names.empty()) {
        QAction* none = SendTo1->addAction(tr("(no [Sign NAME] in the settings file)"));
        none->setEnabled(false);
    }
    SendTo1->addSeparator();
    SendTo1->addAction(AllSigns1);
    AllSigns1->setEnabled(!names.empty());
}

void TSendToCommand::Run(const TSignRequest& request) {
    const std::vector<std::string> lines = lines_();
    if (Sending() || lines.empty() || !askSend_)
        return;
    if (!askToSendControlBytes(&window_, lines))
        return;
    // What the dialog says will not fit is of the sign of Send Message, not of these.
    auto fitNote = std::move(askSend_->FitNote);
    askSend_->FitNote = nullptr;
    const int answer = askSend_->ShowModal();
    askSend_->FitNote = std::move(fitNote);
    if (answer == kModalResultCancel)
        return;

    std::vector<std::string> notes;
    const std::vector<TChosenSign> signs = chooseSigns(settingsPath_, request, notes);
    const TRememberedAddress chosen{askSend_->SpinEdit1->Value(), askSend_->SpinEdit2->Value()};
    std::vector<TSignJob> jobs;
    for (const TChosenSign& sign : signs)
        jobs.push_back(signJob(sign, std::nullopt, std::nullopt, chosen));
    Send(std::move(jobs), lines, needsGateway(signs));
}

void TSendToCommand::Send(std::vector<TSignJob> jobs, const std::vector<std::string>& lines,
                          bool gateways) {
    TMultiSend run(jobs, lines);
    if (gateways) {
        run.Gateway = readGatewaySettings(settingsPath_);
        // A password file that cannot be used is told before anything is sent.
        brokerOptions(*run.Gateway);
    }
    TSendResults window(jobs, &window_);
    results_ = &window;
    connect(&window, &TSendResults::CancelRequested, this, [&run] { run.Cancel(); });

    if (BeforeSend)
        BeforeSend();
    std::atomic<bool> ended = false;
    std::exception_ptr failure;
    running_ = &run;
    closeAfterSend_ = false;
    std::thread worker([&] {
        try {
            run.Run();
        } catch (...) {
            failure = std::current_exception();
        }
        ended = true;
    });
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (ShowProgress(window, run, ended.load())) {
            poll.stop();
            if (closeAfterSend_)
                window.done(QDialog::Rejected);
        }
    });
    poll.start(100);
    window.exec();
    // Closed only once the run has ended; should it not have, it stops now.
    run.Cancel();
    worker.join();
    running_ = nullptr;
    if (failure)
        std::rethrow_exception(failure);
    const std::vector<TLedgerMessage> ledgered =
        oneOffMessages(jobs, lines, FileName ? FileName() : std::string(), false, "editor");
    for (const std::string& problem : recordOneOffSends(jobs, ledgered, run.Reports()))
        logError(QString::fromLocal8Bit(problem));
    if (closeAfterSend_) {
        closeAfterSend_ = false;
        emit CloseAfterSend();
    }
}

bool TSendToCommand::ShowProgress(TSendResults& window, const TMultiSend& run, bool ended) {
    const std::vector<TSignReport> reports = run.Reports();
    window.Show(reports, ended);
    if (!ended)
        return false;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        if (reports[i].state != TSignReport::State::Sent)
            logError(QString::fromLocal8Bit(reportLine(run.Jobs()[i], reports[i])));
    }
    return true;
}

void TSendToCommand::CancelAndClose() {
    if (!running_)
        return;
    closeAfterSend_ = true;
    running_->Cancel();
}
