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
#include <QFileDialog>
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
    const struct {
        QAction* action;
        QMenu* menu;
        const char* name;
        const char* caption;
        QList<QKeySequence> shortcuts;
    } items[] = {
        {form().Undo1, form().Edit1, "Undo1", "&Undo", {QKeySequence("Ctrl+Z")}},
        {form().Redo1,
         form().Edit1,
         "Redo1",
         "&Redo",
         {QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}},
        {form().Cut1, form().Edit1, "Cut1", "Cu&t", {QKeySequence("Ctrl+X")}},
        {form().Copy1, form().Edit1, "Copy1", "&Copy", {QKeySequence("Ctrl+C")}},
        {form().Paste1, form().Edit1, "Paste1", "&Paste", {QKeySequence("Ctrl+V")}},
        {form().MoveUp1, form().MoveBlock1, "MoveUp1", "Move &Up", {QKeySequence("Alt+Up")}},
        {form().MoveDown1,
         form().MoveBlock1,
         "MoveDown1",
         "Move Do&wn",
         {QKeySequence("Alt+Down")}},
    };
    for (const auto& item : items) {
        ASSERT_NE(item.action, nullptr) << item.name;
        EXPECT_EQ(item.action->objectName(), item.name);
        EXPECT_EQ(item.action->text(), item.caption) << item.name;
        EXPECT_EQ(item.action->shortcuts(), item.shortcuts) << item.name;
        EXPECT_TRUE(item.menu->actions().contains(item.action)) << item.name;
    }
    // Undo and Redo head the menu, and have nothing to do yet.
    ASSERT_GE(form().Edit1->actions().size(), 2);
    EXPECT_EQ(form().Edit1->actions()[0], form().Undo1);
    EXPECT_EQ(form().Edit1->actions()[1], form().Redo1);
    EXPECT_FALSE(form().Undo1->isEnabled());
    EXPECT_FALSE(form().Redo1->isEnabled());
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
    const Lines opened = {"NotCentered,A", "NotCentered,B", "NotCentered,C"};
    load(opened);
    select(1);
    ASSERT_NO_FATAL_FAILURE(editWith(Qt::Key_E, Qt::ControlModifier, "b"));
    ModalScript sure;
    sure.expect<QMessageBox>([](QMessageBox* box) { clickButton(box, QMessageBox::Ok); });
    select(0);
    press(Qt::Key_Delete);
    ASSERT_TRUE(sure.wait()) << sure.pending();
    select(0);
    ASSERT_NO_FATAL_FAILURE(editWith(Qt::Key_Insert, Qt::NoModifier, "new"));
    ModalScript add;
    add.expect<TBEDlg>([](TBEDlg* d) {
           QTest::keyClicks(d->Edit1, "x");
           QTest::keyClick(d->Edit1, Qt::Key_Return);
       })
        .expect<TBEDlg>([](TBEDlg* d) {
            QTest::keyClicks(d->Edit1, "y");
            QTest::keyClick(d->Edit1, Qt::Key_Return);
        })
        .expect<TBEDlg>([](TBEDlg* d) { QTest::keyClick(d->Edit1, Qt::Key_Escape); });
    form().AddNew1->trigger();
    ASSERT_TRUE(add.wait()) << add.pending();
    select(1);
    press(Qt::Key_Up, Qt::AltModifier);
    const Lines final = {"NotCentered,b", "NotCentered,new", "NotCentered,C", "NotCentered,x",
                         "NotCentered,y"};
    ASSERT_EQ(lines(), final);
    EXPECT_EQ(undoCaption(), "&Undo Move Up");

    // Every confirmed block of Add New is a step of its own.
    const struct {
        QString caption;
        Lines after;
    } undone[] = {
        {"&Undo Add New",
         {"NotCentered,new", "NotCentered,b", "NotCentered,C", "NotCentered,x", "NotCentered,y"}},
        {"&Undo Add New", {"NotCentered,new", "NotCentered,b", "NotCentered,C", "NotCentered,x"}},
        {"&Undo Insert New", {"NotCentered,new", "NotCentered,b", "NotCentered,C"}},
        {"&Undo Delete Selection", {"NotCentered,b", "NotCentered,C"}},
        {"&Undo Edit Selection", {"NotCentered,A", "NotCentered,b", "NotCentered,C"}},
        {"&Undo", opened},
    };
    for (const auto& step : undone) {
        press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(lines(), step.after) << step.caption.toStdString();
        EXPECT_EQ(undoCaption(), step.caption);
        // Only the list as it was opened is unmodified.
        EXPECT_EQ(modified(), step.after != opened) << step.caption.toStdString();
    }
    EXPECT_EQ(form().ListBox1->ItemIndex(), 1) << "the edited row is shown selected";
    EXPECT_EQ(form().Redo1->text(), "&Redo Edit Selection");

    // Both Redo keys; the flag is set again.
    for (int i = 0; i < 6; ++i)
        press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(modified());
    for (int i = 0; i < 6; ++i)
        press(Qt::Key_Z, Qt::ControlModifier);
    for (int i = 0; i < 6; ++i)
        press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(lines(), final);
    EXPECT_TRUE(modified());

    // Saved: undoing leaves the saved list, redoing comes back to it.
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_FALSE(modified());
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(modified());
    press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_FALSE(modified());
    EXPECT_EQ(readFileBytes(dir.file("loaded.lsm")),
              "NotCentered,b\r\nNotCentered,new\r\nNotCentered,C\r\nNotCentered,x\r\n"
              "NotCentered,y\r\n");

    // New and Open start a history of their own.
    press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_FALSE(form().Undo1->isEnabled());
    EXPECT_EQ(undoCaption(), "&Undo");
    form().Edits().Insert(0, {"NotCentered,gone"}, "Paste");
    load({"NotCentered,kept"});
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines(), Lines({"NotCentered,kept"}));
    EXPECT_FALSE(modified());
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

TEST_F(ListEditingTest, BlocksGoThroughTheClipboardByteForByteAndForeignTextIsRefused) {
    const Lines opened = {"Centered,^R^Caf\xE9 \x80 5", "NotCentered,\x81\x8D\x8F\x90\x9D\xFF",
                          "NotCentered,A, B ^Q^", "NotCentered," + std::string(300, '\xB0')};
    load(opened);
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Copy from this message, paste into a new one: the same bytes are saved.
    Lines copied;
    for (int row = 0; row < static_cast<int>(opened.size()); ++row) {
        load(opened);
        select(row);
        press(Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(clipboard->text(), toQString(opened[static_cast<std::size_t>(row)]) + "\n");
        press(Qt::Key_N, Qt::ControlModifier);
        for (const std::string& line : copied)
            form().Edits().Insert(form().Lines().Count(), {line}, "Paste");
        press(Qt::Key_V, Qt::ControlModifier); // nothing selected: at the end
        copied = lines();
    }
    EXPECT_EQ(copied, opened);

    // Cut, then paste before the selected block, which stays selected.
    load(opened);
    select(0);
    press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(lines(), Lines(opened.begin() + 1, opened.end()));
    EXPECT_TRUE(modified());
    select(2);
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(lines(), Lines({opened[1], opened[2], opened[0], opened[3]}));
    EXPECT_EQ(form().ListBox1->ItemIndex(), 3);
    EXPECT_EQ(undoCaption(), "&Undo Paste");

    // Text from elsewhere: one block a line; a character the sign cannot show is named and
    // nothing is pasted.
    clipboard->setText("OPEN\r\nCentered,^G^7 DAYS\n");
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(lines(), Lines({opened[1], opened[2], opened[0], "NotCentered,OPEN",
                              "Centered,^G^7 DAYS", opened[3]}));
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
    EXPECT_EQ(undoCaption(), "&Undo Paste");
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
