#include "model/ui/block_words.h"

#include "model/block.h"
#include "model/colour_runs.h"
#include "model/ui/text_codec.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString words(const char* text) {
    return QCoreApplication::translate("BlockWords", text);
}

} // namespace

QString colourName(TSignColour colour) {
    switch (colour) {
    case TSignColour::Red:
        return words(QT_TRANSLATE_NOOP("BlockWords", "red"));
    case TSignColour::Green:
        return words(QT_TRANSLATE_NOOP("BlockWords", "green"));
    case TSignColour::Yellow:
        return words(QT_TRANSLATE_NOOP("BlockWords", "yellow"));
    }
    return {};
}

QString blockTextInWords(const std::string& text) {
    std::string plain;
    TColourArray colours{};
    TFlashArray flash{};
    ExpandMarkup(text, plain, colours, flash);
    const QString characters = toQString(plain);
    QStringList parts;
    for (const TColourRun& run : colourRuns(plain.size(), colours, flash)) {
        const QString part =
            characters.mid(static_cast<qsizetype>(run.begin), static_cast<qsizetype>(run.length))
                .trimmed();
        if (part.isEmpty())
            continue;
        parts << (run.flash == TFlash::Flashing
                      ? words(QT_TRANSLATE_NOOP("BlockWords", "%1 in flashing %2"))
                      : words(QT_TRANSLATE_NOOP("BlockWords", "%1 in %2")))
                     .arg(part, colourName(run.colour));
    }
    return parts.isEmpty() ? words(QT_TRANSLATE_NOOP("BlockWords", "empty"))
                           : parts.join(QStringLiteral(", "));
}

QString blockLineInWords(const std::string& line, int index) {
    const TLineSplit split = splitBlockLine(line);
    const QString number = words(QT_TRANSLATE_NOOP("BlockWords", "Line %1")).arg(index + 1);
    if (!split.hasHead())
        return number + QStringLiteral(": ") + toQString(line);
    TBlock block;
    block.ParseLine(line);
    return (block.Centered ? words(QT_TRANSLATE_NOOP("BlockWords", "%1, centred: %2"))
                           : words(QT_TRANSLATE_NOOP("BlockWords", "%1, not centred: %2")))
        .arg(number, blockTextInWords(block.Text));
}
