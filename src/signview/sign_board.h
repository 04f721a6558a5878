#pragma once

#include "sign/sign_face.h"
#include "signview/led_font.h"

#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <vector>

// A sign's face drawn as LEDs: one row of 5x7 dot characters for each of its lines, the line's
// address beside it, on a dark board; flashing characters blink twice a second; a line that
// runs past the width is cut there and marked beside the board with the number of characters
// hidden; a line can be marked, with a note as its tooltip. The board scales to the room it
// gets.
class TSignBoard : public QWidget {
    Q_OBJECT
public:
    explicit TSignBoard(QWidget* parent = nullptr);

    void setFace(TSignFace face);
    const TSignFace& face() const { return face_; }

    // Marks lines of the face: a non-empty note for line i (from the top) marks its address
    // and is the line's tooltip. Set after the face; a new face clears them.
    void setLineNotes(std::vector<QString> notes);
    const std::vector<QString>& lineNotes() const { return notes_; }
    // The face line at `y` in the board's own coordinates, as last drawn; -1 for none.
    int lineAt(int y) const;
    // The lit character at `pos` in the board's own coordinates, as last drawn; null for a dark
    // cell or a place outside the board.
    const TSignChar* charAt(const QPoint& pos) const;

    // The face in words for a screen reader: one line of text for each sign line, its address
    // and the characters that the sign shows there (cut at its width), as the board shows them.
    QString faceText() const;

    // The smallest distance between two dots, in pixels: the board asks for the room to draw
    // its whole face at least this big (0, the default, asks for none).
    void setMinimumPitch(double pitch);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Whether flashing characters are lit at this moment.
    bool blinkOn() const { return blinkOn_; }

    // Draws the board onto `painter` as it stands, filling `area`; only the lines that cross
    // `exposed` are drawn.
    void paintBoard(QPainter& painter, const QRect& area, const QRect& exposed);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    // The blinking runs only while the board is on the screen.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void blink();
    int rowCount() const;
    // The dots of the board across and down.
    int dotsAcross() const;
    int dotsDown() const;
    // One character cell (5x7 dots on the board's colour) at the current pitch: lit in `colour`
    // as `code`, or dark.
    const QPixmap& litCell(unsigned char code, TSignColour colour);
    const QPixmap& darkCell();
    QPixmap drawCell(const TGlyph& glyph, const QColor& on) const;
    void setPitch(double pitch);

    TSignFace face_;
    std::vector<QString> notes_;
    // Where the lines were last drawn: the top of the first and the pitch.
    double linesTop_ = 0;
    double linesPitch_ = 0;
    double boardLeft_ = 0;
    bool hasFlashing_ = false;
    double minimumPitch_ = 0;
    QTimer blinkTimer_;
    bool blinkOn_ = true;

    // Cells drawn at `cellPitch_`: one per character code and colour, made on first use.
    double cellPitch_ = 0;
    qreal cellRatio_ = 1;
    QPixmap dark_;
    std::vector<QPixmap> lit_;
};
