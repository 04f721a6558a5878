#pragma once

#include "widgets/modal_result.h"

#include <QDialog>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioGroup;
class TBComm;
class TSpinEdit;

// Most characters that the user can type as the network address.
constexpr int kTypedAddressLimit = 38;

// "Communications Setup": chooses the serial port and baud rate or the network address of the
// sign, states the sign's size, and saves them to the settings file when confirmed.
class TComSetupDlg : public QDialog {
    Q_OBJECT

public:
    explicit TComSetupDlg(TBComm& comm, QWidget* parent = nullptr);

    // Shows the dialog modally: kModalResultOk, or kModalResultCancel for its Cancel button,
    // Escape or its close box.
    int ShowModal();

    // Fills the controls from the settings; runs each time the dialog is shown.
    void FormActivate();
    // Copies the controls into the settings and saves them. A save that fails throws its
    // error ("Unable to write to <file>"); the dialog then stays open with the user's choice.
    void OKBtnClick();

    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QFrame* Bevel1;
    RadioGroup* RadioGroup1;
    RadioGroup* RadioGroup2;
    QLineEdit* Edit1;
    QGroupBox* GroupBox1; // "Sign Size:"
    QLabel* Label1;
    TSpinEdit* SpinEdit1; // lines on the sign, 0 (not known) to 99
    QLabel* Label2;
    TSpinEdit* SpinEdit2; // characters per line, 0 (not known) to 999

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setAddressText(const QString& text);
    void onAddressEdited(const QString& text);

    TBComm& comm_;
};
