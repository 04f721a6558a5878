#include "fleet/schedule.h"

#include "base/ascii_case.h"
#include "base/error_text.h"
#include "base/whole_number.h"
#include "files/whole_file.h"
#include "settings/profile.h"
#include "sign/send_address.h"

#include <QDate>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string_view>

namespace {

constexpr int kDayMinutes = 24 * 60;
constexpr std::array<std::string_view, 7> kDayNames = {"Mon", "Tue", "Wed", "Thu",
                                                       "Fri", "Sat", "Sun"};

std::string trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

std::vector<std::string> splitList(std::string_view text) {
    std::vector<std::string> items;
    std::size_t pos = 0;
    while (true) {
        const std::size_t comma = text.find(',', pos);
        items.push_back(
            trim(text.substr(pos, comma == std::string_view::npos ? comma : comma - pos)));
        if (comma == std::string_view::npos)
            return items;
        pos = comma + 1;
    }
}

// The value without a comment that follows it after a space.
std::string withoutComment(const std::string& value) {
    for (std::size_t i = 1; i < value.size(); ++i) {
        if (value[i] == ';' && (value[i - 1] == ' ' || value[i - 1] == '\t'))
            return trim(std::string_view(value).substr(0, i));
    }
    return value;
}

// Minutes of the day of "HH:MM"; 24:00 only where `endOfDay` allows it.
std::optional<int> minutesOf(const std::string& text, bool endOfDay) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() != colon + 3)
        return std::nullopt;
    const auto h = parseWholeNumber(std::string_view(text).substr(0, colon), TNumberForm::Digits);
    const auto m = parseWholeNumber(std::string_view(text).substr(colon + 1), TNumberForm::Digits);
    if (!h || !m || *m > 59 || *h > 24 || (*h == 24 && (*m != 0 || !endOfDay)))
        return std::nullopt;
    return static_cast<int>(*h * 60 + *m);
}

std::optional<std::int64_t> dayOf(const std::string& text) {
    const QDate date =
        QDate::fromString(QString::fromStdString(text), QStringLiteral("yyyy-MM-dd"));
    if (text.size() != 10 || !date.isValid())
        return std::nullopt;
    return date.toJulianDay();
}

std::optional<int> weekdayOf(const std::string& text) {
    for (std::size_t i = 0; i < kDayNames.size(); ++i) {
        if (sameIgnoringAsciiCase(text, kDayNames[i]))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

bool yesOrNo(const std::string& text, bool& value) {
    for (const char* yes : {"yes", "true", "on", "1"}) {
        if (sameIgnoringAsciiCase(text, yes))
            return value = true;
    }
    for (const char* no : {"no", "false", "off", "0"}) {
        if (sameIgnoringAsciiCase(text, no))
            return !(value = false);
    }
    return false;
}

// Reads one section into a show; throws std::runtime_error.
class TShowReader {
public:
    TShowReader(const std::string& path, const std::string& folder,
                const std::vector<std::string>& signNames)
        : path_(path)
        , folder_(folder)
        , signNames_(signNames) {}

    TShow read(const TProfileSection& section, const std::string& name) {
        TShow show;
        show.name = name;
        show.line = section.line;
        header_ = "[" + section.name + "]";
        std::set<std::string> seen;
        bool hasSigns = false;
        for (const TProfileKey& key : section.keys) {
            const std::string value = withoutComment(key.value);
            line_ = key.line;
            where_ = header_ + " " + key.name + "=" + value;
            std::string canonical = key.name;
            for (char& c : canonical)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (!seen.insert(canonical).second)
                fail("the key is given twice in the section.");
            if (canonical == "signs") {
                show.signs = signsOf(value);
                hasSigns = true;
            } else if (canonical == "message") {
                if (value.empty())
                    fail("the message file is missing.");
                show.message = value[0] == '/' ? value : folder_ + "/" + value;
                show.messageLine = key.line;
            } else if (canonical == "line") {
                show.start = numberOf(value, kMinStartLine, kMaxStartLine, "the start line");
            } else if (canonical == "width") {
                show.width = numberOf(value, kMinLineWidth, kMaxLineWidth, "the width");
            } else if (canonical == "fields") {
                if (!yesOrNo(value, show.fields))
                    fail("say yes or no.");
            } else if (show.otherwise()) {
                fail("[Otherwise] takes Signs, Message, Line, Width and Fields; it holds when no "
                     "show does.");
            } else if (canonical == "days") {
                show.days = daysOf(value);
            } else if (canonical == "from" || canonical == "until") {
                const std::optional<int> minutes = minutesOf(value, canonical == "until");
                if (!minutes)
                    fail("a time of day is written HH:MM, from 00:00 to 23:59 (Until up to "
                         "24:00).");
                (canonical == "from" ? show.from : show.until) = *minutes;
            } else if (canonical == "dates") {
                show.dates = datesOf(value);
            } else {
                fail("no such key: a show takes Signs, Message, Days, From, Until, Dates, Line, "
                     "Width and Fields.");
            }
        }
        line_ = section.line;
        where_ = header_;
        if (show.message.empty())
            fail("no Message= says which message file it shows.");
        if (!hasSigns && !show.otherwise())
            fail("no Signs= says which signs it is for (a list of names, or all).");
        return show;
    }

    [[noreturn]] void fail(const std::string& why) const {
        throw std::runtime_error(path_ + ":" + std::to_string(line_) + ": " + where_ + ": " + why);
    }

    void at(int line, const std::string& where) {
        line_ = line;
        where_ = where;
    }

private:
    std::vector<std::string> signsOf(const std::string& value) const {
        if (sameIgnoringAsciiCase(value, "all")) {
            if (signNames_.empty())
                fail("the settings file names no sign ([Sign NAME]).");
            return signNames_;
        }
        std::vector<std::string> signs;
        for (const std::string& name : splitList(value)) {
            const auto known =
                std::find_if(signNames_.begin(), signNames_.end(),
                             [&](const auto& s) { return sameIgnoringAsciiCase(s, name); });
            if (name.empty())
                fail("a sign's name is missing from the list.");
            if (known == signNames_.end()) {
                std::string list;
                for (const std::string& s : signNames_)
                    list += (list.empty() ? "" : ", ") + s;
                fail("no sign \"" + name + "\" in the settings file" +
                     (list.empty() ? " (it names none)." : " (its signs are " + list + ")."));
            }
            if (std::find(signs.begin(), signs.end(), *known) == signs.end())
                signs.push_back(*known);
        }
        return signs;
    }

    int numberOf(const std::string& value, int low, int high, const char* meaning) const {
        const std::optional<long long> n = parseWholeNumber(value, TNumberForm::Digits);
        if (!n || *n < low || *n > high)
            fail(std::string(meaning) + " is a whole number from " + std::to_string(low) + " to " +
                 std::to_string(high) + ".");
        return static_cast<int>(*n);
    }

    std::array<bool, 7> daysOf(const std::string& value) const {
        std::array<bool, 7> days{};
        for (const std::string& item : splitList(value)) {
            const std::size_t dash = item.find('-');
            const std::optional<int> first = weekdayOf(trim(item.substr(0, dash)));
            const std::optional<int> last =
                dash == std::string::npos ? first : weekdayOf(trim(item.substr(dash + 1)));
            if (!first || !last)
                fail("days are Mon, Tue, Wed, Thu, Fri, Sat and Sun, in lists (Sat,Sun) and "
                     "ranges (Mon-Fri).");
            // A range may run over the end of the week: Fri-Mon.
            for (int d = *first;; d = (d + 1) % 7) {
                days[static_cast<std::size_t>(d)] = true;
                if (d == *last)
                    break;
            }
        }
        return days;
    }

    std::vector<std::pair<std::int64_t, std::int64_t>> datesOf(const std::string& value) const {
        std::vector<std::pair<std::int64_t, std::int64_t>> dates;
        for (const std::string& item : splitList(value)) {
            const std::size_t dots = item.find("..");
            const std::optional<std::int64_t> first = dayOf(trim(item.substr(0, dots)));
            const std::optional<std::int64_t> last =
                dots == std::string::npos ? first : dayOf(trim(item.substr(dots + 2)));
            if (!first || !last)
                fail("dates are written YYYY-MM-DD, in lists and ranges "
                     "(2026-12-24..2026-12-26).");
            if (*last < *first)
                fail("the range ends before it begins.");
            dates.emplace_back(*first, *last);
        }
        return dates;
    }

    const std::string& path_;
    const std::string& folder_;
    const std::vector<std::string>& signNames_;
    std::string header_;
    std::string where_;
    int line_ = 0;
};

bool matchesDay(const TShow& show, std::int64_t day) {
    if (!show.days[static_cast<std::size_t>(((day % 7) + 7) % 7)])
        return false;
    return show.dates.empty() ||
           std::any_of(show.dates.begin(), show.dates.end(), [day](const auto& range) {
               return day >= range.first && day <= range.second;
           });
}

} // namespace

int TShow::window() const {
    return from < until ? until - from : kDayMinutes - from + until;
}

bool TShow::activeAt(const TWallTime& time) const {
    const int minute = time.minute();
    if (from < until)
        return minute >= from && minute < until && matchesDay(*this, time.day);
    return (minute >= from && matchesDay(*this, time.day)) ||
           (minute < until && matchesDay(*this, time.day - 1));
}

bool TShow::names(const std::string& sign) const {
    return std::find(signs.begin(), signs.end(), sign) != signs.end();
}

TSchedule readSchedule(const std::string& path, const std::vector<std::string>& signNames,
                       const std::function<void(const std::string&, bool)>& checkMessage) {
    std::string data;
    std::string reason;
    if (readRegularFile(path, data, reason) != TReadResult::Ok)
        throw std::runtime_error(failureLine("Cannot open file " + path, reason));

    TSchedule schedule;
    schedule.path = path;
    // Message files named from the schedule's folder, whatever the working folder is later.
    const std::string folder = std::filesystem::absolute(path).parent_path().lexically_normal();
    TShowReader reader(path, folder, signNames);
    for (const TProfileSection& section : parseProfileText(data)) {
        const std::string& name = section.name;
        if (sameIgnoringAsciiCase(name, "Otherwise")) {
            reader.at(section.line, "[" + name + "]");
            if (schedule.otherwise)
                reader.fail("there is one [Otherwise] in a schedule.");
            schedule.otherwise = reader.read(section, {});
            continue;
        }
        const std::string prefix = name.substr(0, 5);
        const std::string showName = trim(name.size() > 5 ? name.substr(5) : std::string());
        reader.at(section.line, "[" + name + "]");
        if (!sameIgnoringAsciiCase(prefix, "Show ") || showName.empty())
            reader.fail("a section is [Show NAME] or [Otherwise].");
        for (const TShow& other : schedule.shows) {
            if (sameIgnoringAsciiCase(other.name, showName))
                reader.fail("a show of that name stands on line " + std::to_string(other.line) +
                            ".");
        }
        schedule.shows.push_back(reader.read(section, showName));
    }
    if (schedule.shows.empty() && !schedule.otherwise)
        throw std::runtime_error(path + ": no show: add a section [Show NAME] or [Otherwise].");

    for (const std::string& sign : signNames) {
        const bool named = std::any_of(schedule.shows.begin(), schedule.shows.end(),
                                       [&](const TShow& s) { return s.names(sign); });
        if (named || (schedule.otherwise && schedule.otherwise->names(sign)))
            schedule.signs.push_back(sign);
    }
    if (schedule.otherwise && schedule.otherwise->signs.empty()) {
        if (schedule.signs.empty()) {
            reader.at(schedule.otherwise->line, "[Otherwise]");
            reader.fail("no Signs= and no show names a sign: say which signs, or Signs=all.");
        }
        schedule.otherwise->signs = schedule.signs;
    }

    if (checkMessage) {
        auto check = [&](const TShow& show) {
            try {
                checkMessage(show.message, show.fields);
            } catch (const std::exception& error) {
                reader.at(show.messageLine,
                          (show.otherwise() ? "[Otherwise]" : "[Show " + show.name + "]") +
                              " Message=" + show.message);
                reader.fail(error.what());
            }
        };
        for (const TShow& show : schedule.shows)
            check(show);
        if (schedule.otherwise)
            check(*schedule.otherwise);
    }
    return schedule;
}

const TShow* wantedShow(const TSchedule& schedule, const std::string& sign, TMoment moment) {
    const TWallTime time = wallTimeAt(moment);
    const TShow* wanted = nullptr;
    for (const TShow& show : schedule.shows) {
        if (show.names(sign) && show.activeAt(time) &&
            (!wanted || show.window() <= wanted->window()))
            wanted = &show;
    }
    if (!wanted && schedule.otherwise && schedule.otherwise->names(sign))
        wanted = &*schedule.otherwise;
    return wanted;
}

std::optional<TMoment> nextScheduleChange(const TSchedule& schedule, TMoment moment) {
    if (schedule.shows.empty())
        return std::nullopt;
    // Shows start and end only at their times and at midnight, where days and dates change.
    std::set<int> boundaries = {0};
    for (const TShow& show : schedule.shows) {
        boundaries.insert(show.from * 60);
        boundaries.insert(show.until % kDayMinutes * 60);
    }
    const TWallTime now = wallTimeAt(moment);
    const auto later = boundaries.upper_bound(now.second);
    const std::int64_t target =
        later != boundaries.end() ? now.day * 86400 + *later : (now.day + 1) * 86400;
    return nextWallMoment(moment, target);
}
