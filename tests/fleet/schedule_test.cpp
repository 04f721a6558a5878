// The rules of a schedule: which show each sign wants at a moment, and when that can change
// next, in the real zone Europe/Berlin over both clock changes of 2026; and the errors that a
// schedule that cannot be used is refused with.

#include "fleet/schedule.h"
#include "support/core/berlin_time.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

class ScheduleTest : public testing::Test {
protected:
    void SetUp() override { useBerlinTime(); }
    TSchedule read(const std::string& text,
                   const std::function<void(const std::string&, bool)>& check = {}) {
        const std::string path = dir_.file("schedule.ini");
        writeFileBytes(path, text);
        return readSchedule(path, {"hall", "door", "Yard"}, check);
    }
    TempDir dir_;
};

const char* kSchedule = "[Show breakfast]\n"
                        "Signs=hall,door   ; both\n"
                        "Message=breakfast.lsm\n"
                        "Days=Mon-Fri\n"
                        "From=07:00\n"
                        "Until=11:00\n"
                        "[Show day]\n"
                        "signs=HALL\n"
                        "Message=day.lsm\n"
                        "[Show lunch]\n"
                        "Signs=hall\n"
                        "Message=lunch.lsm\n"
                        "From=12:00\n"
                        "Until=13:00\n"
                        "[Show lunch again]\n"
                        "Signs=hall,yard\n"
                        "Message=lunch2.lsm\n"
                        "From=12:00\n"
                        "Until=13:00\n"
                        "[Show night]\n"
                        "Signs=door\n"
                        "Message=night.lsm\n"
                        "Days=Fri\n"
                        "From=22:00\n"
                        "Until=02:00\n"
                        "[Show xmas]\n"
                        "Signs=Yard\n"
                        "Message=/srv/xmas.lsm\n"
                        "Dates=2026-12-24..2026-12-26, 2026-12-31\n"
                        "[Show small hours]\n"
                        "Signs=yard\n"
                        "Message=small.lsm\n"
                        "From=02:30\n"
                        "Until=02:45\n"
                        "[Otherwise]\n"
                        "Message=welcome.lsm\n";

TEST_F(ScheduleTest, EachSignGetsTheShowWithTheShortestActiveWindow) {
    const TSchedule schedule = read(kSchedule);
    EXPECT_EQ(schedule.signs, (std::vector<std::string>{"hall", "door", "Yard"}));
    EXPECT_EQ(schedule.shows[0].message, dir_.path() + "/breakfast.lsm");
    const struct {
        const char* name;
        const char* sign;
        const char* at;   // UTC; the local time is in the name
        const char* show; // "" for [Otherwise], "-" for none
    } cases[] = {
        {"MondayAt0700", "door", "2026-03-30T05:00:00Z", "breakfast"},
        {"MondayAt0659", "door", "2026-03-30T04:59:59Z", ""},
        {"MondayAt1100EndsIt", "door", "2026-03-30T09:00:00Z", ""},
        {"SaturdayIsNoWeekday", "door", "2026-03-28T07:00:00Z", ""},
        {"BreakfastInsideTheDayWins", "hall", "2026-03-30T06:00:00Z", "breakfast"},
        {"TheDayOtherwise", "hall", "2026-03-30T09:30:00Z", "day"},
        {"OfTwoEqualLunchesTheLaterWins", "hall", "2026-03-30T10:30:00Z", "lunch again"},
        {"NoLunchForTheDoor", "door", "2026-03-30T10:30:00Z", ""},
        {"FridayNightBeforeMidnight", "door", "2026-03-27T22:30:00Z", "night"},
        {"FridayNightAfterMidnight", "door", "2026-03-28T00:30:00Z", "night"},
        {"SaturdayNightIsNotFriday", "door", "2026-03-28T22:30:00Z", ""},
        {"ThursdayNightIsNotFriday", "door", "2026-03-27T00:30:00Z", ""},
        {"ADateInTheRange", "Yard", "2026-12-25T20:00:00Z", "xmas"},
        {"ADateInTheList", "Yard", "2026-12-31T10:00:00Z", "xmas"},
        {"ADateOutside", "Yard", "2026-12-27T10:00:00Z", ""},
        // 29 March: 02:00 CET becomes 03:00 CEST; 25 October: 03:00 CEST becomes 02:00 CET.
        {"SpringFridayAt0700CET", "door", "2026-03-27T06:00:00Z", "breakfast"},
        {"SpringMondayAt0700CEST", "door", "2026-03-30T05:00:00Z", "breakfast"},
        {"SpringMondayAt0659CEST", "door", "2026-03-30T04:59:00Z", ""},
        {"AutumnFridayAt0700CEST", "door", "2026-10-23T05:00:00Z", "breakfast"},
        {"AutumnMondayAt0700CET", "door", "2026-10-26T06:00:00Z", "breakfast"},
        {"AutumnMondayAt1059CET", "door", "2026-10-26T09:59:00Z", "breakfast"},
        {"AutumnMondayAt1100CET", "door", "2026-10-26T10:00:00Z", ""},
        {"BeforeTheSkippedHour", "Yard", "2026-03-29T00:59:00Z", ""},
        {"AShowInTheSkippedHourDoesNotRun", "Yard", "2026-03-29T01:00:00Z", ""},
        {"RepeatedHourFirstTime", "Yard", "2026-10-25T00:35:00Z", "small hours"},
        {"RepeatedHourSecondTime", "Yard", "2026-10-25T01:35:00Z", "small hours"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TShow* show = wantedShow(schedule, c.sign, utc(c.at));
        ASSERT_NE(show, nullptr);
        EXPECT_EQ(show->name, c.show);
    }

    // Without [Otherwise] a sign with no active show keeps what it shows.
    const TSchedule only = read("[Show b]\nSigns=door\nMessage=b.lsm\nFrom=07:00\nUntil=11:00\n");
    EXPECT_EQ(wantedShow(only, "door", utc("2026-03-30T12:00:00Z")), nullptr);
}

TEST_F(ScheduleTest, TheNextChangeIsAShowsBoundaryOrAClockChange) {
    const TSchedule schedule =
        read("[Show b]\nSigns=door\nMessage=b.lsm\nFrom=07:00\nUntil=11:00\n");
    const struct {
        const char* name;
        const char* at;
        const char* next;
    } cases[] = {
        {"StartOfTheWindow", "2026-03-30T03:00:00Z", "2026-03-30T05:00:00Z"},
        {"EndOfTheWindow", "2026-03-30T05:00:00Z", "2026-03-30T09:00:00Z"},
        {"Midnight", "2026-03-30T09:00:00Z", "2026-03-30T22:00:00Z"},
        {"TheSpringChange", "2026-03-28T23:00:00Z", "2026-03-29T01:00:00Z"},
        {"AfterTheSpringChange", "2026-03-29T01:00:00Z", "2026-03-29T05:00:00Z"},
        {"TheAutumnChange", "2026-10-24T22:00:00Z", "2026-10-25T01:00:00Z"},
        {"AfterTheAutumnChange", "2026-10-25T01:00:00Z", "2026-10-25T06:00:00Z"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(nextScheduleChange(schedule, utc(c.at)), utc(c.next));
    }
}

TEST_F(ScheduleTest, AScheduleThatCannotBeUsedIsRefusedWithItsLineAndKey) {
    const struct {
        const char* text;
        const char* error; // after "<file>:"
    } cases[] = {
        {"[Show a]\nSigns=hall,gate\nMessage=a.lsm\n",
         "2: [Show a] Signs=hall,gate: no sign \"gate\" in the settings file (its signs are hall, "
         "door, Yard)."},
        {"[Show a]\nSigns=hall\nMessage=a.lsm\nFrom=7am\n", "4: [Show a] From=7am: a time of day"},
        {"[Show a]\nSigns=hall\nMessage=a.lsm\nDays=Mon-Fry\n",
         "4: [Show a] Days=Mon-Fry: days are"},
        {"[Show a]\nSigns=hall\nMessage=a.lsm\nDates=2026-12-26..2026-12-24\n",
         "4: [Show a] Dates=2026-12-26..2026-12-24: the range ends before it begins."},
        {"[Show a]\nSigns=hall\nMessage=a.lsm\nFrom=07:00\nFrom=08:00\n",
         "5: [Show a] From=08:00: the key"},
        {"[Show a]\nSigns=hall\nMessage=gone.lsm\n", "3: [Show a] Message="},
        {"[Otherwise]\nMessage=a.lsm\nFrom=07:00\n",
         "3: [Otherwise] From=07:00: [Otherwise] takes"},
        {"[Show a]\nMessage=a.lsm\n", "1: [Show a]: no Signs="},
        {"[Lunch]\nSigns=hall\nMessage=a.lsm\n", "1: [Lunch]: a section is [Show NAME]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            read(c.text, [](const std::string& message, bool) {
                if (message.ends_with("gone.lsm"))
                    throw std::runtime_error("Cannot open file");
            });
            ADD_FAILURE() << "taken";
        } catch (const std::runtime_error& error) {
            const std::string expected = dir_.file("schedule.ini") + ":" + c.error;
            EXPECT_EQ(std::string(error.what()).substr(0, expected.size()), expected);
        }
    }
}

} // namespace
