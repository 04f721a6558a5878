#pragma once

class QWidget;

// Centres `window`, its frame included, on the free area of its screen (the primary screen when
// it has none yet).
void centreOnScreen(QWidget* window);

// When a window is centred on its screen.
enum class TCentring {
    FirstShow, // the first time it is shown; afterwards it stays where the user leaves it
    EveryShow, // each time the program shows it
};

// Centres `window` on its screen, frame included, when the program shows it. A window manager
// puts the frame around a window only when it first goes on the screen: a window shown for the
// first time is centred without its frame, then again, frame included, as soon as it appears.
// (A window whose program does not take its events meanwhile stays where it was put first.)
void centreWhenShown(QWidget* window, TCentring when);
