#include "editor/block_clipboard.h"
#include "editor/message_edits.h"
#include "editor/message_list_model.h"
#include "model/message_file.h"
#include "support/core/random_message.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Lines = std::vector<std::string>;

std::string savedBytes(const TempDir& dir, const Lines& lines) {
    const std::string path = dir.file("saved.lsm");
    writeMessageFile(path, lines);
    return readFileBytes(path);
}

// Random edits of every kind, a save somewhere among them, a few undone and replaced by others:
// each undo and redo must give back the list exactly as it stood at that step, the modified
// state must follow the saved one, and undoing everything must save the original bytes.
TEST(MessageEditsTest, RandomEditsUndoAndRedoToEveryStateByteForByte) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const auto pick = [&rng](int n) { return static_cast<int>(rng() % unsigned(n)); };
        Lines original;
        for (int i = pick(5); i > 0; --i)
            original.push_back(randomBlockLine(rng));
        TMessageListModel model;
        model.SetLines(original);
        TMessageEdits edits(model);

        std::vector<Lines> states{original};
        int saved = 0; // the state last saved; -1 once it cannot be reached again
        const auto edit = [&] {
            const int count = model.Count();
            switch (count == 0 ? 0 : pick(5)) {
            case 0: {
                Lines added;
                for (int i = 1 + pick(3); i > 0; --i)
                    added.push_back(randomBlockLine(rng));
                edits.Insert(pick(count + 1), added, "Paste");
                break;
            }
            case 1:
                edits.Replace(pick(count), randomBlockLine(rng), "Edit Selection");
                break;
            case 2:
                edits.Remove(pick(count), "Delete Selection");
                break;
            default:
                if (!edits.Move(pick(count), pick(count), "Move Block"))
                    return;
            }
            states.push_back(model.Lines().toVector());
            if (pick(8) == 0) {
                edits.MarkSaved();
                saved = static_cast<int>(states.size()) - 1;
            }
        };
        const auto expectState = [&](int at) {
            ASSERT_EQ(model.Lines().toVector(), states[static_cast<std::size_t>(at)])
                << "state " << at;
            EXPECT_EQ(edits.AtSavedState(), at == saved) << "state " << at;
        };

        for (int i = 0; i < 25; ++i)
            edit();
        // Some steps undone, then new edits: the undone steps are gone for good.
        for (int undo = pick(static_cast<int>(states.size())); undo > 0; --undo) {
            edits.Undo();
            states.pop_back();
            if (saved >= static_cast<int>(states.size()))
                saved = -1;
            ASSERT_NO_FATAL_FAILURE(expectState(static_cast<int>(states.size()) - 1));
        }
        for (int i = 0; i < 10; ++i)
            edit();

        const int last = static_cast<int>(states.size()) - 1;
        for (int at = last - 1; at >= 0; --at) {
            edits.Undo();
            ASSERT_NO_FATAL_FAILURE(expectState(at));
        }
        EXPECT_FALSE(edits.History().canUndo());
        EXPECT_EQ(savedBytes(dir, model.Lines().toVector()), savedBytes(dir, original));
        for (int at = 1; at <= last; ++at) {
            edits.Redo();
            ASSERT_NO_FATAL_FAILURE(expectState(at));
        }
        EXPECT_EQ(savedBytes(dir, model.Lines().toVector()), savedBytes(dir, states.back()));
    }
}

// Each character of the character set survives the clipboard's text both ways, and pasted
// text becomes blocks line by line; control characters are refused, but for the tab.
TEST(BlockClipboardTest, LinesRoundTripAndPastedTextBecomesBlocks) {
    std::string everyByte = "NotCentered,";
    for (int b = 0x20; b < 256; ++b) {
        if (b != 0x7F)
            everyByte.push_back(static_cast<char>(b));
    }
    const Lines exact = {everyByte, "Centered,^R^OPEN ^G^7 DAYS", "NotCentered,",
                         "Centered,caf\xE9 \x80 \x81\x8D\x8F\x90\x9D \xFF",
                         "NotCentered," + std::string(300, 'x')};
    EXPECT_EQ(pastedBlockLines(blockLinesText(exact)), exact);

    const struct {
        const char* name;
        QString text;
        Lines blocks;
    } cases[] = {
        {"empty", "", {}},
        {"CR LF, lone CR, lone LF",
         "Centered,A\r\nNotCentered,B\rCentered,C\nNotCentered,D",
         {"Centered,A", "NotCentered,B", "Centered,C", "NotCentered,D"}},
        {"an empty line in between is an empty block",
         "Centered,A\n\nCentered,B",
         {"Centered,A", "NotCentered,", "Centered,B"}},
        {"plain text keeps every character as text", "Hello, world", {"NotCentered,Hello, world"}},
        {"a keyword in other case is text", "centered,X", {"NotCentered,centered,X"}},
        {"characters of the set, a tab as a space",
         QString::fromUtf8("\xE2\x82\xAC 5\t\xC3\xA9"),
         {"NotCentered,\x80 5 \xE9"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pastedBlockLines(c.text), c.blocks) << c.name;

    const struct {
        QString text;
        std::string named;
    } refused[] = {
        {QString::fromUtf8("Centered,\xE2\x9C\x93"), "\"\xE2\x9C\x93\" (U+2713)"},
        {QString::fromUtf8("A\n\xF0\x9F\x98\x80"), "\"\xF0\x9F\x98\x80\" (U+1F600)"},
        {QString("A") + QChar(0) + "B", "NUL (U+0000)"},
        {"CTL\x02 05EVIL\x03X", "characters STX (U+0002), ETX (U+0003). Nothing was pasted."},
        {"Centered,^R^\x17\x1B[0m", "characters ETB (U+0017), ESC (U+001B)."},
        {"A\x7F", "character DEL (U+007F)."},
    };
    for (const auto& c : refused) {
        try {
            pastedBlockLines(c.text);
            ADD_FAILURE() << c.named << " was taken";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
    }
}

} // namespace
