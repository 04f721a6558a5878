#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QMessageBox;

// Answers the modal dialogs that an action opens, one step per dialog and in order, as a user
// would: each step waits until QApplication::activeModalWidget() is a visible widget of the
// expected class, then acts on it (types, clicks, presses keys), which normally closes it.
//
//   ModalScript script;
//   script.expect<QMessageBox>([](QMessageBox* box) { clickButton(box, QMessageBox::No); });
//   QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);   // opens the box
//   ASSERT_TRUE(script.wait());
//
// Steps are served from a timer while the action runs its own modal event loop.
class ModalScript {
public:
    explicit ModalScript(int timeoutMs = 10000);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    template <class T>
    ModalScript& expect(std::function<void(T*)> act) {
        steps_.push_back(Step{typeid(T).name(),
                              [](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                              [act](QWidget* w) { act(qobject_cast<T*>(w)); }});
        start();
        return *this;
    }

    // Runs the event loop until every step has been served; false on time-out (the test then
    // reports which step was still waiting).
    bool wait();
    // Number of steps served so far.
    int served() const { return served_; }
    // Class name of the step that is still waiting, empty when all were served; after a
    // time-out also the class of the dialog that was open instead.
    std::string pending() const;

private:
    struct Step {
        std::string className;
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> act;
    };
    void start();
    void poll();

    std::vector<Step> steps_;
    QDeadlineTimer deadline_;
    std::string stuckOn_;
    int served_ = 0;
    int timeoutMs_;
    QObject* timer_ = nullptr;
    QWidget* lastServed_ = nullptr;
};

// Clicks a message box's standard button as the user would.
void clickButton(QMessageBox* box, int standardButton);

// A step that clicks `button` of the message box, recording its text and caption first where
// asked.
std::function<void(QMessageBox*)> answerBox(int button, QString* text = nullptr,
                                            QString* caption = nullptr);

// Types a path into a file dialog's file name field and presses Enter.
void typeFileName(QWidget* fileDialog, const QString& path);

// Shows `w`, makes it the active window and waits until it is; true when it is active.
bool showAndActivate(QWidget* w);
