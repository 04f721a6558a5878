#include "editor/list_commands.h"

#include "editor/block_clipboard.h"
#include "editor/block_editor.h"
#include "editor/message_edits.h"
#include "editor/message_list_box.h"
#include "editor/message_list_model.h"
#include "model/block.h"
#include "widgets/modal_result.h"
#include "widgets/run_command.h"

#include <QGuiApplication>
#include <QMessageBox>

TListCommands::TListCommands(TMessageListModel& lines, TMessageEdits& edits,
                             TMessageListBox& listBox, TBlock& editBlock)
    : QObject(&listBox)
    , lines_(lines)
    , edits_(edits)
    , listBox_(listBox)
    , editBlock_(editBlock) {
    // Undo and redo show the row they changed.
    connect(&edits_, &TMessageEdits::SelectRow, this,
            [this](int row) { listBox_.SetItemIndex(row); });
    connect(&listBox_, &TMessageListBox::RowMoveRequested, this, [this](int from, int to) {
        runCommand([this, from, to] { Move(from, to, tr("Move Block")); });
    });
}

bool TListCommands::EditBlockInEditor() {
    return editor_ && editor_->ShowModal() != kModalResultCancel;
}

void TListCommands::EditSelection() {
    const int row = listBox_.ItemIndex();
    if (row < 0)
        return;
    const std::string line(lines_.Line(row));
    editBlock_.ParseLine(line);
    // The editor gets the whole text, also past what a block keeps: confirmed unchanged it
    // stays whole, and an edited one is shortened only after the editor has asked.
    editBlock_.Text = wholeLineText(line);
    if (!EditBlockInEditor())
        return;
    // OK on a block left as it was is no change: no step to undo, no " *". (A line that is
    // not a block line as it stands is rebuilt, which changes it.)
    const std::string edited = editBlock_.BuildLine();
    if (edited == line)
        return;
    edits_.Replace(row, edited, tr("Edit Selection"));
    listBox_.SetItemIndex(row);
}

void TListCommands::DeleteSelection() {
    const int row = listBox_.ItemIndex();
    if (row < 0)
        return;
    QMessageBox box(QMessageBox::Warning, tr("Warning"),
                    tr("Are you sure you wish to delete the selection?"),
                    QMessageBox::Ok | QMessageBox::Cancel, listBox_.window());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    if (box.exec() != QMessageBox::Ok)
        return;
    edits_.Remove(row, tr("Delete Selection"));
    listBox_.selectionModel()->clearSelection();
}

void TListCommands::InsertNew() {
    const int row = listBox_.ItemIndex();
    if (row < 0)
        return;
    editBlock_.Text.clear();
    if (EditBlockInEditor())
        edits_.Insert(row, {editBlock_.BuildLine()}, tr("Insert New"));
}

void TListCommands::AddNew() {
    for (;;) {
        editBlock_.Text.clear();
        if (!EditBlockInEditor())
            return;
        edits_.Insert(lines_.Count(), {editBlock_.BuildLine()}, tr("Add New"));
    }
}

void TListCommands::Cut() {
    const int row = listBox_.ItemIndex();
    if (row < 0)
        return;
    // On the clipboard first: a line that cannot be put there stays in the list.
    copyBlockLines(QGuiApplication::clipboard(), {std::string(lines_.Line(row))});
    edits_.Remove(row, tr("Cut"));
    listBox_.selectionModel()->clearSelection();
}

void TListCommands::Copy() {
    const int row = listBox_.ItemIndex();
    if (row >= 0)
        copyBlockLines(QGuiApplication::clipboard(), {std::string(lines_.Line(row))});
}

void TListCommands::Paste() {
    std::vector<std::string> pasted = pasteBlockLines(QGuiApplication::clipboard());
    if (pasted.empty())
        return;
    const int row = listBox_.ItemIndex();
    edits_.Insert(row < 0 ? lines_.Count() : row, std::move(pasted), tr("Paste"));
}

void TListCommands::MoveUp() {
    const int row = listBox_.ItemIndex();
    if (row > 0)
        Move(row, row - 1, tr("Move Up"));
}

void TListCommands::MoveDown() {
    const int row = listBox_.ItemIndex();
    if (row >= 0 && row + 1 < lines_.Count())
        Move(row, row + 1, tr("Move Down"));
}

void TListCommands::Move(int from, int to, const QString& name) {
    if (edits_.Move(from, to, name))
        listBox_.SetItemIndex(to);
}
