#include "cards/gamedata.h"
#include "flipper/frmfac.h"
#include "platform/qtmessageservice.h"
#include "platform/qtprogramexit.h"
#include "platform/randomsource.h"
#include "platform/services.h"
#include "platform/shellservice.h"
#include "platform/soundplayer.h"

#include <QApplication>

namespace {

// Stand-ins until the real sound player and shell join the program.
class SilentSound : public SoundPlayer
{
public:
    void preload(const QStringList&) override {}
    void playSound(const QString&) override {}
};

class NoShell : public ShellService
{
public:
    bool shellOpen(const QString&, const QString&, const std::optional<QString>&,
                   const std::optional<QString>&, int) override
    {
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    GameData data;
    SystemRandomSource random;
    QtMessageService messages;
    SilentSound sound;
    NoShell shell;
    QtProgramExit exit;
    const Services services{random,
                            messages,
                            sound,
                            shell,
                            exit,
                            QCoreApplication::applicationDirPath(),
                            QStringLiteral("fac_data.txt")};

    frmFac game(data, services);
    game.Form_Load();
    game.show();
    return app.exec();
}
