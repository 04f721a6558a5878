#include "sign/ui/ask_send.h"

#include "sign/send_address.h"
#include "sign/ui/com_setup_dlg.h"
#include "sign/ui/dialog_frame.h"
#include "sign/ui/spin_edit.h"
#include "store/ui/ox_persist.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

TAskSend1::TAskSend1(QWidget* parent)
    : QDialog(parent, kFixedDialogFlags) {
    const TDialogFrame frame =
        setUpDialogFrame(this, QStringLiteral("AskSend1"), tr("Select Address"));
    OKBtn = frame.OKBtn;
    CancelBtn = frame.CancelBtn;
    Bevel1 = frame.Bevel1;
    Label1 = new QLabel(tr("Enter Line Address to start with (usually 1):"), Bevel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    SpinEdit1 = new TSpinEdit(kMinStartLine, kMaxStartLine, kDefaultStartLine, 2, Bevel1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    Label2 = new QLabel(tr("Width in chars of each line (used for centering):"), Bevel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    SpinEdit2 = new TSpinEdit(kMinLineWidth, kMaxLineWidth, kDefaultLineWidth, 3, Bevel1);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    Label1->setBuddy(SpinEdit1);
    Label2->setBuddy(SpinEdit2);

    auto* inner = new QGridLayout(Bevel1);
    inner->addWidget(Label1, 0, 0);
    inner->addWidget(SpinEdit1, 0, 1);
    inner->addWidget(Label2, 1, 0);
    inner->addWidget(SpinEdit2, 1, 1);
    const int fieldWidth = SpinEdit2->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 40;
    SpinEdit1->setFixedWidth(fieldWidth);
    SpinEdit2->setFixedWidth(fieldWidth);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    // Created with the fields at their initial values: the store restores over them shortly.
    oxPersist1 = new TOxPersist(this);
    oxPersist1->AddItem(SpinEdit1, kStoredStartLine);
    oxPersist1->AddItem(SpinEdit2, kStoredLineWidth);
}

TAskSend1::~TAskSend1() {
    oxPersist1->StoreOnDestroy();
}

int TAskSend1::ShowModal() {
    const int result = exec();
    // Typed text that was not yet taken in counts as the fields' value, Cancel included.
    SpinEdit1->Value();
    SpinEdit2->Value();
    return result == QDialog::Accepted ? kModalResultOk : kModalResultCancel;
}

void TAskSend1::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        OKBtn->setFocus();
    }
    QDialog::showEvent(event);
}
