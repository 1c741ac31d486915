#pragma once
// Small pieces the program's windows share.

#include <QIcon>

class QWidget;

// The 64 x 64 window icon, with the smaller and larger sizes the desktop may ask for.
QIcon programWindowIcon();

// Moves a top-level window so that it sits in the middle of its screen's free area.
void centreOnScreen(QWidget* window);
