#pragma once

#include "model/line_store.h"

#include <QAbstractListModel>

#include <functional>
#include <string>
#include <vector>

// The message list: the block lines in order, held as the bytes they are stored as. The list
// control shows it; the file commands load and save it whole.
class TMessageListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The MIME type of a row dragged within the list: its row number, as text.
    static constexpr const char* kRowMimeType = "application/x-lumavane-list-row";

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Rows may be dragged, and dropped between rows only (never onto one), within the list.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

    // What a screen reader says of a row beyond its words: how the line fits the sign.
    std::function<QString(int row)> RowDescription;

    const TLineStore& Lines() const { return lines_; }
    int Count() const { return static_cast<int>(lines_.size()); }
    // The bytes of the line at `row`, valid until the list next changes.
    std::string_view Line(int row) const { return lines_.at(static_cast<std::size_t>(row)); }

    // Replaces every line at once.
    void SetLines(TLineStore lines);
    void SetLines(const std::vector<std::string>& lines) { SetLines(TLineStore(lines)); }
    void Clear();
    // Appends or inserts one line; throws "Unable to insert a line" when the list cannot take it.
    void Append(const std::string& line);
    void Insert(int row, const std::string& line);
    // Inserts `lines` in order so that the first one stands at `row`.
    void InsertLines(int row, const std::vector<std::string>& lines);
    // Removes `count` lines from `row` on, in one change, and hands them over.
    std::vector<std::string> TakeLines(int row, int count);
    // Replaces every line at once by `lines` and hands the lines it held over.
    TLineStore ExchangeLines(TLineStore lines);
    void Replace(int row, const std::string& line);
    void Remove(int row);
    // Removes `count` lines from `row` on, in one change.
    void RemoveLines(int row, int count);
    // Takes the line at `from` out and puts it back so that it stands at `to`; false (and
    // nothing changed) when either row is outside the list or they are the same.
    bool MoveRow(int from, int to);

private:
    // Throws "Unable to insert a line" when the list cannot take `more` lines.
    void CheckRoom(std::size_t more) const;

    TLineStore lines_;
};
