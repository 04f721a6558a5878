#pragma once

// Gives the sign board a screen reader's view: the board reads as text, its lines as the sign
// shows them (TSignBoard::faceText). Installed once, before the first board is shown.
void installSignBoardAccessibility();
