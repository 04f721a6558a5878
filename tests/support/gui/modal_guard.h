#pragma once

#include <QObject>
#include <QStringList>

class QTimer;

// Watches for modal dialogs that should not appear: each one seen is recorded by class name
// and closed, so that a test cannot hang on an unexpected dialog and can assert that none
// appeared.
class NoModalGuard {
public:
    NoModalGuard();
    ~NoModalGuard();
    NoModalGuard(const NoModalGuard&) = delete;
    NoModalGuard& operator=(const NoModalGuard&) = delete;

    const QStringList& Seen() const { return seen_; }

private:
    QTimer* timer_;
    QStringList seen_;
};
