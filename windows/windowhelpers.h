#pragma once
// Small pieces the title and About windows share.

class QWidget;

// Moves a top-level window so that it sits in the middle of its screen's free area.
void centreOnScreen(QWidget* window);
