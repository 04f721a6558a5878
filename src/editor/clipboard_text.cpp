#include "editor/clipboard_text.h"

#include "base/ui_text.h"

#include <QClipboard>
#include <QMimeData>

#include <stdexcept>

void putClipboardText(QClipboard* clipboard, const QString& text) {
    if (!clipboard)
        throw std::runtime_error(uiText("TClipboard", "Cannot open clipboard"));
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setText(text, QClipboard::Clipboard);
    // A desktop without a usable clipboard takes the text and keeps nothing.
    if (clipboard->text(QClipboard::Clipboard) != text)
        throw std::runtime_error(uiText("TClipboard", "Cannot open clipboard"));
}

QString clipboardText(QClipboard* clipboard) {
    if (!clipboard)
        throw std::runtime_error(uiText("TClipboard", "Cannot open clipboard"));
    return clipboard->text(QClipboard::Clipboard);
}

TClipboardKeeper::TClipboardKeeper(QClipboard* clipboard)
    : clipboard_(clipboard) {
    if (!clipboard_)
        return;
    saved_ = std::make_unique<QMimeData>();
    const QMimeData* held = clipboard_->mimeData(QClipboard::Clipboard);
    if (!held)
        return;
    // An image or a colour put there by this program is held as an object, not as bytes.
    if (held->hasImage())
        saved_->setImageData(held->imageData());
    if (held->hasColor())
        saved_->setColorData(held->colorData());
    for (const QString& format : held->formats()) {
        if (format == QLatin1String("application/x-qt-image") ||
            format == QLatin1String("application/x-color"))
            continue;
        saved_->setData(format, held->data(format));
    }
}

TClipboardKeeper::~TClipboardKeeper() {
    if (!clipboard_ || !saved_)
        return;
    if (saved_->formats().isEmpty())
        clipboard_->clear(QClipboard::Clipboard);
    else
        clipboard_->setMimeData(saved_.release(), QClipboard::Clipboard);
}
