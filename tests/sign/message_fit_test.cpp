#include "sign/message_fit.h"
#include "sign/sign_preview.h"

#include "support/core/random_message.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Block lines, some with framing bytes that break their record or make records of their own.
std::string randomLine(std::mt19937& rng) {
    static const char* framing[] = {"",
                                    "",
                                    "",
                                    "",
                                    "\x02",
                                    "\x03",
                                    "\x03x\x02"
                                    "07AB",
                                    "\x02"
                                    "5"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(framing) - 1);
    return randomBlockLine(rng) + framing[pick(rng)];
}

// After any run of changes, and with the send's values and the sign's size changed between
// them, each line's fit, the totals and the face are what the whole message read back gives.
TEST(MessageFitTest, FollowsEveryChangeAsTheWholeMessageReadBack) {
    std::mt19937 rng(2929);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::string> lines;
        for (int n = percent(rng) + (round % 4 == 0 ? 100 : 0); n > 0; --n)
            lines.push_back(randomLine(rng));
        // The editor's compact store of the lines, changed as the plain list is.
        TLineStore store(lines);
        TMessageFit fit;
        fit.setKeep(round % 5 != 0);
        fit.reset();
        for (int step = 0; step < 25; ++step) {
            const auto row = [&](std::size_t extra) {
                return std::uniform_int_distribution<std::size_t>(0, lines.size() - 1 + extra)(rng);
            };
            const int action = percent(rng);
            if (action < 20 || lines.size() < 2) {
                const std::size_t at = lines.empty() ? 0 : row(1);
                const std::size_t count = 1 + static_cast<std::size_t>(percent(rng) % 3);
                std::vector<std::string> added;
                for (std::size_t i = 0; i < count; ++i)
                    added.push_back(randomLine(rng));
                lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(),
                             added.end());
                store.insert(at, added);
                fit.inserted(store, at, count);
            } else if (action < 40) {
                const std::size_t at = row(0);
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
                store.erase(at, 1);
                fit.removed(at, 1);
            } else if (action < 60) {
                const std::size_t at = row(0);
                lines[at] = randomLine(rng);
                store.replace(at, lines[at]);
                fit.changed(store, at, at);
            } else if (action < 80) {
                const std::size_t from = row(0);
                const std::size_t to = row(1);
                const std::string moving = lines[from];
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(from));
                const std::size_t stands = to > from ? to - 1 : to;
                lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(stands), moving);
                store.move(from, stands);
                fit.moved(from, 1, to);
            } else {
                fit.setSend(percent(rng), 1 + percent(rng) % 40,
                            {percent(rng) % 3 == 0 ? 0 : percent(rng) % 15,
                             percent(rng) % 3 == 0 ? 0 : percent(rng) % 40});
            }
            ASSERT_TRUE(store == lines);
            const TSignPreview whole =
                previewSignMessage(lines, fit.start(), fit.width(), fit.size());
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const TBlockFit got = fit.fit(store, i);
                const TBlockFit& want = whole.blocks[i];
                ASSERT_EQ(got.place, want.place) << "line " << i;
                ASSERT_EQ(got.address, want.address) << "line " << i;
                ASSERT_EQ(got.width, want.width) << "line " << i;
                ASSERT_EQ(got.cut, want.cut) << "line " << i;
                ASSERT_EQ(got.control.has_value(), want.control.has_value()) << "line " << i;
            }
            const TPreviewView view = fit.view(store);
            ASSERT_EQ(view.totals.cut, whole.cutCount());
            ASSERT_EQ(view.totals.hidden, whole.hiddenCount());
            ASSERT_EQ(view.totals.control, whole.controlCount());
            ASSERT_EQ(view.totals.errors, whole.errors.size());
            ASSERT_EQ(view.face, whole.face);
        }
    }
}

} // namespace
