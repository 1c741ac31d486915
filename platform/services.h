#pragma once
// The outside world, as the windows see it. RealServices makes the real services; tests hand
// in fakes.

#include <QString>

class RandomSource;
class MessageService;
class SoundPlayer;
class ShellService;
class ProgramExit;

struct Services
{
    RandomSource& random;
    MessageService& messages;
    SoundPlayer& sound;
    ShellService& shell;
    ProgramExit& exit;
    QString programFolder; // where the wave files lie (the executable's folder)
    QString dataFile;      // "fac_data.txt": relative, so read from the working folder
};
