#pragma once
// Readies what the game window's opening would otherwise wait for, once a window the player
// is looking at has painted: the sound system with the four cues decoded, and the game
// window's pictures decoded. Reads no data file and plays nothing.

#include "platform/services.h"

#include <QObject>
#include <functional>

class QWidget;

class GamePrewarm : public QObject
{
    Q_OBJECT
  public:
    // Watches shown's first paint; then, just after it, readies the game unless stillWanted
    // says the game window is already there. Owned by shown.
    GamePrewarm(const Services& services, QWidget* shown, std::function<bool()> stillWanted);

    // The work itself; safe to call any number of times.
    static void prepare(const Services& services);

  signals:
    // Just after the first paint, before the work: for whatever else can wait until then.
    void painted();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Services m_services;
    std::function<bool()> m_stillWanted;
    bool m_asked = false;
};
