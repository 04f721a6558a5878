#include "sign/live_fields.h"

#include "base/whole_number.h"
#include "files/file_errors.h"
#include "files/file_platform.h"
#include "model/block.h"
#include "model/charset.h"

#include <algorithm>
#include <ctime>
#include <string_view>

namespace {

// The most of a file that is looked at for its first line.
constexpr std::size_t kFileHead = 4096;

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// One character of a value as the sign's byte; none for a character that is dropped.
std::optional<char> valueByte(char32_t c) {
    if (isControl(c))
        return std::nullopt;
    const int byte = c > 0xFFFF ? -1 : unicodeToCp1252(static_cast<char16_t>(c));
    if (byte < 0 || byte == '^')
        return '?';
    return static_cast<char>(byte);
}

// The code points of UTF-8 `text`; none when it is no valid UTF-8.
std::optional<std::u32string> decodeUtf8(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int extra = b < 0x80             ? 0
                          : (b & 0xE0) == 0xC0 ? 1
                          : (b & 0xF0) == 0xE0 ? 2
                          : (b & 0xF8) == 0xF0 ? 3
                                               : -1;
        if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra))
            return std::nullopt;
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
            return std::nullopt;
        out.push_back(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// Text from outside (a file, the C library's time text) as a value for the sign.
std::string valueText(std::string_view text) {
    std::string out;
    if (const std::optional<std::u32string> decoded = decodeUtf8(text)) {
        for (const char32_t c : *decoded) {
            if (const std::optional<char> byte = valueByte(c))
                out.push_back(*byte);
        }
        return out;
    }
    for (const char c : text) {
        const char16_t unicode = cp1252ToUnicode(static_cast<unsigned char>(c));
        if (const std::optional<char> byte = valueByte(unicode))
            out.push_back(*byte);
    }
    return out;
}

// The first line of the regular file at `path`; none when it cannot be read.
std::optional<std::string> firstLineOf(const std::string& path) {
    std::string head;
    TFileHandle file = 0;
    try {
        file = fileOpenForRead(path);
    } catch (const EFileSystemError&) {
        return std::nullopt;
    }
    try {
        // Never a FIFO or a device: they could hang the sender or feed it without end.
        if (fileStatusOf(file).kind != TFileKind::Regular) {
            fileCloseQuietly(file);
            return std::nullopt;
        }
        head.resize(kFileHead);
        std::size_t got = 0;
        while (got < head.size()) {
            const std::size_t n = fileRead(file, head.data() + got, head.size() - got);
            if (n == 0)
                break;
            got += n;
        }
        head.resize(got);
        fileCloseQuietly(file);
    } catch (const EFileSystemError&) {
        fileCloseQuietly(file);
        return std::nullopt;
    }
    if (head.starts_with("\xEF\xBB\xBF"))
        head.erase(0, 3);
    return head.substr(0, head.find_first_of("\r\n"));
}

// How often the text of a strftime format can change: every second, minute, hour or day;
// 0 for a format without a conversion of the time.
int formatStep(std::string_view format) {
    int step = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        ++i;
        while (i < format.size() &&
               std::string_view("_-0^#EO123456789").find(format[i]) != std::string_view::npos)
            ++i;
        if (i >= format.size() || format[i] == '%' || format[i] == 'n' || format[i] == 't')
            continue;
        const char c = format[i];
        const int each = std::string_view("STrcsX+").find(c) != std::string_view::npos    ? 1
                         : std::string_view("MR").find(c) != std::string_view::npos       ? 60
                         : std::string_view("HIklpPzZ").find(c) != std::string_view::npos ? 3600
                                                                                          : 86400;
        step = step == 0 ? each : std::min(step, each);
    }
    return step;
}

std::string timeText(const std::string& format, TMoment now) {
    const std::time_t time = static_cast<std::time_t>(now);
    std::tm local{};
    ::tzset();
    if (!::localtime_r(&time, &local))
        return {};
    char text[1024];
    const std::size_t n = std::strftime(text, sizeof text, format.c_str(), &local);
    return valueText(std::string_view(text, n));
}

class TExpander {
public:
    TExpander(TMoment now, const std::string& folder, TFieldValues& out)
        : now_(now)
        , folder_(folder)
        , out_(out) {}

    // The text with its fields replaced; throws ELiveFieldError.
    std::string expand(std::string_view text, TFieldErrors errors) const {
        std::string result;
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t brace = text.find('{', i);
            result.append(text.substr(i, brace == std::string_view::npos ? brace : brace - i));
            if (brace == std::string_view::npos)
                break;
            if (brace + 1 < text.size() && text[brace + 1] == '{') {
                result.push_back('{');
                i = brace + 2;
                continue;
            }
            const std::size_t close = text.find('}', brace);
            const std::string_view written =
                text.substr(brace, close == std::string_view::npos ? close : close - brace + 1);
            try {
                if (close == std::string_view::npos)
                    throw ELiveFieldError(std::string(written) +
                                          " has no closing }: a brace itself is written {{.");
                result += value(text.substr(brace + 1, close - brace - 1), written);
            } catch (const ELiveFieldError&) {
                if (errors == TFieldErrors::Throw)
                    throw;
                result += written;
            }
            i = brace + written.size();
        }
        return result;
    }

private:
    std::string value(std::string_view body, std::string_view written) const {
        const std::size_t colon = body.find(':');
        const std::string_view kind = body.substr(0, colon);
        if (colon == std::string_view::npos || (kind != "time" && kind != "date" && kind != "file"))
            throw ELiveFieldError(std::string(written) +
                                  " is no live field: they are {time:FORMAT}, {date:FORMAT} and "
                                  "{file:PATH}; a brace itself is written {{.");
        std::string_view rest = body.substr(colon + 1);
        const std::size_t bar = rest.find('|');
        const std::string arg(rest.substr(0, bar));
        std::optional<std::size_t> width;
        std::optional<std::string> fallback;
        if (bar != std::string_view::npos) {
            rest = rest.substr(bar + 1);
            const std::size_t second = rest.find('|');
            const std::optional<long long> n =
                parseWholeNumber(rest.substr(0, second), TNumberForm::Digits);
            if (!n || *n > static_cast<long long>(kMaxBlockText))
                throw ELiveFieldError(std::string(written) +
                                      ": the width after | is a whole number from 0 to 255.");
            width = static_cast<std::size_t>(*n);
            if (second != std::string_view::npos)
                fallback = valueText(rest.substr(second + 1));
        }
        if (arg.empty())
            throw ELiveFieldError(std::string(written) +
                                  (kind == "file" ? " names no file." : " has no format."));

        std::optional<std::string> text;
        if (kind == "file") {
            const std::string path = arg[0] == '/' || folder_.empty() ? arg : folder_ + "/" + arg;
            if (std::find(out_.files.begin(), out_.files.end(), path) == out_.files.end())
                out_.files.push_back(path);
            if (const std::optional<std::string> line = firstLineOf(path))
                text = valueText(*line);
        } else if (clockIsSet(now_)) {
            text = timeText(arg, now_);
            if (const int step = formatStep(arg)) {
                const TMoment next = nextWallStep(now_, step);
                out_.nextChange = std::min(out_.nextChange.value_or(next), next);
            }
        }
        std::string shown = text.value_or(fallback.value_or(std::string()));
        if (width)
            shown.resize(*width, ' ');
        return shown;
    }

    TMoment now_;
    const std::string& folder_;
    TFieldValues& out_;
};

} // namespace

TFieldValues expandLiveFields(const std::vector<std::string>& lines, TMoment now,
                              const std::string& folder, TFieldErrors errors) {
    TFieldValues out;
    const TExpander expander(now, folder, out);
    out.lines.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TLineSplit split = splitBlockLine(lines[i]);
        try {
            out.lines.push_back(std::string(split.head) + expander.expand(split.text, errors));
        } catch (const ELiveFieldError& error) {
            throw ELiveFieldError("line " + std::to_string(i + 1) + ": " + error.what());
        }
    }
    return out;
}
