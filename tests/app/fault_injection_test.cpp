// Faults from outside the program: a full file system under a save, a serial device that goes
// away while a message is being sent, a network peer that resets the connection, and many
// sends in a row (nothing may leak).

#include "app/application.h"
#include "editor/block_editor.h"
#include "editor/message_list_box.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/com_setup_dlg.h"
#include "sign/ui/send_data.h"
#include "support/core/loopback_peer.h"
#include "support/core/process_counts.h"
#include "support/core/test_pty.h"
#include "support/gui/modal.h"
#include "support/gui/send_fixture.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Peer = LoopbackPeer::Behaviour;

class FaultInjectionTest : public SendFixture {
protected:
    void SetUp() override {
        writeFileBytes(std::getenv("LUMAVANE_INI"), "[Comm]\r\nPort=5\r\nIP=127.0.0.1\r\n");
        AppFixture::SetUp();
    }

    // Presses F9, confirms the Select Address dialog as it stands and, when `box` is set,
    // records the error box that follows and closes it.
    bool send(bool box) {
        if (!box)
            return pressSend(confirmAddress, nullptr, 20000);
        return pressSend(
            confirmAddress,
            [this](QMessageBox* b) {
                boxText = b->text();
                boxCaption = b->windowTitle();
                sendingShownUnderBox = windows->SendData1->isVisible();
                linkOpenUnderBox = form().ComPort1.Open() || form().TCP1.Connected();
                clickButton(b, QMessageBox::Ok);
            },
            20000);
    }

    QString boxText, boxCaption;
    bool sendingShownUnderBox = true;
    bool linkOpenUnderBox = true;
};

TEST_F(FaultInjectionTest, SaveOntoAFullFileSystemKeepsTheOldFileAndTheModifiedFlag) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    const std::string mountPoint = dir.file("small");
    ASSERT_EQ(::mkdir(mountPoint.c_str(), 0700), 0);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{mountPoint};

    const std::string path = mountPoint + "/message.lsm";
    const std::string old = "Centered,^R^old message\r\nNotCentered,second\r\n";
    writeFileBytes(path, old);
    form().OpenFile(path);
    ASSERT_EQ(lines().size(), 2u);

    // Fill the file system to the last byte.
    {
        const int fd =
            ::open((mountPoint + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, block.data(), 1) > 0) {
        }
        ::close(fd);
    }

    // Change the list through the block editor, then save it.
    form().ListBox1->SetItemIndex(0);
    ModalScript edit;
    edit.expect<TBEDlg>([](TBEDlg* dialog) {
        dialog->Edit1->selectAll();
        QTest::keyClicks(dialog->Edit1, QString(200, 'n'));
        QTest::keyClick(dialog->Edit1, Qt::Key_Return);
    });
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(edit.wait());
    ASSERT_EQ(title().substr(title().size() - 2), " *");

    QString message;
    ModalScript save;
    save.expect<QMessageBox>([&message](QMessageBox* box) {
        message = box->text();
        clickButton(box, QMessageBox::Ok);
    });
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(save.wait()) << save.pending();

    EXPECT_TRUE(message.startsWith(QString::fromStdString("Cannot create file " + path)))
        << message.toStdString();
    EXPECT_EQ(readFileBytes(path), old);
    EXPECT_EQ(title().substr(title().size() - 2), " *");
    // No temporary file is left behind to take the room.
    EXPECT_EQ(countDirEntries(mountPoint), 2);
}

TEST_F(FaultInjectionTest, ASerialDeviceThatVanishesMidSendIsReportedAndClosed) {
    PtyReader pty(300);
    useSerial(pty.path(), 115200);
    load(std::vector<std::string>(60, "NotCentered,^G^a line of the message to the sign"));
    ASSERT_TRUE(send(true));
    EXPECT_TRUE(pty.gone()) << "the device went away during the send";
    EXPECT_FALSE(boxText.isEmpty());
    EXPECT_EQ(boxCaption, "Lumavane Static Message Editor");
    EXPECT_FALSE(sendingShownUnderBox);
    EXPECT_FALSE(linkOpenUnderBox);
    EXPECT_FALSE(form().ComPort1.Open());
    EXPECT_FALSE(windows->SendData1->isVisible());
}

TEST_F(FaultInjectionTest, ANetworkPeerThatResetsMidSendIsReportedAndClosed) {
    LoopbackPeer sign(Peer::ResetAfter, 16384);
    useNetwork(sign.port());
    // Far more than the socket buffers of both ends hold.
    load(std::vector<std::string>(12000, "NotCentered," + std::string(240, 'W')));
    ASSERT_TRUE(send(true));
    ASSERT_TRUE(sign.waitForFinished(1));
    EXPECT_EQ(sign.receivedSize(), 16384u);
    EXPECT_FALSE(boxText.isEmpty());
    EXPECT_EQ(boxCaption, "Lumavane Static Message Editor");
    EXPECT_FALSE(sendingShownUnderBox);
    EXPECT_FALSE(linkOpenUnderBox);
    EXPECT_FALSE(form().TCP1.Connected());
    EXPECT_FALSE(windows->SendData1->isVisible());
}

TEST_F(FaultInjectionTest, ManySendsLeaveDescriptorsAndThreadsWhereTheyWere) {
    LoopbackPeer sign;
    useNetwork(sign.port());
    const std::vector<std::string> message = {"Centered,^R^Hello", "NotCentered,^F^world^F^"};
    load(message);
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, message, 1, 20);
    const std::string expected(buffer.bytes());

    // The first send through the window, so that anything made once is made now.
    ASSERT_TRUE(send(false));
    ASSERT_TRUE(sign.waitForFinished(1));
    const int fds = openFdCount();
    const int threads = ownThreadCount();

    // The rest of a thousand sends, each through the window with its dialogs.
    for (int i = 1; i < 1000; ++i)
        ASSERT_TRUE(send(false)) << "send " << i;
    ASSERT_TRUE(sign.waitForFinished(1000, 30000));
    EXPECT_EQ(sign.receivedSize(), 1000 * expected.size());
    // A socket let go with the last send may wait for the event loop to be closed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return openFdCount() == fds; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ownThreadCount() == threads; }, 5000))
        << threadNames();
}

// The settings file becomes impossible to write while the program runs (its folder is replaced
// by a plain file): the Configuration dialog reports it, and the program carries on with the
// settings it has.
class SettingsFaultTest : public AppFixture {
protected:
    void SetUp() override {
        saved = std::getenv("LUMAVANE_INI");
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        writeFileBytes(settings, "[Comm]\r\nPort=5\r\nBaud=9600\r\nIP=127.0.0.1\r\n");
        setenv("LUMAVANE_INI", settings.c_str(), 1);
        AppFixture::SetUp();
    }
    void TearDown() override {
        AppFixture::TearDown();
        setenv("LUMAVANE_INI", saved.c_str(), 1);
    }

    std::string saved;
    std::string folder = dir.file("settings");
    std::string settings = folder + "/LUMAVANE.INI";
};

TEST_F(SettingsFaultTest, ConfigurationThatCannotBeSavedIsReportedAndTheProgramGoesOn) {
    ASSERT_EQ(form().Comm().Port, 5);
    load({"NotCentered,kept"});
    ASSERT_EQ(std::rename(folder.c_str(), dir.file("moved").c_str()), 0);
    writeFileBytes(folder, "a file where the settings folder was");

    QString message;
    bool dialogOpenAfterReport = false;
    ModalScript script;
    script
        .expect<TComSetupDlg>([](TComSetupDlg* dialog) {
            for (QRadioButton* button : dialog->findChildren<QRadioButton*>()) {
                if (button->text() == "Port 3")
                    QTest::mouseClick(button, Qt::LeftButton);
            }
            QTest::keyClick(dialog, Qt::Key_Return);
        })
        .expect<QMessageBox>([&message](QMessageBox* box) {
            message = box->text();
            clickButton(box, QMessageBox::Ok);
        })
        .expect<TComSetupDlg>([&dialogOpenAfterReport](TComSetupDlg* dialog) {
            dialogOpenAfterReport = true;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
    form().Configuration1->trigger();
    ASSERT_TRUE(script.wait()) << script.pending();

    EXPECT_EQ(message.section('\n', 0, 0).toStdString(), "Unable to write to " + settings);
    EXPECT_TRUE(dialogOpenAfterReport);
    EXPECT_EQ(readFileBytes(folder), "a file where the settings folder was");
    EXPECT_EQ(readFileBytes(dir.file("moved/LUMAVANE.INI")),
              "[Comm]\r\nPort=5\r\nBaud=9600\r\nIP=127.0.0.1\r\n");
    // The window still works: the list is as it was and the dialog opens again.
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(lines(), std::vector<std::string>{"NotCentered,kept"});
    ModalScript again;
    again.expect<TComSetupDlg>(
        [](TComSetupDlg* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    form().Configuration1->trigger();
    EXPECT_TRUE(again.wait()) << again.pending();
}

} // namespace
