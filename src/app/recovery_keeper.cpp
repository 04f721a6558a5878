#include "app/recovery_keeper.h"

#include "app/file_commands.h"
#include "app/main_form.h"
#include "app/open_file_watch.h"
#include "editor/message_list_model.h"
#include "files/file_platform.h"
#include "model/ui/text_codec.h"
#include "widgets/error_report.h"
#include "widgets/run_command.h"

#include <QDateTime>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

// The copy follows the last change after this pause, and a change is never longer than
// kLongestMs without one.
constexpr int kPauseMs = 2000;
constexpr int kLongestMs = 5000;

} // namespace

TRecoveryKeeper::TRecoveryKeeper(TForm1& form, std::string folder)
    : QObject(&form)
    , form_(form)
    , store_(std::move(folder)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { WriteNow(); });
    TMessageListModel& lines = form.Lines();
    const auto changed = [this] { DocumentChanged(); };
    connect(&lines, &QAbstractItemModel::dataChanged, this, changed);
    connect(&lines, &QAbstractItemModel::rowsInserted, this, changed);
    connect(&lines, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(&lines, &QAbstractItemModel::rowsMoved, this, changed);
    connect(&lines, &QAbstractItemModel::modelReset, this, changed);
}

TRecoveryKeeper::~TRecoveryKeeper() {
    // A window that ends with unsaved changes (the session went) keeps its copy.
    timer_.stop();
}

void TRecoveryKeeper::DocumentChanged() {
    if (!form_.FileCommands().Unsaved()) {
        timer_.stop();
        if (hasCopy_)
            store_.Remove();
        hasCopy_ = false;
        return;
    }
    if (!timer_.isActive()) {
        pendingSince_.start();
        timer_.start(kPauseMs);
    } else if (pendingSince_.elapsed() + kPauseMs <= kLongestMs) {
        timer_.start(kPauseMs);
    }
}

void TRecoveryKeeper::WriteNow() {
    timer_.stop();
    if (!form_.FileCommands().Unsaved())
        return;
    try {
        store_.Write(form_.Document().FileName, form_.Lines().Lines(),
                     form_.FileCommands().Watch().Known());
        hasCopy_ = true;
    } catch (const std::exception& error) {
        const QString message = tr("Unsaved changes cannot be kept for recovery after a crash.") +
                                "\n" + QString::fromLocal8Bit(error.what());
        if (failureTold_) {
            logError(message);
            return;
        }
        failureTold_ = true;
        reportError(message, &form_, TReportLook::Warning);
    }
}

void TRecoveryKeeper::Discard() {
    timer_.stop();
    store_.Remove();
    hasCopy_ = false;
}

void TRecoveryKeeper::OfferCopies() {
    for (const TRecoveryCopy& copy : store_.FindOrphans()) {
        // Changes made here already are not put aside for a copy: it waits for the next start.
        if (form_.FileCommands().Unsaved())
            return;
        const QString when =
            QDateTime::fromSecsSinceEpoch(copy.savedAt).toString("yyyy-MM-dd HH:mm:ss");
        QMessageBox box(
            QMessageBox::Question, programTitle(),
            tr("Unsaved changes to %1 from %2 were found.").arg(pathToQString(copy.fileName), when),
            QMessageBox::NoButton, &form_);
        QPushButton* recover = box.addButton(tr("&Recover"), QMessageBox::AcceptRole);
        QPushButton* discard = box.addButton(tr("&Discard"), QMessageBox::DestructiveRole);
        QPushButton* later = box.addButton(tr("&Later"), QMessageBox::RejectRole);
        box.setDefaultButton(recover);
        box.setEscapeButton(later);
        box.exec();
        // Another editor that started beside this one may have taken it meanwhile.
        if (fileStatusAt(copy.copyPath).kind == TFileKind::Missing)
            continue;
        if (box.clickedButton() == discard) {
            TRecoveryStore::Discard(copy);
        } else if (box.clickedButton() == recover) {
            form_.FileCommands().RecoverMessage(copy.fileName, copy.lines, copy.base);
            // Kept as this editor's own copy before the found one goes.
            WriteNow();
            if (hasCopy_)
                TRecoveryStore::Discard(copy);
            return;
        }
    }
}

void offerRecoveryAtStart(TForm1& form) {
    QPointer<TForm1> target(&form);
    QTimer::singleShot(0, &form, [target] {
        if (target)
            runCommand([&] { target->Recovery().OfferCopies(); });
    });
}
