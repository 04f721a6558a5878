#pragma once

#include "model/line_store.h"

#include <QObject>
#include <QUndoStack>

#include <string>
#include <vector>

class TMessageListModel;

// Every change of the message list goes through here: it is made on the list at once and kept
// as one step of the undo history, named after the command that made it ("Delete Selection").
// The history knows the state last opened or saved (its clean state), so that the modified
// flag can follow undo and redo.
class TMessageEdits : public QObject {
    Q_OBJECT
public:
    explicit TMessageEdits(TMessageListModel& lines, QObject* parent = nullptr);
    ~TMessageEdits() override;

    // Inserts `lines` so that the first stands at `row` (the end of the list for a row past
    // it). Nothing happens, and nothing is kept, for no lines.
    void Insert(int row, std::vector<std::string> lines, const QString& name);
    void Replace(int row, std::string line, const QString& name);
    void Remove(int row, const QString& name);
    // Moves the line at `from` so that it stands at `to`; false (nothing kept) when the list
    // does not change.
    bool Move(int from, int to, const QString& name);
    // Replaces the whole list by `lines` (another version of the message). Nothing happens,
    // and nothing is kept, when the lines are the same.
    void ReplaceAll(TLineStore lines, const QString& name);

    void Undo() { stack_.undo(); }
    void Redo() { stack_.redo(); }
    // A new history that starts at the list as it stands, clean: after New and Open.
    void Clear() { stack_.clear(); }
    // The list as it stands is the one in its file: after a save.
    void MarkSaved() { stack_.setClean(); }
    // No state of the list is the one in its file any more (the file is gone).
    void MarkUnsaved() { stack_.resetClean(); }
    // The list is the one last opened or saved (its clean state).
    bool AtSavedState() const { return stack_.isClean(); }

    const QUndoStack& History() const { return stack_; }

signals:
    // After an undo or a redo: the row that the user should see selected (-1: none).
    void SelectRow(int row);
    // After every step done, undone or redone, and when the history is cleared or the list
    // saved: whether the list is the one last opened or saved.
    void SavedStateChanged(bool saved);

private:
    void Record(QUndoCommand* step);

    TMessageListModel& lines_;
    QUndoStack stack_;
};
