#pragma once
// The title window: the maker's logo under a File and a Help menu. The only way into the
// game window and the About window; once a game starts it is gone for good.

#include "cards/gamedata.h"
#include "platform/services.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QMenu;
class QorPicture;
class frmAbout;
class frmFac;

class frmnMain : public QMainWindow
{
    Q_OBJECT
  public:
    // Builds the controls only; reads nothing and plays nothing.
    frmnMain(GameData& data, const Services& services);
    // Takes the game and About windows with it if they still exist.
    ~frmnMain() override;

    // The game window once New Game made it, the About window while it is open.
    frmFac* gameWindow() const;
    frmAbout* aboutWindow() const;

    QorPicture* Image1 = nullptr;
    QMenu* MnuFile = nullptr;
    QAction* mnuGame = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;

  public slots:
    // Closes this window, then opens and shows the game window (its opening runs).
    void mnuGame_Click();
    // Closes the game window if open and this window, and ends the program at once.
    void mnuExit_Click();
    // Shows the one About window beside this one, loading it if it is not open.
    void mnuAbout_Click();

  private:
    GameData& m_data;
    Services m_services;
    QPointer<frmFac> m_fac;
    QPointer<frmAbout> m_about;
};
