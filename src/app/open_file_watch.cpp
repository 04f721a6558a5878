#include "app/open_file_watch.h"

#include "app/file_commands.h"
#include "base/error_text.h"
#include "base/ui_text.h"
#include "files/file_errors.h"
#include "model/document.h"
#include "model/message_file.h"
#include "model/ui/text_codec.h"
#include "widgets/error_report.h"
#include "widgets/run_command.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr int kSettleMs = 150;
constexpr int kRetryMs = 500;

} // namespace

TOpenFileWatch::TOpenFileWatch(QWidget& window, TFileCommands& files)
    : QObject(&window)
    , window_(window)
    , files_(files) {
    settle_.setSingleShot(true);
    connect(&settle_, &QTimer::timeout, this, [this] {
        runCommand([this] {
            const bool userHere = activated_;
            activated_ = false;
            Check(userHere);
        });
    });
    const auto soon = [this] { settle_.start(kSettleMs); };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, soon);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, soon);
    // Back from another program (a terminal, another editor): where a change is best told.
    // The window's own activation after one of its dialogs closes is no return.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive || path_.empty())
                    return;
                activated_ = true;
                settle_.start(0);
            });
}

void TOpenFileWatch::Follow(const std::string& path, const TDiskVersion& version) {
    const bool untitled = path == TDocumentState::kNewFile;
    if (path != path_) {
        if (!watcher_.files().isEmpty())
            watcher_.removePaths(watcher_.files());
        if (!watcher_.directories().isEmpty())
            watcher_.removePaths(watcher_.directories());
    }
    path_ = untitled ? std::string() : path;
    known_ = untitled ? TDiskVersion() : version;
    deletionToTell_ = false;
    Watch();
}

void TOpenFileWatch::Watch() {
    if (path_.empty())
        return;
    // A file renamed over, or deleted, drops out of the watch: it is taken up again.
    const QString file = QFile::decodeName(QByteArray::fromStdString(path_));
    if (!watcher_.files().contains(file) && QFile::exists(file))
        watcher_.addPath(file);
    const std::size_t slash = path_.rfind('/');
    const QString folder =
        QFile::decodeName(QByteArray::fromStdString(path_.substr(0, slash == 0 ? 1 : slash)));
    if (slash != std::string::npos && !watcher_.directories().contains(folder))
        watcher_.addPath(folder);
}

void TOpenFileWatch::Check(bool userHere) {
    if (path_.empty() || checking_)
        return;
    // Not under a dialog, a menu or a send: the list must not change beneath them.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() ||
        (Busy && Busy())) {
        activated_ = activated_ || userHere;
        settle_.start(kRetryMs);
        return;
    }
    checking_ = true;
    try {
        React(checkDiskVersion(known_, path_, false), userHere);
    } catch (...) {
        checking_ = false;
        throw;
    }
    checking_ = false;
    Watch();
}

void TOpenFileWatch::React(TDiskCheck check, bool userHere) {
    const QString file = pathToQString(path_);
    if (check.change == TDiskChange::Deleted) {
        files_.MarkUnsaved();
        deletionToTell_ = true;
    } else if (check.change != TDiskChange::Unchanged) {
        if (files_.Unsaved() && !userHere)
            return; // asked when the user comes back, or by Save
        known_ = check.now;
        if (!check.bytes)
            throw EFOpenError(failureText(fillIn(uiText("Files", "Cannot open file %1"), {path_}),
                                          check.problem));
        if (files_.Unsaved() && !AskReload(file))
            return;
        const std::optional<std::size_t> nulOffset = messageNulOffset(*check.bytes);
        files_.ReloadFromDisk(TLineStore::fromMessageBytes(std::move(*check.bytes)), nulOffset,
                              check.now);
        return;
    }
    known_ = check.now;
    if (deletionToTell_ && (userHere || window_.isActiveWindow())) {
        deletionToTell_ = false;
        QMessageBox box(QMessageBox::Warning, programTitle(),
                        tr("%1 was deleted; Save will write it again.").arg(file), QMessageBox::Ok,
                        &window_);
        box.exec();
    }
}

bool TOpenFileWatch::AskReload(const QString& file) {
    QMessageBox box(QMessageBox::Question, programTitle(),
                    tr("%1 was changed on disk by another program.\n"
                       "Reload it and put your changes aside (Undo brings them back), "
                       "or keep yours and write them over it with the next Save?")
                        .arg(file),
                    QMessageBox::NoButton, &window_);
    QPushButton* reload = box.addButton(tr("&Reload"), QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(tr("&Keep Mine"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == reload;
}

TOpenFileWatch::TSaveAnswer TOpenFileWatch::BeforeSave() {
    if (path_.empty())
        return TSaveAnswer::Write;
    const TDiskCheck check = checkDiskVersion(known_, path_, true);
    if (check.change == TDiskChange::Unchanged || check.change == TDiskChange::Deleted)
        return TSaveAnswer::Write;
    QMessageBox box(QMessageBox::Warning, programTitle(),
                    tr("%1 was changed on disk since it was opened or saved.\n"
                       "Saving now writes over those changes.")
                        .arg(pathToQString(path_)),
                    QMessageBox::NoButton, &window_);
    QPushButton* overwrite = box.addButton(tr("&Overwrite"), QMessageBox::DestructiveRole);
    QPushButton* saveAs = box.addButton(tr("Save &As..."), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(saveAs);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == overwrite)
        return TSaveAnswer::Write;
    if (box.clickedButton() == saveAs)
        return TSaveAnswer::SaveAs;
    return TSaveAnswer::Cancel;
}
