#include "base/error_text.h"

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

std::string codeText(std::span<const TCodeText> table, int code) {
    for (const TCodeText& row : table) {
        if (row.code == code)
            return row.text;
    }
    return {};
}
