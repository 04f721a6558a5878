#pragma once

#include "editor/block_text_edit.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QClipboard;
class QLabel;
class QPainter;
class QPushButton;
class TBlock;
class TPaintBox;

// "Block Editor": edits the edit block handed over by the main window. Opening loads the
// block's text and centring flag; OK stores them back (an edited text longer than a block keeps
// is cut to 255 characters once the user has agreed); Cancel leaves the block as it was. Four
// buttons put the colour and flash codes into the text through the clipboard, and a preview
// shows the text in the sign's colours as it is typed.
class TBEDlg : public QDialog {
    Q_OBJECT
public:
    // Most characters the user can type or insert into the text.
    static constexpr int kTypedLimit = 250;

    explicit TBEDlg(TBlock& editBlock, QWidget* parent = nullptr);

    // Shows the dialog modally and returns kModalResultOk or kModalResultCancel
    // (widgets/modal_result.h).
    int ShowModal();

    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLabel* Label3 = nullptr;
    TBlockTextEdit* Edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    TPaintBox* PaintBox1 = nullptr;
    // Under the preview: "n of W characters" for a sign W characters wide; empty while the
    // sign's width is not known.
    QLabel* Label2 = nullptr;

    // The clipboard the code buttons go through: the system's, unless replaced.
    std::function<QClipboard*()> Clipboard;
    // The sign's width in characters, 0 when not known.
    std::function<int()> SignColumns;

    // Draws the preview of the text box's contents onto `painter` (the preview box).
    void PaintBox1Paint(QPainter& painter);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void Edit1Change();
    void OKBtnClick();
    // Puts `code` on the clipboard and pastes it into the text box at the caret.
    void InsertCode(const QString& code);
    // Asks whether an edited text of `length` characters may be cut to what a block keeps.
    bool ConfirmShortening(qsizetype length);
    // Counts the text's characters against the sign's width.
    void UpdateCount();

    TBlock& editBlock_;
    // The text as it was loaded on opening.
    QString loadedText_;
};
