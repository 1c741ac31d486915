#include "cards/gamedata.h"
#include "flipper/frmfac.h"
#include "platform/qtmessageservice.h"
#include "platform/qtprogramexit.h"
#include "platform/randomsource.h"
#include "platform/services.h"
#include "platform/shellservice.h"
#include "platform/systemsoundplayer.h"

#include <QApplication>

namespace {

// A stand-in until the real shell joins the program.
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
    SystemSoundPlayer sound;
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
