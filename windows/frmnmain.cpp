#include "windows/frmnmain.h"

#include "flipper/faclayout.h"
#include "flipper/frmfac.h"
#include "platform/programexit.h"
#include "platform/qorpicture.h"
#include "platform/windowhelpers.h"
#include "windows/frmabout.h"

#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {

using faclayout::px;

constexpr int kClientWidth = 10935;                     // 729 px
constexpr int kClientHeight = 10050;                    // 670 px
constexpr faclayout::Twips kImage1{0, 0, 10965, 10035}; // 731 x 669: two columns cut off

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
    setObjectName(QStringLiteral("frmnMain"));
    setWindowTitle(QStringLiteral("Korvane II - QOR Flipper"));
    setWindowIcon(programWindowIcon());
    // Fixed size: title, minimize and close, no maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

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

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(kClientWidth), px(kClientHeight));
    client->setAutoFillBackground(true);
    QPalette white = client->palette();
    white.setColor(QPalette::Window, QColor(255, 255, 255));
    client->setPalette(white);
    setCentralWidget(client);
    // The client area stays 729 x 670 below the menu bar; the user cannot resize.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Image1 = new QorPicture(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    // Kept in the 8-bit greys it is stored in: a quarter of the memory of a copy in the
    // screen's format, and drawn as quickly.
    Image1->setPicture(
        QPixmap(QStringLiteral(":/art/maker_logo.png"), nullptr, Qt::NoFormatConversion));
    Image1->setGeometry(px(kImage1.left), px(kImage1.top), px(kImage1.width), px(kImage1.height));
    Image1->setAccessibleName(QStringLiteral("Olvarin logo"));
    Image1->installEventFilter(this);
}

bool frmnMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::Paint && !m_prepareAsked) {
        m_prepareAsked = true;
        // While the player reads the title, start the sound system and decode the game
        // window's pictures, so that New Game opens at once; after the first paint, so that
        // the title shows as fast as before. The icon's small sizes can wait as well.
        QTimer::singleShot(0, this, [this] {
            setWindowIcon(programWindowIconAllSizes());
            if (!m_fac)
                frmFac::prepare(m_services);
        });
    }
    return QMainWindow::eventFilter(watched, event);
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

void frmnMain::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        QRect place(QPoint(0, 0), sizeHint());
        if (QScreen* screen = this->screen()) {
            place.moveCenter(screen->availableGeometry().center());
            move(place.topLeft());
        }
    }
    QMainWindow::showEvent(event);
}
