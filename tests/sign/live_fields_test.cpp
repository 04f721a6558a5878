// Live fields in block text: every kind, widths, fallbacks, literal braces, what a value may
// hold, fields that cannot be read, and when a time value reads differently next.

#include "sign/live_fields.h"
#include "support/core/berlin_time.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

class LiveFieldsTest : public testing::Test {
protected:
    void SetUp() override {
        useBerlinTime();
        writeFileBytes(dir_.file("queue.txt"), "\xEF\xBB\xBF"
                                               "42\r\nsecond line\n");
        writeFileBytes(dir_.file("odd.txt"), "A\tB\xE2\x82\xAC\xE2\x9C\x93^G^\n");
        writeFileBytes(dir_.file("latin.txt"), "\xE9t\xE9");
    }
    TempDir dir_;
};

// 29 March 2026, 07:07:09 in Berlin (CEST), the morning of the spring clock change.
const TMoment kMorning = utc("2026-03-29T05:07:09Z");

TEST_F(LiveFieldsTest, FieldsTakeTheirValuesAsAsked) {
    const struct {
        const char* line;
        TMoment at;
        const char* expected;
    } cases[] = {
        {"Centered,{time:%H:%M}", kMorning, "Centered,07:07"},
        {"NotCentered,{date:%d.%m.%Y} {date:%A|3}", kMorning, "NotCentered,29.03.2026 Sun"},
        {"{time:%H:%M|8}|", kMorning, "07:07   |"},
        {"{time:%H:%M:%S|2}", kMorning, "07"},
        {"^G^{file:queue.txt}^Y^x", kMorning, "^G^42^Y^x"},
        {"{file:queue.txt|0}", kMorning, ""},
        {"[{file:missing.txt|3|--}]", kMorning, "[-- ]"},
        {"[{file:missing.txt}]", kMorning, "[]"},
        {"{file:missing.txt|2|N/A}", kMorning, "N/"},
        {"{file:odd.txt}", kMorning, "AB\x80??G?"},
        {"{file:latin.txt}", kMorning, "\xE9t\xE9"},
        {"{{time:%H}} }", kMorning, "{time:%H}} }"},
        {"Clock {time:%H:%M|5|--:--} {date:%Y}.", utc("1970-01-01T00:05:00Z"), "Clock --:-- ."},
        {"{time:%H:%M}", utc("2019-12-31T22:59:59Z"), ""},
        {"{time:%H:%M}", utc("2020-01-01T00:00:00Z"), "01:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const TFieldValues values = expandLiveFields({c.line}, c.at, dir_.path());
        ASSERT_EQ(values.lines.size(), 1u);
        EXPECT_EQ(values.lines[0], c.expected);
    }
}

TEST_F(LiveFieldsTest, AFieldThatCannotBeReadIsRefusedOrLeftAsWritten) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"{tim:%H}", "line 2: {tim:%H} is no live field"},
        {"{time:%H", "line 2: {time:%H has no closing }"},
        {"{time:%H|x}", "line 2: {time:%H|x}: the width after | is a whole number from 0 to 255."},
        {"{time:%H|256}", "line 2: {time:%H|256}: the width"},
        {"{file:}", "line 2: {file:} names no file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        try {
            expandLiveFields({"NotCentered,ok", c.line}, kMorning, dir_.path());
            ADD_FAILURE() << "taken";
        } catch (const ELiveFieldError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, std::string(c.error).size()), c.error);
        }
        const TFieldValues left =
            expandLiveFields({c.line, "{time:%H}"}, kMorning, dir_.path(), TFieldErrors::Leave);
        EXPECT_EQ(left.lines, (std::vector<std::string>{c.line, "07"}));
    }
}

TEST_F(LiveFieldsTest, TheNextValueComesAtTheNextStepOfTheWallClock) {
    const struct {
        const char* line;
        std::optional<TMoment> next;
    } cases[] = {
        {"{time:%H:%M:%S}", kMorning + 1},
        {"{time:%H:%M} {date:%d}", utc("2026-03-29T05:08:00Z")},
        {"{time:%Hh}", utc("2026-03-29T06:00:00Z")},
        {"{date:%d.%m.}", utc("2026-03-29T22:00:00Z")},
        {"{time:no conversion} {file:queue.txt}", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(expandLiveFields({c.line}, kMorning, dir_.path()).nextChange, c.next);
    }
    // A day's field on the night of the change: the change itself comes first.
    EXPECT_EQ(expandLiveFields({"{date:%d}"}, utc("2026-03-28T23:30:00Z")).nextChange,
              utc("2026-03-29T01:00:00Z"));
    EXPECT_EQ(expandLiveFields({"{file:queue.txt}{file:queue.txt}{file:/x}"}, kMorning, "/d").files,
              (std::vector<std::string>{"/d/queue.txt", "/x"}));
}

} // namespace
