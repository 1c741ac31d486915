#include "windows/windowhelpers.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

QCursor windowsHandCursor()
{
    const QPixmap hand(QStringLiteral(":/art/hand_cursor.png"));
    if (hand.isNull())
        return QCursor(Qt::PointingHandCursor);
    return QCursor(hand, 12, 1);
}

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
