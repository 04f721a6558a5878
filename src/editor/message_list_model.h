#pragma once

#include <QAbstractListModel>

#include <string>
#include <vector>

// The message list: the block lines in order, held as the bytes they are stored as. The list
// control shows it; the file commands load and save it whole.
class TMessageListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const std::vector<std::string>& Lines() const { return lines_; }
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& Line(int row) const { return lines_.at(static_cast<std::size_t>(row)); }

    // Replaces every line at once.
    void SetLines(std::vector<std::string> lines);
    void Clear();
    // Appends or inserts one line; throws EStringListError when the list cannot take it.
    void Append(const std::string& line);
    void Insert(int row, const std::string& line);
    void Replace(int row, const std::string& line);
    void Remove(int row);

private:
    std::vector<std::string> lines_;
};
