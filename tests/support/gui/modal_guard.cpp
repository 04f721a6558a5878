#include "support/gui/modal_guard.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

NoModalGuard::NoModalGuard()
    : timer_(new QTimer) {
    timer_->setInterval(10);
    QObject::connect(timer_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        seen_ << modal->metaObject()->className();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer_->start();
}

NoModalGuard::~NoModalGuard() {
    delete timer_;
}
