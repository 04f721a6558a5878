#include "links/comport.h"
#include "links/comport_errors.h"
#include "links/ui/port_select_dlg.h"
#include "support/core/case_name.h"
#include "support/core/test_env.h"
#include "support/core/test_pty.h"
#include "support/gui/modal.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/file.h>

#include <map>
#include <optional>
#include <ostream>

namespace {

QStringList entries(const QComboBox* combo) {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

// Ports 2, 5 and 7 are pseudo-terminals, 5 held by another descriptor; 9 is a plain file;
// every other number names nothing.
class PortSelectTest : public testing::Test {
protected:
    void SetUp() override {
        writeFileBytes(dir.file("plain"), "x");
        devices = {{2, first.path()}, {5, held.path()}, {7, third.path()}, {9, dir.file("plain")}};
        lockFd = ::open(held.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_EQ(::flock(lockFd, LOCK_EX | LOCK_NB), 0);
        port.DeviceResolver = [this](unsigned n) {
            auto it = devices.find(n);
            return it != devices.end() ? it->second : dir.file("none" + std::to_string(n));
        };
        installPortSelectDialog(port);
    }
    void TearDown() override { ::close(lockFd); }

    TempDir dir;
    TestPty first, held, third;
    std::map<unsigned, std::string> devices;
    int lockFd = -1;
    TComPort port;
};

TEST_F(PortSelectTest, ShowsTheOpenablePortsWithTheFirstSelected) {
    ModalScript script;
    script.expect<TPortSelectDlg>([](TPortSelectDlg* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Select Port");
        EXPECT_EQ(dlg->Label1->text(), "The configured serial port is not valid.");
        EXPECT_EQ(dlg->Label2->text(), "Please choose another port.");
        // 220 x 131 at the least, and as large as the texts need: none is cut.
        EXPECT_GE(dlg->width(), 220);
        EXPECT_GE(dlg->height(), 131);
        for (QWidget* part : std::initializer_list<QWidget*>{
                 dlg->Label1, dlg->Label2, dlg->PortsComboBox, dlg->OkBtn, dlg->AbortBtn}) {
            SCOPED_TRACE(part->objectName().toStdString());
            EXPECT_GE(part->width(), part->sizeHint().width());
            EXPECT_GE(part->height(), part->sizeHint().height());
            EXPECT_TRUE(dlg->rect().contains(QRect(part->mapTo(dlg, QPoint(0, 0)), part->size())));
        }
        EXPECT_TRUE(dlg->OkBtn->isEnabled());
        EXPECT_EQ(dlg->OkBtn->text(), "OK");
        EXPECT_TRUE(dlg->OkBtn->isDefault());
        EXPECT_EQ(dlg->AbortBtn->text(), "Cancel");
        EXPECT_FALSE(dlg->PortsComboBox->isEditable());
        EXPECT_EQ(entries(dlg->PortsComboBox), QStringList({"COM2", "COM5", "COM7"}));
        EXPECT_EQ(dlg->PortsComboBox->currentText(), "COM2");
        QTest::keyClick(dlg, Qt::Key_Return);
    });
    port.Open(true);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(port.ComNumber, 2);
    port.PutByte('s');
    EXPECT_EQ(first.read(1), "s");
}

// What the user does in the dialog, and what the opening then gives.
struct ChoiceCase {
    const char* name;
    std::function<void(TPortSelectDlg*)> act;
    int comNumber;        // ComNumber afterwards
    int failure;          // code of the opening's failure, 0 when it opens
    bool noPorts = false; // no device exists at all
};

// Test names and failures show the case by its name, not its bytes.
class PortChoiceTest : public PortSelectTest, public testing::WithParamInterface<ChoiceCase> {};

TEST_P(PortChoiceTest, OpeningFollowsTheChoice) {
    const ChoiceCase& c = GetParam();
    if (c.noPorts)
        devices.clear();
    ModalScript script;
    script.expect<TPortSelectDlg>([&](TPortSelectDlg* dlg) { c.act(dlg); });
    int failure = 0;
    try {
        port.Open(true);
    } catch (const EPortException& e) {
        failure = e.code();
    }
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(failure, c.failure);
    EXPECT_EQ(port.Open(), c.failure == 0);
    EXPECT_EQ(port.ComNumber, c.comNumber);
}

void pickThird(TPortSelectDlg* dlg) {
    dlg->PortsComboBox->setFocus();
    QTest::keyClick(dlg->PortsComboBox, Qt::Key_Down);
    QTest::keyClick(dlg->PortsComboBox, Qt::Key_Down);
    QTest::mouseClick(dlg->OkBtn, Qt::LeftButton);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, PortChoiceTest,
    testing::Values(
        ChoiceCase{"OkOpensTheFirst",
                   [](TPortSelectDlg* d) { QTest::mouseClick(d->OkBtn, Qt::LeftButton); }, 2, 0},
        ChoiceCase{"AnotherPortChosen", pickThird, 7, 0},
        ChoiceCase{"HeldPortChosen",
                   [](TPortSelectDlg* d) {
                       d->PortsComboBox->setCurrentIndex(1);
                       QTest::mouseClick(d->OkBtn, Qt::LeftButton);
                   },
                   5, EAlreadyOpen::kCode},
        ChoiceCase{"CancelButton",
                   [](TPortSelectDlg* d) { QTest::mouseClick(d->AbortBtn, Qt::LeftButton); }, 0,
                   ENoPortSelected::kCode},
        ChoiceCase{"EscapeKey", [](TPortSelectDlg* d) { QTest::keyClick(d, Qt::Key_Escape); }, 0,
                   ENoPortSelected::kCode},
        ChoiceCase{"CloseBox", [](TPortSelectDlg* d) { d->close(); }, 0, ENoPortSelected::kCode},
        ChoiceCase{"NothingToChooseLeavesOnlyCancel",
                   [](TPortSelectDlg* d) {
                       EXPECT_EQ(d->PortsComboBox->count(), 0);
                       EXPECT_FALSE(d->OkBtn->isEnabled());
                       QTest::mouseClick(d->OkBtn, Qt::LeftButton);
                       EXPECT_TRUE(d->isVisible());
                       QTest::keyClick(d, Qt::Key_Escape);
                   },
                   0, ENoPortSelected::kCode, true}),
    CaseName());

} // namespace
