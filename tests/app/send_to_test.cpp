// Send > Send To: the named signs from the editor, with a window of their results.

#include "fleet/sign_ledger.h"
#include "fleet/ui/send_results.h"
#include "fleet/ui/send_to_command.h"
#include "model/block.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"
#include "sign/ui/ask_send.h"
#include "support/core/loopback_peer.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"
#include "widgets/error_report.h"

#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

using Peer = LoopbackPeer::Behaviour;

class SendToTest : public AppFixture {
protected:
    void writeSigns(const std::vector<std::pair<std::string, const LoopbackPeer*>>& signs) {
        std::string text = "[Comm]\r\nPort=5\r\nIP=127.0.0.1\r\n";
        for (const auto& [name, peer] : signs)
            text += "[Sign " + name +
                    "]\r\nPort=5\r\nIP=127.0.0.1:" + std::to_string(peer->port()) + "\r\n";
        writeFileBytes(std::getenv("LUMAVANE_INI"), text);
    }
    QStringList menuTexts() {
        emit form().SendTo1->aboutToShow();
        QStringList texts;
        for (QAction* action : form().SendTo1->actions())
            texts << (action->isSeparator() ? "-" : action->text());
        return texts;
    }
    // Chooses the item named `item` of Send To, confirms Select Address, lets `meanwhile` act on
    // the results window, waits until every sign has ended and closes the window; the rows it
    // showed.
    std::vector<QStringList> sendTo(const char* item,
                                    const std::function<void(TSendResults*)>& meanwhile = {}) {
        std::vector<QStringList> rows;
        ModalScript script;
        script.expect<TAskSend1>([](TAskSend1* dialog) { dialog->OKBtn->click(); });
        script.expect<TSendResults>([&](TSendResults* window) {
            if (meanwhile)
                meanwhile(window);
            EXPECT_TRUE(QTest::qWaitFor([&] { return window->CancelBtn->text() == "Close"; }));
            for (int row = 0; row < window->Results1->rowCount(); ++row) {
                QStringList cells;
                for (int column = 0; column < 4; ++column)
                    cells << window->Results1->item(row, column)->text();
                rows.push_back(cells);
            }
            window->CancelBtn->click();
        });
        // The menu lists the signs as it opens.
        emit form().SendTo1->aboutToShow();
        for (QAction* action : form().SendTo1->actions()) {
            if (action->objectName() == item)
                action->trigger();
        }
        EXPECT_TRUE(script.wait()) << script.pending();
        return rows;
    }
};

const std::vector<std::string> kMessage = {"Centered,^G^OPEN", "NotCentered,caf\xE9"};

std::string streamOf(const std::vector<std::string>& lines) {
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, lines, 1, 20);
    return std::string(buffer.bytes());
}

TEST_F(SendToTest, SendsToTheChosenSignsAndShowsAndLogsHowEachEnded) {
    LoopbackPeer good;
    LoopbackPeer dead(Peer::Refuse);
    writeSigns({{"good", &good}, {"dead & gone", &dead}});
    load(kMessage);
    EXPECT_EQ(menuTexts(), QStringList({"&1 good", "&2 dead && gone", "-", "&All Signs"}));

    const std::vector<QStringList> rows = sendTo("AllSigns1");
    const QString size = QString::number(streamOf(kMessage).size());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              QStringList({"good", "IP address 127.0.0.1, port " + QString::number(good.port()),
                           size + " of " + size + " bytes", "sent"}));
    EXPECT_EQ(rows[1][2], "0 of " + size + " bytes");
    EXPECT_TRUE(rows[1][3].startsWith("failed: ERROR Connecting to IP Address."))
        << rows[1][3].toStdString();
    ASSERT_TRUE(good.waitForFinished(1));
    EXPECT_TRUE(good.received() == streamOf(kMessage));

    // The sign that was not sent is in the error log with the same words; the other is not.
    const std::string log = readFileBytes(errorLogPath().toStdString());
    EXPECT_NE(log.find("dead & gone\tIP address"), std::string::npos) << log;
    EXPECT_NE(log.find(rows[1][3].toStdString()), std::string::npos) << log;
    EXPECT_EQ(log.find("good\t"), std::string::npos) << log;

    // Each sign's ledger says what it took, so that a schedule knows what the sign shows.
    const TSignLedger good1 = readLedger("good");
    ASSERT_TRUE(good1.shows && good1.last);
    EXPECT_EQ(good1.shows->show, "editor");
    EXPECT_EQ(good1.shows->bytes, streamOf(kMessage).size());
    const TSignLedger dead1 = readLedger("dead & gone");
    EXPECT_FALSE(dead1.shows);
    ASSERT_TRUE(dead1.last);
    EXPECT_EQ(dead1.failures, 1);

    // One sign alone.
    const std::vector<QStringList> one = sendTo("SendToSign1");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0][3], "sent");
}

TEST_F(SendToTest, CancelStopsEverySign) {
    LoopbackPeer first(Peer::NeverRead);
    LoopbackPeer second(Peer::NeverRead);
    writeSigns({{"first", &first}, {"second", &second}});
    // Far more than the two connections' buffers take.
    load(std::vector<std::string>(2000, "NotCentered," + std::string(250, 'X')));
    const std::vector<QStringList> rows = sendTo("AllSigns1", [&](TSendResults* window) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return first.accepted() + second.accepted() == 2; }));
        window->CancelBtn->click();
    });
    ASSERT_EQ(rows.size(), 2u);
    for (const QStringList& row : rows)
        EXPECT_TRUE(row[3].startsWith("stopped")) << row.join('|').toStdString();
}

} // namespace
