#include "platform/widgets/windowhelpers.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

void centreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame is only known where the platform reports it before the window is mapped;
    // before the first layout pass the size hint is the best guess.
    QSize size = window->frameGeometry().size();
    if (size.isEmpty())
        size = window->sizeHint();
    const QRect free = screen->availableGeometry();
    window->move(free.left() + (free.width() - size.width()) / 2,
                 free.top() + (free.height() - size.height()) / 2);
}

QIcon programWindowIcon()
{
    return QIcon(QStringLiteral(":/art/icon.png"));
}

namespace {

// Centres its window the first time it is shown, and then lets the player move it.
class CentreOnFirstShow : public QObject
{
  public:
    explicit CentreOnFirstShow(QWidget* window) : QObject(window)
    {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            centreOnScreen(static_cast<QWidget*>(watched));
            deleteLater();
        }
        return false;
    }
};

} // namespace

QWidget* setUpFixedWindow(QMainWindow* window, const QString& name, QSize clientSize,
                          const QIcon& icon)
{
    window->setObjectName(name);
    window->setWindowTitle(QStringLiteral("Korvane II - QOR Flipper"));
    window->setWindowIcon(icon);
    // The fixed-size hint is what keeps Windows from giving the frame a sizing border; X11
    // window managers learn the fixed size from the size hints instead.
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(clientSize);
    fillBackground(client, QColor(255, 255, 255));
    window->setCentralWidget(client);
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    new CentreOnFirstShow(window);
    return client;
}

QIcon programWindowIconAllSizes()
{
    QIcon icon = programWindowIcon();
    for (const char* file : {":/art/icon_16.png", ":/art/icon_32.png", ":/art/icon_48.png"})
        icon.addFile(QLatin1String(file));
    return icon;
}

void setPaletteColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void fillBackground(QWidget* widget, const QColor& colour)
{
    widget->setAutoFillBackground(true);
    setPaletteColour(widget, QPalette::Window, colour);
}
