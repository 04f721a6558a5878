#include "app/application.h"
#include "widgets/dialog_frame.h"
#include "widgets/error_report.h"
#include "widgets/run_command.h"
#include "widgets/window_placement.h"

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records what reaches the error report while it lives; the application's report comes back
// afterwards.
class ReportRecorder {
public:
    ReportRecorder() {
        setCommandErrorReport(
            [this](const std::exception& error) { reports.push_back(error.what()); });
    }
    ~ReportRecorder() {
        setCommandErrorReport([](const std::exception& error) { reportError(error); });
    }
    std::vector<std::string> reports;
};

struct CommandCase {
    const char* name;
    std::function<void()> command;
    std::vector<std::string> reports;
};

TEST(RunCommandTest, AnErrorEndsTheCommandAndGoesToTheReport) {
    const CommandCase cases[] = {
        {"Succeeds", [] {}, {}},
        {"ThrowsAnError",
         [] { throw std::runtime_error("Cannot open file x.lsm"); },
         {"Cannot open file x.lsm"}},
        {"ThrowsSomethingElse", [] { throw 42; }, {"Unknown error"}},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReportRecorder recorder;
        bool ranToItsEnd = false;
        EXPECT_NO_THROW(runCommand([&] {
            c.command();
            ranToItsEnd = true;
        }));
        EXPECT_EQ(recorder.reports, c.reports);
        EXPECT_EQ(ranToItsEnd, c.reports.empty());
    }
}

TEST(RunCommandTest, WithoutAReportTheErrorGoesToTheCaller) {
    setCommandErrorReport(nullptr);
    EXPECT_THROW(runCommand([] { throw std::runtime_error("no report"); }), std::runtime_error);
    setCommandErrorReport([](const std::exception& error) { reportError(error); });
}

QPoint screenCentre(const QWidget& window) {
    return window.screen()->availableGeometry().center();
}

TEST(CentringTest, AWindowIsCentredWhenShownTheFirstTimeOrEveryTime) {
    for (const TCentring when : {TCentring::FirstShow, TCentring::EveryShow}) {
        SCOPED_TRACE(when == TCentring::FirstShow ? "FirstShow" : "EveryShow");
        QWidget window;
        window.resize(301, 157);
        centreWhenShown(&window, when);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_LE((window.frameGeometry().center() - screenCentre(window)).manhattanLength(), 1);

        // Moved away by the user, hidden and shown again.
        window.move(window.pos() + QPoint(40, 30));
        const QPoint moved = window.pos();
        window.hide();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        if (when == TCentring::FirstShow)
            EXPECT_EQ(window.pos(), moved);
        else
            EXPECT_LE((window.frameGeometry().center() - screenCentre(window)).manhattanLength(),
                      1);
    }
}

// On a screen too small for them, a window shrinks to the free area, and a dialog of the
// sign's frame keeps its buttons on the screen while its controls scroll.
TEST(CentringTest, WindowsAndDialogsLargerThanTheScreenFitOnIt) {
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    window.resize(room.width() + 300, room.height() + 200);
    centreWhenShown(&window, TCentring::FirstShow);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(room.contains(window.frameGeometry())) << "window";

    QDialog dialog;
    const TDialogFrame frame = setUpDialogFrame(&dialog, "Tall", "Tall");
    frame.Bevel1->setMinimumSize(200, room.height() * 2);
    layOutDialogFrame(&dialog, frame);
    centreWhenShown(&dialog, TCentring::EveryShow);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(room.contains(dialog.frameGeometry())) << "dialog";
    EXPECT_TRUE(dialog.rect().contains(frame.OKBtn->geometry())) << "its OK button";
}

} // namespace
