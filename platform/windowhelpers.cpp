#include "platform/windowhelpers.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    window->move(free.center() - QPoint(window->width() / 2, window->height() / 2));
}

QIcon programWindowIcon()
{
    return QIcon(QStringLiteral(":/art/icon.png"));
}

QIcon programWindowIconAllSizes()
{
    QIcon icon = programWindowIcon();
    for (const char* file : {":/art/icon_16.png", ":/art/icon_32.png", ":/art/icon_48.png"})
        icon.addFile(QLatin1String(file));
    return icon;
}
