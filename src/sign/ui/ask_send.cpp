#include "sign/ui/ask_send.h"

#include "sign/send_address.h"
#include "store/ui/ox_persist.h"
#include "widgets/dialog_frame.h"
#include "widgets/spin_edit.h"
#include "widgets/window_placement.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

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
    Label3 = new QLabel(Bevel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setTextFormat(Qt::PlainText);
    Label3->hide();
    inner->addWidget(Label3, 2, 0, 1, 2);
    const int fieldWidth = SpinEdit2->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 40;
    SpinEdit1->setFixedWidth(fieldWidth);
    SpinEdit2->setFixedWidth(fieldWidth);
    layOutDialogFrame(this, frame);
    centreWhenShown(this, TCentring::EveryShow);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TAskSend1::UpdateFitNote);
    connect(SpinEdit2, &QSpinBox::valueChanged, this, &TAskSend1::UpdateFitNote);

    // Created with the fields at their initial values: the store restores over them shortly.
    oxPersist1 = new TOxPersist(this);
    oxPersist1->AddItem(SpinEdit1, kStoredStartLine);
    oxPersist1->AddItem(SpinEdit2, kStoredLineWidth);
}

TAskSend1::~TAskSend1() {
    oxPersist1->StoreOnDestroy();
}

int TAskSend1::ShowModal() {
    UpdateFitNote();
    const int result = exec();
    // Typed text that was not yet taken in counts as the fields' value, Cancel included.
    SpinEdit1->Value();
    SpinEdit2->Value();
    // Confirmed values count at once: lumavane-send reads them, and a crash keeps them.
    if (result == QDialog::Accepted)
        oxPersist1->StoreConfirmed();
    return modalResultOf(result);
}

void TAskSend1::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        OKBtn->setFocus();
    QDialog::showEvent(event);
}

void TAskSend1::UpdateFitNote() {
    const QString note = FitNote ? FitNote(SpinEdit1->value(), SpinEdit2->value()) : QString();
    Label3->setText(note);
    Label3->setVisible(!note.isEmpty());
}
