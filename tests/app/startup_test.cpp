#include "app/app_windows.h"
#include "app/main_form.h"
#include "editor/block_editor.h"
#include "links/ui/port_select_dlg.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/com_setup_dlg.h"
#include "sign/ui/send_data.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"
#include "support/gui/modal_guard.h"
#include "widgets/error_report.h"

#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <cstdlib>
#include <filesystem>

namespace {

std::string settingsPath() {
    return std::getenv("LUMAVANE_INI");
}

class StartupTest : public AppFixture {
protected:
    void SetUp() override {
        writeFileBytes(settingsPath(), "; the sign in the shop window\n[Comm]\nPort=5\nBaud=9600\n"
                                       "IP=127.0.0.1\n[Ports]\nCOM1=/dev/null\n");
        AppFixture::SetUp();
    }
    void TearDown() override {
        AppFixture::TearDown();
        std::remove(settingsPath().c_str());
    }
};

TEST_F(StartupTest, LoadsTheSettingsAndMapsThePorts) {
    EXPECT_EQ(form().Comm().Port, 5);
    EXPECT_EQ(form().Comm().Baud, 9600);
    EXPECT_EQ(form().Comm().IP, "127.0.0.1");
    EXPECT_EQ(form().ComPort1.DeviceResolver(1), "/dev/null");
    EXPECT_EQ(form().ComPort1.DeviceResolver(2), "/dev/ttyS1");
    EXPECT_EQ(form().TCP1.Port, 23);
}

TEST_F(StartupTest, ConfigurationOpensTheSetupDialogWhichSavesOnOk) {
    ModalScript script;
    script.expect<TComSetupDlg>([](TComSetupDlg* dialog) {
        for (QRadioButton* button : dialog->findChildren<QRadioButton*>()) {
            if (button->text() == "Port 3" || button->text() == "2400")
                QTest::mouseClick(button, Qt::LeftButton);
        }
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    form().Configuration1->trigger();
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(form().Comm().Port, 3);
    EXPECT_EQ(form().Comm().Baud, 2400);
    EXPECT_EQ(readFileBytes(settingsPath()), "; the sign in the shop window\n[Comm]\nPort=3\n"
                                             "Baud=2400\nIP=127.0.0.1\n[Ports]\nCOM1=/dev/null\n");
}

TEST_F(StartupTest, EveryWindowOpensCentredOnTheScreen) {
    TPortSelectDlg selectPort(
        [this](unsigned n) { return dir.file("no-port" + std::to_string(n)); }, &form());
    const std::pair<const char*, QWidget*> windows[] = {
        {"main window", &form()},
        {"Block Editor", this->windows->BEDlg.get()},
        {"Communications Setup", this->windows->ComSetupDlg.get()},
        {"Select Address", this->windows->AskSend1.get()},
        {"Sending Data", this->windows->SendData1.get()},
        {"Select Port", &selectPort},
    };
    for (const auto& [name, window] : windows) {
        SCOPED_TRACE(name);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QPoint off =
            window->frameGeometry().center() - window->screen()->availableGeometry().center();
        EXPECT_LE(off.manhattanLength(), 1) << off.x() << ", " << off.y();
        if (window != &form())
            window->hide();
    }
}

// Started without the fixture: what the start-up reports comes before the window is active.
TEST(StartupReportTest, OutOfRangeSettingsAreToldOnceWithWhatIsUsedInstead) {
    writeFileBytes(settingsPath(),
                   "[Comm]\nPort=-2147483648\nBaud=-300\nIP=10.0.0.9\n[Sign a]\n[sign A]\n");
    QString text;
    ModalScript script;
    script.expect<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        clickButton(box, QMessageBox::Ok);
    });
    auto windows = std::make_unique<TAppWindows>();
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(text.toStdString(),
              settingsPath() +
                  ": Port=-2147483648 is out of range; 0 is used instead (no serial port is "
                  "chosen: a send asks for one).\n" +
                  settingsPath() + ": Baud=-300 is out of range; 1200 is used instead.\n" +
                  settingsPath() +
                  ", line 6: [sign A] names the sign A again (first on line 5): one section for "
                  "each sign, or its values are never used.");
    EXPECT_EQ(windows->Form1->Comm().Port, 0);
    EXPECT_EQ(windows->Form1->Comm().Baud, 1200);
    NoModalGuard guard;
    QTest::qWait(100);
    windows.reset();
    EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(",").toStdString();
    std::remove(settingsPath().c_str());
}

TEST(StartupReportTest, AStoreFileThatIsAFolderIsReportedAtStartUpAndOnlyLoggedAtTheEnd) {
    TempDir dir;
    const std::string store = dir.file("lumavane.oxp");
    std::filesystem::create_directory(store);
    const std::string ownStore = std::getenv("LUMAVANE_STORE");
    setenv("LUMAVANE_STORE", store.c_str(), 1);
    const std::string log = errorLogPath().toStdString();
    const std::string logBefore = fileExists(log) ? readFileBytes(log) : "";

    QString text;
    ModalScript script;
    script.expect<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        clickButton(box, QMessageBox::Ok);
    });
    auto windows = std::make_unique<TAppWindows>();
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_TRUE(text.contains(QString::fromStdString(store))) << text.toStdString();

    NoModalGuard guard;
    windows.reset();
    EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(",").toStdString();
    // Both went to the log: the report at start-up and the failure at the end.
    const std::string logged = readFileBytes(log).substr(logBefore.size());
    const std::string line = "Cannot read the remembered values from " + store;
    const std::size_t first = logged.find(line);
    ASSERT_NE(first, std::string::npos) << logged;
    EXPECT_NE(logged.find(line, first + 1), std::string::npos) << logged;
    setenv("LUMAVANE_STORE", ownStore.c_str(), 1);
}

} // namespace
