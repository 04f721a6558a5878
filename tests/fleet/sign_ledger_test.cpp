// What the ledger of a sign makes a schedule pass do: send when the wanted bytes change, not
// again while they stay, retry after a failure (at once in a single pass, after a growing wait
// when following), keep a hold until it ends or is released, then go back to the schedule or to
// what the sign showed before the hold; the ledger read back as it was written.

#include "fleet/schedule_pass.h"
#include "model/message_file.h"
#include "support/core/berlin_time.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <cstdlib>
#include <ctime>

namespace {

using Action = TPassSign::Action;
using State = TSignReport::State;

class SignLedgerTest : public testing::Test {
protected:
    void SetUp() override {
        useBerlinTime();
        writeMessageFile(dir_.file("day.lsm"), {"Centered,DAY"});
        writeMessageFile(dir_.file("urgent.lsm"), {"NotCentered,^F^FIRE"});
        writeFileBytes(dir_.file("schedule.ini"),
                       "[Show day]\nSigns=hall\nMessage=day.lsm\nFrom=07:00\nUntil=19:00\n");
        schedule_ = readSchedule(dir_.file("schedule.ini"), {"hall"});
    }

    TPassSign plan(TMoment at, bool backoff = true, bool force = false) {
        const std::map<std::string, TSignLedger> ledgers = {{"hall", readLedger("hall")}};
        const TPassPlan pass = planPass(schedule_, signs_, {}, ledgers, at, force, backoff);
        next_ = pass.nextChange;
        return pass.signs.at(0);
    }
    void record(const TPassSign& part, State state, std::size_t sent, TMoment at) {
        TSignLedger ledger = readLedger("hall");
        TSignReport report;
        report.state = state;
        report.sent = sent;
        report.total = part.bytes.size();
        report.reason = "refused";
        ledger.record(ledgerSend(part, report, at));
        writeLedger("hall", ledger);
    }
    void hold(TMoment until) {
        TSignLedger ledger = readLedger("hall");
        ledger.hold = TLedgerHold{
            {dir_.file("urgent.lsm"), "hold", 1, 20, false, {}, 0}, until, ledger.shows};
        writeLedger("hall", ledger);
    }

    TempDir dir_;
    TSchedule schedule_;
    std::vector<TChosenSign> signs_ = {{"hall", TSignLink::Network("127.0.0.1", 9), {}, {}, {}}};
    std::optional<TMoment> next_;
};

TEST_F(SignLedgerTest, APassSendsOnChangeRetriesAfterFailureAndKeepsAHold) {
    const TMoment morning = utc("2026-03-30T06:00:00Z"); // 08:00, the day show
    TPassSign part = plan(morning);
    ASSERT_EQ(part.action, Action::Send);
    EXPECT_EQ(part.wanted.show, "day");
    EXPECT_EQ(part.job.stream, part.bytes);
    record(part, State::Sent, part.bytes.size(), morning);
    EXPECT_EQ(plan(morning + 60).action, Action::Unchanged);

    // A changed message is sent; a failed send is tried again, at once by a single pass, after
    // 10 s and then 20 s by a follower.
    writeMessageFile(dir_.file("day.lsm"), {"Centered,DAY 2"});
    const TMoment failed = morning + 120;
    part = plan(failed);
    ASSERT_EQ(part.action, Action::Send);
    record(part, State::OpenFailed, 0, failed);
    EXPECT_EQ(plan(failed + 5).action, Action::Wait);
    EXPECT_EQ(plan(failed + 5).retryAt, failed + 10);
    EXPECT_EQ(next_, failed + 10);
    EXPECT_EQ(plan(failed + 5, false).action, Action::Send);
    part = plan(failed + 10);
    ASSERT_EQ(part.action, Action::Send);
    record(part, State::BrokeOff, 5, failed + 10);
    EXPECT_EQ(readLedger("hall").failures, 2);
    EXPECT_FALSE(readLedger("hall").shows) << "part of a message reached the sign";
    EXPECT_EQ(plan(failed + 29).retryAt, failed + 30);
    // What it showed before is wanted again, and sent: the broken send may have changed it.
    writeMessageFile(dir_.file("day.lsm"), {"Centered,DAY"});
    part = plan(failed + 30);
    ASSERT_EQ(part.action, Action::Send);
    record(part, State::Sent, part.bytes.size(), failed + 30);
    EXPECT_EQ(plan(failed + 31).action, Action::Unchanged);
    EXPECT_EQ(plan(failed + 31, true, true).action, Action::Send) << "forced";

    // A hold is kept until it ends or is released; then the schedule takes over again.
    const TMoment held = morning + 600;
    hold(held + 1800);
    part = plan(held);
    ASSERT_EQ(part.action, Action::Send);
    EXPECT_EQ(part.wanted.show, "hold");
    EXPECT_EQ(next_, held + 1800);
    record(part, State::Sent, part.bytes.size(), held);
    EXPECT_EQ(plan(held + 60).action, Action::Unchanged);
    TSignLedger released = readLedger("hall");
    released.hold->until = held + 120;
    writeLedger("hall", released);
    part = plan(held + 120);
    ASSERT_EQ(part.action, Action::Send);
    EXPECT_EQ(part.wanted.show, "day");
    record(part, State::Sent, part.bytes.size(), held + 120);
    EXPECT_FALSE(readLedger("hall").hold) << "an ended hold is done with";

    // A hold that ends when no show wants the sign gives it back what it showed before.
    const TMoment evening = utc("2026-03-30T16:55:00Z"); // 18:55
    hold(evening + 900);
    part = plan(evening);
    record(part, State::Sent, part.bytes.size(), evening);
    part = plan(evening + 900);
    ASSERT_EQ(part.action, Action::Send);
    EXPECT_EQ(part.wanted.show, "day");
    record(part, State::Sent, part.bytes.size(), evening + 900);
    EXPECT_EQ(plan(evening + 960).action, Action::Keep);
}

TEST_F(SignLedgerTest, TheLedgerReadsBackAsWrittenAndTheWaitGrowsToFiveMinutes) {
    TSignLedger ledger;
    ledger.record({utc("2026-03-30T06:00:00Z"),
                   {"/odd %name\n.lsm ", "show x", 3, 16, true, "ab", 12},
                   12,
                   true,
                   "sent"});
    ledger.hold = TLedgerHold{{"/u.lsm", "hold", 1, 20, false, "cd", 4}, 1790000000, std::nullopt};
    writeLedger("a/b", ledger);
    EXPECT_TRUE(fileExists(ledgerFolder() + "/a%2Fb"));
    const TSignLedger read = readLedger("a/b");
    ASSERT_TRUE(read.shows && read.last && read.hold);
    EXPECT_EQ(read.shows->message, "/odd %name\n.lsm ");
    EXPECT_EQ(read.since, utc("2026-03-30T06:00:00Z"));
    EXPECT_EQ(read.last->result, "sent");
    EXPECT_EQ(read.hold->until, 1790000000);
    EXPECT_FALSE(read.hold->before);

    int waits[7];
    for (int failures = 1; failures <= 7; ++failures)
        waits[failures - 1] = retryDelay(failures);
    EXPECT_EQ(std::vector<int>(waits, waits + 7),
              (std::vector<int>{10, 20, 40, 80, 160, 300, 300}));
}

} // namespace
