#include "model/file_name_text.h"

#include "files/file_names.h"
#include "files/file_platform.h"
#include "model/charset.h"

#include <vector>

std::string readableFileName(std::string_view bytes) {
    std::u16string text = fileNameToUtf16(bytes);
    for (char16_t& c : text) {
        if (c >= 0xDC80 && c <= 0xDCFF)
            c = cp1252ToUnicode(static_cast<unsigned char>(c - 0xDC00));
    }
    return fileNameFromUtf16(text);
}

std::string resolveReadablePath(const std::string& path) {
    if (!fileNameIsFree(path))
        return path;
    std::string resolved;
    std::size_t pos = 0;
    while (pos < path.size()) {
        std::size_t slash = path.find('/', pos);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string part = path.substr(pos, slash - pos);
        std::string chosen = part;
        if (!part.empty() && fileNameIsFree(resolved + part)) {
            std::vector<std::string> alike;
            for (const std::string& entry : fileFolderEntries(resolved.empty() ? "." : resolved)) {
                if (entry != part && readableFileName(entry) == part)
                    alike.push_back(entry);
            }
            if (alike.size() == 1)
                chosen = alike.front();
        }
        resolved += chosen;
        if (slash < path.size())
            resolved += '/';
        pos = slash + 1;
    }
    return resolved;
}
