#include "sign/ui/send_data.h"

#include "widgets/window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <climits>

TSendData1::TSendData1(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("SendData1"));
    setWindowTitle(tr("Sending Data"));
    // The label and the bar, with the Cancel button below them.
    setFixedSize(244, 120);
    centreWhenShown(this, TCentring::EveryShow);

    Label1 = new QLabel(tr("Now Sending Data..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setGeometry(16, 12, 212, 24);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(16, 44, 212, 24);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    // A screen reader names the bar and follows its value as the bytes go.
    ProgressBar1->setAccessibleName(tr("Sending Data"));

    CancelBtn = new QPushButton(tr("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(82, 80, 80, 28);
    CancelBtn->setDefault(true);
    connect(CancelBtn, &QPushButton::clicked, this, &TSendData1::requestCancel);
    SetProgress(0, 0);
}

TSendData1::~TSendData1() {
    if (inSend_)
        qApp->removeEventFilter(this);
}

void TSendData1::SetProgress(std::size_t sent, std::size_t total) {
    const int shownTotal = static_cast<int>(std::min<std::size_t>(total, INT_MAX));
    const int shownSent = static_cast<int>(std::min<std::size_t>(sent, total));
    ProgressBar1->setRange(0, std::max(shownTotal, 1));
    ProgressBar1->setValue(shownSent);
    ProgressBar1->setFormat(tr("%1 of %2 bytes").arg(sent).arg(total));
}

void TSendData1::SendProgress(std::size_t sent, std::size_t total) {
    latestSent_ = sent;
    latestTotal_ = total;
    progressHeld_ = true;
    if (sent == 0 || sent == total || !progressShown_.isValid() || progressShown_.hasExpired(50))
        ShowLatestProgress();
}

void TSendData1::ShowLatestProgress() {
    if (!progressHeld_)
        return;
    progressHeld_ = false;
    SetProgress(latestSent_, latestTotal_);
    progressShown_.start();
}

void TSendData1::BeginSend() {
    if (!inSend_)
        qApp->installEventFilter(this);
    inSend_ = true;
    CancelBtn->setEnabled(true);
    show();
    raise();
    activateWindow();
    CancelBtn->setFocus();
}

void TSendData1::EndSend() {
    if (inSend_)
        qApp->removeEventFilter(this);
    inSend_ = false;
    hide();
}

void TSendData1::requestCancel() {
    if (!inSend_ || !CancelBtn->isEnabled())
        return;
    CancelBtn->setEnabled(false);
    emit CancelRequested();
}

void TSendData1::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        requestCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TSendData1::closeEvent(QCloseEvent* event) {
    event->ignore();
    requestCancel();
}

bool TSendData1::takesInput(const QWidget* window) const {
    if (window->isModal())
        return true;
    for (const QWidget* w = window; w; w = w->parentWidget()) {
        if (w == this)
            return true;
    }
    return false;
}

bool TSendData1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::Drop: {
        // Input reaches a window's widgets after the window itself: it is judged there. A
        // shortcut goes to its action, which belongs to no window of the send.
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (!widget)
            return event->type() == QEvent::Shortcut;
        return !takesInput(widget->window());
    }
    case QEvent::WindowActivate: {
        // Another window of the program that the desktop activates hands the keyboard back, so
        // that Escape still reaches this window.
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (widget && widget->isWindow() && !takesInput(widget) && !activationPending_) {
            activationPending_ = true;
            QTimer::singleShot(0, this, [this] {
                activationPending_ = false;
                if (inSend_ && !QApplication::activeModalWidget()) {
                    raise();
                    activateWindow();
                }
            });
        }
        return false;
    }
    default:
        return false;
    }
}
