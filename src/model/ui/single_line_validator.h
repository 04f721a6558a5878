#pragma once

#include <QValidator>

// Keeps a text box's contents one line of characters that the system's character set can hold:
// a line break becomes a space (CR LF counts as one break) and NUL is removed. A character
// without a byte either makes the whole change refused (RefuseForeign: nothing is ever turned
// into "?" or silently lost) or is dropped (DropForeign).
class TSingleLineValidator : public QValidator {
    Q_OBJECT
public:
    enum Policy { RefuseForeign, DropForeign };

    explicit TSingleLineValidator(Policy policy, QObject* parent = nullptr)
        : QValidator(parent)
        , policy_(policy) {}

    State validate(QString& input, int& pos) const override;

private:
    Policy policy_;
};
