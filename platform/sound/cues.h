#pragma once
// The game's four sound cues. Each is the program's folder followed by its wave file's name,
// built once; a cue is handed to the sound player's playSound and the caller goes on at once.

#include <QString>
#include <QStringList>

class SoundPlayer;

class Cues
{
  public:
    Cues(SoundPlayer& player, const QString& programFolder);

    // The flipper window's opening.
    void opening() const;
    // A card turned or recalled.
    void card() const;
    // The bell after the last timed card of a round.
    void endOfRound() const;
    // The bell of Next Round.
    void nextRound() const;

    // Has the player decode all four ahead of their first play.
    void preload() const;
    // Their full paths: opening, card, end of round, next round.
    const QStringList& files() const { return m_files; }

  private:
    SoundPlayer& m_player;
    QStringList m_files;
};
