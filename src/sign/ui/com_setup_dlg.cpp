#include "sign/ui/com_setup_dlg.h"

#include "model/ui/single_line_validator.h"
#include "model/ui/text_codec.h"
#include "sign/comm_settings.h"
#include "widgets/dialog_frame.h"
#include "widgets/radio_group.h"
#include "widgets/run_command.h"
#include "widgets/spin_edit.h"
#include "widgets/window_placement.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

TComSetupDlg::TComSetupDlg(TBComm& comm, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags)
    , comm_(comm) {
    const TDialogFrame frame =
        setUpDialogFrame(this, QStringLiteral("ComSetupDlg"), tr("Communications Setup"));
    OKBtn = frame.OKBtn;
    CancelBtn = frame.CancelBtn;
    Bevel1 = frame.Bevel1;
    RadioGroup1 = new RadioGroup(
        tr("Comm Port:"), {tr("Port 1"), tr("Port 2"), tr("Port 3"), tr("Port 4"), tr("USE IP:")},
        Bevel1);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    QStringList rates;
    for (int rate : kBaudTable)
        rates << QString::number(rate);
    RadioGroup2 = new RadioGroup(tr("Baud Rate:"), rates, Bevel1);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    Edit1 = new QLineEdit(Bevel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(kTypedAddressLimit);
    Edit1->setAccessibleName(tr("Sign's network address"));
    Edit1->setValidator(new TSingleLineValidator(TSingleLineValidator::DropForeign, Edit1));

    auto* inner = new QGridLayout(Bevel1);
    inner->addWidget(RadioGroup1, 0, 0);
    inner->addWidget(RadioGroup2, 0, 1, 2, 1);
    inner->addWidget(Edit1, 1, 0, Qt::AlignTop);
    Edit1->setMinimumWidth(
        Edit1->fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 16);

    // The sign's size, below the link's controls: what the sign preview and the fit marks use.
    GroupBox1 = new QGroupBox(tr("Sign Size:"), Bevel1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Label1 = new QLabel(tr("&Lines:"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    SpinEdit1 = new TSpinEdit(0, kMaxSignLines, 0, 2, GroupBox1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    Label2 = new QLabel(tr("C&haracters per line:"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    // Wrapped rather than widen the dialog, whatever the desktop's font.
    Label2->setWordWrap(true);
    SpinEdit2 = new TSpinEdit(0, kMaxSignColumns, 0, 3, GroupBox1);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    Label1->setBuddy(SpinEdit1);
    Label2->setBuddy(SpinEdit2);
    auto* unknown = new QLabel(tr("0 = not known"), GroupBox1);
    unknown->setEnabled(false);
    auto* size = new QGridLayout(GroupBox1);
    size->addWidget(Label1, 0, 0);
    size->addWidget(SpinEdit1, 0, 1);
    size->addWidget(Label2, 1, 0);
    size->addWidget(SpinEdit2, 1, 1);
    size->addWidget(unknown, 2, 0, 1, 2);
    size->setColumnStretch(0, 1);
    const int fieldWidth = SpinEdit2->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 40;
    SpinEdit1->setFixedWidth(fieldWidth);
    SpinEdit2->setFixedWidth(fieldWidth);
    // As wide as the controls above leave it, never wider: they keep their sizes.
    GroupBox1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    inner->addWidget(GroupBox1, 2, 0, 1, 2);
    layOutDialogFrame(this, frame);
    centreWhenShown(this, TCentring::EveryShow);

    // A save that fails is reported and leaves the dialog open.
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        runCommand([this] {
            OKBtnClick();
            accept();
        });
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edit1, &QLineEdit::textEdited, this, &TComSetupDlg::onAddressEdited);
}

int TComSetupDlg::ShowModal() {
    return modalResultOf(exec());
}

void TComSetupDlg::FormActivate() {
    // Port 1 is position 0; every port below 1 shows no port (and Port - 1 could overflow).
    RadioGroup1->setItemIndex(comm_.Port >= 1 ? comm_.Port - 1 : -1);
    const auto found = std::find(kBaudTable.begin(), kBaudTable.end(), comm_.Baud);
    RadioGroup2->setItemIndex(
        found == kBaudTable.end() ? 0 : static_cast<int>(found - kBaudTable.begin()));
    setAddressText(toQString(comm_.IP));
    SpinEdit1->setValue(comm_.SignLines);
    SpinEdit2->setValue(comm_.SignColumns);
}

void TComSetupDlg::OKBtnClick() {
    comm_.Port = RadioGroup1->itemIndex() + 1;
    // The dialog always shows a rate; should none be selected the rate stays as it was.
    if (const int rate = RadioGroup2->itemIndex(); rate >= 0)
        comm_.Baud = kBaudTable[static_cast<std::size_t>(rate)];
    comm_.setIP(toBytesLossy(Edit1->text()));
    comm_.SignLines = SpinEdit1->Value();
    comm_.SignColumns = SpinEdit2->Value();
    comm_.Save();
}

void TComSetupDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormActivate();
        OKBtn->setFocus();
    }
    QDialog::showEvent(event);
}

// The typing limit bounds what the user adds, never what was loaded: a longer stored address
// is shown and kept whole, and can be shortened but not lengthened.
void TComSetupDlg::setAddressText(const QString& text) {
    Edit1->setMaxLength(std::max(kTypedAddressLimit, static_cast<int>(text.size())));
    Edit1->setText(text);
}

void TComSetupDlg::onAddressEdited(const QString& text) {
    const int limit = std::max(kTypedAddressLimit, static_cast<int>(text.size()));
    if (limit == Edit1->maxLength())
        return;
    // Changing the limit puts the text back and moves the cursor: keep the user's place.
    const int cursor = Edit1->cursorPosition();
    Edit1->setMaxLength(limit);
    Edit1->setCursorPosition(cursor);
}
