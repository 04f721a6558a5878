#pragma once

#include "widgets/modal_result.h"

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class TOxPersist;
class TSpinEdit;

// "Select Address": asks for the sign line at which a message starts and the width of a sign
// line. Created once at start-up; its fields keep their values between sends and, through
// oxPersist1, between runs.
class TAskSend1 : public QDialog {
    Q_OBJECT
public:
    explicit TAskSend1(QWidget* parent = nullptr);
    // Stores the fields' values (oxPersist1) before the controls go.
    ~TAskSend1() override;

    // Shows the dialog modally: kModalResultOk, or kModalResultCancel for its Cancel button,
    // Escape or its close box. OK stores the values in the store file at once (oxPersist1).
    int ShowModal();

    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QFrame* Bevel1;
    QLabel* Label1;
    TSpinEdit* SpinEdit1; // start line address, 0 to 99
    QLabel* Label2;
    TSpinEdit* SpinEdit2; // line width, 1 to 999
    TOxPersist* oxPersist1;
    QLabel* Label3; // what the sign will cut or not show; hidden while everything fits

    // What a send with start line `start` and width `width` would cut or not show ("" when
    // everything fits). Asked when the dialog opens and whenever a field changes.
    std::function<QString(int start, int width)> FitNote;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateFitNote();
};
