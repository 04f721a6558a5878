#include "widgets/dialog_frame.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

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
    layout->addWidget(frame.Bevel1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
