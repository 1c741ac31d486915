#include "cards/gamedata.h"
#include "platform/realservices.h"
#include "platform/systemfontspreload.h"
#include "windows/frmnmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // The title window's menu bar needs the system's fonts: they load while Qt starts.
    SystemFontsPreload fonts;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QOR Flipper"));
    // Lets the desktop match the windows to the installed launcher and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.olvarin.qor_flipper"));

    GameData data;
    RealServices real;

    // No card is read and nothing sounds until File > New Game opens the game window.
    frmnMain title(data, real.services());
    // Showing lays out the menu bar: it waits for the fonts rather than load them alongside.
    fonts.wait();
    title.show();
    return app.exec();
}
