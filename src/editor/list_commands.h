#pragma once

#include <QObject>
#include <QString>

class TBEDlg;
class TBlock;
class TMessageEdits;
class TMessageListBox;
class TMessageListModel;

// The Edit menu's commands on the message list: each acts on the row selected in the list box
// (most do nothing without one), keeps its change as one step of the undo history, and leaves
// the selection where the user expects it. Blocks are edited in the block editor through the
// edit block, and go to the clipboard and back as their lines of text.
class TListCommands : public QObject {
    Q_OBJECT
public:
    TListCommands(TMessageListModel& lines, TMessageEdits& edits, TMessageListBox& listBox,
                  TBlock& editBlock);

    // The block editor is created after the main window; the owner hands it over.
    void SetBlockEditor(TBEDlg* dialog) { editor_ = dialog; }

    void EditSelection();
    // Asks first: "Are you sure you wish to delete the selection?"
    void DeleteSelection();
    // A new block before the selected one.
    void InsertNew();
    // New blocks at the end, one after another, until the user cancels the editor.
    void AddNew();
    void Cut();
    void Copy();
    // Before the selected block, which stays selected; at the end when none is selected.
    void Paste();
    void MoveUp();
    void MoveDown();

private:
    // Moves the line at `from` to `to` as the command `name`; the selection follows it.
    void Move(int from, int to, const QString& name);
    // Runs the block editor on the edit block; true when the user confirmed it.
    bool EditBlockInEditor();

    TMessageListModel& lines_;
    TMessageEdits& edits_;
    TMessageListBox& listBox_;
    TBlock& editBlock_;
    TBEDlg* editor_ = nullptr;
};
