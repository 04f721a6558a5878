#include "widgets/spin_edit.h"

#include <QLineEdit>

#include <algorithm>

TSpinEdit::TSpinEdit(int minimum, int maximum, int initial, int maxLength, QWidget* parent)
    : QSpinBox(parent) {
    setRange(minimum, maximum);
    setValue(initial);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    lineEdit()->setMaxLength(maxLength);
}

int TSpinEdit::Value() {
    interpretText();
    return value();
}

QValidator::State TSpinEdit::validate(QString& input, int& /*pos*/) const {
    if (input.isEmpty())
        return QValidator::Intermediate;
    for (const QChar ch : input) {
        if (ch < u'0' || ch > u'9')
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

int TSpinEdit::valueFromText(const QString& text) const {
    bool ok = false;
    const long long number = text.toLongLong(&ok);
    if (!ok)
        return minimum();
    return static_cast<int>(std::clamp<long long>(number, minimum(), maximum()));
}

void TSpinEdit::fixup(QString& input) const {
    input = textFromValue(valueFromText(input));
}
