#include "app/recent_files_menu.h"

#include "base/error_text.h"
#include "base/state_dir.h"
#include "files/file_errors.h"
#include "model/ui/text_codec.h"
#include "widgets/error_report.h"
#include "widgets/run_command.h"

#include <QMenu>
#include <QPointer>
#include <QTimer>

TRecentFilesMenu::TRecentFilesMenu(QMenu& fileMenu, OpenHandler open, QWidget* owner)
    : QObject(owner)
    , files_(StorePath())
    , open_(std::move(open))
    , owner_(owner) {
    N2 = fileMenu.addSeparator();
    N2->setObjectName("N2");
    RecentFiles1 = fileMenu.addMenu(tr("Recent &Files"));
    RecentFiles1->setObjectName("RecentFiles1");
    RecentFiles1->menuAction()->setObjectName("RecentFiles1");
    ClearList1 = new QAction(tr("Clear List"), RecentFiles1);
    ClearList1->setObjectName("ClearList1");
    connect(ClearList1, &QAction::triggered, this,
            [this] { runCommand([this] { ClearList1Click(); }); });
    RecentFiles1->addAction(ClearList1);
    // The file is read each time the menu opens: another editor may have noted files since.
    connect(RecentFiles1, &QMenu::aboutToShow, this, &TRecentFilesMenu::Rebuild);
}

std::string TRecentFilesMenu::StorePath() {
    return programStateDirectory() + "/recent-files.txt";
}

void TRecentFilesMenu::Rebuild() {
    QString problem;
    try {
        files_.DropMissing(recentFileExists);
    } catch (const EFOpenError& error) {
        problem = QString::fromLocal8Bit(error.what());
        logError(problem);
    } catch (const EFCreateError& error) {
        // The missing files are gone from the menu; the file keeps them until a write works.
        logError(QString::fromLocal8Bit(error.what()));
    }

    for (QAction* action : RecentFiles1->actions()) {
        RecentFiles1->removeAction(action);
        if (action != ClearList1)
            action->deleteLater();
    }
    if (!problem.isEmpty()) {
        QAction* note = RecentFiles1->addAction(
            QString::fromLocal8Bit(failureLineOf(problem.toLocal8Bit().toStdString())));
        note->setEnabled(false);
    }
    int number = 0;
    for (const std::string& path : files_.Files()) {
        ++number;
        QString shown = pathToQString(path);
        shown.replace('&', "&&");
        QAction* entry = RecentFiles1->addAction(QString("&%1 %2").arg(number).arg(shown));
        entry->setObjectName(QString("RecentFile%1").arg(number));
        connect(entry, &QAction::triggered, this, [this, path] {
            // A copy: the entry may be rebuilt while the command asks its questions.
            const std::string chosen = path;
            runCommand([this, &chosen] { open_(chosen); });
        });
    }
    if (number > 0 || !problem.isEmpty())
        RecentFiles1->addSeparator();
    RecentFiles1->addAction(ClearList1);
    ClearList1->setEnabled(number > 0 || !problem.isEmpty());
}

void TRecentFilesMenu::Note(const std::string& path) {
    try {
        files_.Add(path);
    } catch (const std::exception& error) {
        TellWriteFailure(error);
    }
}

void TRecentFilesMenu::ClearList1Click() {
    files_.Clear();
    Rebuild();
}

void TRecentFilesMenu::TellWriteFailure(const std::exception& error) {
    const QString message = QString::fromLocal8Bit(
        failureText(tr("The list of recent files could not be kept.").toStdString(), error.what()));
    if (writeFailureTold_) {
        logError(message);
        return;
    }
    writeFailureTold_ = true;
    // Told after the command that opened or saved the file has ended, over its window.
    QPointer<QWidget> owner(owner_);
    QTimer::singleShot(0, this,
                       [owner, message] { reportError(message, owner, TReportLook::Warning); });
}
