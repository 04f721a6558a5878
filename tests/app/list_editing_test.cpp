#include "editor/block_editor.h"
#include "editor/message_edits.h"
#include "editor/message_list_box.h"
#include "editor/message_row.h"
#include "model/ui/text_codec.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"

#include <QAction>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QTest>
#include <QUrl>

namespace {

using Lines = std::vector<std::string>;

class ListEditingTest : public AppFixture {
protected:
    void select(int row) { form().ListBox1->SetItemIndex(row); }
    bool modified() const { return title().ends_with(" *"); }
    QString undoCaption() { return form().Undo1->text(); }
    // Runs a command that opens the block editor, types `text` there and confirms it.
    void editWith(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        ModalScript script;
        script.expect<TBEDlg>([text](TBEDlg* dialog) {
            dialog->Edit1->selectAll();
            QTest::keyClicks(dialog->Edit1, text);
            QTest::keyClick(dialog->Edit1, Qt::Key_Return);
        });
        press(key, modifiers);
        ASSERT_TRUE(script.wait()) << script.pending();
    }
};

TEST_F(ListEditingTest, EditMenuHasHistoryClipboardAndMovesEachWithItsOwnKey) {
    const std::pair<QAction*, const char*> items[] = {
        {form().Undo1, "Undo1 &Undo Ctrl+Z"},
        {form().Redo1, "Redo1 &Redo Ctrl+Shift+Z; Ctrl+Y"},
        {form().Cut1, "Cut1 Cu&t Ctrl+X"},
        {form().Copy1, "Copy1 &Copy Ctrl+C"},
        {form().Paste1, "Paste1 &Paste Ctrl+V"},
        {form().MoveUp1, "MoveUp1 Move &Up Alt+Up"},
        {form().MoveDown1, "MoveDown1 Move Do&wn Alt+Down"},
    };
    for (const auto& [action, expected] : items) {
        ASSERT_NE(action, nullptr) << expected;
        const QString shown = action->objectName() + " " + action->text() + " " +
                              QKeySequence::listToString(action->shortcuts());
        EXPECT_EQ(shown.toStdString(), expected);
    }
    // Undo and Redo head the menu, with nothing to do yet; the moves have a menu of their own.
    EXPECT_EQ(form().Edit1->actions().mid(0, 2), QList<QAction*>({form().Undo1, form().Redo1}));
    EXPECT_FALSE(form().Undo1->isEnabled() || form().Redo1->isEnabled());
    EXPECT_EQ(form().MoveBlock1->actions(), QList<QAction*>({form().MoveUp1, form().MoveDown1}));
    for (QMenu* menu : {form().Edit1, form().MoveBlock1}) {
        QStringList keys;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                keys << QKeySequence::mnemonic(action->text()).toString();
        }
        EXPECT_EQ(keys.removeDuplicates(), 0) << keys.join(" ").toStdString();
    }
}

TEST_F(ListEditingTest, EveryCommandUndoesAndRedoesAndTheFlagFollowsTheSavedList) {
    const Lines opened = {"NotCentered,A", "NotCentered,B"};
    load(opened);
    select(1);
    // OK on a block left as it was (here typed over with the same text) changes nothing.
    ASSERT_NO_FATAL_FAILURE(editWith(Qt::Key_E, Qt::ControlModifier, "B"));
    EXPECT_FALSE(modified());
    EXPECT_FALSE(form().Undo1->isEnabled());
    ASSERT_NO_FATAL_FAILURE(editWith(Qt::Key_E, Qt::ControlModifier, "b"));
    ModalScript sure;
    sure.expect<QMessageBox>([](QMessageBox* box) { clickButton(box, QMessageBox::Ok); });
    select(0);
    press(Qt::Key_Delete);
    ASSERT_TRUE(sure.wait()) << sure.pending();
    select(0);
    ASSERT_NO_FATAL_FAILURE(editWith(Qt::Key_Insert, Qt::NoModifier, "i"));
    const auto type = [](const QString& text) {
        return [text](TBEDlg* d) { QTest::keyClicks(d->Edit1, text + "\r"); };
    };
    ModalScript add;
    add.expect<TBEDlg>(type("x")).expect<TBEDlg>(type("y")).expect<TBEDlg>(
        [](TBEDlg* d) { QTest::keyClick(d->Edit1, Qt::Key_Escape); });
    form().AddNew1->trigger();
    ASSERT_TRUE(add.wait()) << add.pending();
    const Lines final = lines();
    ASSERT_EQ(final, Lines({"NotCentered,i", "NotCentered,b", "NotCentered,x", "NotCentered,y"}));

    // Each step is named, each block of Add New is one; only the list as opened is unmodified.
    for (const char* caption : {"&Undo Add New", "&Undo Insert New", "&Undo Delete Selection",
                                "&Undo Edit Selection", "&Undo"}) {
        EXPECT_TRUE(modified()) << caption;
        press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(undoCaption(), caption);
    }
    EXPECT_EQ(lines(), opened);
    EXPECT_FALSE(modified());
    EXPECT_EQ(form().ListBox1->ItemIndex(), 1) << "the edited row is shown selected";
    EXPECT_EQ(form().Redo1->text(), "&Redo Edit Selection");
    for (int i = 0; i < 5; ++i)
        press(i % 2 ? Qt::Key_Y : Qt::Key_Z,
              i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(lines(), final);
    EXPECT_TRUE(modified());

    // Saved: undoing leaves the saved list, redoing comes back to it.
    press(Qt::Key_S, Qt::ControlModifier);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(modified());
    press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_FALSE(modified());

    // New and Open start a history of their own.
    press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_FALSE(form().Undo1->isEnabled());
    form().Edits().Insert(0, {"NotCentered,gone"}, "Paste");
    load({"NotCentered,kept"});
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines(), Lines({"NotCentered,kept"}));
}

TEST_F(ListEditingTest, MovesRenumberTheRowsAndTheSelectionFollows) {
    const Lines opened = {"NotCentered,^R^ONE", "NotCentered,^G^TWO", "Centered,^Y^THREE",
                          "NotCentered,FOUR"};
    load(opened);
    select(0);
    press(Qt::Key_Up, Qt::AltModifier); // already at the top
    select(3);
    press(Qt::Key_Down, Qt::AltModifier); // already at the bottom
    EXPECT_EQ(lines(), opened);
    EXPECT_FALSE(modified());

    press(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(form().ListBox1->ItemIndex(), 2);
    select(0);
    press(Qt::Key_Down, Qt::AltModifier);
    const Lines moved = {"NotCentered,^G^TWO", "NotCentered,^R^ONE", "NotCentered,FOUR",
                         "Centered,^Y^THREE"};
    EXPECT_EQ(lines(), moved);
    EXPECT_EQ(form().ListBox1->ItemIndex(), 1);
    EXPECT_TRUE(modified());

    // Each row on screen is drawn with its new number (the selected row aside).
    QTest::qWait(50);
    const QImage shown =
        form().ListBox1->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int row : {0, 2, 3}) {
        const QRect rect(0, row * TMessageListBox::kRowHeight, shown.width(),
                         TMessageListBox::kRowHeight);
        QImage expected(rect.size(), QImage::Format_RGB32);
        expected.fill(Qt::black);
        QPainter painter(&expected);
        drawMessageRow(painter, moved[static_cast<std::size_t>(row)], row, expected.rect(),
                       Qt::black);
        painter.end();
        EXPECT_EQ(shown.copy(rect), expected) << "row " << row;
    }
}

TEST_F(ListEditingTest, BlocksGoThroughTheClipboardAndForeignTextIsRefused) {
    const Lines opened = {"Centered,^R^Caf\xE9 \x80 \x81\x9D\xFF", "NotCentered,A, B ^Q^"};
    load(opened);
    QClipboard* clipboard = QGuiApplication::clipboard();
    select(0);
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), toQString(opened[0]) + "\n");
    press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(lines(), Lines({opened[1]}));
    press(Qt::Key_V, Qt::ControlModifier); // nothing selected: at the end
    EXPECT_EQ(lines(), Lines({opened[1], opened[0]}));
    EXPECT_EQ(undoCaption(), "&Undo Paste");

    // Text from elsewhere goes before the selected block, which stays selected.
    clipboard->setText("OPEN\r\nCentered,^G^7 DAYS\n");
    select(1);
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(lines(), Lines({opened[1], "NotCentered,OPEN", "Centered,^G^7 DAYS", opened[0]}));
    EXPECT_EQ(form().ListBox1->ItemIndex(), 3);

    // A character that the sign cannot show is named, and nothing is pasted.
    const Lines before = lines();
    clipboard->setText(QString::fromUtf8("fine\nnot \xE2\x86\x92 this"));
    QString message;
    ModalScript refused;
    refused.expect<QMessageBox>([&message](QMessageBox* box) {
        message = box->text();
        clickButton(box, QMessageBox::Ok);
    });
    press(Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(refused.wait()) << refused.pending();
    EXPECT_TRUE(message.contains(QString::fromUtf8("\"\xE2\x86\x92\" (U+2192)")))
        << message.toStdString();
    EXPECT_EQ(lines(), before);
}

// Only the list's own rows are dragged within it: a file dragged over the list goes on to the
// window around it.
TEST_F(ListEditingTest, OtherDragsPassTheListToTheWindow) {
    struct Seen : QObject {
        int enters = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            enters += event->type() == QEvent::DragEnter;
            return false;
        }
    } seen;
    form().setAcceptDrops(true);
    form().installEventFilter(&seen);
    load({"NotCentered,A"});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.file("other.lsm")))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(form().ListBox1->viewport(), &enter);
    EXPECT_EQ(seen.enters, 1);
    form().removeEventFilter(&seen);
}

} // namespace
