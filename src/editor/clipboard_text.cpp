#include "editor/clipboard_text.h"

#include <QClipboard>

void putClipboardText(QClipboard* clipboard, const QString& text) {
    if (!clipboard)
        throw EClipboardError();
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setText(text, QClipboard::Clipboard);
    // A desktop without a usable clipboard takes the text and keeps nothing.
    if (clipboard->text(QClipboard::Clipboard) != text)
        throw EClipboardError();
}

QString clipboardText(QClipboard* clipboard) {
    if (!clipboard)
        throw EClipboardError();
    return clipboard->text(QClipboard::Clipboard);
}
