#include "support/gui/modal.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCompleter>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <algorithm>

ModalScript::ModalScript(int timeoutMs)
    : timeoutMs_(timeoutMs) {}

ModalScript::~ModalScript() {
    delete timer_;
}

void ModalScript::start() {
    if (timer_)
        return;
    deadline_ = QDeadlineTimer(timeoutMs_);
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
    if (deadline_.hasExpired()) {
        // Never hang the test: close whatever is open so that the action returns and fails.
        if (modal && modal->isVisible()) {
            if (stuckOn_.empty())
                stuckOn_ = modal->metaObject()->className();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
        return;
    }
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
    // Acted on from a timer of its own: acting may open the next dialog, whose event loop must
    // not run inside this poll (a timer is not fired again while its own handler runs).
    QPointer<QWidget> target(modal);
    auto act = step.act;
    QTimer::singleShot(0, timer_, [this, target, act] {
        // A dialog may close just after it was picked, as a file dialog does once its question
        // is answered: the step then waits for the next dialog instead.
        if (!target || !target->isVisible() || QApplication::activeModalWidget() != target) {
            --served_;
            lastServed_ = nullptr;
            return;
        }
        act(target);
    });
}

bool ModalScript::wait() {
    while (served_ < static_cast<int>(steps_.size()) && !deadline_.hasExpired())
        QTest::qWait(10);
    // Let the last dialog finish closing.
    QApplication::processEvents();
    return served_ == static_cast<int>(steps_.size());
}

std::string ModalScript::pending() const {
    if (served_ >= static_cast<int>(steps_.size()))
        return {};
    std::string text = "waiting for " + steps_[served_].className;
    if (!stuckOn_.empty())
        text += ", " + stuckOn_ + " was open instead";
    return text;
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
    // Characters that no key of the test's keyboard makes come as an input method gives them.
    if (std::all_of(path.begin(), path.end(), [](QChar c) { return c.unicode() < 128; }))
        QTest::keyClicks(edit, path);
    else
        edit->insert(path);
    // The completion list that typing opens would take the Enter key for itself.
    if (QCompleter* completer = edit->completer(); completer && completer->popup())
        completer->popup()->hide();
    QTest::keyClick(edit, Qt::Key_Return);
}

bool showAndActivate(QWidget* w) {
    w->show();
    QApplication::setActiveWindow(w);
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

std::function<void(QMessageBox*)> answerBox(int button, QString* text, QString* caption) {
    return [button, text, caption](QMessageBox* box) {
        if (text)
            *text = box->text();
        if (caption)
            *caption = box->windowTitle();
        clickButton(box, button);
    };
}
