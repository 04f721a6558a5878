#include "base/error_text.h"

#include "base/ui_text.h"

namespace {

std::string joined(std::string_view what, std::string_view between, std::string_view reason) {
    std::string text(what);
    if (!reason.empty()) {
        text += between;
        text += reason;
    }
    return text;
}

} // namespace

std::string failureText(std::string_view what, std::string_view reason) {
    return joined(what, "\n", reason);
}

std::string failureLine(std::string_view what, std::string_view reason) {
    return joined(what, ": ", reason);
}

std::string failureLineOf(std::string_view text) {
    const std::size_t lineBreak = text.find('\n');
    if (lineBreak == std::string_view::npos)
        return oneLine(text);
    return failureLine(oneLine(text.substr(0, lineBreak)), oneLine(text.substr(lineBreak + 1)));
}

std::string oneLine(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += ' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string codeText(std::span<const TCodeText> table, int code) {
    for (const TCodeText& row : table) {
        if (row.code == code)
            return uiText("ErrorCodes", row.text);
    }
    return {};
}
