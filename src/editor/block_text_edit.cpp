#include "editor/block_text_edit.h"

#include "model/charset.h"

#include <QFocusEvent>

QValidator::State TBlockTextValidator::validate(QString& input, int& pos) const {
    bool clean = true;
    for (QChar ch : input) {
        if (ch == u'\r' || ch == u'\n' || ch == u'\0')
            clean = false;
        else if (unicodeToCp1252(ch.unicode()) < 0)
            return Invalid;
    }
    if (clean)
        return Acceptable;

    QString out;
    out.reserve(input.size());
    int newPos = pos;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar ch = input[i];
        if (ch == u'\0') {
            if (i < pos)
                --newPos;
            continue;
        }
        if (ch == u'\r' || ch == u'\n') {
            if (ch == u'\r' && i + 1 < input.size() && input[i + 1] == u'\n') {
                if (i + 1 < pos)
                    --newPos;
                ++i;
            }
            out.append(u' ');
            continue;
        }
        out.append(ch);
    }
    input = out;
    pos = std::clamp(newPos, 0, static_cast<int>(out.size()));
    return Acceptable;
}

TBlockTextEdit::TBlockTextEdit(QWidget* parent)
    : QLineEdit(parent) {
    setValidator(new TBlockTextValidator(this));
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
