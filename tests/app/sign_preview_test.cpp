#include "app/sign_preview_panel.h"
#include "editor/block_editor.h"
#include "editor/message_list_box.h"
#include "editor/message_row.h"
#include "editor/sign_preview_dock.h"
#include "model/ui/screen_colour.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/com_setup_dlg.h"
#include "signview/sign_board.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"
#include "widgets/spin_edit.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <cstdlib>
#include <optional>

namespace {

// The main window on a state folder and a store of the test's own: the panel's place and the
// Select Address values are kept there.
class SignPreviewTest : public AppFixture {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_STATE_HOME", "LUMAVANE_STORE"}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("XDG_STATE_HOME", dir.file("state").c_str(), 1);
        setenv("LUMAVANE_STORE", dir.file("state/lumavane.oxp").c_str(), 1);
        AppFixture::SetUp();
    }
    void TearDown() override {
        AppFixture::TearDown();
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        }
    }

    TSignPreviewDock& dock() { return *form().SignPreview().Dock; }
    // What the panel shows once the pending changes are in.
    const TSignFace& shown() {
        QApplication::processEvents();
        return dock().Board->face();
    }
    // What a send with the Select Address values as they stand would put on the sign.
    TSignFace expected() {
        return previewSignMessage(lines(), windows->AskSend1->SpinEdit1->value(),
                                  windows->AskSend1->SpinEdit2->value(), form().Comm().signSize())
            .face;
    }
    std::vector<std::string> addresses() {
        std::vector<std::string> out;
        for (const TSignFaceLine& line : shown().lines)
            out.push_back(line.address + (line.record ? ":" + line.record->text() : ""));
        return out;
    }
    // Sets the sign's size in Communications Setup, as a user would.
    void setSignSize(int signLines, int columns) {
        ModalScript script;
        script.expect<TComSetupDlg>([=](TComSetupDlg* d) {
            for (auto [field, value] :
                 {std::pair{d->SpinEdit1, signLines}, {d->SpinEdit2, columns}}) {
                field->selectAll();
                QTest::keyClicks(field, QString::number(value));
            }
            QTest::mouseClick(d->OKBtn, Qt::LeftButton);
        });
        form().Configuration1->trigger();
        ASSERT_TRUE(script.wait()) << script.pending();
    }
    void restart() {
        AppFixture::TearDown();
        AppFixture::SetUp();
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(SignPreviewTest, F8ShowsWhatASendPutsOnTheSignAndFollowsEveryChange) {
    EXPECT_FALSE(dock().isVisible()) << "hidden the first time";
    load({"Centered,^G^WELCOME", "NotCentered,OPEN ^Y^7 DAYS", "NotCentered,^F^SALE"});
    press(Qt::Key_F8);
    ASSERT_TRUE(dock().isVisible());
    EXPECT_TRUE(form().SignPreview1->isChecked());
    EXPECT_EQ(shown(), expected());
    EXPECT_EQ(addresses(), (std::vector<std::string>{"01:WELCOME", "02:OPEN 7 DAYS", "03:SALE"}));

    // The start line and width as they stand in Select Address.
    windows->AskSend1->SpinEdit1->setValue(98);
    windows->AskSend1->SpinEdit2->setValue(9);
    EXPECT_EQ(addresses(), (std::vector<std::string>{"00:SALE", "98:WELCOME", "99:OPEN 7 DAYS"}));
    EXPECT_EQ(shown(), expected());

    // Delete, add, new.
    form().ListBox1->SetItemIndex(0);
    ModalScript remove;
    remove.expect<QMessageBox>([](QMessageBox* box) { clickButton(box, QMessageBox::Ok); });
    press(Qt::Key_Delete);
    ASSERT_TRUE(remove.wait());
    EXPECT_EQ(addresses(), (std::vector<std::string>{"98:OPEN 7 DAYS", "99:SALE"}));
    ModalScript add;
    add.expect<TBEDlg>([](TBEDlg* d) {
           QTest::keyClicks(d->Edit1, "NEW");
           QTest::keyClick(d->Edit1, Qt::Key_Return);
       })
        .expect<TBEDlg>([](TBEDlg* d) { QTest::keyClick(d->Edit1, Qt::Key_Escape); });
    form().AddNew1->trigger();
    ASSERT_TRUE(add.wait());
    EXPECT_EQ(addresses(), (std::vector<std::string>{"00:NEW", "98:OPEN 7 DAYS", "99:SALE"}));
    EXPECT_EQ(shown(), expected());
    ModalScript discard;
    discard.expect<QMessageBox>([](QMessageBox* box) { clickButton(box, QMessageBox::No); });
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(discard.wait());
    EXPECT_TRUE(addresses().empty());

    press(Qt::Key_F8);
    EXPECT_FALSE(dock().isVisible());
}

TEST_F(SignPreviewTest, WhatDoesNotFitIsToldBeforeASend) {
    setSignSize(2, 10);
    EXPECT_EQ(form().Comm().signSize().lines, 2);
    load({"NotCentered,0123456789", "NotCentered,0123456789X", "NotCentered,beyond"});

    // The list: a mark at the right edge of the line that is too wide, the third line dimmed.
    QApplication::processEvents();
    const QImage list = form().ListBox1->viewport()->grab().toImage();
    const auto count = [&list](int row, const QColor& colour, int left = 0) {
        int n = 0;
        for (int y = row * TMessageListBox::kRowHeight; y < (row + 1) * TMessageListBox::kRowHeight;
             ++y)
            for (int x = left; x < list.width(); ++x)
                n += list.pixelColor(x, y).rgb() == colour.rgb();
        return n;
    };
    const QColor mark(255, 140, 0);
    const int markLeft = list.width() - kOverflowMarkWidth;
    EXPECT_EQ(count(0, mark, markLeft), 0);
    EXPECT_GT(count(1, mark, markLeft), 10);
    EXPECT_GT(count(1, Qt::white), 0);
    EXPECT_EQ(count(2, Qt::white), 0) << "dimmed";
    EXPECT_GT(count(2, QColor(102, 102, 102)), 0) << "dimmed";

    // Select Address says it; Cancel sends nothing.
    QString note;
    ModalScript ask;
    ask.expect<TAskSend1>([&note](TAskSend1* d) {
        note = d->Label3->isVisible() ? d->Label3->text() : QString();
        QTest::mouseClick(d->CancelBtn, Qt::LeftButton);
    });
    press(Qt::Key_F9);
    ASSERT_TRUE(ask.wait());
    EXPECT_EQ(note.toStdString(),
              "1 line is wider than the sign (10 characters): the sign will cut it.\n"
              "1 line will not be shown (the sign has 2 lines).");

    // The Block Editor counts against the sign's width as the user types.
    QStringList counts;
    ModalScript edit;
    edit.expect<TBEDlg>([&counts](TBEDlg* d) {
        counts << d->Label2->text();
        QTest::keyClicks(d->Edit1, "^G^Y");
        counts << d->Label2->text();
        QTest::keyClick(d->Edit1, Qt::Key_Escape);
    });
    form().ListBox1->SetItemIndex(0);
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(edit.wait());
    EXPECT_EQ(counts, QStringList({"10 of 10 characters", "11 of 10 characters"}));
}

TEST_F(SignPreviewTest, ABlockWithAControlByteIsMarkedInTheListAndOnTheSign) {
    setSignSize(1, 1);
    load({"NotCentered,OK", "NotCentered,CTL\x02"
                            "05EVIL"});
    press(Qt::Key_F8);
    QApplication::processEvents();

    // The list: a mark at the right edge of the second row only.
    const QImage list = form().ListBox1->viewport()->grab().toImage();
    const auto mark = [&list](int row) {
        return list.pixelColor(list.width() - kControlMarkWidth + 2,
                               row * TMessageListBox::kRowHeight + 3);
    };
    EXPECT_NE(mark(0), controlMarkColour());
    EXPECT_EQ(mark(1), controlMarkColour());

    // The status line counts the block, in right plurals, and its tooltip says which byte.
    EXPECT_TRUE(dock().Status->text().contains("Sign: 1 line of 1 character  |  ")) << "plural";
    EXPECT_TRUE(dock().Status->text().contains("1 line with a control byte"));
    EXPECT_EQ(dock().Status->toolTip().toStdString(),
              "Block 2 holds the control byte 0x02 at column 4: the sign reads it as the start of "
              "a record.");
    // A sign of unknown size shows line 05, which the block's bytes wrote: marked.
    setSignSize(0, 0);
    ASSERT_EQ(addresses(), (std::vector<std::string>{"01:OK", "05:EVIL"}));
    EXPECT_EQ(dock().Board->lineNotes(), (std::vector<QString>{"", dock().Status->toolTip()}));
}

// The titles of the windows that go on the screen, in the order they go.
struct ShownWindows : QObject {
    ShownWindows() { qApp->installEventFilter(this); }
    ~ShownWindows() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (auto* window = qobject_cast<QWindow*>(watched); window && event->type() == QEvent::Show)
            titles << window->title();
        return false;
    }
    QStringList titles;
};

TEST_F(SignPreviewTest, ThePanelStaysWhereTheUserLeftIt) {
    EXPECT_FALSE(dock().isVisible());
    press(Qt::Key_F8);
    form().addDockWidget(Qt::RightDockWidgetArea, &dock());
    restart();
    EXPECT_TRUE(dock().isVisible());
    EXPECT_EQ(form().dockWidgetArea(&dock()), Qt::RightDockWidgetArea);
    // Floating, it comes back over the window once the window is there, never before it.
    dock().setFloating(true);
    ShownWindows shown;
    restart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dock().isVisible(); }, 5000));
    EXPECT_TRUE(dock().isFloating());
    EXPECT_GT(shown.titles.indexOf(dock().windowTitle()),
              shown.titles.indexOf(form().windowHandle()->title()))
        << shown.titles.join(", ").toStdString();
    press(Qt::Key_F8);
    restart();
    EXPECT_FALSE(dock().isVisible());
}

} // namespace
