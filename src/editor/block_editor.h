#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TBlock;

// "Block Editor": edits the edit block handed over by the main window. Opening loads the
// block's text and centring flag; OK stores them back; Cancel leaves the block as it was.
class TBEDlg : public QDialog {
    Q_OBJECT
public:
    // Results of ShowModal, as the callers tell them apart.
    enum ModalResult { mrOk = 1, mrCancel = 2 };

    explicit TBEDlg(TBlock& editBlock, QWidget* parent = nullptr);

    // Shows the dialog modally and returns mrOk or mrCancel.
    int ShowModal();

    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void OKBtnClick();

    TBlock& editBlock_;
};
