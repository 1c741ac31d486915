#pragma once
// Small pieces the program's windows share.

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QSize>

class QMainWindow;
class QWidget;

// The 64 x 64 window icon (with its @2x twin on a 2x screen): all a window needs to show, and
// quick to load, so the title window can paint sooner.
QIcon programWindowIcon();

// The window icon with its 16, 32 and 48 pixel sizes as well, each drawn for itself so that
// it stays readable where the desktop shows it small.
QIcon programWindowIconAllSizes();

// Moves a top-level window so that it sits in the middle of its screen's free area.
void centreOnScreen(QWidget* window);

// Makes window one of the game's fixed-size main windows: the caption "Korvane II - QOR
// Flipper", the given icon, title bar with minimize and close but no maximize, and a white client
// area of clientSize below the menu bar that the user cannot resize, centred on the screen when
// it is first shown. Returns the client area.
QWidget* setUpFixedWindow(QMainWindow* window, const QString& name, QSize clientSize,
                          const QIcon& icon);

// Sets one colour of widget's palette, keeping the others.
void setPaletteColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// Has the toolkit fill widget with colour before each paint: a client area, a frame, a rule.
void fillBackground(QWidget* widget, const QColor& colour);
