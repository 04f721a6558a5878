#pragma once

#include "sign/message_fit.h"
#include "sign/sign_preview.h"

#include <QObject>
#include <QTimer>

#include <string>
#include <vector>

class QAction;
class QMenu;
class TAskSend1;
class TBEDlg;
class TComSetupDlg;
class TForm1;
class TLiveFieldFeed;
class TSignPreviewDock;

// The main window's menu "&View" with "Sign &Preview" (F8), the panel that it shows and hides,
// and what the other windows learn from the same preview: the list how each line fits the sign,
// the Select Address dialog what a send will cut or not show, the Block Editor the sign's width.
// What it shows is worked out from the bytes that F9 would send now (the list, and the start line
// and width as they stand in Select Address), each block's as it changes; the panel is redrawn
// when it is open and one of them or the sign's size changes. The panel's place and visibility
// are kept for the user in the program's state folder, and so is "Show Field Values": the live
// fields with their values now, followed as they change, the lines' fit measured with them.
class TSignPreviewPanel : public QObject {
    Q_OBJECT
public:
    // Adds the menu and the panel (hidden, unless the user left it open) to `form`.
    explicit TSignPreviewPanel(TForm1& form);
    ~TSignPreviewPanel() override;

    // Follows the Select Address fields and the Communications Setup dialog from now on, and
    // tells the Select Address dialog and the Block Editor what they show of the sign's fit.
    void Attach(TAskSend1& askSend, TComSetupDlg& comSetup, TBEDlg& blockEditor);

    // How the line at `row` fits the sign; null for a row that the list does not hold. Valid
    // until the next call.
    const TBlockFit* RowFit(int row);

    // The file that keeps the panel's place: view.ini in the program's state folder.
    static std::string ViewStatePath();

    QMenu* View1 = nullptr;
    QAction* SignPreview1 = nullptr;
    // "Colour &Letters": each colour run marked with a letter, kept in view.ini.
    QAction* ColourLetters1 = nullptr;
    TSignPreviewDock* Dock = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The message, the start line or width, or the sign's size changed.
    void Invalidate();
    // Hands the start line, width and sign's size as they stand to the fit.
    void SyncSend();
    void ShowRebuilt();
    int Start() const;
    int Width() const;
    void RestoreViewState();
    void SaveViewState();
    // The floating panel that was open at the end of the last run, over the window.
    void ShowFloatingPanel();
    void ShowFieldValuesToggled(bool on);
    // The lines whose fit is shown: the list's, or with the live fields filled in.
    const TLineStore& FitLines();
    void ColourLettersToggled(bool on);
    // How the line at `row` fits the sign, in words for a screen reader.
    QString RowDescription(int row);

    TForm1& form_;
    TAskSend1* askSend_ = nullptr;
    TLiveFieldFeed* fields_ = nullptr;
    // The list's lines with the live fields filled in, while they are shown so; made again as a
    // whole when a line or a value changes.
    TLineStore filled_;
    bool filledStale_ = true;
    TMessageFit fit_;
    TBlockFit rowFit_;
    bool stale_ = true;
    bool panelStale_ = true;
    QTimer rebuildSoon_;
    std::string savedViewState_;
    // A floating panel that was open at the end of the last run, to be shown with the window.
    bool showFloatingPanel_ = false;
    // How long after the window is shown the panel comes where nothing activates the window.
    static constexpr int kFloatingPanelWait = 1000; // ms
};
