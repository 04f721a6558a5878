#include "widgets/dialog_frame.h"

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace {

// The room for a dialog's controls: as large as they ask, but no taller than the free area of
// the screen leaves beside the rest of the dialog (its buttons, margins and title bar), so that
// on a small or scaled screen the controls scroll and the buttons stay on it.
class TScreenBoundArea : public QScrollArea {
public:
    TScreenBoundArea(QDialog* dialog, QWidget* content)
        : QScrollArea(dialog)
        , dialog_(dialog) {
        setObjectName(QStringLiteral("ControlsArea"));
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWidget(content);
    }

    // The height that the rest of the dialog takes.
    void setReserve(int reserve) { reserve_ = reserve; }

    QSize sizeHint() const override {
        QSize hint = widget()->sizeHint();
        const QScreen* screen =
            dialog_->screen() ? dialog_->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return hint;
        const int room =
            std::max(80, screen->availableGeometry().height() - reserve_ - titleBarHeight());
        if (hint.height() > room) {
            hint.setHeight(room);
            hint.rwidth() += verticalScrollBar()->sizeHint().width();
        }
        return hint;
    }

private:
    // The window manager's frame above and below the dialog, once known; until then the
    // style's idea of a title bar, and a little more.
    int titleBarHeight() const {
        const QWindow* handle = dialog_->windowHandle();
        const QMargins margins = handle ? handle->frameMargins() : QMargins();
        if (margins.top() > 0)
            return margins.top() + margins.bottom();
        return style()->pixelMetric(QStyle::PM_TitleBarHeight) + 16;
    }

    QDialog* dialog_;
    int reserve_ = 0;
};

} // namespace

TDialogFrame setUpDialogFrame(QDialog* dialog, const QString& objectName, const QString& title) {
    dialog->setObjectName(objectName);
    dialog->setWindowTitle(title);
    QFont bold(QStringLiteral("Sans Serif"), 8, QFont::Bold);
    bold.setStyleHint(QFont::SansSerif);
    dialog->setFont(bold);

    TDialogFrame frame{};
    frame.OKBtn = new QPushButton(QDialog::tr("OK"), dialog);
    frame.OKBtn->setObjectName(QStringLiteral("OKBtn"));
    frame.OKBtn->setDefault(true);
    frame.CancelBtn = new QPushButton(QDialog::tr("Cancel"), dialog);
    frame.CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    frame.Bevel1 = new QFrame(dialog);
    frame.Bevel1->setObjectName(QStringLiteral("Bevel1"));
    frame.Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return frame;
}

void layOutDialogFrame(QDialog* dialog, const TDialogFrame& frame) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(frame.OKBtn);
    buttons->addWidget(frame.CancelBtn);
    auto* layout = new QVBoxLayout(dialog);
    auto* area = new TScreenBoundArea(dialog, frame.Bevel1);
    layout->addWidget(area);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const QMargins margins = layout->contentsMargins();
    area->setReserve(buttons->sizeHint().height() + layout->spacing() + margins.top() +
                     margins.bottom());
}
