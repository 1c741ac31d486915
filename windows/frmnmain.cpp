#include "windows/frmnmain.h"

#include "flipper/frmfac.h"
#include "flipper/gameprewarm.h"
#include "platform/programexit.h"
#include "platform/widgets/controls.h"
#include "platform/widgets/qorpicture.h"
#include "platform/widgets/windowhelpers.h"
#include "windows/frmabout.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

namespace {

constexpr int kClientWidth = 10935;          // 729 px
constexpr int kClientHeight = 10050;         // 670 px
constexpr Twips kImage1{0, 0, 10965, 10035}; // 731 x 669: two columns cut off

// Keeps the program running while, for a moment, no window is open.
class NoQuitOnLastWindow
{
  public:
    NoQuitOnLastWindow() : m_was(QApplication::quitOnLastWindowClosed())
    {
        QApplication::setQuitOnLastWindowClosed(false);
    }
    ~NoQuitOnLastWindow() { QApplication::setQuitOnLastWindowClosed(m_was); }
    NoQuitOnLastWindow(const NoQuitOnLastWindow&) = delete;
    NoQuitOnLastWindow& operator=(const NoQuitOnLastWindow&) = delete;

  private:
    bool m_was;
};

QAction* addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    // Plain captions: no access keys, no shortcuts.
    item->setShortcut({});
    return item;
}

} // namespace

frmnMain::frmnMain(GameData& data, const Services& services)
    : QMainWindow(nullptr), m_data(data), m_services(services)
{
    // The one icon size the title needs to show; the others follow once it has painted.
    QWidget* client =
        setUpFixedWindow(this, QStringLiteral("frmnMain"),
                         QSize(px(kClientWidth), px(kClientHeight)), programWindowIcon());

    MnuFile = menuBar()->addMenu(QStringLiteral("File"));
    MnuFile->setObjectName(QStringLiteral("MnuFile"));
    mnuGame = addItem(MnuFile, "mnuGame", QStringLiteral("New Game"));
    mnuExit = addItem(MnuFile, "mnuExit", QStringLiteral("Exit"));
    mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = addItem(mnuHelp, "mnuAbout", QStringLiteral("About"));
    connect(mnuGame, &QAction::triggered, this, &frmnMain::mnuGame_Click);
    connect(mnuExit, &QAction::triggered, this, &frmnMain::mnuExit_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmnMain::mnuAbout_Click);

    Image1 = makePicture(client, QStringLiteral("Image1"), kImage1, QString(), false);
    // Kept in the 8-bit greys it is stored in: a quarter of the memory of a copy in the
    // screen's format, and drawn as quickly.
    Image1->setPicture(
        QPixmap(QStringLiteral(":/art/maker_logo.png"), nullptr, Qt::NoFormatConversion));
    Image1->setAccessibleName(QStringLiteral("Olvarin logo"));
    // While the player reads the title, ready the game window so that New Game opens at once;
    // the icon's small sizes can wait as well.
    auto* prewarm = new GamePrewarm(m_services, Image1, [this] { return !m_fac; });
    connect(prewarm, &GamePrewarm::painted, this,
            [this] { setWindowIcon(programWindowIconAllSizes()); });
}

frmnMain::~frmnMain()
{
    delete m_about.data();
    delete m_fac.data();
}

frmFac* frmnMain::gameWindow() const
{
    return m_fac;
}

frmAbout* frmnMain::aboutWindow() const
{
    return m_about;
}

void frmnMain::mnuGame_Click()
{
    NoQuitOnLastWindow keepRunning;
    close();
    if (!m_fac) {
        m_fac = new frmFac(m_data, m_services);
        m_fac->Form_Load();
    }
    m_fac->show();
}

void frmnMain::mnuExit_Click()
{
    if (m_fac && m_fac->isVisible())
        m_fac->close();
    close();
    m_services.exit.endProgram();
}

void frmnMain::mnuAbout_Click()
{
    if (!m_about) {
        m_about = new frmAbout(m_services);
        m_about->Form_Load();
        centreOnScreen(m_about);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}
