#pragma once
// The program's general procedures.

#include <QString>

class SoundPlayer;

namespace modGeneral {
// Starts the wave file at path (full name) on player and returns at once; silence, and no
// message, when the file is missing or cannot be played.
void playSound(SoundPlayer& player, const QString& path);
} // namespace modGeneral
