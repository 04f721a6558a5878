#include "signview/sign_board_accessible.h"

#include "signview/sign_board.h"

#include <QAccessibleWidget>

#include <algorithm>

namespace {

// The board as read-only text: no caret, no selection.
class TSignBoardAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TSignBoardAccessible(TSignBoard* board)
        : QAccessibleWidget(board, QAccessible::StaticText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return board()->faceText();
        return QAccessibleWidget::text(t);
    }

    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override {
        const QString all = board()->faceText();
        const int start = std::clamp(startOffset, 0, static_cast<int>(all.size()));
        const int end = endOffset < 0 ? static_cast<int>(all.size())
                                      : std::clamp(endOffset, start, static_cast<int>(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(board()->faceText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    TSignBoard* board() const { return static_cast<TSignBoard*>(widget()); }
};

QAccessibleInterface* signBoardFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TSignBoard") && object && object->isWidgetType())
        return new TSignBoardAccessible(static_cast<TSignBoard*>(object));
    return nullptr;
}

} // namespace

void installSignBoardAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(signBoardFactory);
        return true;
    }();
    (void)installed;
}
