#include "editor/message_edits.h"

#include "editor/message_list_model.h"

#include <QUndoCommand>

#include <functional>
#include <utility>

namespace {

using SelectRow = std::function<void(int)>;

// One step of the history. The change is made before the step is kept, so the first redo,
// which the history runs when it takes the step, does nothing.
class TListStep : public QUndoCommand {
public:
    TListStep(TMessageListModel& lines, SelectRow select, const QString& name)
        : QUndoCommand(name)
        , lines_(lines)
        , select_(std::move(select)) {}

    void undo() final { select_(Undone(lines_)); }
    void redo() final {
        if (done_) {
            done_ = false;
            return;
        }
        select_(Redone(lines_));
    }

protected:
    // Each returns the row to select afterwards (-1: none).
    virtual int Undone(TMessageListModel& lines) = 0;
    virtual int Redone(TMessageListModel& lines) = 0;

private:
    TMessageListModel& lines_;
    SelectRow select_;
    bool done_ = true;
};

// Holds the inserted lines only while they are undone: while they stand in the list, the list
// is their one copy.
class TInsertStep final : public TListStep {
public:
    TInsertStep(TMessageListModel& lines, SelectRow select, const QString& name, int row, int count)
        : TListStep(lines, std::move(select), name)
        , row_(row)
        , count_(count) {}

protected:
    int Undone(TMessageListModel& lines) override {
        undone_ = lines.TakeLines(row_, count_);
        // The line that the new ones went before, or the last one.
        return row_ < lines.Count() ? row_ : lines.Count() - 1;
    }
    int Redone(TMessageListModel& lines) override {
        lines.InsertLines(row_, std::move(undone_));
        undone_ = {};
        return row_;
    }

private:
    int row_;
    int count_;
    std::vector<std::string> undone_;
};

class TReplaceStep final : public TListStep {
public:
    TReplaceStep(TMessageListModel& lines, SelectRow select, const QString& name, int row,
                 std::string before, std::string after)
        : TListStep(lines, std::move(select), name)
        , row_(row)
        , before_(std::move(before))
        , after_(std::move(after)) {}

protected:
    int Undone(TMessageListModel& lines) override {
        lines.Replace(row_, before_);
        return row_;
    }
    int Redone(TMessageListModel& lines) override {
        lines.Replace(row_, after_);
        return row_;
    }

private:
    int row_;
    std::string before_;
    std::string after_;
};

class TRemoveStep final : public TListStep {
public:
    TRemoveStep(TMessageListModel& lines, SelectRow select, const QString& name, int row,
                std::string removed)
        : TListStep(lines, std::move(select), name)
        , row_(row)
        , removed_(std::move(removed)) {}

protected:
    int Undone(TMessageListModel& lines) override {
        lines.Insert(row_, removed_);
        return row_;
    }
    int Redone(TMessageListModel& lines) override {
        lines.Remove(row_);
        // As Delete Selection leaves it: nothing selected.
        return -1;
    }

private:
    int row_;
    std::string removed_;
};

class TMoveStep final : public TListStep {
public:
    TMoveStep(TMessageListModel& lines, SelectRow select, const QString& name, int from, int to)
        : TListStep(lines, std::move(select), name)
        , from_(from)
        , to_(to) {}

protected:
    int Undone(TMessageListModel& lines) override {
        lines.MoveRow(to_, from_);
        return from_;
    }
    int Redone(TMessageListModel& lines) override {
        lines.MoveRow(from_, to_);
        return to_;
    }

private:
    int from_;
    int to_;
};

// Holds the version of the list that does not stand in it.
class TReplaceAllStep final : public TListStep {
public:
    TReplaceAllStep(TMessageListModel& lines, SelectRow select, const QString& name,
                    TLineStore other)
        : TListStep(lines, std::move(select), name)
        , other_(std::move(other)) {}

protected:
    int Undone(TMessageListModel& lines) override {
        other_ = lines.ExchangeLines(std::move(other_));
        return -1;
    }
    int Redone(TMessageListModel& lines) override {
        other_ = lines.ExchangeLines(std::move(other_));
        return -1;
    }

private:
    TLineStore other_;
};

} // namespace

TMessageEdits::TMessageEdits(TMessageListModel& lines, QObject* parent)
    : QObject(parent)
    , lines_(lines) {
    const auto tell = [this] { emit SavedStateChanged(stack_.isClean()); };
    connect(&stack_, &QUndoStack::indexChanged, this, tell);
    connect(&stack_, &QUndoStack::cleanChanged, this, tell);
}

TMessageEdits::~TMessageEdits() {
    // The history empties itself as it goes and would tell its owner, which is going too.
    stack_.blockSignals(true);
}

void TMessageEdits::Record(QUndoCommand* step) {
    stack_.push(step);
}

void TMessageEdits::Insert(int row, std::vector<std::string> lines, const QString& name) {
    if (lines.empty())
        return;
    row = std::clamp(row, 0, lines_.Count());
    const int count = static_cast<int>(lines.size());
    lines_.InsertLines(row, std::move(lines));
    Record(new TInsertStep(
        lines_, [this](int r) { emit SelectRow(r); }, name, row, count));
}

void TMessageEdits::Replace(int row, std::string line, const QString& name) {
    std::string before(lines_.Line(row));
    lines_.Replace(row, line);
    Record(new TReplaceStep(
        lines_, [this](int r) { emit SelectRow(r); }, name, row, std::move(before),
        std::move(line)));
}

void TMessageEdits::Remove(int row, const QString& name) {
    std::string removed(lines_.Line(row));
    lines_.Remove(row);
    Record(new TRemoveStep(
        lines_, [this](int r) { emit SelectRow(r); }, name, row, std::move(removed)));
}

bool TMessageEdits::Move(int from, int to, const QString& name) {
    if (!lines_.MoveRow(from, to))
        return false;
    Record(new TMoveStep(
        lines_, [this](int r) { emit SelectRow(r); }, name, from, to));
    return true;
}

void TMessageEdits::ReplaceAll(TLineStore lines, const QString& name) {
    if (lines_.Lines() == lines)
        return;
    TLineStore before = lines_.ExchangeLines(std::move(lines));
    Record(new TReplaceAllStep(
        lines_, [this](int r) { emit SelectRow(r); }, name, std::move(before)));
}
