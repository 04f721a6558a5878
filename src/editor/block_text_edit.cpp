#include "editor/block_text_edit.h"

#include "model/ui/single_line_validator.h"

#include <QFocusEvent>

TBlockTextEdit::TBlockTextEdit(QWidget* parent)
    : QLineEdit(parent) {
    setValidator(new TSingleLineValidator(TSingleLineValidator::RefuseForeign, this));
}

void TBlockTextEdit::focusInEvent(QFocusEvent* event) {
    // A line edit selects everything when reached by Tab or an access key; this one leaves the
    // caret and any selection where they were.
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason: {
        QFocusEvent plain(event->type(), Qt::OtherFocusReason);
        QLineEdit::focusInEvent(&plain);
        break;
    }
    default:
        QLineEdit::focusInEvent(event);
        break;
    }
}

void TBlockTextEdit::focusOutEvent(QFocusEvent* event) {
    // A line edit drops its selection when it loses the focus; the selection is put back so
    // that a code button pressed next still finds it.
    const int start = selectionStart();
    const int length = selectedText().size();
    const int caret = cursorPosition();
    QLineEdit::focusOutEvent(event);
    if (start >= 0 && length > 0 && !hasSelectedText()) {
        if (caret == start)
            setSelection(start + length, -length);
        else
            setSelection(start, length);
    }
}
