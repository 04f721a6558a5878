#include "base/ui_text.h"

#include <atomic>
#include <vector>

namespace {

std::atomic<TUiTranslator> installed{nullptr};

} // namespace

void setUiTranslator(TUiTranslator translator) {
    installed.store(translator);
}

std::string uiText(const char* context, const char* text) {
    const TUiTranslator translator = installed.load();
    return translator ? translator(context, text) : std::string(text);
}

std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> values(args);
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
            pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < values.size()) {
                out += values[index];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}
