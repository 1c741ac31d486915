#include "flipper/gameprewarm.h"

#include "flipper/faclayout.h"
#include "platform/sound/cues.h"

#include <QEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

GamePrewarm::GamePrewarm(const Services& services, QWidget* shown,
                         std::function<bool()> stillWanted)
    : QObject(shown), m_services(services), m_stillWanted(std::move(stillWanted))
{
    shown->installEventFilter(this);
}

void GamePrewarm::prepare(const Services& services)
{
    Cues(services.sound, services.programFolder).preload();
    // Loading by name goes through the pixmap cache, so the window's own loads find these.
    for (const char* name : faclayout::kPictures)
        QPixmap(QLatin1String(name));
}

bool GamePrewarm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !m_asked) {
        m_asked = true;
        // After the first paint, so that the title shows as fast as it would without this.
        QTimer::singleShot(0, this, [this] {
            emit painted();
            if (!m_stillWanted || m_stillWanted())
                prepare(m_services);
        });
    }
    return QObject::eventFilter(watched, event);
}
