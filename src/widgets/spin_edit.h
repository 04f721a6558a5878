#pragma once

#include <QSpinBox>

// A spin field for whole numbers that takes digits only, at most `maxLength` of them. A number
// outside the bounds is brought to the nearer bound and an empty text counts as the lower bound.
class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    TSpinEdit(int minimum, int maximum, int initial, int maxLength, QWidget* parent = nullptr);

    // The number shown, after taking in what the user typed.
    int Value();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    int valueFromText(const QString& text) const override;
    void fixup(QString& input) const override;
};
