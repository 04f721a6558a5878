#include "editor/message_list_box.h"
#include "links/ui/port_select_dlg.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/send_data.h"
#include "support/core/loopback_peer.h"
#include "support/core/test_pty.h"
#include "support/gui/modal.h"
#include "support/gui/modal_guard.h"
#include "support/gui/send_fixture.h"
#include "widgets/error_report.h"
#include "widgets/spin_edit.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::string_literals;
using Clock = std::chrono::steady_clock;

const std::string kKey = "AskSend1\\oxPersist1";
const QString kNetError = QStringLiteral("ERROR Connecting to IP Address.");
const QString kPortError = QStringLiteral("ERROR Opening Com Port, check correct configuration.");

using Peer = LoopbackPeer::Behaviour;

std::string expectedStream(const std::vector<std::string>& lines, int start, int width) {
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, lines, start, width);
    return std::string(buffer.bytes());
}

// Blocks of several kinds: colours, flashing, centring, an accented byte.
const std::vector<std::string> kMessage = {
    "NotCentered,AB",
    "Centered,^G^HI",
    "NotCentered,^F^X^F^Y",
    "Centered,^Y^Caf\xE9 ^R^open",
};

class SendCommandTest : public SendFixture {
protected:
    void SetUp() override {
        setenv("LUMAVANE_STORE", store.c_str(), 1);
        writeSettings(5, 19200);
        AppFixture::SetUp();
    }
    void TearDown() override {
        AppFixture::TearDown();
        setenv("LUMAVANE_STORE", (privateEnvironmentDir() + "/state/lumavane.oxp").c_str(), 1);
    }

    static void writeSettings(int port, int baud) {
        writeFileBytes(std::getenv("LUMAVANE_INI"), "[Comm]\r\nPort=" + std::to_string(port) +
                                                        "\r\nBaud=" + std::to_string(baud) +
                                                        "\r\nIP=127.0.0.1\r\n");
    }
    // Answers the Select Address dialog: types the two values (empty: leaves the field) and
    // confirms with Enter or cancels with Escape; records what the fields showed first.
    std::function<void(TAskSend1*)> address(const QString& start, const QString& width,
                                            bool confirm = true) {
        return [this, start, width, confirm](TAskSend1* dlg) {
            shownStart = dlg->SpinEdit1->text();
            shownWidth = dlg->SpinEdit2->text();
            okFocused = dlg->OKBtn->hasFocus();
            auto type = [](TSpinEdit* field, const QString& text) {
                if (text.isEmpty())
                    return;
                field->setFocus();
                field->selectAll();
                QTest::keyClick(field, Qt::Key_Delete);
                QTest::keyClicks(field, text);
            };
            type(dlg->SpinEdit1, start);
            type(dlg->SpinEdit2, width);
            QTest::keyClick(QApplication::focusWidget(), confirm ? Qt::Key_Return : Qt::Key_Escape);
        };
    }
    std::function<void(QMessageBox*)> errorBox() {
        return [this](QMessageBox* box) {
            boxText = box->text();
            boxCaption = box->windowTitle();
            boxIcon = box->icon();
            sendingShownUnderBox = windows->SendData1->isVisible();
            boxAfter = Clock::now();
            clickButton(box, QMessageBox::Ok);
        };
    }
    bool send(std::function<void(TAskSend1*)> answer,
              std::function<void(QMessageBox*)> more = nullptr) {
        return pressSend(std::move(answer), std::move(more));
    }
    // Restarts the program's windows as a new run would.
    void restart() {
        AppFixture::TearDown();
        windows = std::make_unique<TAppWindows>();
        ASSERT_TRUE(showAndActivate(windows->Form1.get()));
        windows->Form1->ListBox1->setFocus();
    }

    std::string store = dir.file("lumavane.oxp");
    QString shownStart, shownWidth, boxText, boxCaption;
    QMessageBox::Icon boxIcon = QMessageBox::Critical;
    bool okFocused = false;
    bool sendingShownUnderBox = true;
    Clock::time_point boxAfter;
};

TEST_F(SendCommandTest, SendsTheWholeMessageOverTheNetwork) {
    LoopbackPeer sign;
    useNetwork(sign.port());
    load(kMessage);
    ASSERT_TRUE(send(address("98", "12")));
    EXPECT_EQ(shownStart, "1");
    EXPECT_EQ(shownWidth, "20");
    EXPECT_TRUE(okFocused) << "Enter confirms at once";
    ASSERT_TRUE(sign.waitForFinished(1));
    // Addresses 98, 99, then wrapping to 00 and 01; centred texts padded on both sides.
    const std::string expected = "\x02"
                                 "98\x17"
                                 "AB\x03"
                                 "\x02"
                                 "99     \x17\x05HI     \x03"
                                 "\x02"
                                 "00\x17\x0FX\x0FY\x03"
                                 "\x02"
                                 "01 \x17\x06"
                                 "Caf\xE9 \x17open  \x03"s;
    EXPECT_EQ(sign.received(), expected);
    EXPECT_EQ(sign.received(), expectedStream(kMessage, 98, 12));
    EXPECT_FALSE(windows->SendData1->isVisible());
    EXPECT_FALSE(form().TCP1.Connected());
    EXPECT_EQ(form().TCP1.Port, sign.port());
}

TEST_F(SendCommandTest, SendsAStreamBeyondTheBufferReserveWhole) {
    LoopbackPeer sign;
    useNetwork(sign.port());
    std::vector<std::string> lines;
    for (int i = 0; i < 260; ++i)
        lines.push_back("Centered,^F^" + std::string(150, static_cast<char>('A' + i % 26)));
    load(lines);
    const std::string expected = expectedStream(lines, 1, 200);
    ASSERT_GT(expected.size(), kSendBufferReserve);
    ASSERT_TRUE(send(address("", "200")));
    ASSERT_TRUE(sign.waitForFinished(1));
    EXPECT_EQ(sign.received().size(), expected.size());
    EXPECT_TRUE(sign.received() == expected);
}

TEST_F(SendCommandTest, SendsEveryByteThroughASerialPort) {
    PtyReader pty;
    useSerial(pty.path());
    // 150 blocks: well beyond one pseudo-terminal's buffer, with a short last run.
    std::vector<std::string> lines;
    for (int i = 0; i < 150; ++i)
        lines.push_back((i % 2 ? "Centered,^Y^" : "NotCentered,^G^Line ") + std::to_string(i));
    load(lines);
    const std::string expected = expectedStream(lines, 5, 16);
    ASSERT_NE(expected.size() % 200, 0u);

    // What the user sees while the bytes go out.
    QStringList progress;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (windows->SendData1->isVisible())
            progress << windows->SendData1->ProgressBar1->text();
    });
    watch.start(1);
    ASSERT_TRUE(send(address("5", "16")));
    watch.stop();

    EXPECT_TRUE(pty.read(expected.size()) == expected) << "every byte, the tail too";
    EXPECT_FALSE(windows->SendData1->isVisible());
    EXPECT_FALSE(form().ComPort1.Open());
    ASSERT_FALSE(progress.isEmpty()) << "the window was never drawn during the send";
    EXPECT_TRUE(progress.last().endsWith(QStringLiteral(" of %1 bytes").arg(expected.size())))
        << progress.last().toStdString();
    EXPECT_EQ(form().ComPort1.Baud, 19200);
    EXPECT_EQ(form().ComPort1.ComNumber, 1);
}

TEST_F(SendCommandTest, ReadsTheSerialPortFromTheSettingsPortsSection) {
    PtyReader pty;
    AppFixture::TearDown();
    writeFileBytes(std::getenv("LUMAVANE_INI"), "[Comm]\r\nPort=3\r\nBaud=9600\r\nIP=127.0.0.1\r\n"
                                                "[Ports]\r\nCOM3=" +
                                                    pty.path() + "\r\n");
    windows = std::make_unique<TAppWindows>();
    ASSERT_TRUE(showAndActivate(windows->Form1.get()));
    load({"NotCentered,Hello"});
    ASSERT_TRUE(send(address("", "")));
    EXPECT_EQ(pty.read(10), "\x02"
                            "01\x17"
                            "Hello\x03");
    EXPECT_EQ(form().ComPort1.Baud, 9600);
}

TEST_F(SendCommandTest, ARefusedConnectionGivesTheFixedMessage) {
    LoopbackPeer closed(Peer::Refuse); // bound, not listening: refused
    const int port = closed.port();
    useNetwork(port);
    load(kMessage);
    const auto start = Clock::now();
    ASSERT_TRUE(send(address("", ""), errorBox()));
    EXPECT_EQ(boxText.section('\n', 0, 0), kNetError);
    EXPECT_EQ(boxText.section('\n', 1),
              QStringLiteral("Tried IP address 127.0.0.1, port %1: Socket Error # 10061 "
                             "Connection refused.")
                  .arg(port));
    EXPECT_EQ(boxCaption, "Lumavane Static Message Editor");
    EXPECT_EQ(boxIcon, QMessageBox::NoIcon);
    EXPECT_FALSE(sendingShownUnderBox) << "the window goes before the message";
    EXPECT_LT(boxAfter - start, std::chrono::seconds(2));
    EXPECT_FALSE(form().TCP1.Connected());
}

TEST_F(SendCommandTest, AHostThatNeverAnswersGivesTheFixedMessageAfterThreeSeconds) {
    // The accept queue is full: further connection requests go unanswered.
    LoopbackPeer silent(Peer::NeverAnswer);
    const int port = silent.port();
    useNetwork(port);
    load(kMessage);
    const auto start = Clock::now();
    ASSERT_TRUE(send(address("", ""), errorBox()));
    EXPECT_EQ(boxText.section('\n', 0, 0), kNetError);
    EXPECT_EQ(boxText.section('\n', 1),
              QStringLiteral("Tried IP address 127.0.0.1, port %1: Connect timed out.").arg(port));
    EXPECT_FALSE(sendingShownUnderBox);
    EXPECT_GE(boxAfter - start, std::chrono::milliseconds(2900));
    EXPECT_LT(boxAfter - start, std::chrono::milliseconds(4500));
}

TEST_F(SendCommandTest, AMissingPortGivesTheFixedMessage) {
    useSerial(dir.file("no-such-tty"));
    load(kMessage);
    ASSERT_TRUE(send(address("", ""), errorBox()));
    EXPECT_EQ(boxText.section('\n', 0, 0), kPortError);
    EXPECT_EQ(boxText.section('\n', 1),
              QString::fromStdString("Tried Com port 1 (" + dir.file("no-such-tty") +
                                     ") at 19200 baud: Specified comport doesn't exist"));
    EXPECT_EQ(boxCaption, "Lumavane Static Message Editor");
    EXPECT_FALSE(sendingShownUnderBox);
    EXPECT_FALSE(form().ComPort1.Open());
}

TEST_F(SendCommandTest, AFailureWhileWritingIsReportedAfterTheLinkIsClosed) {
    PtyReader pty;
    useSerial(pty.path());
    std::vector<std::string> lines(40, "NotCentered,a line of the message");
    load(lines);
    // The device goes away as soon as the port is open: its writes fail.
    form().ComPort1.OnPortOpen = [&pty] { pty.closeMaster(); };
    bool portOpenUnderBox = true;
    ASSERT_TRUE(send(address("", ""), [&](QMessageBox* box) {
        portOpenUnderBox = form().ComPort1.Open();
        errorBox()(box);
    }));
    form().ComPort1.OnPortOpen = nullptr;
    EXPECT_EQ(boxCaption, "Lumavane Static Message Editor");
    EXPECT_NE(boxText, kPortError) << "the failure itself is reported";
    EXPECT_FALSE(boxText.isEmpty());
    EXPECT_FALSE(sendingShownUnderBox);
    EXPECT_FALSE(portOpenUnderBox);
}

TEST_F(SendCommandTest, EscapeCancelsASlowSerialSendAndTheSignGetsWhatIsCounted) {
    PtyReader pty({.bytesPerSecond = 8000});
    useSerial(pty.path(), 1200);
    // 80 KB: ten seconds at the reader's pace.
    const std::vector<std::string> lines(400, "NotCentered," + std::string(195, 'S'));
    load(lines);
    const std::string expected = expectedStream(lines, 1, 20);

    // Escape on the Sending Data window once the bar has passed what the pseudo-terminal holds,
    // when the send goes at the reader's pace.
    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [&] {
        if (windows->SendData1->isVisible() && windows->SendData1->ProgressBar1->value() > 20000) {
            escape.stop();
            QTest::keyClick(windows->SendData1.get(), Qt::Key_Escape);
        }
    });
    escape.start(20);
    bool portOpenUnderBox = true;
    const auto start = Clock::now();
    ASSERT_TRUE(send(address("", ""), [&](QMessageBox* box) {
        portOpenUnderBox = form().ComPort1.Open();
        errorBox()(box);
    }));

    // A pseudo-terminal cannot tell what its reader took.
    const QRegularExpression counted(
        "^Sending cancelled: (\\d+) of (\\d+) bytes were handed to the link\\.$");
    const QRegularExpressionMatch match = counted.match(boxText);
    ASSERT_TRUE(match.hasMatch()) << boxText.toStdString();
    const std::size_t sent = match.captured(1).toULongLong();
    EXPECT_EQ(match.captured(2).toULongLong(), expected.size());
    EXPECT_GT(sent, 20000u);
    EXPECT_LT(sent, expected.size());
    EXPECT_LT(boxAfter - start, std::chrono::seconds(6));
    EXPECT_EQ(boxIcon, QMessageBox::NoIcon);
    EXPECT_FALSE(sendingShownUnderBox);
    EXPECT_FALSE(portOpenUnderBox);
    EXPECT_TRUE(pty.read(sent, 10000) == expected.substr(0, sent)) << "what was counted, no more";
    EXPECT_TRUE(QString::fromUtf8(readFileBytes(errorLogPath().toStdString()))
                    .contains("  " + boxText + "\n"));
}

TEST_F(SendCommandTest, AControlByteInATextIsAskedAboutOnceBeforeTheSend) {
    load({"NotCentered,AB",
          "NotCentered,CTL\x02"
          "05EVIL",
          "Centered,\x17"});
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        ModalScript script;
        script.expect<QMessageBox>([answer](QMessageBox* box) {
            EXPECT_EQ(box->text().toStdString(),
                      "Block 2 holds the control byte 0x02 at column 4: the sign reads it as the "
                      "start of a record. 1 more block holds one too. Send anyway?");
            clickButton(box, answer);
        });
        // No ends the command; Yes goes on to Select Address (cancelled here).
        if (answer == QMessageBox::Yes)
            script.expect<TAskSend1>(address("", "", false));
        press(Qt::Key_F9);
        ASSERT_TRUE(script.wait()) << script.pending();
    }
}

TEST_F(SendCommandTest, CancelSendsNothingAndKeepsTheTypedValues) {
    LoopbackPeer sign;
    useNetwork(sign.port());
    load(kMessage);
    ASSERT_TRUE(send(address("7", "33", false)));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(sign.accepted(), 0);
    EXPECT_FALSE(windows->SendData1->isVisible());

    // Out-of-range and empty values are brought within the bounds.
    ASSERT_TRUE(send(address("", "0", false)));
    EXPECT_EQ(shownStart, "7");
    EXPECT_EQ(shownWidth, "33");
    ASSERT_TRUE(send(address("", "", false)));
    EXPECT_EQ(shownWidth, "1");
    EXPECT_EQ(sign.accepted(), 0);
}

TEST_F(SendCommandTest, AnEmptyListShowsNoDialog) {
    LoopbackPeer sign;
    useNetwork(sign.port());
    NoModalGuard guard;
    press(Qt::Key_F9);
    QTest::qWait(200);
    EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(", ").toStdString();
    EXPECT_EQ(sign.accepted(), 0);
}

TEST_F(SendCommandTest, TheValuesSurviveARestart) {
    load(kMessage);
    LoopbackPeer sign;
    useNetwork(sign.port());
    ASSERT_TRUE(send(address("5", "16", false)));
    EXPECT_FALSE(fileExists(store)) << "nothing is written while the program runs";

    restart();
    const std::string bytes = readFileBytes(store);
    EXPECT_EQ(bytes.substr(0, 16), "03"s + std::string(14, '\0'));
    EXPECT_NE(bytes.find("SpinEdit1_Value"), std::string::npos);
    load(kMessage);
    useNetwork(sign.port());
    ASSERT_TRUE(send(address("", "", false)));
    EXPECT_EQ(shownStart, "5");
    EXPECT_EQ(shownWidth, "16");
}

std::string record(const std::string& name, const std::string& key, const std::string& data) {
    std::string out = "||++" + name + std::string(24 - name.size(), '\0') + key +
                      std::string(64 - key.size(), '\0') + '\x01';
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((data.size() >> (8 * i)) & 0xFF);
    return out + "||->" + data;
}

TEST_F(SendCommandTest, RestoresWithinBoundsAndKeepsRecordsOfOtherKeys) {
    const std::string header = "03"s + std::string(14, '\0');
    const std::string other = record("SpinEdit1_Value", "Form7\\oxPersist1", "42\0"s) +
                              record("Colour", "Form7\\oxPersist1", "red\0"s);
    AppFixture::TearDown();
    writeFileBytes(store, header + record("SpinEdit1_Value", kKey, "150\0"s) + other +
                              record("SpinEdit2_Value", kKey, "0\0"s) + header);
    windows = std::make_unique<TAppWindows>();
    ASSERT_TRUE(showAndActivate(windows->Form1.get()));
    load(kMessage);
    useNetwork(1);
    ASSERT_TRUE(send(address("", "", false)));
    EXPECT_EQ(shownStart, "99");
    EXPECT_EQ(shownWidth, "1");

    AppFixture::TearDown();
    EXPECT_EQ(readFileBytes(store), header + other + record("SpinEdit1_Value", kKey, "99\0"s) +
                                        record("SpinEdit2_Value", kKey, "1\0"s) + header);
}

TEST_F(SendCommandTest, AFileWithABadHeaderIsReplacedAtTheEnd) {
    AppFixture::TearDown();
    writeFileBytes(store, "XX" + std::string(14, '\0') + record("SpinEdit1_Value", kKey, "9\0"s));
    windows = std::make_unique<TAppWindows>();
    ASSERT_TRUE(showAndActivate(windows->Form1.get()));
    EXPECT_EQ(windows->AskSend1->SpinEdit1->value(), 1);
    AppFixture::TearDown();
    const std::string header = "03"s + std::string(14, '\0');
    EXPECT_EQ(readFileBytes(store), header + record("SpinEdit1_Value", kKey, "1\0"s) +
                                        record("SpinEdit2_Value", kKey, "20\0"s) + header);
}

TEST_F(SendCommandTest, AStoreThatCannotBeWrittenAtTheEndIsLoggedWithoutABox) {
    writeFileBytes(dir.file("plain-file"), "x");
    store = dir.file("plain-file/lumavane.oxp");
    setenv("LUMAVANE_STORE", store.c_str(), 1);
    NoModalGuard guard;
    const std::string logPath = errorLogPath().toStdString(); // in the test's state folder
    AppFixture::TearDown();
    EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(",").toStdString();
    const std::string log = readFileBytes(logPath);
    EXPECT_NE(log.find("Cannot write the remembered values to " + store), std::string::npos);
}

} // namespace
