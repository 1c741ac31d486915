#include "cards/gamedata.h"
#include "platform/lazysoundplayer.h"
#include "platform/qtmessageservice.h"
#include "platform/qtprogramexit.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/systemfontspreload.h"
#include "platform/systemrandomsource.h"
#ifdef Q_OS_WIN
#include "platform/winsoundplayer.h"
#else
#include "platform/systemsoundplayer.h"
#endif
#include "windows/frmnmain.h"

#include <QApplication>
#include <memory>

int main(int argc, char* argv[])
{
    // The title window's menu bar needs the system's fonts: they load while Qt starts.
    SystemFontsPreload fonts;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QOR Flipper"));
    // Lets the desktop match the windows to the installed launcher and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.olvarin.qor_flipper"));

    GameData data;
    SystemRandomSource random;
    QtMessageService messages;
#ifdef Q_OS_WIN
    WinSoundPlayer sound;
#else
    // Starting the sound system takes longer than showing the title window, so it waits.
    LazySoundPlayer sound([] { return std::make_unique<SystemSoundPlayer>(); });
#endif
    SystemShellService shell;
    QtProgramExit exit;
    const Services services{random,
                            messages,
                            sound,
                            shell,
                            exit,
                            QCoreApplication::applicationDirPath(),
                            QStringLiteral("fac_data.txt")};

    // No card is read and nothing sounds until File > New Game opens the game window.
    frmnMain title(data, services);
    // Showing lays out the menu bar: it waits for the fonts rather than load them alongside.
    fonts.wait();
    title.show();
    return app.exec();
}
