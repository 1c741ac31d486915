#include "flipper/frmfac.h"

#include "cards/deck.h"
#include "cards/facreader.h"
#include "cards/randomsource.h"
#include "cards/roundclock.h"
#include "cards/textrules.h"
#include "flipper/faclayout.h"
#include "platform/programexit.h"
#include "platform/widgets/controls.h"
#include "platform/widgets/qorlabel.h"
#include "platform/widgets/qorpicture.h"
#include "platform/widgets/qorstyle.h"
#include "platform/widgets/windowhelpers.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <string_view>

namespace {

QColor colour(faclayout::Colour c)
{
    using faclayout::Colour;
    switch (c) {
    case Colour::White:
        return QColor(255, 255, 255);
    case Colour::Red:
        return QColor(255, 0, 0);
    case Colour::Yellow:
        return QColor(255, 255, 0);
    case Colour::Blue:
        return QColor(0, 0, 255);
    case Colour::LightGrey:
        return QColor(224, 224, 224);
    case Colour::Window:
        return systemColour(SystemColour::Window);
    case Colour::WindowText:
        return systemColour(SystemColour::WindowText);
    case Colour::MenuText:
        return systemColour(SystemColour::MenuText);
    case Colour::ButtonFace:
        return systemColour(SystemColour::ButtonFace);
    case Colour::ButtonText:
        break;
    }
    return systemColour(SystemColour::ButtonText);
}

QString picture(const char* name)
{
    return QLatin1String(name);
}

// The member that keeps each label the layout tables name, so the window can reach it by
// its name.
struct LabelSlot
{
    std::string_view name;
    QorLabel* frmFac::*member;
};

// clang-format off
constexpr LabelSlot kLabelSlots[] = {
    {"lblPos", &frmFac::lblPos},     {"lblPosb", &frmFac::lblPosb},
    {"lblCF", &frmFac::lblCF},       {"lblCFb", &frmFac::lblCFb},
    {"lblRN", &frmFac::lblRN},       {"lblRNb", &frmFac::lblRNb},
    {"lblRes", &frmFac::lblRes},     {"lblResb", &frmFac::lblResb},
    {"lblKD", &frmFac::lblKD},       {"lblKDb", &frmFac::lblKDb},
    {"lblKD2", &frmFac::lblKD2},     {"lblKD2b", &frmFac::lblKD2b},
    {"lblKOR", &frmFac::lblKOR},     {"lblKORb", &frmFac::lblKORb},
    {"lblKDC", &frmFac::lblKDC},     {"lblKDCb", &frmFac::lblKDCb},
    {"lblJ1", &frmFac::lblJ1},       {"lblJ1b", &frmFac::lblJ1b},
    {"lblJ2", &frmFac::lblJ2},       {"lblJ2b", &frmFac::lblJ2b},
    {"lblJ3", &frmFac::lblJ3},       {"lblJ3b", &frmFac::lblJ3b},
    {"lblCond", &frmFac::lblCond},   {"lblCondb", &frmFac::lblCondb},
    {"lblInj", &frmFac::lblInj},     {"lblInjb", &frmFac::lblInjb},
    {"lblSA", &frmFac::lblSA},       {"lblSAb", &frmFac::lblSAb},
    {"lblClock", &frmFac::lblClock}, {"Label4", &frmFac::Label4},
    {"lblRound", &frmFac::lblRound}, {"Label2", &frmFac::Label2},
    {"lblKI", &frmFac::lblKI},
};
// clang-format on

// A label the layout names without a member here does not compile.
constexpr QorLabel* frmFac::*slotFor(std::string_view name)
{
    for (const LabelSlot& slot : kLabelSlots) {
        if (slot.name == name)
            return slot.member;
    }
    throw "no member keeps this label";
}

struct EntrySlots
{
    QorLabel* frmFac::*main;
    QorLabel* frmFac::*review;
};

// Row by row of the layout tables, where each made label is kept.
constexpr auto kEntrySlots = [] {
    std::array<EntrySlots, faclayout::kEntryLabels.size()> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = {slotFor(faclayout::kEntryLabels[i].mainName),
                    slotFor(faclayout::kEntryLabels[i].reviewName)};
    }
    return table;
}();
constexpr auto kMiddleSlots = [] {
    std::array<QorLabel * frmFac::*, faclayout::kMiddleLabels.size()> table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = slotFor(faclayout::kMiddleLabels[i].name);
    return table;
}();

} // namespace

frmFac::frmFac(GameData& data, const Services& services, QWidget* parent)
    : QMainWindow(parent), m_data(data), m_services(services),
      m_cues(services.sound, services.programFolder)
{
    m_client = setUpFixedWindow(this, QStringLiteral("frmFac"),
                                QSize(px(faclayout::kClientWidth), px(faclayout::kClientHeight)),
                                programWindowIconAllSizes());
    m_client->setFont(qorFont(faceName(Face::MsSansSerif), 8.25, true));

    // A top-level command on the menu bar itself, no submenu.
    mnuNewGame = menuBar()->addAction(QStringLiteral("New Game"));
    mnuNewGame->setObjectName(QStringLiteral("mnuNewGame"));
    connect(mnuNewGame, &QAction::triggered, this, &frmFac::mnuNewGame_Click);

    buildControls();
    setStackingAndTabOrder();
    cmdFlip->setFocus();
}

void frmFac::buildControls()
{
    makePictures();
    makePanels();
    makeMiddleColumn();
    makeHiddenControls();
    connectHandlers();
}

void frmFac::makePictures()
{
    using namespace faclayout;
    QWidget* w = m_client;
    Image1 = makePicture(w, QStringLiteral("Image1"), kImage1, picture(kCardStackPicture), false);
    imgFAC = makePicture(w, QStringLiteral("imgFAC"), kImgFAC, picture(kCardBackPicture), true);
    Image2 = makePicture(w, QStringLiteral("Image2"), kImage2, picture(kTitleLogoPicture), false);

    // The review panel's frame, with its own card and cover.
    fraFAC = new QWidget(w);
    fraFAC->setObjectName(QStringLiteral("fraFAC"));
    fraFAC->setGeometry(pixels(kFraFAC));
    fillBackground(fraFAC, colour(Colour::White));
    Image3 =
        makePicture(fraFAC, QStringLiteral("Image3"), kImage3, picture(kCardBlankPicture), false);
    imgFAC2 =
        makePicture(fraFAC, QStringLiteral("imgFAC2"), kImgFAC2, picture(kCardBackPicture), true);

    // Pictures have no text of their own: a screen reader hears what each one is, and in
    // particular whether a card lies face down.
    Image1->setAccessibleName(QStringLiteral("Card"));
    imgFAC->setAccessibleName(QStringLiteral("Card face down"));
    Image2->setAccessibleName(QStringLiteral("Korvane II QOR Flipper"));
    Image3->setAccessibleName(QStringLiteral("Recalled card"));
    imgFAC2->setAccessibleName(QStringLiteral("Recalled card face down"));
}

void frmFac::makePanels()
{
    using namespace faclayout;
    const QColor white = colour(Colour::White);

    // Headings: fixed texts that name the entries beside them.
    LabelLook heading;
    heading.font = qorFont(faceName(Face::Arial), 9.75, true);
    heading.fill = white;
    for (const Heading& h : kHeadings) {
        heading.align = h.align;
        Label1[h.mainIndex] = makeLabel(m_client, QStringLiteral("Label1_%1").arg(h.mainIndex),
                                        h.main, heading, QString::fromLatin1(h.caption));
        Label1[h.reviewIndex] = makeLabel(fraFAC, QStringLiteral("Label1_%1").arg(h.reviewIndex),
                                          h.review, heading, QString::fromLatin1(h.caption));
    }

    // Entry labels: one field of a card each, on both panels.
    for (std::size_t i = 0; i < kEntryLabels.size(); ++i) {
        const EntryLabel& e = kEntryLabels[i];
        LabelLook entry;
        entry.font = qorFont(faceName(e.face), e.points, true);
        entry.align = e.align;
        entry.fill = white;
        const QString description = QString::fromLatin1(e.description);
        // The long texts are shown as they stand, ampersands included.
        const bool longText = e.face == Face::ArialNarrow;

        QorLabel* main = makeLabel(m_client, QString::fromLatin1(e.mainName), e.main, entry);
        main->setAccessibleDescription(description);
        main->setAccessKeys(!longText);
        m_mainLabels[e.field] = main;
        this->*kEntrySlots[i].main = main;

        QorLabel* review = makeLabel(fraFAC, QString::fromLatin1(e.reviewName), e.review, entry);
        review->setAccessibleDescription(QStringLiteral("Recalled card: %1").arg(description));
        review->setAccessKeys(!longText);
        m_reviewLabels[e.field] = review;
        this->*kEntrySlots[i].review = review;
    }

    cmdPick = makeButton(m_client, QStringLiteral("cmdPick"), kCmdPick,
                         QStringLiteral("Pick Random FAC"));
}

QorLabel* frmFac::makeFixedLabel(const faclayout::FixedLabel& f)
{
    LabelLook look;
    look.font = qorFont(faceName(f.face), f.points, true);
    look.align = f.align;
    look.fill = colour(f.fill);
    look.text = colour(f.text);
    look.border = f.border;
    QorLabel* label = makeLabel(m_client, QString::fromLatin1(f.name), f.place, look,
                                QString::fromLatin1(f.caption));
    if (f.description)
        label->setAccessibleDescription(QString::fromLatin1(f.description));
    return label;
}

void frmFac::makeMiddleColumn()
{
    using namespace faclayout;
    QWidget* w = m_client;
    for (std::size_t i = 0; i < kMiddleLabels.size(); ++i)
        this->*kMiddleSlots[i] = makeFixedLabel(kMiddleLabels[i]);
    lblKI->setCursor(handCursor());

    cmdFlip = makeButton(w, QStringLiteral("cmdFlip"), kCmdFlip, QStringLiteral("Flip QOR"));
    cmdRound = makeButton(w, QStringLiteral("cmdRound"), kCmdRound, QStringLiteral("Next Round"));
    cmdRound->setEnabled(false);

    cboKI = new QComboBox(w);
    cboKI->setObjectName(QStringLiteral("cboKI"));
    cboKI->setGeometry(pixels(kCboKI));
    cboKI->setFont(qorFont(faceName(Face::MsSansSerif), 13.5, false));
    cboKI->setEditable(true);
    cboKI->setInsertPolicy(QComboBox::NoInsert);
    cboKI->setCompleter(nullptr);
    for (int v = 1; v <= 10; ++v)
        cboKI->addItem(QString::number(v));
    cboKI->setCurrentIndex(-1);
    cboKI->setAccessibleName(QStringLiteral("Killer Instinct"));
    cboKI->hide();
    // Return in the text field would otherwise choose a typed entry.
    cboKI->installEventFilter(this);
}

void frmFac::makeHiddenControls()
{
    using namespace faclayout;
    QWidget* w = m_client;
    lstFAC = new QListWidget(w);
    lstFAC->setObjectName(QStringLiteral("lstFAC"));
    lstFAC->setGeometry(pixels(kLstFAC));
    lstFAC->setSortingEnabled(false);
    lstFAC->hide();

    lblNo = makeFixedLabel(kCardNumberLabel);
    m_mainLabels[facFieldIndex("No")] = lblNo;
    lblNo->hide();

    cmdFlip2 =
        makeButton(w, QStringLiteral("cmdFlip2"), kCmdFlip2, QStringLiteral("Flip Non-Timed FAC"));
    cmdFlip2->setEnabled(false);
    cmdFlip2->hide();
}

void frmFac::connectHandlers()
{
    connect(cmdFlip, &QPushButton::clicked, this, &frmFac::cmdFlip_Click);
    connect(cmdFlip2, &QPushButton::clicked, this, &frmFac::cmdFlip2_Click);
    connect(cmdPick, &QPushButton::clicked, this, &frmFac::cmdPick_Click);
    connect(cmdRound, &QPushButton::clicked, this, &frmFac::cmdRound_Click);
    connect(lblKI, &QorLabel::clicked, this, &frmFac::lblKI_Click);
    // activated: a choice from the list with the mouse, or a move with the arrow keys.
    connect(cboKI, &QComboBox::activated, this, &frmFac::cboKI_Click);

    // Killer Instinct from the keyboard, outside the tab order: Alt+K anywhere, and K where
    // no text field takes the letter.
    auto* kiKey = new QShortcut(this);
    kiKey->setKeys({QKeySequence(Qt::ALT | Qt::Key_K), QKeySequence(Qt::Key_K)});
    connect(kiKey, &QShortcut::activated, this, [this] {
        lblKI_Click();
        cboKI->setFocus(Qt::ShortcutFocusReason);
    });
}

void frmFac::setStackingAndTabOrder()
{
    // Bottom to top. Each cover lies over its whole card, labels included, and every label
    // lies over its card picture; the windowed controls come last, above all labels.
    const QList<QWidget*> window{Image1,    lblPos,    lblCF,     lblRN,     lblRes,     lblKD,
                                 lblKD2,    lblKOR,    lblKDC,    lblJ1,     lblJ2,      lblJ3,
                                 lblNo,     lblClock,  lblRound,  lblCond,   lblInj,     lblSA,
                                 Label1[0], Label1[1], Label1[2], Label1[3], Label1[4],  Label1[5],
                                 Label1[6], Label1[7], Label1[8], Label1[9], Label1[10], Label2,
                                 lblKI,     Label4,    Image2,    imgFAC,    fraFAC,     lstFAC,
                                 cmdFlip,   cmdRound,  cmdFlip2,  cboKI,     cmdPick};
    for (QWidget* control : window)
        control->raise();
    const QList<QWidget*> frame{
        Image3,     lblRNb,     lblCFb,     Label1[11], Label1[12], lblResb,    lblPosb,
        lblKDCb,    lblKORb,    lblKD2b,    lblKDb,     lblJ3b,     lblJ2b,     lblJ1b,
        lblSAb,     lblInjb,    lblCondb,   Label1[13], Label1[14], Label1[15], Label1[16],
        Label1[17], Label1[18], Label1[19], Label1[20], Label1[21], imgFAC2};
    for (QWidget* control : frame)
        control->raise();

    lstFAC->setFocusPolicy(Qt::NoFocus);
    setTabOrder(cmdFlip, cmdRound);
    setTabOrder(cmdRound, cmdFlip2);
    setTabOrder(cmdFlip2, cboKI);
    setTabOrder(cboKI, cmdPick);
}

void frmFac::showCard(const PanelLabels& labels, const FACRecord& card)
{
    for (std::size_t i = 0; i < kFACFields.size(); ++i) {
        if (labels[i])
            labels[i]->setText(fieldText(card, kFACFields[i]));
    }
}

void frmFac::pickFAC()
{
    if (m_data.facCount < 1 || m_data.facCount > 100)
        m_data.facCount = 1;
    m_data.curFAC = m_data.deck[m_data.facCount];
    lstFAC->addItem(QString::number(m_data.curFAC));
    showCard(m_mainLabels, m_data.FACs[m_data.curFAC]);
}

void frmFac::pickFAC2()
{
    // Only a card number shows a card; anything else leaves the panel as it is.
    if (m_data.curFAC < 1 || m_data.curFAC > 100)
        return;
    showCard(m_mainLabels, m_data.FACs[m_data.curFAC]);
}

void frmFac::modeShuffle()
{
    shuffleDeck(m_data.deck, m_services.random);
    m_data.facCount = 1;
    lstFAC->clear();
}

void frmFac::modeTime()
{
    const int k = m_data.facCount;
    if (k < 1 || k > 100)
        return;
    lblClock->setText(clockText(k));
}

void frmFac::Form_Load()
{
    // Decoded ahead so the first cue starts with the click.
    m_cues.preload();
    m_services.random.reseed();
    readFACs(m_data, m_services.messages, m_services.dataFile);
    mnuNewGame_Click();
    m_cues.opening();
}

void frmFac::mnuNewGame_Click()
{
    shuffleDeck(m_data.deck, m_services.random);
    m_services.random.reseed();
    readFACs(m_data, m_services.messages, m_services.dataFile);
    m_data.facCount = 0;
    for (const faclayout::EntryLabel& e : faclayout::kEntryLabels)
        m_mainLabels[e.field]->setText(QString());
    lblClock->setText(QStringLiteral("3:00"));
    lblRound->setText(QStringLiteral("1"));
    imgFAC->show();
    imgFAC2->show();
    lstFAC->clear();
}

void frmFac::Form_Unload()
{
    m_services.exit.endProgram();
}

void frmFac::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

void frmFac::cmdFlip_Click()
{
    imgFAC2->show();
    if (!lblKI->text().isEmpty())
        lblKI->setText(decimalText(leadingNumber(lblKI->text()) - 1));
    // Empty means no countdown: one that reaches 0 is over, so 1 goes straight to "".
    if (lblKI->text() == QLatin1String("0"))
        lblKI->setText(QString());
    // The cover's own flag (isVisible() is false until the window shows); hiding twice is harmless.
    if (!imgFAC->isHidden())
        imgFAC->hide();
    if (lblClock->text() == QLatin1String("0:00")) {
        cmdFlip2->click();
        return;
    }
    m_services.random.reseed();
    ++m_data.facCount;
    if (m_data.facCount > 100) {
        modeShuffle();
        // modeShuffle leaves 1 too; this click deals position 1 of the new deck whatever it does.
        m_data.facCount = 1;
    }
    pickFAC();
    if (m_data.facCount == 50 || m_data.facCount == 100) {
        m_cues.endOfRound();
        cmdFlip2->setEnabled(true);
        cmdRound->setEnabled(true);
    } else {
        m_cues.card();
    }
    modeTime();
}

void frmFac::cmdFlip2_Click()
{
    m_cues.card();
    m_services.random.reseed();
    int n = drawWhole(m_services.random.next(), 100);
    // lblNo holds the number of the card on show. When it holds no number (a card the data
    // file did not reach) no card counts as shown and the first draw stands. Each redraw
    // reseeds, and a reseed never returns the generator to an earlier state.
    for (;;) {
        const std::optional<double> shown = numberFromWholeText(lblNo->text());
        if (!shown || *shown != n)
            break;
        m_services.random.reseed();
        n = drawWhole(m_services.random.next(), 100);
    }
    m_data.curFAC = static_cast<std::int16_t>(n);
    pickFAC2();
}

void frmFac::cmdPick_Click()
{
    const int n = lstFAC->count();
    if (n < 2)
        return;
    m_services.random.reseed();
    const int k = drawWhole(m_services.random.next(), n - 1);
    const int f = lstFAC->item(k - 1)->text().toShort();
    m_cues.card();
    showCard(m_reviewLabels, m_data.FACs[f]);
    imgFAC2->hide();
}

void frmFac::cmdRound_Click()
{
    lblKI->setText(QString());
    imgFAC->show();
    cmdFlip2->setEnabled(false);
    cmdRound->setEnabled(false);
    lblClock->setText(QStringLiteral("3:00"));
    lblRound->setText(decimalText(leadingNumber(lblRound->text()) + 1));
    m_cues.nextRound();
}

void frmFac::lblKI_Click()
{
    cboKI->show();
}

void frmFac::cboKI_Click()
{
    lblKI->setText(cboKI->currentText());
    cboKI->hide();
}

bool frmFac::eventFilter(QObject* watched, QEvent* event)
{
    // A value typed into the Killer Instinct box is never taken: only a choice from the list
    // sets it.
    if (watched == cboKI && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
