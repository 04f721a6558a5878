#include "editor/message_list_box.h"

#include "editor/message_list_model.h"

#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

namespace {

// Hands each row to the list's draw handler with the row's rectangle and state.
class RowDelegate : public QStyledItemDelegate {
public:
    explicit RowDelegate(TMessageListBox* list)
        : QStyledItemDelegate(list)
        , list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!list_->DrawItem())
            return;
        painter->save();
        painter->setClipRect(option.rect);
        list_->DrawItem()(*painter, index.row(), option.rect, option.state);
        painter->restore();
        // The focus mark of the desktop, drawn over the row like the toolkit would.
        if ((option.state & QStyle::State_HasFocus) && list_->hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(list_);
            focus.rect = option.rect;
            focus.backgroundColor = option.palette.color(QPalette::Highlight);
            list_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, list_);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), TMessageListBox::kRowHeight);
    }

private:
    TMessageListBox* list_;
};

} // namespace

TMessageListBox::TMessageListBox(QWidget* parent)
    : QListView(parent) {
    setObjectName("ListBox1");
    setItemDelegate(new RowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A row dragged to another place in the list moves there.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDragDropOverwriteMode(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::Text, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    // The list's own font (printing takes its face and size from it); rows use their own.
    QFont own;
    own.setFamilies({"System", "DejaVu Sans", "Liberation Sans"});
    own.setPixelSize(22);
    setFont(own);
}

int TMessageListBox::ItemIndex() const {
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TMessageListBox::SetItemIndex(int row) {
    if (!model() || !selectionModel())
        return;
    if (row < 0 || row >= model()->rowCount()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void TMessageListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    emit DblClick();
}

void TMessageListBox::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        emit EnterPressed();
        return;
    }
    QListView::keyPressEvent(event);
}

void TMessageListBox::startDrag(Qt::DropActions) {
    const int row = ItemIndex();
    if (row < 0 || !model())
        return;
    QMimeData* data = model()->mimeData({model()->index(row, 0)});
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // The drop moves the row; nothing is left to do here whatever the drag ends with.
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

int TMessageListBox::DraggedRow(const QDropEvent* event) const {
    const QByteArray format(TMessageListModel::kRowMimeType);
    if (event->source() != this || !event->mimeData()->hasFormat(QString::fromLatin1(format)) ||
        !model())
        return -1;
    bool ok = false;
    const int row = event->mimeData()->data(QString::fromLatin1(format)).toInt(&ok);
    return ok && row >= 0 && row < model()->rowCount() ? row : -1;
}

int TMessageListBox::DropGap(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return model() ? model()->rowCount() : 0;
    const QRect rect = visualRect(index);
    return pos.y() < rect.center().y() ? index.row() : index.row() + 1;
}

void TMessageListBox::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedRow(event) < 0) {
        event->ignore();
        return;
    }
    QListView::dragEnterEvent(event);
    event->acceptProposedAction();
}

void TMessageListBox::dragMoveEvent(QDragMoveEvent* event) {
    if (DraggedRow(event) < 0) {
        event->ignore();
        return;
    }
    // The view draws the mark between the rows and scrolls near the edges.
    QListView::dragMoveEvent(event);
    event->acceptProposedAction();
}

void TMessageListBox::dropEvent(QDropEvent* event) {
    const int from = DraggedRow(event);
    if (from < 0) {
        event->ignore();
        return;
    }
    const int gap = DropGap(event->position().toPoint());
    event->acceptProposedAction();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    const int to = gap > from ? gap - 1 : gap;
    if (to != from)
        emit RowMoveRequested(from, to);
}
