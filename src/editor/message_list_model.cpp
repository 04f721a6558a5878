#include "editor/message_list_model.h"

#include "model/ui/block_words.h"
#include "model/ui/text_codec.h"

#include <QMimeData>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <utility>

namespace {

// Text shown for a line by plain item views and accessibility: enough for a row on any
// screen, never the whole of a pathological multi-megabyte line.
constexpr std::size_t kShownCharacters = 1024;

} // namespace

int TMessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant TMessageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return toQString(std::string(Line(index.row()).substr(0, kShownCharacters)));
    // A screen reader reads the row in words, and how it fits the sign as its description.
    if (role == Qt::AccessibleTextRole)
        return blockLineInWords(std::string(Line(index.row()).substr(0, kShownCharacters)),
                                index.row());
    if (role == Qt::AccessibleDescriptionRole && RowDescription)
        return RowDescription(index.row());
    return {};
}

Qt::ItemFlags TMessageListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList TMessageListModel::mimeTypes() const {
    return {QString::fromLatin1(kRowMimeType)};
}

QMimeData* TMessageListModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty() || !indexes.first().isValid())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowMimeType), QByteArray::number(indexes.first().row()));
    return data;
}

void TMessageListModel::CheckRoom(std::size_t more) const {
    if (more >= static_cast<std::size_t>(INT_MAX) - lines_.size())
        throw std::runtime_error(tr("Unable to insert a line").toStdString());
}

void TMessageListModel::SetLines(TLineStore lines) {
    ExchangeLines(std::move(lines));
}

void TMessageListModel::Clear() {
    SetLines(TLineStore());
}

void TMessageListModel::Append(const std::string& line) {
    Insert(Count(), line);
}

void TMessageListModel::Insert(int row, const std::string& line) {
    CheckRoom(1);
    row = std::clamp(row, 0, Count());
    beginInsertRows(QModelIndex(), row, row);
    lines_.insert(static_cast<std::size_t>(row), line);
    endInsertRows();
}

void TMessageListModel::InsertLines(int row, const std::vector<std::string>& lines) {
    if (lines.empty())
        return;
    CheckRoom(lines.size());
    row = std::clamp(row, 0, Count());
    beginInsertRows(QModelIndex(), row, row + static_cast<int>(lines.size()) - 1);
    lines_.insert(static_cast<std::size_t>(row), lines);
    endInsertRows();
}

std::vector<std::string> TMessageListModel::TakeLines(int row, int count) {
    if (row < 0 || count <= 0 || row >= Count())
        return {};
    count = std::min(count, Count() - row);
    std::vector<std::string> taken =
        lines_.copy(static_cast<std::size_t>(row), static_cast<std::size_t>(count));
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    lines_.erase(static_cast<std::size_t>(row), static_cast<std::size_t>(count));
    endRemoveRows();
    return taken;
}

TLineStore TMessageListModel::ExchangeLines(TLineStore lines) {
    if (lines.size() >= static_cast<std::size_t>(INT_MAX))
        throw std::runtime_error(tr("Unable to insert a line").toStdString());
    beginResetModel();
    lines_.swap(lines);
    endResetModel();
    return lines;
}

void TMessageListModel::Replace(int row, const std::string& line) {
    lines_.replace(static_cast<std::size_t>(row), line);
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
}

void TMessageListModel::Remove(int row) {
    RemoveLines(row, 1);
}

void TMessageListModel::RemoveLines(int row, int count) {
    if (row < 0 || count <= 0 || row >= Count())
        return;
    count = std::min(count, Count() - row);
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    lines_.erase(static_cast<std::size_t>(row), static_cast<std::size_t>(count));
    endRemoveRows();
}

bool TMessageListModel::MoveRow(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to)
        return false;
    // The toolkit counts the destination before the row has left.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    lines_.move(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    endMoveRows();
    return true;
}
