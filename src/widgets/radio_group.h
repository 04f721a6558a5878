#pragma once

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QRadioButton;

// A framed group of radio buttons, one per item, of which at most one is selected. The
// selected position runs from -1 (nothing selected) to the last item.
class RadioGroup : public QGroupBox {
    Q_OBJECT

public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }

    // The selected position, or -1.
    int itemIndex() const;
    // Selects `index`; below -1 selects nothing, beyond the last item selects the last.
    void setItemIndex(int index);

private:
    QButtonGroup* group_;
    std::vector<QRadioButton*> buttons_;
};
