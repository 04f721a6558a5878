#include "app/app_windows.h"
#include "app/main_form.h"
#include "sign/ui/com_setup_dlg.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"

#include <QRadioButton>
#include <QTest>

#include <cstdlib>

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

} // namespace
