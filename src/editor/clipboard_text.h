#pragma once

#include <QString>

#include <stdexcept>

class QClipboard;

// The system clipboard could not be used: "Cannot open clipboard".
class EClipboardError : public std::runtime_error {
public:
    EClipboardError()
        : std::runtime_error("Cannot open clipboard") {}
};

// Empties `clipboard` and puts `text` on it as plain text. Throws EClipboardError when there is
// no clipboard or it does not hold the text afterwards.
void putClipboardText(QClipboard* clipboard, const QString& text);

// The plain text on `clipboard`; throws EClipboardError when there is no clipboard.
QString clipboardText(QClipboard* clipboard);
