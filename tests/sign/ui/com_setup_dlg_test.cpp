#include "settings/profile.h"
#include "sign/comm_settings.h"
#include "sign/ui/com_setup_dlg.h"
#include "widgets/radio_group.h"

#include "support/core/case_name.h"
#include "support/core/test_env.h"
#include "support/gui/modal.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>

namespace {

QRadioButton* radio(QWidget* dlg, const char* group, const QString& text) {
    auto* box = dlg->findChild<QGroupBox*>(group);
    if (!box)
        return nullptr;
    for (QRadioButton* b : box->findChildren<QRadioButton*>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// Text of the selected radio button of a group as the user sees it, or "(none)".
QString selected(QWidget* dlg, const char* group) {
    auto* box = dlg->findChild<QGroupBox*>(group);
    QString found = QStringLiteral("(none)");
    int checked = 0;
    for (QRadioButton* b : box->findChildren<QRadioButton*>()) {
        if (b->isChecked()) {
            found = b->text();
            ++checked;
        }
    }
    return checked > 1 ? QStringLiteral("(several)") : found;
}

QLineEdit* address(QWidget* dlg) {
    return dlg->findChild<QLineEdit*>("Edit1");
}

void click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

class ComSetupDlgTest : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("LUMAVANE.INI");
};

TEST_F(ComSetupDlgTest, ShowsTheSettingsAndSavesTheUsersChoice) {
    TBComm comm(path);
    comm.Load();
    TComSetupDlg dlg(comm);
    ModalScript script;
    script.expect<TComSetupDlg>([&](TComSetupDlg* d) {
        EXPECT_EQ(d->windowTitle(), "Communications Setup");
        EXPECT_EQ(selected(d, "RadioGroup1"), "Port 2");
        EXPECT_EQ(selected(d, "RadioGroup2"), "1200");
        EXPECT_EQ(address(d)->text(), "192.168.1.100");
        EXPECT_TRUE(d->findChild<QPushButton*>("OKBtn")->hasFocus());
        click(radio(d, "RadioGroup1", "USE IP:"));
        click(radio(d, "RadioGroup2", "9600"));
        retype(address(d), "10.0.0.7");
        EXPECT_EQ(selected(d, "RadioGroup1"), "USE IP:");
        EXPECT_EQ(selected(d, "RadioGroup2"), "9600");
        click(d->findChild<QPushButton*>("OKBtn"));
    });
    EXPECT_EQ(dlg.ShowModal(), kModalResultOk);
    ASSERT_TRUE(script.wait()) << "still waiting for " << script.pending();
    EXPECT_EQ(readFileBytes(path), "[Comm]\nPort=5\nBaud=9600\nIP=10.0.0.7\n");
    EXPECT_EQ(comm.Port, 5);
    EXPECT_EQ(comm.Baud, 9600);
    EXPECT_EQ(comm.IP, "10.0.0.7");
}

TEST_F(ComSetupDlgTest, CancelChangesNothingAndTheNextOpeningShowsTheSettings) {
    writeFileBytes(path, "[Comm]\nPort=3\nBaud=300\nIP=10.1.1.1\n");
    TBComm comm(path);
    comm.Load();
    TComSetupDlg dlg(comm);
    for (int key : {int(Qt::Key_Escape), 0}) {
        ModalScript script;
        script.expect<TComSetupDlg>([&](TComSetupDlg* d) {
            // Each opening shows the settings, not what was abandoned the time before.
            EXPECT_EQ(selected(d, "RadioGroup1"), "Port 3");
            EXPECT_EQ(selected(d, "RadioGroup2"), "300");
            EXPECT_EQ(address(d)->text(), "10.1.1.1");
            click(radio(d, "RadioGroup1", "Port 1"));
            click(radio(d, "RadioGroup2", "19200"));
            retype(address(d), "10.9.9.9");
            if (key)
                QTest::keyClick(d, static_cast<Qt::Key>(key));
            else
                click(d->findChild<QPushButton*>("CancelBtn"));
        });
        EXPECT_EQ(dlg.ShowModal(), kModalResultCancel);
        ASSERT_TRUE(script.wait()) << "still waiting for " << script.pending();
    }
    EXPECT_EQ(comm.Port, 3);
    EXPECT_EQ(comm.Baud, 300);
    EXPECT_EQ(comm.IP, "10.1.1.1");
    EXPECT_EQ(readFileBytes(path), "[Comm]\nPort=3\nBaud=300\nIP=10.1.1.1\n");
}

struct ConfirmCase {
    const char* name;
    std::optional<std::string> before;
    const char* port; // the selected port as shown
    const char* baud;
    std::string after; // the file after OK without any change
};

class ComSetupConfirmTest : public testing::TestWithParam<ConfirmCase> {};

TEST_P(ComSetupConfirmTest, ShowsAndStores) {
    const ConfirmCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("LUMAVANE.INI");
    if (c.before)
        writeFileBytes(path, *c.before);
    TBComm comm(path);
    comm.Load();
    TComSetupDlg dlg(comm);
    ModalScript script;
    script.expect<TComSetupDlg>([&](TComSetupDlg* d) {
        EXPECT_EQ(selected(d, "RadioGroup1"), c.port);
        EXPECT_EQ(selected(d, "RadioGroup2"), c.baud);
        QTest::keyClick(d, Qt::Key_Return); // OK has the focus
    });
    EXPECT_EQ(dlg.ShowModal(), kModalResultOk);
    ASSERT_TRUE(script.wait()) << "still waiting for " << script.pending();
    EXPECT_EQ(readFileBytes(path), c.after);
}

const std::string kAddress40 = "10.20.30.40-" + std::string(28, 'z');

INSTANTIATE_TEST_SUITE_P(
    Files, ComSetupConfirmTest,
    testing::Values(
        ConfirmCase{"NoFileWritesAllThree", std::nullopt, "Port 2", "1200",
                    "[Comm]\nPort=2\nBaud=1200\nIP=192.168.1.100\n"},
        ConfirmCase{"Network", "[Comm]\nPort=5\n", "USE IP:", "1200",
                    "[Comm]\nPort=5\nBaud=1200\nIP=192.168.1.100\n"},
        ConfirmCase{"PortBeyondNetworkStoresFive", "[Comm]\nPort=7\nBaud=19200\n",
                    "USE IP:", "19200", "[Comm]\nPort=5\nBaud=19200\nIP=192.168.1.100\n"},
        ConfirmCase{"PortZeroShowsNoPort", "[Comm]\nPort=0\n", "(none)", "1200",
                    "[Comm]\nPort=0\nBaud=1200\nIP=192.168.1.100\n"},
        ConfirmCase{"NegativePortShowsNoPort", "[Comm]\nPort=-4\n", "(none)", "1200",
                    "[Comm]\nPort=0\nBaud=1200\nIP=192.168.1.100\n"},
        ConfirmCase{"LowestPortShowsNoPort", "[Comm]\nPort=-2147483648\n", "(none)", "1200",
                    "[Comm]\nPort=0\nBaud=1200\nIP=192.168.1.100\n"},
        ConfirmCase{"UnlistedBaudShows300", "[Comm]\nBaud=1234\nPort=1\n", "Port 1", "300",
                    "[Comm]\nBaud=300\nPort=1\nIP=192.168.1.100\n"},
        ConfirmCase{"LoadedAddressKeptWhole", "[Comm]\nIP=" + kAddress40 + "\n", "Port 2", "1200",
                    "[Comm]\nIP=" + kAddress40 + "\nPort=2\nBaud=1200\n"},
        ConfirmCase{"HighBytesRoundTrip", "; r\xE9seau\n[Comm]\nIP=h\xF6st\x80\n", "Port 2", "1200",
                    "; r\xE9seau\n[Comm]\nIP=h\xF6st\x80\nPort=2\nBaud=1200\n"}),
    CaseName());

TEST(ComSetupPortTest, APortBelowOneSelectsNothingAndStoresZero) {
    TempDir dir;
    for (int port : {INT_MIN, -1, 0}) {
        SCOPED_TRACE(port);
        TBComm comm(dir.file("LUMAVANE.INI"));
        comm.Port = port;
        TComSetupDlg dlg(comm);
        dlg.FormActivate();
        EXPECT_EQ(selected(&dlg, "RadioGroup1"), "(none)");
        dlg.OKBtnClick();
        EXPECT_EQ(comm.Port, 0);
    }
}

TEST_F(ComSetupDlgTest, TheUserTypesAtMost38CharactersOfOneLine) {
    TBComm comm(path);
    comm.Load();
    TComSetupDlg dlg(comm);
    ASSERT_TRUE(showAndActivate(&dlg));
    QLineEdit* edit = address(&dlg);
    retype(edit, QString(45, u'7'));
    EXPECT_EQ(edit->text(), QString(38, u'7'));

    // A pasted line break becomes a space; characters the sign cannot show are left out.
    retype(edit, QString());
    QGuiApplication::clipboard()->setText(QStringLiteral("10.0\r\n0.1\n\u03A9x"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "10.0 0.1 x");

    // A loaded address longer than the limit can be shortened but not lengthened.
    comm.IP = kAddress40;
    dlg.hide();
    ASSERT_TRUE(showAndActivate(&dlg));
    EXPECT_EQ(edit->text().toStdString(), kAddress40);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Q);
    EXPECT_EQ(edit->text().toStdString(), kAddress40);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Q);
    EXPECT_EQ(edit->text().toStdString(), kAddress40.substr(0, 39));
    click(dlg.OKBtn);
    EXPECT_EQ(comm.IP, kAddress40.substr(0, 39));
}

TEST_F(ComSetupDlgTest, AFailedSaveThrowsAndKeepsTheDialogOpen) {
    writeFileBytes(dir.file("blocker"), "a file, not a directory");
    const std::string badPath = dir.file("blocker/LUMAVANE.INI");
    TBComm comm(badPath);
    comm.Load();
    TComSetupDlg dlg(comm);
    ASSERT_TRUE(showAndActivate(&dlg));
    click(radio(&dlg, "RadioGroup1", "Port 4"));
    // The error reaches the application's report, which shows its message.
    QString message;
    ModalScript report;
    report.expect<QMessageBox>([&message](QMessageBox* box) {
        message = box->text();
        clickButton(box, QMessageBox::Ok);
    });
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    ASSERT_TRUE(report.wait()) << report.pending();
    EXPECT_EQ(message.section('\n', 0, 0).toStdString(), "Unable to write to " + badPath);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(selected(&dlg, "RadioGroup1"), "Port 4");
    EXPECT_EQ(comm.Port, 4) << "the choice stays in the settings for this run";
    EXPECT_EQ(readFileBytes(dir.file("blocker")), "a file, not a directory");
    click(dlg.CancelBtn);
    EXPECT_FALSE(dlg.isVisible());
}

TEST(RadioGroupTest, PositionsOutsideTheItemsAreBroughtIn) {
    RadioGroup group(QStringLiteral("G"), {QStringLiteral("a"), QStringLiteral("b")});
    struct Row {
        int set;
        int expected;
    } rows[] = {{1, 1}, {-1, -1}, {0, 0}, {-7, -1}, {2, 1}, {99, 1}};
    for (const Row& row : rows) {
        group.setItemIndex(row.set);
        EXPECT_EQ(group.itemIndex(), row.expected) << "set " << row.set;
    }
}

} // namespace
