#pragma once
// Makes the real sound player only when it is first used: starting the sound system takes
// longer than showing the title window, so it waits until the title window has painted.

#include "platform/soundplayer.h"

#include <functional>
#include <memory>

class LazySoundPlayer : public SoundPlayer
{
  public:
    using Factory = std::function<std::unique_ptr<SoundPlayer>()>;
    explicit LazySoundPlayer(Factory make) : m_make(std::move(make)) {}

    void preload(const QStringList& paths) override { player().preload(paths); }
    void playSound(const QString& path) override { player().playSound(path); }

    // True once the real player has been made.
    bool started() const { return m_player != nullptr; }

  private:
    SoundPlayer& player()
    {
        if (!m_player)
            m_player = m_make();
        return *m_player;
    }

    Factory m_make;
    std::unique_ptr<SoundPlayer> m_player;
};
