#pragma once
// The real outside world, made once, as the tests' fakes are: main.cpp and the start-up
// benchmark hand its services() to the title window. The sound player is the platform's own,
// made by the file the build picks (realservices_posix.cpp or win/realservices_win.cpp).

#include "platform/services.h"
#include "platform/shell.h"
#include "platform/soundplayer.h"
#include "platform/systemmessageservice.h"
#include "platform/systemprogramexit.h"
#include "platform/systemrandomsource.h"

#include <QCoreApplication>
#include <QString>
#include <memory>

struct RealServices
{
    // The platform's sound player, ready to be handed cues.
    static std::unique_ptr<SoundPlayer> makeSoundPlayer();

    SystemRandomSource random;
    SystemMessageService messages;
    std::unique_ptr<SoundPlayer> sound = makeSoundPlayer();
    SystemShellService shell;
    SystemProgramExit exit;

    // The wave files are looked for in programFolder, the deck is read from dataFile.
    Services services(const QString& programFolder = QCoreApplication::applicationDirPath(),
                      const QString& dataFile = QStringLiteral("fac_data.txt"))
    {
        return Services{random, messages, *sound, shell, exit, programFolder, dataFile};
    }
};
