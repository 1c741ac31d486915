#pragma once
// The game window: a card picture with the turned card's entries laid over it, the round
// clock, Flip, Next Round, Killer Instinct, and a second card for recalling a turned card.
// Every action is one handler, run to its end on the user-interface thread; the clock, the
// round and the Killer Instinct value live in their labels' texts, the cards and the deck
// in GameData.

#include "cards/facfields.h"
#include "cards/gamedata.h"
#include "platform/services.h"
#include "platform/sound/cues.h"

#include <QMainWindow>
#include <array>

class QAction;
class QComboBox;
class QListWidget;
class QPushButton;
class QorLabel;
class QorPicture;
namespace faclayout {
struct FixedLabel;
}

class frmFac : public QMainWindow
{
    Q_OBJECT
  public:
    // Builds the controls only; Form_Load does the opening.
    frmFac(GameData& data, const Services& services, QWidget* parent = nullptr);

    // Shows the card at deck position facCount (repaired to 1 outside 1..100), records it in
    // the flipped list and fills the main panel.
    void pickFAC();
    // Fills the main panel with card curFAC; does nothing when curFAC is no card number.
    void pickFAC2();
    // A new deck: shuffle, facCount 1, flipped list emptied. No reseed, no card shown.
    void modeShuffle();
    // Sets the clock for facCount 1..100; leaves it alone otherwise.
    void modeTime();

    // The opening: reseed, read the data file, New Game, the opening cue.
    void Form_Load();

    // New Game: shuffle, reseed, read, count 0, panels emptied and covered, clock and round
    // reset, flipped list emptied. Leaves Killer Instinct, the review labels and the buttons.
    void mnuNewGame_Click();
    // The window closes and the program ends with it.
    void Form_Unload();
    // A timed card, or after the bell a non-timed one through cmdFlip2.
    void cmdFlip_Click();
    // A random card other than the one on the main panel; nothing else changes.
    void cmdFlip2_Click();
    // Shows a random turned card, never the newest, on the review panel.
    void cmdPick_Click();
    // Next round: clock "3:00", round + 1, main panel covered, the bell.
    void cmdRound_Click();
    // Shows the Killer Instinct list (also Alt+K, or K outside a text field, which then
    // put the keyboard focus in it).
    void lblKI_Click();
    // Takes the chosen Killer Instinct value and hides the list.
    void cboKI_Click();

    // The controls, by their names.
    QAction* mnuNewGame = nullptr;
    QorPicture* Image1 = nullptr;
    QorPicture* imgFAC = nullptr;
    QorPicture* Image2 = nullptr;
    std::array<QorLabel*, 22> Label1{};
    QorLabel* lblNo = nullptr;
    QorLabel* lblPos = nullptr;
    QorLabel* lblCF = nullptr;
    QorLabel* lblRN = nullptr;
    QorLabel* lblRes = nullptr;
    QorLabel* lblKD = nullptr;
    QorLabel* lblKD2 = nullptr;
    QorLabel* lblKOR = nullptr;
    QorLabel* lblKDC = nullptr;
    QorLabel* lblJ1 = nullptr;
    QorLabel* lblJ2 = nullptr;
    QorLabel* lblJ3 = nullptr;
    QorLabel* lblCond = nullptr;
    QorLabel* lblInj = nullptr;
    QorLabel* lblSA = nullptr;
    QorLabel* lblClock = nullptr;
    QPushButton* cmdFlip = nullptr;
    QorLabel* Label4 = nullptr;
    QorLabel* lblRound = nullptr;
    QPushButton* cmdRound = nullptr;
    QorLabel* Label2 = nullptr;
    QorLabel* lblKI = nullptr;
    QComboBox* cboKI = nullptr;
    QWidget* fraFAC = nullptr;
    QorPicture* Image3 = nullptr;
    QorPicture* imgFAC2 = nullptr;
    QorLabel* lblPosb = nullptr;
    QorLabel* lblCFb = nullptr;
    QorLabel* lblRNb = nullptr;
    QorLabel* lblResb = nullptr;
    QorLabel* lblKDb = nullptr;
    QorLabel* lblKD2b = nullptr;
    QorLabel* lblKORb = nullptr;
    QorLabel* lblKDCb = nullptr;
    QorLabel* lblJ1b = nullptr;
    QorLabel* lblJ2b = nullptr;
    QorLabel* lblJ3b = nullptr;
    QorLabel* lblCondb = nullptr;
    QorLabel* lblInjb = nullptr;
    QorLabel* lblSAb = nullptr;
    QPushButton* cmdPick = nullptr;
    QListWidget* lstFAC = nullptr;
    QPushButton* cmdFlip2 = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // One panel's labels, field by field of kFACFields; null where the panel shows no field.
    using PanelLabels = std::array<QorLabel*, kFACFields.size()>;

    // Makes every control from the layout tables, in these parts.
    void buildControls();
    void makePictures();       // both cards, both covers, the logo, and the frame fraFAC
    void makePanels();         // headings and entry labels of both panels, and cmdPick
    void makeMiddleColumn();   // clock, Flip, round, Next Round, Killer Instinct
    void makeHiddenControls(); // lstFAC, lblNo, cmdFlip2
    void connectHandlers();    // each control's event to its handler, and the K shortcut
    QorLabel* makeFixedLabel(const faclayout::FixedLabel& label);
    void setStackingAndTabOrder();
    void showCard(const PanelLabels& labels, const FACRecord& card);

    GameData& m_data;
    Services m_services;
    Cues m_cues;
    QWidget* m_client = nullptr;
    PanelLabels m_mainLabels{};   // lblNo, lblPos ... lblSA
    PanelLabels m_reviewLabels{}; // none for No, lblPosb ... lblSAb
};
