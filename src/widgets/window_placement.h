#pragma once

class QWidget;

// Centres `window`, its frame included, on the free area of its screen (the primary screen when
// it has none yet), shrunk first to that area where it is larger and its smallest size allows.
void centreOnScreen(QWidget* window);

// When a window is centred on its screen.
enum class TCentring {
    FirstShow, // the first time it is shown; afterwards it stays where the user leaves it
    EveryShow, // each time the program shows it
};

// Centres `window` on its screen, frame included, when the program shows it. A window manager
// puts the frame around a window, and places it, as it goes on the screen: the window is
// centred without its frame, then looked at for up to a second and centred again, frame
// included, should it not stand so. (A window whose program does not take its events meanwhile
// stays where it was put first.)
void centreWhenShown(QWidget* window, TCentring when);
