#pragma once
// Fonts, system colours and the hand cursor of the game's windows.

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QString>

// Registers "MS Sans Serif" from the Wine fonts when they are installed (used only if it
// scales). Safe to call often.
void loadQorFonts();

// The named face at the given size in points, with stand-ins where the face is missing:
// "Arial" and "Arial Narrow" become Liberation Sans (Narrow) through fontconfig, and
// "MS Sans Serif" falls back on a plain sans serif.
QFont qorFont(const QString& face, double points, bool bold);

// The colours that the layout names after the classic system colours.
enum class SystemColour { Window, WindowText, MenuText, ButtonFace, ButtonText };
QColor systemColour(SystemColour which);

// The 32 x 32 pointing hand with its hot spot on the fingertip (12, 1); the toolkit's own
// pointing hand if the picture is missing.
QCursor handCursor();
