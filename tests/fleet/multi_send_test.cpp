// One message to many signs on the network: how many connections run side by side.

#include "base/ui_text.h"
#include "fleet/multi_send.h"
#include "fleet/schedule_pass.h"
#include "support/core/loopback_peer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using State = TSignReport::State;

std::vector<std::string> message(int blocks) {
    std::vector<std::string> lines;
    for (int i = 0; i < blocks; ++i)
        lines.push_back("NotCentered,^G^" + std::string(240, static_cast<char>('A' + i % 26)));
    return lines;
}

TEST(MultiSendTest, NetworkSignsRunSideBySideWithinTheBound) {
    // Five signs that never read: each send stalls out, two at a time.
    std::vector<std::unique_ptr<LoopbackPeer>> peers;
    std::vector<TSignJob> jobs;
    for (int i = 0; i < 5; ++i) {
        peers.push_back(std::make_unique<LoopbackPeer>(LoopbackPeer::Behaviour::NeverRead));
        jobs.push_back(
            {"n" + std::to_string(i), TSignLink::Network("127.0.0.1", peers[i]->port())});
    }
    TMultiSend run(jobs, message(4000));
    run.MaxConnections = 2;
    run.StallLimit = std::chrono::milliseconds(300);
    run.TickInterval = std::chrono::milliseconds(5);
    std::size_t most = 0;
    run.OnTick = [&] {
        const std::vector<TSignReport> now = run.Reports();
        most = std::max<std::size_t>(most, std::count_if(now.begin(), now.end(), [](auto& r) {
                                         return r.state == State::Sending;
                                     }));
    };
    run.Run();
    EXPECT_EQ(most, 2u);
    for (const TSignReport& report : run.Reports()) {
        EXPECT_EQ(report.state, State::BrokeOff);
        EXPECT_LT(report.sent, report.total);
        EXPECT_EQ(report.reason.rfind("The sign stopped taking data after ", 0), 0u)
            << report.reason;
    }
    EXPECT_EQ(runExitStatus(run.Reports()), kExitBrokeOff);
}

TEST(MultiSendTest, TheLedgerKeepsItsResultWordsWhateverTheLanguageOnScreen) {
    setUiTranslator([](const char*, const char* text) { return std::string("<") + text + ">"; });
    TPassSign sign;
    sign.job.name = "hall";
    sign.job.gateway = "shop";
    const struct {
        TSignReport report;
        const char* kept;
    } cases[] = {
        {{State::Sent, 10, 10, false, {}}, "sent"},
        {{State::OpenFailed, 0, 10, false, "refused"}, "failed: refused"},
        {{State::Stopped, 10, 10, true, {}}, "stopped before the sign confirmed every byte"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ledgerSend(sign, c.report, TMoment{}).result, c.kept);
        const std::string line = reportLine(sign.job, c.report);
        EXPECT_NE(line.find("\t<"), std::string::npos) << line; // the screen's words
    }
    setUiTranslator(nullptr);
}

} // namespace
