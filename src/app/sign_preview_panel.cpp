#include "app/sign_preview_panel.h"

#include "app/main_form.h"
#include "base/state_dir.h"
#include "editor/block_editor.h"
#include "editor/colour_letters.h"
#include "editor/live_field_feed.h"
#include "editor/message_list_box.h"
#include "editor/message_list_model.h"
#include "editor/sign_preview_dock.h"
#include "settings/profile.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/com_setup_dlg.h"
#include "widgets/error_report.h"
#include "widgets/spin_edit.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QToolTip>
#include <QWindow>

namespace {

constexpr const char* kViewSection = "MainWindow";
constexpr const char* kViewKey = "State";
constexpr int kViewStateVersion = 1;
constexpr const char* kPreviewSection = "SignPreview";
constexpr const char* kFieldValuesKey = "ShowFieldValues";
constexpr const char* kListSection = "MessageList";
constexpr const char* kColourLettersKey = "ColourLetters";

// The values that Select Address offers before the user has changed anything.
constexpr int kFirstStart = 1;
constexpr int kFirstWidth = 20;

} // namespace

TSignPreviewPanel::TSignPreviewPanel(TForm1& form)
    : QObject(&form)
    , form_(form) {
    Dock = new TSignPreviewDock(&form);
    Dock->setAllowedAreas(Qt::AllDockWidgetAreas);
    form.addDockWidget(Qt::BottomDockWidgetArea, Dock);
    Dock->hide();

    View1 = new QMenu(tr("&View"), form.menuBar());
    View1->setObjectName(QStringLiteral("View1"));
    form.menuBar()->insertMenu(form.Send1->menuAction(), View1);
    SignPreview1 = Dock->toggleViewAction();
    SignPreview1->setObjectName(QStringLiteral("SignPreview1"));
    SignPreview1->setText(tr("Sign &Preview"));
    SignPreview1->setShortcut(QKeySequence(Qt::Key_F8));
    SignPreview1->setShortcutContext(Qt::WindowShortcut);
    View1->addAction(SignPreview1);

    // The colours as letters too, as the user left the choice.
    ColourLetters1 = View1->addAction(tr("Colour &Letters"));
    ColourLetters1->setObjectName(QStringLiteral("ColourLetters1"));
    ColourLetters1->setCheckable(true);
    setColourLettersShown(
        readProfileString(ViewStatePath(), kListSection, kColourLettersKey, "0") == "1");
    ColourLetters1->setChecked(colourLettersShown());
    connect(ColourLetters1, &QAction::toggled, this, &TSignPreviewPanel::ColourLettersToggled);
    form.Lines().RowDescription = [this](int row) { return RowDescription(row); };

    // Changes come in bursts (a file opened, blocks added one after the other): one rebuild
    // when the program is idle again, or at once when someone needs the preview first.
    rebuildSoon_.setSingleShot(true);
    rebuildSoon_.setInterval(0);
    connect(&rebuildSoon_, &QTimer::timeout, this, &TSignPreviewPanel::ShowRebuilt);
    // The live fields shown with their values, as the user left the choice.
    fields_ = new TLiveFieldFeed(this);
    connect(fields_, &TLiveFieldFeed::Changed, this, &TSignPreviewPanel::Invalidate);
    const bool fieldValues =
        readProfileString(ViewStatePath(), kPreviewSection, kFieldValuesKey, "0") == "1";
    fields_->SetEnabled(fieldValues);
    Dock->ShowFieldValues->setChecked(fieldValues);
    connect(Dock->ShowFieldValues, &QCheckBox::toggled, this,
            &TSignPreviewPanel::ShowFieldValuesToggled);

    // Each change of the list is handed on as what it is, so that only the blocks it touched
    // are read again. (With the live fields filled in, any line
    // may read otherwise at any time: the lines are filled in and read again as a whole.)
    TMessageListModel& lines = form.Lines();
    const auto count = [](int first, int last) {
        return static_cast<std::size_t>(last - first + 1);
    };
    connect(&lines, &QAbstractItemModel::rowsInserted, this,
            [this, count](const QModelIndex&, int first, int last) {
                if (!fields_->Enabled())
                    fit_.inserted(form_.Lines().Lines(), static_cast<std::size_t>(first),
                                  count(first, last));
                Invalidate();
            });
    connect(&lines, &QAbstractItemModel::rowsRemoved, this,
            [this, count](const QModelIndex&, int first, int last) {
                if (!fields_->Enabled())
                    fit_.removed(static_cast<std::size_t>(first), count(first, last));
                Invalidate();
            });
    connect(&lines, &QAbstractItemModel::rowsMoved, this,
            [this, count](const QModelIndex&, int first, int last, const QModelIndex&, int to) {
                if (!fields_->Enabled())
                    fit_.moved(static_cast<std::size_t>(first), count(first, last),
                               static_cast<std::size_t>(to));
                Invalidate();
            });
    connect(&lines, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                if (!fields_->Enabled())
                    fit_.changed(form_.Lines().Lines(), static_cast<std::size_t>(topLeft.row()),
                                 static_cast<std::size_t>(bottomRight.row()));
                Invalidate();
            });
    connect(&lines, &QAbstractItemModel::modelReset, this, [this] {
        fit_.reset();
        Invalidate();
    });
    // A panel that opens shows the message as it is now; a closed one keeps nothing.
    connect(Dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        SyncSend();
        if (visible)
            ShowRebuilt();
    });

    form.ListBox1->viewport()->installEventFilter(this);
    form.installEventFilter(this);
    RestoreViewState();
    // What the user does to the panel; not what the window's closing (or minimising) does to
    // it: a floating panel is hidden after the window, and must come back as it was.
    const auto userChange = [this] {
        if (form_.isVisible())
            SaveViewState();
    };
    connect(Dock, &QDockWidget::dockLocationChanged, this, userChange);
    connect(Dock, &QDockWidget::topLevelChanged, this, userChange);
    connect(Dock, &QDockWidget::visibilityChanged, this, userChange);
    Invalidate();
}

TSignPreviewPanel::~TSignPreviewPanel() {
    // The list outlives the panel: its rows no longer ask it how they fit.
    form_.Lines().RowDescription = nullptr;
}

void TSignPreviewPanel::Attach(TAskSend1& askSend, TComSetupDlg& comSetup, TBEDlg& blockEditor) {
    askSend_ = &askSend;
    for (TSpinEdit* field : {askSend.SpinEdit1, askSend.SpinEdit2})
        connect(field, &QSpinBox::valueChanged, this, &TSignPreviewPanel::Invalidate);
    askSend.FitNote = [this](int start, int width) {
        if (fields_->Enabled())
            return QString::fromStdString(fitNote(previewSignMessage(
                form_.Lines().Lines().toVector(), start, width, form_.Comm().signSize())));
        fit_.setSend(start, width, form_.Comm().signSize());
        const TFitTotals totals = fit_.totals(form_.Lines().Lines());
        return QString::fromStdString(fitNote(totals.cut, totals.hidden, fit_.size()));
    };
    // The sign's size may have changed, also when a failed save kept the dialog's values.
    connect(&comSetup, &QDialog::finished, this, &TSignPreviewPanel::Invalidate);
    blockEditor.SignColumns = [this] { return form_.Comm().SignColumns; };
    Invalidate();
}

int TSignPreviewPanel::Start() const {
    return askSend_ ? askSend_->SpinEdit1->value() : kFirstStart;
}

int TSignPreviewPanel::Width() const {
    return askSend_ ? askSend_->SpinEdit2->value() : kFirstWidth;
}

void TSignPreviewPanel::Invalidate() {
    stale_ = true;
    panelStale_ = true;
    filledStale_ = true;
    rebuildSoon_.start();
}

void TSignPreviewPanel::ShowFieldValuesToggled(bool on) {
    fields_->SetEnabled(on);
    // The fit was of the other lines.
    fit_.reset();
    filled_ = TLineStore();
    Invalidate();
    try {
        writeProfileString(ViewStatePath(), kPreviewSection, kFieldValuesKey, on ? "1" : "0");
    } catch (const std::exception& error) {
        logError(error);
    }
}

const TLineStore& TSignPreviewPanel::FitLines() {
    if (!fields_->Enabled())
        return form_.Lines().Lines();
    if (filledStale_) {
        const TDocumentState& document = form_.Document();
        const std::size_t slash = document.FileName.rfind('/');
        const std::string folder = document.IsUntitled() || slash == std::string::npos
                                       ? std::string()
                                       : document.FileName.substr(0, slash);
        filled_ = TLineStore(fields_->Lines(form_.Lines().Lines().toVector(), folder));
        filledStale_ = false;
        fit_.reset();
    }
    return filled_;
}

void TSignPreviewPanel::ColourLettersToggled(bool on) {
    setColourLettersShown(on);
    form_.ListBox1->viewport()->update();
    try {
        writeProfileString(ViewStatePath(), kListSection, kColourLettersKey, on ? "1" : "0");
    } catch (const std::exception& error) {
        logError(error);
    }
}

QString TSignPreviewPanel::RowDescription(int row) {
    const TBlockFit* fit = RowFit(row);
    if (!fit)
        return {};
    const TSignSize& size = fit_.size();
    QStringList parts;
    switch (fit->place) {
    case TBlockFit::Place::Shown:
        if (fit->cut > 0)
            parts << tr("cut after %1 characters").arg(size.columns);
        else if (size.lines > 0 || size.columns > 0)
            parts << tr("fits the sign");
        break;
    case TBlockFit::Place::BeyondLastLine:
        parts << tr("not shown: line %1 is beyond the sign's last line")
                     .arg(QString::fromStdString(fit->address));
        break;
    case TBlockFit::Place::Replaced:
        parts << tr("not shown: a later line of the message takes line %1")
                     .arg(QString::fromStdString(fit->address));
        break;
    case TBlockFit::Place::Unreadable:
        parts << tr("not shown: its text breaks the sign's record");
        break;
    }
    if (fit->control)
        parts << tr("holds the control byte %1 at column %2")
                     .arg(QString::fromStdString(controlByteName(fit->control->byte)))
                     .arg(fit->control->column);
    return parts.join(QStringLiteral("; "));
}

void TSignPreviewPanel::SyncSend() {
    const TSignSize size = form_.Comm().signSize();
    fit_.setSend(Start(), Width(), size);
    // The whole message is kept in view only where it is needed: for the panel, and for the
    // lines that a later line replaces, which only a sign of known lines has.
    fit_.setKeep(Dock->isVisible() || size.lines > 0);
}

void TSignPreviewPanel::ShowRebuilt() {
    SyncSend();
    if (stale_) {
        stale_ = false;
        form_.ListBox1->viewport()->update();
    }
    // A hidden panel is brought up to date when it opens.
    if (panelStale_ && Dock->isVisible()) {
        Dock->ShowPreview(fit_.view(FitLines()), Start(), Width(),
                          fields_->Enabled() ? tr("Live fields filled in") : QString());
        panelStale_ = false;
    }
}

const TBlockFit* TSignPreviewPanel::RowFit(int row) {
    SyncSend();
    const TLineStore& lines = FitLines();
    if (row < 0 || static_cast<std::size_t>(row) >= lines.size())
        return nullptr;
    rowFit_ = fit_.fit(lines, static_cast<std::size_t>(row));
    return &rowFit_;
}

bool TSignPreviewPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && watched == form_.ListBox1->viewport()) {
        // A line that does not fit says so under its text.
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = form_.ListBox1->indexAt(help->pos());
        const TBlockFit* fit = index.isValid() ? RowFit(index.row()) : nullptr;
        const std::string note = fit ? blockFitNote(*fit, fit_.size()) : std::string();
        if (!note.empty()) {
            QToolTip::showText(help->globalPos(),
                               index.data(Qt::ToolTipRole).toString() + QLatin1Char('\n') +
                                   QString::fromStdString(note),
                               form_.ListBox1->viewport());
            return true;
        }
    } else if (event->type() == QEvent::Show && watched == &form_ && showFloatingPanel_) {
        // Once the desktop has the window (it is activated), or a while after it is shown where
        // nothing activates it.
        QTimer::singleShot(kFloatingPanelWait, this, &TSignPreviewPanel::ShowFloatingPanel);
    } else if (event->type() == QEvent::WindowActivate && watched == &form_ && showFloatingPanel_) {
        QTimer::singleShot(0, this, &TSignPreviewPanel::ShowFloatingPanel);
    } else if (event->type() == QEvent::Hide && watched == &form_) {
        // The window closes: the panel's place and size as the user left it, before the
        // window's going takes a floating panel with it.
        SaveViewState();
    }
    return QObject::eventFilter(watched, event);
}

void TSignPreviewPanel::ShowFloatingPanel() {
    if (!showFloatingPanel_ || !form_.isVisible())
        return;
    showFloatingPanel_ = false;
    // Over the window, without taking the keyboard from it: the user goes on where they were.
    // The toolkit reads the widget's attribute only when it makes the panel's native window;
    // one already made (restoring the layout may make it) is told through its own property.
    Dock->setAttribute(Qt::WA_ShowWithoutActivating, true);
    QWindow* handle = Dock->windowHandle();
    if (handle)
        handle->setProperty("_q_showWithoutActivating", true);
    Dock->show();
    Dock->raise();
    Dock->setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (handle)
        handle->setProperty("_q_showWithoutActivating", QVariant());
}

std::string TSignPreviewPanel::ViewStatePath() {
    return programStateDirectory() + "/view.ini";
}

void TSignPreviewPanel::RestoreViewState() {
    const std::string state = readProfileString(ViewStatePath(), kViewSection, kViewKey, "");
    if (state.empty())
        return;
    // Restoring a floating panel that was open shows it, a window of its own, at once: kept off
    // the screen here, or it would flash up before the main window and the desktop could give
    // it the keyboard.
    Dock->setAttribute(Qt::WA_DontShowOnScreen, true);
    if (form_.restoreState(QByteArray::fromBase64(QByteArray::fromStdString(state)),
                           kViewStateVersion))
        savedViewState_ = state;
    // A floating panel shown before the desktop has the main window is a window that the
    // desktop does not know to keep over it, which then covers it: it is shown once the desktop
    // has the main window.
    if (Dock->isFloating() && !Dock->isHidden()) {
        Dock->hide();
        showFloatingPanel_ = true;
    }
    Dock->setAttribute(Qt::WA_DontShowOnScreen, false);
}

void TSignPreviewPanel::SaveViewState() {
    const std::string state = form_.saveState(kViewStateVersion).toBase64().toStdString();
    if (state == savedViewState_)
        return;
    // Tried once for each change: a folder that cannot be written is told in the log only,
    // since nothing of the user's work depends on it.
    savedViewState_ = state;
    try {
        writeProfileString(ViewStatePath(), kViewSection, kViewKey, state);
    } catch (const std::exception& error) {
        logError(error);
    }
}
