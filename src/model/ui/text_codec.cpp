#include "model/ui/text_codec.h"

#include "files/file_names.h"
#include "model/charset.h"
#include "model/file_name_text.h"

QString toQString(const std::string& bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = QChar(cp1252ToUnicode(static_cast<unsigned char>(bytes[i])));
    return text;
}

bool toBytes(const QString& text, std::string& out) {
    return utf16ToCp1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<std::size_t>(text.size())),
                         out);
}

std::string toBytesLossy(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text) {
        const int b = unicodeToCp1252(ch.unicode());
        if (b >= 0)
            bytes.push_back(static_cast<char>(b));
    }
    return bytes;
}

QString pathToQString(const std::string& path) {
    return QString::fromStdString(readableFileName(path));
}

std::string pathFromQString(const QString& path) {
    return fileNameFromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(path.utf16()),
                                                 static_cast<std::size_t>(path.size())));
}

QString exactQString(std::string_view bytes) {
    return QString::fromStdU16String(fileNameToUtf16(bytes));
}
