#pragma once

#include <Qt>

class QDialog;
class QFrame;
class QPushButton;
class QString;

// The frame the sign's small dialogs share: a fixed dialog border with a title and a close box,
// a bold 8-point sans-serif font, an OK button that is the default, a Cancel button, and a
// sunken bevel that holds the dialog's own controls.
struct TDialogFrame {
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QFrame* Bevel1;
};

// Window flags of such a dialog.
constexpr Qt::WindowFlags kFixedDialogFlags =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// Names `dialog`, gives it its title and font, and creates its buttons and bevel.
TDialogFrame setUpDialogFrame(QDialog* dialog, const QString& objectName, const QString& title);

// Lays the frame out once the bevel holds its controls: the bevel above, OK and Cancel in a row
// on the right below it, the dialog as large as they need and no larger. Where the screen's free
// area is too short for that, the bevel scrolls and the buttons stay on the screen.
void layOutDialogFrame(QDialog* dialog, const TDialogFrame& frame);
