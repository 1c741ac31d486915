#include "platform/sound/cues.h"

#include "platform/sound/cuefiles.h"
#include "platform/soundplayer.h"

#include <QDir>

namespace {
enum Cue { Opening, Card, EndOfRound, NextRound };
} // namespace

Cues::Cues(SoundPlayer& player, const QString& programFolder) : m_player(player)
{
    const QDir folder(programFolder);
    // In Cue order. Players may replace these files beside the program.
    for (const char* name : kCueFileNames)
        m_files.append(QDir::toNativeSeparators(folder.filePath(QLatin1String(name))));
}

void Cues::opening() const
{
    m_player.playSound(m_files[Opening]);
}

void Cues::card() const
{
    m_player.playSound(m_files[Card]);
}

void Cues::endOfRound() const
{
    m_player.playSound(m_files[EndOfRound]);
}

void Cues::nextRound() const
{
    m_player.playSound(m_files[NextRound]);
}

void Cues::preload() const
{
    m_player.preload(m_files);
}
