#include "sign/ui/ask_send.h"
#include "sign/ui/com_setup_dlg.h"
#include "sign/ui/send_data.h"
#include "widgets/spin_edit.h"

#include "support/core/test_env.h"
#include "support/gui/modal.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Each dialog keeps its remembered values in a store file of this test's own.
class AskSendTest : public testing::Test {
protected:
    void SetUp() override { setenv("LUMAVANE_STORE", dir.file("test.oxp").c_str(), 1); }
    void TearDown() override {
        setenv("LUMAVANE_STORE", (privateEnvironmentDir() + "/state/lumavane.oxp").c_str(), 1);
    }
    TempDir dir;
};

void retype(TSpinEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

TEST_F(AskSendTest, ShowsItsLabelsAndFields) {
    TAskSend1 dlg;
    EXPECT_EQ(dlg.windowTitle(), "Select Address");
    EXPECT_EQ(dlg.Label1->text(), "Enter Line Address to start with (usually 1):");
    EXPECT_EQ(dlg.Label2->text(), "Width in chars of each line (used for centering):");
    EXPECT_EQ(dlg.SpinEdit1->value(), 1);
    EXPECT_EQ(dlg.SpinEdit1->minimum(), 0);
    EXPECT_EQ(dlg.SpinEdit1->maximum(), 99);
    EXPECT_EQ(dlg.SpinEdit2->value(), 20);
    EXPECT_EQ(dlg.SpinEdit2->minimum(), 1);
    EXPECT_EQ(dlg.SpinEdit2->maximum(), 999);
    EXPECT_TRUE(dlg.font().bold());
    EXPECT_EQ(dlg.OKBtn->text(), "OK");
    EXPECT_EQ(dlg.CancelBtn->text(), "Cancel");
}

TEST_F(AskSendTest, TypedNumbersAreKeptWithinTheirBoundsAndLength) {
    const struct {
        const char* name;
        bool width;
        QString typed;
        int value;
    } cases[] = {
        {"start", false, "42", 42},
        {"start zero", false, "0", 0},
        {"start, third digit refused", false, "123", 12},
        {"start, letters refused", false, "x7y", 7},
        {"start empty: the lower bound", false, "", 0},
        {"width", true, "16", 16},
        {"width zero: the lower bound", true, "0", 1},
        {"width, fourth digit refused", true, "1234", 123},
        {"width largest", true, "999", 999},
        {"width empty: the lower bound", true, "", 1},
        {"width, minus refused", true, "-5", 5},
    };
    for (const auto& c : cases) {
        TAskSend1 dlg;
        TSpinEdit* field = c.width ? dlg.SpinEdit2 : dlg.SpinEdit1;
        ModalScript script;
        script.expect<TAskSend1>([&](TAskSend1* d) {
            retype(field, c.typed);
            QTest::keyClick(d, Qt::Key_Return);
        });
        EXPECT_EQ(dlg.ShowModal(), kModalResultOk) << c.name;
        EXPECT_TRUE(script.wait()) << c.name;
        EXPECT_EQ(field->value(), c.value) << c.name;
        EXPECT_EQ(field->text(), QString::number(c.value)) << c.name;
    }
}

TEST_F(AskSendTest, EnterConfirmsAtOnceAndEveryWayOutCancels) {
    TAskSend1 dlg;
    bool focused = false;
    {
        ModalScript script;
        script.expect<TAskSend1>([&](TAskSend1* d) {
            focused = d->OKBtn->hasFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        EXPECT_EQ(dlg.ShowModal(), kModalResultOk);
        ASSERT_TRUE(script.wait());
        EXPECT_TRUE(focused);
    }
    const std::function<void(TAskSend1*)> cancels[] = {
        [](TAskSend1* d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](TAskSend1* d) { QTest::mouseClick(d->CancelBtn, Qt::LeftButton); },
        [](TAskSend1* d) { d->close(); },
    };
    for (const auto& cancel : cancels) {
        ModalScript script;
        script.expect<TAskSend1>([&](TAskSend1* d) {
            retype(d->SpinEdit1, "9");
            cancel(d);
        });
        EXPECT_EQ(dlg.ShowModal(), kModalResultCancel);
        ASSERT_TRUE(script.wait());
        EXPECT_EQ(dlg.SpinEdit1->value(), 9) << "typed values stay after Cancel";
    }
}

TEST_F(AskSendTest, StoresItsValuesWhenDestroyed) {
    {
        TAskSend1 dlg;
        QCoreApplication::processEvents(); // the restore
        dlg.SpinEdit1->setValue(3);
        dlg.SpinEdit2->setValue(40);
        EXPECT_FALSE(fileExists(dir.file("test.oxp")));
    }
    ASSERT_TRUE(fileExists(dir.file("test.oxp")));
    TAskSend1 next;
    EXPECT_EQ(next.SpinEdit1->value(), 1) << "restored only once the event loop runs";
    QCoreApplication::processEvents();
    EXPECT_EQ(next.SpinEdit1->value(), 3);
    EXPECT_EQ(next.SpinEdit2->value(), 40);
}

TEST_F(AskSendTest, OkStoresAtOnceAndADialogLeftAsItWasKeepsAnothersValues) {
    auto unused = std::make_unique<TAskSend1>();
    {
        TAskSend1 used;
        QCoreApplication::processEvents(); // the restores
        ModalScript script;
        script.expect<TAskSend1>([](TAskSend1* d) {
            retype(d->SpinEdit1, "3");
            retype(d->SpinEdit2, "17");
            QTest::keyClick(d, Qt::Key_Return);
        });
        EXPECT_EQ(used.ShowModal(), kModalResultOk);
        ASSERT_TRUE(script.wait());
        TAskSend1 reader;
        QCoreApplication::processEvents();
        EXPECT_EQ(reader.SpinEdit1->value(), 3) << "stored before the editor ends";
    }
    unused.reset();
    TAskSend1 next;
    QCoreApplication::processEvents();
    EXPECT_EQ(next.SpinEdit1->value(), 3);
    EXPECT_EQ(next.SpinEdit2->value(), 17);
}

TEST(SendDataTest, IsASmallFixedWindowWithItsProgress) {
    TSendData1 window;
    EXPECT_EQ(window.windowTitle(), "Sending Data");
    EXPECT_EQ(window.Label1->text(), "Now Sending Data...");
    EXPECT_EQ(window.size(), QSize(244, 120));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);

    window.SetProgress(400, 1234);
    EXPECT_EQ(window.ProgressBar1->text(), "400 of 1234 bytes");
    EXPECT_EQ(window.ProgressBar1->value(), 400);
    EXPECT_EQ(window.ProgressBar1->maximum(), 1234);

    window.show();
    window.close();
    EXPECT_TRUE(window.isVisible()) << "the desktop cannot close it during a send";
    window.hide();
}

} // namespace
