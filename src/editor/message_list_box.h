#pragma once

#include <QListView>
#include <QStyledItemDelegate>

#include <functional>

class TMessageListModel;

// The owner-drawn message list: black, one fixed-height row per block line. Each row is drawn
// by the handler that the owner installs (the main window's ListBox1DrawItem).
class TMessageListBox : public QListView {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 22;

    using DrawItemHandler =
        std::function<void(QPainter& painter, int index, const QRect& rect, QStyle::State state)>;

    explicit TMessageListBox(QWidget* parent = nullptr);

    void SetDrawItemHandler(DrawItemHandler handler) { drawItem_ = std::move(handler); }
    const DrawItemHandler& DrawItem() const { return drawItem_; }

    // The selected row, or -1 when no entry is selected.
    int ItemIndex() const;
    void SetItemIndex(int row);

signals:
    // A double click anywhere on the list.
    void DblClick();
    // Enter (either key) pressed on the list, without Ctrl, Alt or Shift.
    void EnterPressed();
    // A row was dragged and dropped elsewhere in the list: the row at `from` is to stand at
    // `to` once it has moved.
    void RowMoveRequested(int from, int to);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Rows are dragged only within the list; any other drag (files, text) is left to the
    // window around it.
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The row that a drag of this list carries, or -1 for any other drag.
    int DraggedRow(const QDropEvent* event) const;
    // The row that a line dropped at `pos` would be put before (the row count: at the end).
    int DropGap(const QPoint& pos) const;

private:
    DrawItemHandler drawItem_;
};
