#include "support/gui/app_fixture.h"

#include "editor/message_list_box.h"
#include "support/gui/modal.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <cstdlib>

void AppFixture::SetUp() {
    // Each test's recovery copies, recent files, view and ledgers in a state folder of its own.
    const char* state = std::getenv("XDG_STATE_HOME"); // the test run's own (test_env)
    ownState_ = state ? state : "";
    setenv("XDG_STATE_HOME", dir.file("state").c_str(), 1);
    windows = std::make_unique<TAppWindows>();
    ASSERT_TRUE(showAndActivate(windows->Form1.get())) << "the main window did not become active";
    windows->Form1->ListBox1->setFocus();
}

void AppFixture::TearDown() {
    if (windows && windows->Form1) {
        // Leave without the save question.
        windows->Form1->hide();
    }
    windows.reset();
    setenv("XDG_STATE_HOME", ownState_.c_str(), 1);
}

std::string AppFixture::title() const {
    return windows->Form1->windowTitle().toStdString();
}

std::vector<std::string> AppFixture::lines() const {
    return windows->Form1->Lines().Lines().toVector();
}

void AppFixture::press(int key, Qt::KeyboardModifiers modifiers) {
    // A closed dialog hands the activation back to the main window on a desktop; the offscreen
    // platform does not, and shortcuts only reach the active window.
    if (QApplication::activeWindow() != windows->Form1.get()) {
        ASSERT_TRUE(showAndActivate(windows->Form1.get()));
    }
    QTest::keyClick(windows->Form1->ListBox1, static_cast<Qt::Key>(key), modifiers);
}

void AppFixture::load(const std::vector<std::string>& content) {
    const std::string path = dir.file("loaded.lsm");
    std::string bytes;
    for (const std::string& line : content)
        bytes += line + "\r\n";
    writeFileBytes(path, bytes);
    windows->Form1->OpenFile(path);
}

void AppFixture::deleteFirstRow() {
    form().ListBox1->SetItemIndex(0);
    ModalScript script;
    script.expect<QMessageBox>([](QMessageBox* box) { clickButton(box, QMessageBox::Ok); });
    press(Qt::Key_Delete);
    ASSERT_TRUE(script.wait()) << script.pending();
}
