#include "model/line_store.h"
#include "model/message_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// A file's bytes give the lines that the plain split gives, and join back to the same bytes.
TEST(LineStoreTest, KeepsAFilesLinesAsTheSplitReadsThem) {
    const std::string files[] = {
        "",
        "NotCentered,A\r\nCentered,B\r\n",
        "a\rb\nc\r\n\r\nlast without a break",
        std::string("before\r\nNUL\0after\r\n", 19),
        "\n\n\r\r",
        // A line of more than 8 MB is kept apart from the file's bytes.
        "short\r\n" + std::string(9 << 20, 'L') + "\r\nafter",
    };
    for (const std::string& bytes : files) {
        SCOPED_TRACE(bytes.substr(0, 40));
        const std::vector<std::string> lines = splitMessageLines(bytes);
        const TLineStore store = TLineStore::fromMessageBytes(bytes);
        EXPECT_EQ(store.toVector(), lines);
        EXPECT_EQ(joinMessageLines(store), joinMessageLines(lines));
        // Put in again as a whole, replaced line by line.
        TLineStore again;
        again.insert(0, lines);
        for (std::size_t row = 0; row < lines.size(); ++row)
            again.replace(row, store[lines.size() - 1 - row]);
        EXPECT_EQ(again.toVector(), std::vector<std::string>(lines.rbegin(), lines.rend()));
    }
}

// Edits of every kind, with lines long enough that the unused bytes are given up again and
// again and lines copied from the store itself: the store stays the list that a vector gives.
TEST(LineStoreTest, StaysTheListThroughEditsThatDropUnusedBytes) {
    std::mt19937 rng(7);
    const auto pick = [&rng](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    const auto line = [&](std::size_t i) {
        return std::string(50000 + pick(30000), static_cast<char>('A' + i % 26));
    };
    std::vector<std::string> lines{"first", "second"};
    TLineStore store(lines);
    for (std::size_t step = 0; step < 300; ++step) {
        SCOPED_TRACE(step);
        const std::size_t row = pick(lines.size());
        switch (pick(5)) {
        case 0:
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(row), line(step));
            store.insert(row, lines[row]);
            break;
        case 1: {
            // A line of the store put in again, from its own bytes.
            const std::string copied = lines[row];
            lines.insert(lines.begin(), copied);
            store.insert(0, store[row]);
            break;
        }
        case 2:
            lines[row] = line(step);
            store.replace(row, lines[row]);
            break;
        case 3:
            if (lines.size() > 2) {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(row));
                store.erase(row, 1);
            }
            break;
        default: {
            const std::size_t to = pick(lines.size());
            const std::string moving = lines[row];
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(row));
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(to), moving);
            store.move(row, to);
        }
        }
        ASSERT_TRUE(store == lines);
    }
}

} // namespace
