#include "editor/block_clipboard.h"

#include "editor/clipboard_text.h"
#include "model/charset.h"
#include "model/ui/text_codec.h"

#include <QCoreApplication>
#include <QStringList>

#include <stdexcept>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::string_view kCentredHead = "Centered,";
constexpr std::string_view kNotCentredHead = "NotCentered,";

// Most refused characters that a message names one by one.
constexpr std::size_t kNamedCharacters = 8;

bool isBlockLine(std::string_view line) {
    return line.starts_with(kCentredHead) || line.starts_with(kNotCentredHead);
}

// The characters of `text` that a line cannot hold, each once, in the order they come: those
// that the character set has no byte for, and the control characters (which the sign would
// read as framing, colours or worse), but for the line breaks between blocks and the tab,
// which becomes a space.
std::vector<char32_t> refusedCharacters(const QString& text) {
    std::vector<char32_t> refused;
    std::unordered_set<char32_t> seen;
    for (const char32_t ch : text.toUcs4()) {
        const bool control = ch < 0x20 || ch == 0x7F;
        const bool fits =
            ch == U'\r' || ch == U'\n' || ch == U'\t' ||
            (!control && ch <= 0xFFFF && unicodeToCp1252(static_cast<char16_t>(ch)) >= 0);
        if (!fits && seen.insert(ch).second)
            refused.push_back(ch);
    }
    return refused;
}

// The short names of the control characters 0x00 to 0x1F.
constexpr const char* kControlNames[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                         "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                         "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                         "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

// "✓" (U+2713); a control character by its short name, "STX (U+0002)", or by its number only.
QString characterName(char32_t ch) {
    const QString number = QString("U+%1").arg(static_cast<uint>(ch), 4, 16, QChar('0')).toUpper();
    if (ch < 0x20)
        return QString("%1 (%2)").arg(QLatin1String(kControlNames[ch]), number);
    if (ch == 0x7F)
        return QString("DEL (%1)").arg(number);
    const bool printable = !(ch >= 0x7F && ch < 0xA0) && !(ch >= 0xD800 && ch <= 0xDFFF);
    if (!printable)
        return number;
    return QString("\"%1\" (%2)").arg(QString::fromUcs4(&ch, 1), number);
}

} // namespace

QString blockLinesText(const std::vector<std::string>& lines) {
    QString text;
    for (const std::string& line : lines)
        text += toQString(line) + u'\n';
    return text;
}

std::vector<std::string> pastedBlockLines(const QString& text) {
    const std::vector<char32_t> refused = refusedCharacters(text);
    if (!refused.empty()) {
        QStringList names;
        for (std::size_t i = 0; i < refused.size() && i < kNamedCharacters; ++i)
            names << characterName(refused[i]);
        QString named = names.join(", ");
        if (refused.size() > kNamedCharacters)
            named += QCoreApplication::translate("TBlockClipboard", " and %1 more")
                         .arg(refused.size() - kNamedCharacters);
        const QString message =
            (refused.size() == 1
                 ? QCoreApplication::translate("TBlockClipboard",
                                               "The text cannot be pasted: a message cannot "
                                               "hold the character %1. Nothing was pasted.")
                 : QCoreApplication::translate("TBlockClipboard",
                                               "The text cannot be pasted: a message cannot "
                                               "hold the characters %1. Nothing was pasted."))
                .arg(named);
        throw std::runtime_error(message.toStdString());
    }

    std::vector<std::string> lines;
    const qsizetype size = text.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        std::string line;
        toBytes(text.mid(start, end - start).replace(u'\t', u' '), line);
        lines.push_back(isBlockLine(line) ? line : std::string(kNotCentredHead) + line);
        if (end < size && text[end] == u'\r')
            ++end;
        if (end < size && text[end] == u'\n')
            ++end;
        start = end;
    }
    return lines;
}

void copyBlockLines(QClipboard* clipboard, const std::vector<std::string>& lines) {
    putClipboardText(clipboard, blockLinesText(lines));
}

std::vector<std::string> pasteBlockLines(QClipboard* clipboard) {
    return pastedBlockLines(clipboardText(clipboard));
}
