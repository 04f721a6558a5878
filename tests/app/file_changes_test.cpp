#include "app/open_file_watch.h"
#include "app/recovery_keeper.h"
#include "editor/message_list_box.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"
#include "support/gui/modal_guard.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>

// Other programs change the open file; a crash takes the editor with unsaved changes.
namespace {

using Lines = std::vector<std::string>;

class FileChangesTest : public AppFixture {
protected:
    std::string path() const { return dir.file("loaded.lsm"); }
    // Del and OK on the first row.
    void modify() { ASSERT_NO_FATAL_FAILURE(deleteFirstRow()); }
    static std::function<void(QMessageBox*)> click(const QString& button, QString* text) {
        return [button, text](QMessageBox* box) {
            *text = box->text();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == button)
                    b->click();
            }
        };
    }

private:
};

TEST_F(FileChangesTest, AnUnmodifiedListFollowsItsFileAModifiedOneAsksWhenTheUserIsBack) {
    load({"A", "B"});
    std::ofstream(path(), std::ios::app) << "C\r\n";
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines() == Lines{"A", "B", "C"}; }, 5000));
    EXPECT_EQ(title().back(), 'm') << "the list is its file's again: " << title();
    form().Undo1->trigger();
    EXPECT_EQ(lines(), (Lines{"A", "B"}));
    EXPECT_EQ(title().back(), '*');

    // Renamed over while the list has changes: nothing is said until the user comes back.
    writeFileBytes(path() + ".new", "THEIRS\r\n");
    std::filesystem::rename(path() + ".new", path());
    QTest::qWait(400);
    EXPECT_EQ(lines(), (Lines{"A", "B"}));
    QString text;
    ModalScript script;
    script.expect<QMessageBox>(click("&Keep Mine", &text));
    // As the platform tells it when the user comes back from another program.
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_TRUE(text.startsWith(QString::fromStdString(path()) +
                                " was changed on disk by another program.\nReload"))
        << text.toStdString();
    // Keep Mine: the next Save writes mine without asking.
    NoModalGuard guard;
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(",").toStdString();
    EXPECT_EQ(readFileBytes(path()), "A\r\nB\r\n");
}

TEST_F(FileChangesTest, SaveAsksBeforeWritingOverAChangeAndADeletionIsTold) {
    load({"A", "B"});
    ASSERT_NO_FATAL_FAILURE(modify());
    writeFileBytes(path(), "A\r\nB\r\nTHEIRS\r\n");
    QString text;
    ModalScript script;
    script.expect<QMessageBox>(click("&Overwrite", &text));
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(text.toStdString(), path() + " was changed on disk since it was opened or saved.\n"
                                           "Saving now writes over those changes.");
    EXPECT_EQ(readFileBytes(path()), "B\r\n");
    {
        NoModalGuard guard;
        QTest::qWait(400);
        EXPECT_TRUE(guard.Seen().isEmpty()) << "no word of the editor's own save";
    }

    ModalScript told;
    told.expect<QMessageBox>(click("OK", &text));
    std::filesystem::remove(path());
    ASSERT_TRUE(told.wait()) << told.pending();
    EXPECT_EQ(text.toStdString(), path() + " was deleted; Save will write it again.");
    EXPECT_EQ(title().back(), '*');
}

TEST_F(FileChangesTest, UnsavedChangesAreKeptForRecoveryAndOfferedAtTheNextStart) {
    load({"A", "B"});
    const std::string own = form().Recovery().Store().OwnCopyPath();
    ASSERT_NO_FATAL_FAILURE(modify());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileExists(own); }, 5500));
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(fileExists(own));

    // Left by an editor that was killed.
    TRecoveryCopy copy;
    copy.fileName = dir.file("shop.lsm");
    copy.lines = {"Centered,RECOVERED"};
    copy.savedAt = 1800000000;
    const std::string left = dir.file("state/lumavane/recovery/left.recovery");
    writeFileBytes(left, formatRecoveryCopy(copy));
    for (const char* answer : {"&Later", "&Recover"}) {
        QString text;
        ModalScript script;
        script.expect<QMessageBox>(click(answer, &text));
        form().Recovery().OfferCopies();
        ASSERT_TRUE(script.wait()) << script.pending();
        EXPECT_EQ(text.toStdString(), "Unsaved changes to " + copy.fileName + " from " +
                                          QDateTime::fromSecsSinceEpoch(copy.savedAt)
                                              .toString("yyyy-MM-dd HH:mm:ss")
                                              .toStdString() +
                                          " were found.");
    }
    EXPECT_EQ(lines(), copy.lines);
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + copy.fileName + " *");
    EXPECT_FALSE(fileExists(left));
    EXPECT_TRUE(fileExists(own));
}

} // namespace
