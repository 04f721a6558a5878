#include "app/command_line.h"
#include "app/recent_files_menu.h"
#include "editor/message_list_box.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"
#include "support/gui/modal_guard.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <cstdlib>
#include <filesystem>
#include <optional>

// The ways a message file is opened besides File > Open: the command line, a file dropped on
// the window, and File > Recent Files.
namespace {

const std::string kTitle = "Lumavane Message Editor V1.0 -- ";

using Entries = std::vector<std::string>;

class OpenWaysTest : public AppFixture {
protected:
    std::string message(const std::string& name, const std::string& line) {
        writeFileBytes(dir.file(name), line + "\r\n");
        return dir.file(name);
    }
    // Changes the list as the user would (Del, OK), so that opening asks the save question.
    void modify() {
        ASSERT_NO_FATAL_FAILURE(deleteFirstRow());
        ASSERT_EQ(title().back(), '*');
    }
    // The entries of File > Recent Files as the opened menu shows them.
    std::vector<std::string> recentEntries(QList<QAction*>* actions = nullptr) {
        QMenu* menu = form().findChild<QMenu*>("RecentFiles1");
        menu->popup(form().mapToGlobal(QPoint(10, 10)));
        std::vector<std::string> texts;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            texts.push_back(action->text().toStdString() +
                            (action->isEnabled() ? "" : " (disabled)"));
            if (actions)
                *actions << action;
        }
        menu->hide();
        return texts;
    }

private:
};

struct CommandLineCase {
    const char* name;
    QStringList arguments;
    std::optional<std::string> file;
    std::optional<int> exitStatus = std::nullopt;
};

char* kNotUtf8[] = {const_cast<char*>("lumavane"), const_cast<char*>("caf\xE9.lsm")};

TEST(CommandLineTest, ReadsTheFileToOpen) {
    const CommandLineCase cases[] = {
        {"NoFile", {"lumavane"}, std::nullopt},
        {"Relative", {"lumavane", "signs/./shop.lsm"}, "/home/u/work/signs/shop.lsm"},
        {"ParentKept", {"lumavane", "../shop.lsm"}, "/home/u/work/../shop.lsm"},
        {"Absolute", {"lumavane", "/srv/signs/shop.lsm"}, "/srv/signs/shop.lsm"},
        {"FileUrl",
         {"lumavane", "file:///srv/my%20signs/caf%C3%A9.lsm"},
         "/srv/my signs/caf\xC3\xA9.lsm"},
        {"DashedNameAfterDoubleDash", {"lumavane", "--", "-shop.lsm"}, "/home/u/work/-shop.lsm"},
        {"NotUtf8", argumentsOf(2, kNotUtf8), "/home/u/work/caf\xE9.lsm"},
        {"NotUtf8Url", {"lumavane", "file:///srv/caf%E9.lsm"}, "/srv/caf\xE9.lsm"},
        {"RemoteUrl", {"lumavane", "file://sign-host/shop.lsm"}, std::nullopt, 2},
        {"TwoFiles", {"lumavane", "a.lsm", "b.lsm"}, std::nullopt, 2},
        {"UnknownOption", {"lumavane", "--colour"}, std::nullopt, 2},
        {"Help", {"lumavane", "--help"}, std::nullopt, 0},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TCommandLine command = parseCommandLine(c.arguments, "/home/u/work");
        EXPECT_EQ(command.file, c.file);
        EXPECT_EQ(command.exitStatus, c.exitStatus) << command.output;
        EXPECT_EQ(command.exitStatus.has_value(), !command.output.empty());
    }
}

TEST_F(OpenWaysTest, AFileGivenAtStartOpensANewOneStartsEmptyAMissingFolderIsReported) {
    const std::string shop = message("shop.lsm", "Centered,^G^OPEN");
    openFileAtStart(form(), shop);
    EXPECT_TRUE(QTest::qWaitFor([&] { return title() == kTitle + shop; }, 5000)) << title();
    EXPECT_EQ(lines(), std::vector<std::string>{"Centered,^G^OPEN"});

    // Not there yet: an empty message under its name, which Save creates.
    openFileAtStart(form(), dir.file("new.lsm"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return title() == kTitle + dir.file("new.lsm"); }, 5000));
    EXPECT_TRUE(lines().empty());
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readFileBytes(dir.file("new.lsm")), "");

    form().New1->trigger();
    QString text;
    ModalScript script;
    script.expect<QMessageBox>(answerBox(QMessageBox::Ok, &text));
    openFileAtStart(form(), dir.file("gone/new.lsm"));
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(text.toStdString(),
              "Cannot open file " + dir.file("gone/new.lsm") + "\nNo such file or directory");
    EXPECT_EQ(title(), kTitle + "[new file]");
    EXPECT_TRUE(form().isVisible());
}

struct DropCase {
    const char* name;
    QList<QUrl> urls;
    Qt::DropActions actions;
    // The drop opens the file (after the save question) with this answer; none: refused.
    std::optional<QMessageBox::StandardButton> answer;
};

TEST_F(OpenWaysTest, ADroppedMessageFileOpensAfterTheSaveQuestionOthersAreRefused) {
    const std::string shop = message("shop.lsm", "Centered,SHOP");
    const std::string upper = message("DOOR.LSM", "Centered,DOOR");
    const std::string notes = message("notes.txt", "Centered,NOTES");
    const QUrl shopUrl = QUrl::fromLocalFile(QString::fromStdString(shop));
    const DropCase cases[] = {
        {"MessageFileCancelled", {shopUrl}, Qt::CopyAction | Qt::MoveAction, QMessageBox::Cancel},
        {"MessageFile", {shopUrl}, Qt::CopyAction | Qt::MoveAction, QMessageBox::No},
        {"UpperCaseExtension",
         {QUrl::fromLocalFile(QString::fromStdString(upper))},
         Qt::CopyAction,
         QMessageBox::No},
        {"LinkOffered", {shopUrl}, Qt::LinkAction, QMessageBox::No},
        // Taking it as a move would have the file manager remove the file.
        {"OnlyAMoveOffered", {shopUrl}, Qt::MoveAction, std::nullopt},
        {"OtherFile",
         {QUrl::fromLocalFile(QString::fromStdString(notes))},
         Qt::CopyAction,
         std::nullopt},
        {"TwoFiles", {shopUrl, shopUrl}, Qt::CopyAction, std::nullopt},
        {"RemoteFile", {QUrl("http://127.0.0.1/shop.lsm")}, Qt::CopyAction, std::nullopt},
        {"TextWithoutFile", {}, Qt::CopyAction, std::nullopt},
    };
    for (const DropCase& c : cases) {
        SCOPED_TRACE(c.name);
        load({"NotCentered,OLD", "NotCentered,KEPT"});
        ASSERT_NO_FATAL_FAILURE(modify());
        const std::string before = title();
        QMimeData data;
        data.setUrls(c.urls);
        data.setText(QString::fromStdString(shop));

        // Dragged over the list and let go there, as from a file manager.
        QWidget* target = form().ListBox1->viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, c.actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_EQ(enter.isAccepted(), c.answer.has_value());
        if (c.answer) {
            EXPECT_NE(enter.dropAction(), Qt::MoveAction);
        }
        QDropEvent drop(at, c.actions, &data, Qt::LeftButton, Qt::NoModifier);
        if (!c.answer) {
            NoModalGuard guard;
            QApplication::sendEvent(target, &drop);
            QTest::qWait(50);
            EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(",").toStdString();
            EXPECT_EQ(title(), before);
            continue;
        }
        QString question;
        ModalScript script;
        script.expect<QMessageBox>(answerBox(*c.answer, &question));
        QApplication::sendEvent(target, &drop);
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_NE(drop.dropAction(), Qt::MoveAction);
        ASSERT_TRUE(script.wait()) << script.pending();
        EXPECT_EQ(question.toStdString(), "Do you wish to save " + dir.file("loaded.lsm") + "?");
        QTest::qWait(20);
        if (*c.answer == QMessageBox::Cancel) {
            EXPECT_EQ(title(), before);
            EXPECT_EQ(lines(), std::vector<std::string>{"NotCentered,KEPT"});
        } else {
            EXPECT_EQ(title(), kTitle + c.urls.front().toLocalFile().toStdString());
            EXPECT_EQ(lines().size(), 1u);
        }
    }
}

TEST_F(OpenWaysTest, RecentFilesListsOpenedAndSavedFilesNewestFirst) {
    const std::string a = message("a.lsm", "Centered,A");
    const std::string b = message("b.lsm", "Centered,B");
    const std::string c = message("c & d.lsm", "Centered,C");
    EXPECT_EQ(recentEntries(), Entries{"Clear List (disabled)"});
    form().OpenFile(a);
    form().OpenFile(b);
    form().OpenFile(c);
    form().OpenFile(a);
    // Saved as b: b comes to the top.
    ModalScript saveAs;
    saveAs
        .expect<QFileDialog>(
            [&](QFileDialog* dialog) { typeFileName(dialog, QString::fromStdString(b)); })
        .expect<QMessageBox>(answerBox(QMessageBox::Yes));
    press(Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(saveAs.wait()) << saveAs.pending();
    const std::string qc = dir.file("c && d.lsm");
    EXPECT_EQ(recentEntries(), Entries({"&1 " + b, "&2 " + a, "&3 " + qc, "Clear List"}));

    // A file that is gone leaves the menu when it opens; choosing one asks the save question.
    std::filesystem::remove(c);
    ASSERT_NO_FATAL_FAILURE(modify());
    QList<QAction*> actions;
    ASSERT_EQ(recentEntries(&actions), Entries({"&1 " + b, "&2 " + a, "Clear List"}));
    ModalScript script;
    script.expect<QMessageBox>(answerBox(QMessageBox::No));
    actions[1]->trigger();
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(title(), kTitle + a);
    EXPECT_EQ(recentEntries(&actions), Entries({"&1 " + a, "&2 " + b, "Clear List"}));
    EXPECT_EQ(readFileBytes(TRecentFilesMenu::StorePath()), a + "\n" + b + "\n");

    actions.back()->trigger();
    EXPECT_EQ(recentEntries(), Entries{"Clear List (disabled)"});
    EXPECT_EQ(readFileBytes(TRecentFilesMenu::StorePath()), "");
}

TEST_F(OpenWaysTest, AListThatCannotBeKeptIsToldOnceAndTheFilesStillOpen) {
    const std::string a = message("a.lsm", "Centered,A");
    const std::string b = message("b.lsm", "Centered,B");
    // The state folder is a file: the list cannot be written.
    writeFileBytes(dir.file("state"), "");
    QString text;
    ModalScript script;
    script.expect<QMessageBox>(answerBox(QMessageBox::Ok, &text));
    form().OpenFile(a);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(text.toStdString(),
              "The list of recent files could not be kept.\nCannot create file " +
                  TRecentFilesMenu::StorePath() + "\nNot a directory");
    EXPECT_EQ(title(), kTitle + a);
    {
        NoModalGuard guard;
        form().OpenFile(b);
        QTest::qWait(50);
        EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(",").toStdString();
    }
    EXPECT_EQ(title(), kTitle + b);

    // A folder where the list should be: it cannot be read, and the menu says so.
    std::filesystem::remove(dir.file("state"));
    std::filesystem::create_directories(TRecentFilesMenu::StorePath());
    EXPECT_EQ(recentEntries(), Entries({"Cannot open file " + TRecentFilesMenu::StorePath() +
                                            ": Is a directory (disabled)",
                                        "&1 " + b, "&2 " + a, "Clear List"}));
}

TEST_F(OpenWaysTest, AFileWhoseNameIsNotUtf8OpensAndSavesAndReadsInTheCharacterSet) {
    const std::string file = message("caf\xE9.lsm", "Centered,A");
    const std::string shown = dir.file("caf\xC3\xA9.lsm");
    ModalScript open;
    open.expect<QFileDialog>(
        [&](QFileDialog* dialog) { typeFileName(dialog, QString::fromStdString(shown)); });
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(open.wait()) << open.pending();
    EXPECT_EQ(title(), kTitle + shown);
    ASSERT_NO_FATAL_FAILURE(modify());
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readFileBytes(file), "");
    EXPECT_FALSE(fileExists(shown));
    EXPECT_EQ(recentEntries(), Entries({"&1 " + shown, "Clear List"}));
}

} // namespace
