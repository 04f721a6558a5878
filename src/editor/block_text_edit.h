#pragma once

#include <QLineEdit>

// The block editor's one-line text box. It keeps a block's text on one line and inside the
// system's character set (a line break becomes a space, NUL is removed, a change that brings in
// a character the character set cannot hold is refused whole), it never
// selects its whole text when it gets the focus, and it keeps its selection while another
// control has the focus, so that a code button can replace what the user selected.
class TBlockTextEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TBlockTextEdit(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
