#include "support/gui/modal.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

ModalScript::ModalScript(int timeoutMs)
    : timeoutMs_(timeoutMs) {}

ModalScript::~ModalScript() {
    delete timer_;
}

void ModalScript::start() {
    if (timer_)
        return;
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [this] { poll(); });
    timer->start();
    timer_ = timer;
}

void ModalScript::poll() {
    if (served_ >= static_cast<int>(steps_.size()))
        return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    // The dialog served last may still be on its way out; never serve it twice in a row.
    if (modal == lastServed_ && !steps_[served_].matches(modal))
        return;
    const Step& step = steps_[served_];
    if (!step.matches(modal))
        return;
    lastServed_ = modal;
    ++served_;
    step.act(modal);
}

bool ModalScript::wait() {
    QDeadlineTimer deadline(timeoutMs_);
    while (served_ < static_cast<int>(steps_.size()) && !deadline.hasExpired())
        QTest::qWait(10);
    // Let the last dialog finish closing.
    QApplication::processEvents();
    return served_ == static_cast<int>(steps_.size());
}

std::string ModalScript::pending() const {
    if (served_ >= static_cast<int>(steps_.size()))
        return {};
    return steps_[served_].className;
}

void clickButton(QMessageBox* box, int standardButton) {
    QAbstractButton* button = box->button(static_cast<QMessageBox::StandardButton>(standardButton));
    if (!button)
        throw std::runtime_error("the message box has no such button");
    QTest::mouseClick(button, Qt::LeftButton);
}

void typeFileName(QWidget* fileDialog, const QString& path) {
    auto* edit = fileDialog->findChild<QLineEdit*>("fileNameEdit");
    if (!edit)
        throw std::runtime_error("the file dialog has no file name field");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, path);
    QTest::keyClick(edit, Qt::Key_Return);
}

bool showAndActivate(QWidget* w) {
    w->show();
    QApplication::setActiveWindow(w);
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}
