#pragma once

#include <QString>

#include <memory>

class QClipboard;
class QMimeData;

// Empties `clipboard` and puts `text` on it as plain text. Throws "Cannot open clipboard" when
// there is no clipboard or it does not hold the text afterwards.
void putClipboardText(QClipboard* clipboard, const QString& text);

// The plain text on `clipboard`; throws "Cannot open clipboard" when there is no clipboard.
QString clipboardText(QClipboard* clipboard);

// Keeps what `clipboard` holds, in every format it offers, and puts it back when it goes: for
// a command that has to go through the clipboard without taking the user's contents from it.
class TClipboardKeeper {
public:
    explicit TClipboardKeeper(QClipboard* clipboard);
    ~TClipboardKeeper();
    TClipboardKeeper(const TClipboardKeeper&) = delete;
    TClipboardKeeper& operator=(const TClipboardKeeper&) = delete;

private:
    QClipboard* clipboard_;
    std::unique_ptr<QMimeData> saved_;
};
