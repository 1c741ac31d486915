#include "platform/windowhelpers.h"

#include <QFile>
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
    QIcon icon(QStringLiteral(":/art/icon.png"));
    for (int size : {16, 32, 48, 128, 256}) {
        const QString file = QStringLiteral(":/art/icon_%1.png").arg(size);
        if (QFile::exists(file))
            icon.addFile(file);
    }
    return icon;
}
