#include "model/block.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"
#include "support/core/test_env.h"
#include "support/core/test_pty.h"
#include "support/desktop/desktop_session.h"
#include "support/desktop/print_server.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QString>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>

// Whole user stories on a desktop of the test's own, driven by real key presses and clicks.
namespace {

using namespace std::chrono_literals;

const std::string kMessage = "Centered,^R^OPEN ^G^7 DAYS\r\nNotCentered,^Y^SALE ^F^NOW\r\n";

class DesktopTest : public testing::Test {
protected:
    void SetUp() override {
        desk = std::make_unique<DesktopSession>(dir);
        ASSERT_TRUE(desk->ready()) << desk->error() << "\n" << desk->logs();
        writeFileBytes(dir.file("shop.lsm"), kMessage);
    }
    void TearDown() override {
        if (HasFailure() && desk)
            std::cerr << "Focused window: \"" << desk->focusedTitle() << "\"\n" << desk->logs();
        desk.reset();
    }

    // File > Open with the whole path typed in: the completion list is open when Enter goes.
    void openByTypedName(const std::string& path) {
        desk->key("ctrl+o");
        ASSERT_TRUE(desk->waitForFocus("Open"));
        // Whatever the name field holds is replaced by what is typed.
        desk->key("ctrl+a");
        desk->type(path);
        desk->key("Return");
        ASSERT_TRUE(desk->waitForMain(path)) << desk->focusedTitle();
    }
    // Enter in a Save As dialog for a new name, then Yes to "Do you want to create it?".
    void saveAsNew(const std::string& typed, const std::string& saved) {
        ASSERT_TRUE(desk->waitForFocus("Save As"));
        desk->key("ctrl+a");
        desk->type(typed);
        desk->key("Return");
        // The question carries the dialog's title: two windows of that name.
        ASSERT_TRUE(waitUntil([&] { return desk->countWindows("Save As") == 2; }, 10s));
        desk->key("Return");
        ASSERT_TRUE(waitUntil([&] { return fileExists(saved); }, 10s)) << saved;
    }

    // Waits until the Block Editor is open with nothing in it: it has the keyboard and its
    // preview (the white box at the top) shows no character.
    bool waitForEmptyBlockEditor() {
        return waitUntil(
            [&] {
                if (desk->focusedTitle() != "Block Editor")
                    return false;
                const std::string preview = desk->focusedColours(16, 24, 361, 57);
                return !preview.empty() && preview.find("#FFFFFF") != std::string::npos &&
                       preview.find("#FF0000") == std::string::npos;
            },
            10s);
    }

    // Edit > Add New..., one block, then Escape: the list of `file` has unsaved changes.
    void addBlock(const std::string& text, const std::string& file) {
        desk->key("alt+e a");
        ASSERT_TRUE(waitForEmptyBlockEditor());
        desk->type(text);
        desk->key("Return");
        ASSERT_TRUE(waitForEmptyBlockEditor());
        desk->key("Escape");
        ASSERT_TRUE(desk->waitForMain(file + " *"));
    }

    TempDir dir;
    std::unique_ptr<DesktopSession> desk;
};

TEST_F(DesktopTest, OpenByTypedNameThenTheShortcutsStillWork) {
    ASSERT_TRUE(desk->startEditor()) << desk->focusedTitle();
    ASSERT_NO_FATAL_FAILURE(openByTypedName(dir.file("shop.lsm")));
    // The keys reach the main window again: Ctrl+A is Save As, Alt+F then E is Print Setup.
    desk->key("ctrl+a");
    ASSERT_TRUE(desk->waitForFocus("Save As")) << desk->focusedTitle();
    desk->key("Escape");
    ASSERT_TRUE(desk->waitForMain(dir.file("shop.lsm")));
    desk->key("alt+f e");
    ASSERT_TRUE(desk->waitForFocus("Print Setup")) << desk->focusedTitle();
    desk->key("Escape");
    EXPECT_TRUE(desk->waitForMain(dir.file("shop.lsm")));
}

TEST_F(DesktopTest, SaveAsAsksBeforeCreatingAndKeysWorkAfterwards) {
    ASSERT_TRUE(desk->startEditor());
    ASSERT_NO_FATAL_FAILURE(openByTypedName(dir.file("shop.lsm")));
    desk->key("ctrl+a");
    // No extension typed: the default one is added.
    ASSERT_NO_FATAL_FAILURE(saveAsNew(dir.file("copy"), dir.file("copy.lsm")));
    EXPECT_EQ(readFileBytes(dir.file("copy.lsm")), kMessage);
    ASSERT_TRUE(desk->waitForMain(dir.file("copy.lsm"))) << desk->focusedTitle();
    desk->key("ctrl+n");
    EXPECT_TRUE(desk->waitForMain("[new file]")) << desk->focusedTitle();
}

TEST_F(DesktopTest, AddNewLoopWithTheBlockEditorButtons) {
    ASSERT_TRUE(desk->startEditor());
    // The Block Editor's controls stand at fixed places of its client area.
    const struct {
        int x, y;
    } flash{304, 112}, green{304, 192}, centered{24, 104}, ok{54, 321}, cancel{338, 321};

    // Each window opens in the middle of the screen, its frame included, the first time too.
    EXPECT_TRUE(waitUntil([&] { return desk->focusedWindowCentred(); }, 5s)) << desk->logs();
    desk->key("alt+e a");
    ASSERT_TRUE(waitForEmptyBlockEditor());
    EXPECT_TRUE(waitUntil([&] { return desk->focusedWindowCentred(); }, 5s)) << desk->logs();
    desk->type("OPEN ");
    desk->clickInFocused(green.x, green.y);
    desk->type("7 DAYS");
    desk->clickInFocused(ok.x, ok.y);
    // The block is in, and the editor is back, empty, for the next one.
    ASSERT_TRUE(waitForEmptyBlockEditor());
    EXPECT_EQ(desk->countWindows("Lumavane Message Editor V1.0 -- [new file] *"), 1);
    desk->type("SALE ");
    // The check box takes the keyboard; the code button gives it back to the text.
    desk->clickInFocused(centered.x, centered.y);
    desk->clickInFocused(flash.x, flash.y);
    desk->type("NOW");
    desk->key("Return");
    ASSERT_TRUE(waitForEmptyBlockEditor());
    desk->clickInFocused(cancel.x, cancel.y);
    ASSERT_TRUE(desk->waitForMain("[new file] *")) << desk->focusedTitle();

    // The list shows the blocks in sign colours: red and green text on black.
    const std::string colours = desk->focusedColours();
    EXPECT_NE(colours.find("#FF0000"), std::string::npos) << colours;
    EXPECT_NE(colours.find("#00C090"), std::string::npos) << colours;

    desk->key("ctrl+s");
    ASSERT_NO_FATAL_FAILURE(saveAsNew(dir.file("blocks.lsm"), dir.file("blocks.lsm")));
    EXPECT_EQ(readFileBytes(dir.file("blocks.lsm")),
              "NotCentered,OPEN ^G^7 DAYS\r\nCentered,SALE ^F^NOW\r\n");
}

TEST_F(DesktopTest, AFileGivenAtStartOpensAndRecentFilesBringsItBack) {
    ASSERT_TRUE(desk->startEditor(dir.file("shop.lsm"))) << desk->focusedTitle();
    desk->key("ctrl+n");
    ASSERT_TRUE(desk->waitForMain("[new file]")) << desk->focusedTitle();
    // File, Recent Files, the first file: by their access keys.
    desk->key("alt+f f 1");
    EXPECT_TRUE(desk->waitForMain(dir.file("shop.lsm"))) << desk->focusedTitle();
}

TEST_F(DesktopTest, F9SendsTheMessageToTheMappedSerialPort) {
    PtyReader sign;
    writeFileBytes(desk->settingsPath(),
                   "[Comm]\r\nPort=1\r\nBaud=9600\r\n[Ports]\r\nCOM1=" + sign.path() + "\r\n");
    ASSERT_TRUE(desk->startEditor());
    ASSERT_NO_FATAL_FAILURE(openByTypedName(dir.file("shop.lsm")));
    desk->key("F9");
    ASSERT_TRUE(desk->waitForFocus("Select Address")) << desk->focusedTitle();
    EXPECT_TRUE(waitUntil([&] { return desk->focusedWindowCentred(); }, 5s)) << desk->logs();
    // Start line 1, line width 20: the values the dialog offers the first time.
    desk->key("Return");

    TSendBuffer expected;
    TBlock block;
    buildSignStream(expected, block, {"Centered,^R^OPEN ^G^7 DAYS", "NotCentered,^Y^SALE ^F^NOW"},
                    1, 20);
    EXPECT_EQ(sign.read(expected.size(), 10000), std::string(expected.bytes()));
    EXPECT_TRUE(desk->editor().running());
}

// How many of the three LED colours of the message (red "OPEN", green "7 DAYS", yellow "SALE
// NOW") show among `colours`.
int ledsIn(const std::string& colours) {
    int found = 0;
    for (const char* led : {"#FF281E", "#20D2A0", "#FFD200"})
        found += colours.find(led) != std::string::npos;
    return found;
}

TEST_F(DesktopTest, F8OpensTheSignPreviewInLedColours) {
    ASSERT_TRUE(desk->startEditor());
    ASSERT_NO_FATAL_FAILURE(openByTypedName(dir.file("shop.lsm")));
    const auto ledsShown = [&] { return ledsIn(desk->focusedColours()); };
    EXPECT_EQ(ledsShown(), 0) << "the panel is hidden until the user opens it";
    desk->key("F8");
    EXPECT_TRUE(waitUntil([&] { return ledsShown() == 3; }, 10s)) << desk->focusedColours();
    // The keyboard stays with the main window: F8 closes the panel again.
    desk->key("F8");
    EXPECT_TRUE(waitUntil([&] { return ledsShown() == 0; }, 10s));
}

// The Sign Preview panel as a run on this desktop left it: floating, open, over the lower part
// of the main window.
const char* kFloatingOpenPanel =
    "AAAA/wAAAAH9AAAAAQAAAAMAAAJqAAAA7/wBAAAAAfsAAAAeAFMAaQBnAG4AUAByAGUAdgBpAGUAdwBEAG8AYwBrAw"
    "AAAUsAAAF2AAACagAAAO8AAAJqAAAAlAAAAAQAAAAEAAAACAAAAAj8AAAAAA==";

// The flags that view.ini keeps for the panel (1 open, 2 floating): the byte after its name.
int panelFlags(const std::string& viewIni) {
    const std::size_t at = viewIni.find("State=");
    const QByteArray state = QByteArray::fromBase64(
        QByteArray::fromStdString(viewIni.substr(at == std::string::npos ? 0 : at + 6)));
    QByteArray name; // as the state holds it
    QDataStream stream(&name, QIODevice::WriteOnly);
    stream << QStringLiteral("SignPreviewDock");
    const qsizetype found = state.indexOf(name);
    return found < 0 || found + name.size() >= state.size() ? -1 : state[found + name.size()];
}

TEST_F(DesktopTest, AFloatingSignPreviewLeftOpenComesBackOpenOverTheWindow) {
    const std::string view = dir.file("session/state/lumavane/view.ini");
    std::filesystem::create_directories(dir.file("session/state/lumavane"));
    writeFileBytes(view, std::string("[MainWindow]\nState=") + kFloatingOpenPanel + "\n");
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(desk->startEditor(dir.file("shop.lsm")));
        EXPECT_TRUE(waitUntil([&] { return ledsIn(desk->screenColours()) == 3; }, 10s))
            << "the panel is on the screen, not under the window";
        ASSERT_TRUE(desk->waitForMain(dir.file("shop.lsm")));
        desk->key("alt+F4");
        ASSERT_TRUE(desk->editor().waitForExit(10s).has_value()) << "the editor did not end\n"
                                                                 << desk->logs();
        EXPECT_EQ(panelFlags(readFileBytes(view)), 3) << "open and floating";
    }
}

TEST_F(DesktopTest, ARowDraggedWithTheMouseMovesAndUndoes) {
    ASSERT_TRUE(desk->startEditor());
    ASSERT_NO_FATAL_FAILURE(openByTypedName(dir.file("shop.lsm")));
    // The first row, under the menu bar, dropped on the empty part of the list below the rows.
    desk->dragInFocused(100, 34, 100, 200);
    ASSERT_TRUE(desk->waitForMain(dir.file("shop.lsm") + " *")) << desk->focusedTitle();
    // Undone back to the file as opened: the flag goes with it.
    desk->key("ctrl+z");
    ASSERT_TRUE(desk->waitForMain(dir.file("shop.lsm"))) << desk->focusedTitle();
    desk->key("ctrl+y");
    ASSERT_TRUE(desk->waitForMain(dir.file("shop.lsm") + " *")) << desk->focusedTitle();
    desk->key("ctrl+s");
    ASSERT_TRUE(desk->waitForMain(dir.file("shop.lsm"))) << desk->focusedTitle();
    EXPECT_EQ(readFileBytes(dir.file("shop.lsm")),
              "NotCentered,^Y^SALE ^F^NOW\r\nCentered,^R^OPEN ^G^7 DAYS\r\n");
}

TEST_F(DesktopTest, ClosingWithChangesAsksToSaveFirst) {
    ASSERT_TRUE(desk->startEditor());
    desk->key("alt+e a");
    ASSERT_TRUE(waitForEmptyBlockEditor());
    desk->type("KEEP ME");
    desk->key("Return");
    ASSERT_TRUE(waitForEmptyBlockEditor());
    desk->key("Escape");
    ASSERT_TRUE(desk->waitForMain("[new file] *"));

    // The window manager's close (Alt+F4) asks; Cancel keeps the window.
    desk->key("alt+F4");
    ASSERT_TRUE(desk->waitForFocus("Confirm")) << desk->focusedTitle();
    desk->key("Escape");
    ASSERT_TRUE(desk->waitForMain("[new file] *")) << desk->focusedTitle();
    EXPECT_TRUE(desk->editor().running());

    // Yes saves, then the program ends.
    desk->key("alt+F4");
    ASSERT_TRUE(desk->waitForFocus("Confirm"));
    desk->key("Return");
    ASSERT_NO_FATAL_FAILURE(saveAsNew(dir.file("kept"), dir.file("kept.lsm")));
    const auto status = desk->editor().waitForExit(10s);
    ASSERT_TRUE(status.has_value()) << "the editor did not end";
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(readFileBytes(dir.file("kept.lsm")), "NotCentered,KEEP ME\r\n");
}

TEST_F(DesktopTest, PrintSetupFileChoiceWinsOverTheDefaultPrinter) {
    PrivatePrintServer office(dir);
    if (!office.ready())
        GTEST_SKIP() << office.error();
    desk->usePrintServer(office.address());
    ASSERT_TRUE(desk->startEditor());
    ASSERT_NO_FATAL_FAILURE(openByTypedName(dir.file("shop.lsm")));

    // Print Setup: "Print to File (PDF)", the last printer entry, and a file of our own.
    desk->key("alt+f e");
    ASSERT_TRUE(desk->waitForFocus("Print Setup")) << desk->focusedTitle();
    desk->key("alt+n End alt+f ctrl+a");
    desk->type(dir.file("listing.pdf"));
    desk->key("Return");
    ASSERT_TRUE(desk->waitForMain(dir.file("shop.lsm")));

    desk->key("ctrl+p");
    ASSERT_TRUE(desk->waitForFocus("Print"));
    desk->key("Return");
    ASSERT_TRUE(desk->waitForMain(dir.file("shop.lsm")));
    EXPECT_TRUE(waitUntil(
        [&] {
            return fileExists(dir.file("listing.pdf")) &&
                   readFileBytes(dir.file("listing.pdf")).find("%%EOF") != std::string::npos;
        },
        10s));
    EXPECT_EQ(office.jobs(), "");
}

TEST_F(DesktopTest, AFileAppendedFromAShellIsNotSavedOverUnasked) {
    const std::string shop = dir.file("shop.lsm");
    ASSERT_TRUE(desk->startEditor(shop));
    ASSERT_NO_FATAL_FAILURE(addBlock("MINE", shop));
    // As `echo ... >> shop.lsm` in a terminal.
    std::ofstream(shop, std::ios::app) << "NotCentered,THEIRS\r\n";
    pause(500ms);

    desk->key("ctrl+s");
    ASSERT_TRUE(desk->waitForFocus("Lumavane Static Message Editor")) << desk->focusedTitle();
    desk->key("Escape");
    ASSERT_TRUE(desk->waitForMain(shop + " *")) << desk->focusedTitle();
    EXPECT_EQ(readFileBytes(shop), kMessage + "NotCentered,THEIRS\r\n");
}

TEST_F(DesktopTest, ChangesOfAKilledEditorAreRecoveredAtTheNextStart) {
    const std::string shop = dir.file("shop.lsm");
    ASSERT_TRUE(desk->startEditor(shop));
    ASSERT_NO_FATAL_FAILURE(addBlock("NEW", shop));
    const std::string copies = dir.file("session/state/lumavane/recovery");
    // The copy itself, not the safe writer's temporary file on its way.
    const auto written = [&] {
        std::error_code none;
        for (const auto& entry : std::filesystem::directory_iterator(copies, none)) {
            if (entry.path().extension() == ".recovery")
                return true;
        }
        return false;
    };
    ASSERT_TRUE(waitUntil(written, 10s));
    desk->editor().stop(SIGKILL, 1s);

    desk->launchEditor({});
    ASSERT_TRUE(desk->waitForFocus("Lumavane Static Message Editor")) << desk->focusedTitle();
    desk->key("Return"); // Recover
    ASSERT_TRUE(desk->waitForMain(shop + " *")) << desk->focusedTitle();
    desk->key("ctrl+s");
    ASSERT_TRUE(desk->waitForMain(shop)) << desk->focusedTitle();
    EXPECT_EQ(readFileBytes(shop), kMessage + "NotCentered,NEW\r\n");
}

TEST_F(DesktopTest, ARefusedCommandLineIsShownWhenNoTerminalCanShowIt) {
    desk->launchEditor({"a.lsm", "b.lsm"});
    ASSERT_TRUE(desk->waitForFocus("Lumavane Static Message Editor")) << desk->focusedTitle();
    desk->key("Return");
    const auto status = desk->editor().waitForExit(10s);
    ASSERT_TRUE(status.has_value()) << "the editor did not end";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 2) << *status;
}

} // namespace

// The line of `tree` (DesktopSession::accessibilityTree) for a node of `role` named `name`,
// without its indent; empty when there is none.
std::string accessibleNode(const std::string& tree, const std::string& role,
                           const std::string& name) {
    std::istringstream lines(tree);
    for (std::string line; std::getline(lines, line);) {
        line.erase(0, line.find_first_not_of(' '));
        if (line.rfind(role + "|" + name + "|", 0) == 0)
            return line;
    }
    return {};
}

// The controls of `tree` that a screen reader would announce without a name.
std::string unnamedControls(const std::string& tree) {
    static const char* const controls[] = {"push button",  "check box",    "text",
                                           "spin button",  "list",         "combo box",
                                           "radio button", "progress bar", "table"};
    std::string unnamed;
    std::istringstream lines(tree);
    for (std::string line; std::getline(lines, line);) {
        line.erase(0, line.find_first_not_of(' '));
        for (const char* role : controls) {
            if (line.rfind(std::string(role) + "||", 0) == 0)
                unnamed += line + "\n";
        }
    }
    return unnamed;
}

// A screen reader's view: the list rows in words with their fit, the Sign Preview's lines as
// the sign shows them, the Block Editor's text box named by its label and its preview in words.
TEST_F(DesktopTest, AScreenReaderReadsTheListThePreviewAndTheBlockEditor) {
    ASSERT_TRUE(desk->startAccessibility()) << desk->error() << "\n" << desk->logs();
    writeFileBytes(desk->settingsPath(), "[Comm]\r\nSignLines=2\r\nSignColumns=8\r\n");
    const std::string file = dir.file("shop.lsm");
    ASSERT_TRUE(desk->startEditor(file));
    desk->key("F8");
    std::string tree;
    const auto treeHolds = [&](const std::string& role, const std::string& name) {
        return waitUntil(
            [&] {
                tree = desk->accessibilityTree();
                return !accessibleNode(tree, role, name).empty();
            },
            10s);
    };
    // "OPEN 7 DAYS" centred for a width of 20 starts 4 places in: the sign of 8 cuts it.
    ASSERT_TRUE(treeHolds("label", "Sign Preview")) << tree;
    EXPECT_EQ(accessibleNode(tree, "list item", "Line 1, centred: OPEN in red, 7 DAYS in green"),
              "list item|Line 1, centred: OPEN in red, 7 DAYS in green|cut after 8 characters|");
    EXPECT_EQ(
        accessibleNode(tree, "list item",
                       "Line 2, not centred: SALE in yellow, NOW in flashing yellow"),
        "list item|Line 2, not centred: SALE in yellow, NOW in flashing yellow|fits the sign|");
    EXPECT_EQ(accessibleNode(tree, "label", "Sign Preview"),
              "label|Sign Preview||01     OPEN\\n02 SALE NOW");
    EXPECT_NE(accessibleNode(tree, "list", "Message lines"), "") << tree;
    EXPECT_EQ(unnamedControls(tree), "") << tree;

    desk->key("alt+e a");
    ASSERT_TRUE(waitForEmptyBlockEditor());
    desk->type("^G^GO");
    ASSERT_TRUE(treeHolds("text", "Text:")) << tree;
    EXPECT_EQ(accessibleNode(tree, "text", "Text:"), "text|Text:||^G^GO");
    EXPECT_NE(accessibleNode(tree, "filler", "Message will look like").find("|GO in green|"),
              std::string::npos)
        << tree;
    EXPECT_EQ(unnamedControls(tree), "") << tree;
    desk->key("Escape");
    ASSERT_TRUE(desk->waitForMain(file));
}
