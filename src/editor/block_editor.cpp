#include "editor/block_editor.h"

#include "model/block.h"
#include "model/ui/text_codec.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

TBEDlg::TBEDlg(TBlock& editBlock, QWidget* parent)
    : QDialog(parent)
    , editBlock_(editBlock) {
    setObjectName("BEDlg");
    setWindowTitle("Block Editor");
    setFixedSize(385, 342);

    auto* label3 = new QLabel("Text:", this);
    label3->setGeometry(16, 256, 30, 13);
    CheckBox1 = new QCheckBox("Centered", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(16, 96, 89, 17);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(16, 280, 361, 21);
    Edit1->setMaxLength(250);
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(16, 308, 77, 27);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry(300, 308, 77, 27);

    connect(OKBtn, &QPushButton::clicked, this, &TBEDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

int TBEDlg::ShowModal() {
    return exec() == QDialog::Accepted ? mrOk : mrCancel;
}

void TBEDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TBEDlg::FormActivate() {
    // The limit of 250 bounds what the user types, never what is loaded: a longer stored text
    // (up to 255 characters) is kept whole, and may not grow beyond its own length.
    Edit1->setMaxLength(std::max<int>(250, static_cast<int>(editBlock_.Text.size())));
    Edit1->setText(toQString(editBlock_.Text));
    CheckBox1->setChecked(editBlock_.Centered);
    Edit1->setFocus();
    Edit1->deselect();
}

void TBEDlg::OKBtnClick() {
    editBlock_.Text = toBytesLossy(Edit1->text());
    editBlock_.Centered = CheckBox1->isChecked();
    accept();
}
