#pragma once
// Small pieces the program's windows share.

#include <QIcon>
#include <QSize>

class QMainWindow;
class QWidget;

// The 64 x 64 window icon, with the smaller and larger sizes the desktop may ask for.
QIcon programWindowIcon();

// Moves a top-level window so that it sits in the middle of its screen's free area.
void centreOnScreen(QWidget* window);

// Makes window one of the game's fixed-size main windows: the caption "Korvane II - QOR
// Flipper", the icon, title bar with minimize and close but no maximize, and a white client
// area of clientSize below the menu bar that the user cannot resize, centred on the screen when
// it is first shown. Returns the client area.
QWidget* setUpFixedWindow(QMainWindow* window, const QString& name, QSize clientSize);
