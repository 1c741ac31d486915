#pragma once
// Small pieces the title and About windows share.

#include <QCursor>

class QWidget;

// The 32 x 32 pointing hand (hot spot 12, 1); the toolkit's own pointing hand while the
// picture is missing.
QCursor windowsHandCursor();

// Moves a top-level window so that it sits in the middle of its screen's free area.
void centreOnScreen(QWidget* window);
