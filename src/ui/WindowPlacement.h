#pragma once
// Where the program's own windows open: inside the screen's free room (the
// screen less its taskbar), never partly off an edge, and no larger than
// that room, whatever size they would like.

class QWidget;

// Puts `window` beside `main` (right, left, under or over it) where the
// screen leaves room, otherwise as far right as it fits; inside the screen
// either way.
void placeBeside(QWidget &window, const QWidget &main);
// Shows `window` in front, first shrunk to the screen's free room and moved
// into it where it would stand out.
void showInScreen(QWidget &window);
