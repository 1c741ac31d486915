#include "flipper/frmfac.h"

#include "cards/deck.h"
#include "cards/facreader.h"
#include "cards/roundclock.h"
#include "cards/textrules.h"
#include "flipper/faclayout.h"
#include "platform/modgeneral.h"
#include "platform/programexit.h"
#include "platform/qorlabel.h"
#include "platform/qorpicture.h"
#include "platform/qorstyle.h"
#include "platform/randomsource.h"
#include "platform/soundplayer.h"
#include "platform/windowhelpers.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

using faclayout::Align;
using faclayout::px;
using faclayout::Twips;

namespace {

constexpr const char* kCardStack = ":/art/card_stack.png";
constexpr const char* kCardBack = ":/art/card_back.png";
constexpr const char* kTitleLogo = ":/art/title_logo.png";
constexpr const char* kCardBlank = ":/art/card_blank.png";
constexpr const char* kPictures[] = {kCardStack, kCardBack, kTitleLogo, kCardBlank};

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kLightGrey(224, 224, 224);

const QString kMsSansSerif = QStringLiteral("MS Sans Serif");

QRect pixels(const Twips& t)
{
    return QRect(px(t.left), px(t.top), px(t.width), px(t.height));
}

Qt::Alignment alignment(Align align)
{
    switch (align) {
    case Align::Centre:
        return Qt::AlignHCenter | Qt::AlignTop;
    case Align::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

QString faceName(faclayout::Face face)
{
    switch (face) {
    case faclayout::Face::Arial:
        return QStringLiteral("Arial");
    case faclayout::Face::ArialNarrow:
        return QStringLiteral("Arial Narrow");
    case faclayout::Face::MsSansSerif:
        break;
    }
    return kMsSansSerif;
}

struct LabelLook
{
    QFont font;
    Align align = Align::Left;
    QColor fill = systemColour(SystemColour::ButtonFace);
    QColor text = systemColour(SystemColour::ButtonText);
    bool border = false;
};

QorLabel* makeLabel(QWidget* parent, const QString& name, const Twips& place, const LabelLook& look,
                    const QString& text = QString())
{
    auto* label = new QorLabel(parent);
    label->setObjectName(name);
    label->setGeometry(pixels(place));
    label->setFont(look.font);
    label->setAlignment(alignment(look.align));
    label->setFillColour(look.fill);
    label->setTextColour(look.text);
    label->setBorder(look.border);
    label->setText(text);
    return label;
}

QorPicture* makePicture(QWidget* parent, const QString& name, const Twips& place,
                        const QString& picture, bool stretch)
{
    auto* image = new QorPicture(parent);
    image->setObjectName(name);
    image->setGeometry(pixels(place));
    image->setPicture(picture);
    image->setStretch(stretch);
    return image;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const Twips& place,
                        const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(pixels(place));
    button->setFont(qorFont(kMsSansSerif, 8.25, true));
    button->setCursor(handCursor());
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmFac::frmFac(GameData& data, const Services& services, QWidget* parent)
    : QMainWindow(parent), m_data(data), m_services(services)
{
    setObjectName(QStringLiteral("frmFac"));
    setWindowTitle(QStringLiteral("Korvane II - QOR Flipper"));
    setWindowIcon(programWindowIconAllSizes());
    // Fixed size: title, minimize and close, no maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    // A top-level command on the menu bar itself, no submenu.
    mnuNewGame = menuBar()->addAction(QStringLiteral("New Game"));
    mnuNewGame->setObjectName(QStringLiteral("mnuNewGame"));
    connect(mnuNewGame, &QAction::triggered, this, &frmFac::mnuNewGame_Click);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFixedSize(px(faclayout::kClientWidth), px(faclayout::kClientHeight));
    m_client->setAutoFillBackground(true);
    QPalette white = m_client->palette();
    white.setColor(QPalette::Window, kWhite);
    m_client->setPalette(white);
    m_client->setFont(qorFont(kMsSansSerif, 8.25, true));
    setCentralWidget(m_client);
    // The client area stays 830 x 470 below the menu bar; the user cannot resize.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    buildControls();
    setStackingAndTabOrder();
    cmdFlip->setFocus();
}

void frmFac::buildControls()
{
    QWidget* w = m_client;
    const QColor window = systemColour(SystemColour::Window);
    const QColor windowText = systemColour(SystemColour::WindowText);

    Image1 = makePicture(w, QStringLiteral("Image1"), faclayout::kImage1, QLatin1String(kCardStack),
                         false);
    imgFAC = makePicture(w, QStringLiteral("imgFAC"), faclayout::kImgFAC, QLatin1String(kCardBack),
                         true);
    Image2 = makePicture(w, QStringLiteral("Image2"), faclayout::kImage2, QLatin1String(kTitleLogo),
                         false);

    fraFAC = new QWidget(w);
    fraFAC->setObjectName(QStringLiteral("fraFAC"));
    fraFAC->setGeometry(pixels(faclayout::kFraFAC));
    fraFAC->setAutoFillBackground(true);
    QPalette white = fraFAC->palette();
    white.setColor(QPalette::Window, kWhite);
    fraFAC->setPalette(white);
    Image3 = makePicture(fraFAC, QStringLiteral("Image3"), faclayout::kImage3,
                         QLatin1String(kCardBlank), false);
    imgFAC2 = makePicture(fraFAC, QStringLiteral("imgFAC2"), faclayout::kImgFAC2,
                          QLatin1String(kCardBack), true);
    // Pictures have no text of their own: a screen reader hears what each one is, and in
    // particular whether a card lies face down.
    Image1->setAccessibleName(QStringLiteral("Card"));
    imgFAC->setAccessibleName(QStringLiteral("Card face down"));
    Image2->setAccessibleName(QStringLiteral("Korvane II QOR Flipper"));
    Image3->setAccessibleName(QStringLiteral("Recalled card"));
    imgFAC2->setAccessibleName(QStringLiteral("Recalled card face down"));

    // Headings: fixed texts that name the entries beside them.
    LabelLook heading;
    heading.font = qorFont(QStringLiteral("Arial"), 9.75, true);
    heading.fill = kWhite;
    for (const faclayout::Heading& h : faclayout::kHeadings) {
        heading.align = h.align;
        Label1[h.mainIndex] = makeLabel(w, QStringLiteral("Label1_%1").arg(h.mainIndex), h.main,
                                        heading, QString::fromLatin1(h.caption));
        Label1[h.reviewIndex] = makeLabel(fraFAC, QStringLiteral("Label1_%1").arg(h.reviewIndex),
                                          h.review, heading, QString::fromLatin1(h.caption));
    }

    // Entry labels: one field of a card each, on both panels.
    for (std::size_t i = 0; i < faclayout::kEntryLabels.size(); ++i) {
        const faclayout::EntryLabel& e = faclayout::kEntryLabels[i];
        LabelLook entry;
        entry.font = qorFont(faceName(e.face), e.points, true);
        entry.align = e.align;
        entry.fill = kWhite;
        const QString field = QString::fromLatin1(e.field);
        // The long texts are shown as they stand, ampersands included.
        const bool longText = e.face == faclayout::Face::ArialNarrow;

        QorLabel* main = makeLabel(w, QString::fromLatin1(e.mainName), e.main, entry);
        main->setAccessibleDescription(field);
        main->setAccessKeys(!longText);
        m_mainEntries[i] = main;

        QorLabel* review = makeLabel(fraFAC, QString::fromLatin1(e.reviewName), e.review, entry);
        review->setAccessibleDescription(QStringLiteral("Recalled card: %1").arg(field));
        review->setAccessKeys(!longText);
        m_reviewEntries[i] = review;
    }
    lblPos = m_mainEntries[0];
    lblCF = m_mainEntries[1];
    lblRN = m_mainEntries[2];
    lblRes = m_mainEntries[3];
    lblKD = m_mainEntries[4];
    lblKD2 = m_mainEntries[5];
    lblKOR = m_mainEntries[6];
    lblKDC = m_mainEntries[7];
    lblJ1 = m_mainEntries[8];
    lblJ2 = m_mainEntries[9];
    lblJ3 = m_mainEntries[10];
    lblCond = m_mainEntries[11];
    lblInj = m_mainEntries[12];
    lblSA = m_mainEntries[13];
    lblPosb = m_reviewEntries[0];
    lblCFb = m_reviewEntries[1];
    lblRNb = m_reviewEntries[2];
    lblResb = m_reviewEntries[3];
    lblKDb = m_reviewEntries[4];
    lblKD2b = m_reviewEntries[5];
    lblKORb = m_reviewEntries[6];
    lblKDCb = m_reviewEntries[7];
    lblJ1b = m_reviewEntries[8];
    lblJ2b = m_reviewEntries[9];
    lblJ3b = m_reviewEntries[10];
    lblCondb = m_reviewEntries[11];
    lblInjb = m_reviewEntries[12];
    lblSAb = m_reviewEntries[13];

    // The middle column.
    LabelLook clock;
    clock.font = qorFont(kMsSansSerif, 18, true);
    clock.align = Align::Centre;
    clock.fill = systemColour(SystemColour::MenuText);
    clock.text = kYellow;
    lblClock = makeLabel(w, QStringLiteral("lblClock"), faclayout::kLblClock, clock,
                         QStringLiteral("3:00"));
    lblClock->setAccessibleDescription(QStringLiteral("Round clock"));

    cmdFlip =
        makeButton(w, QStringLiteral("cmdFlip"), faclayout::kCmdFlip, QStringLiteral("Flip QOR"));

    LabelLook roundHeading;
    roundHeading.font = qorFont(kMsSansSerif, 8.25, true);
    roundHeading.align = Align::Centre;
    roundHeading.fill = window;
    roundHeading.text = windowText;
    roundHeading.border = true;
    Label4 = makeLabel(w, QStringLiteral("Label4"), faclayout::kLabel4, roundHeading,
                       QStringLiteral("ROUND"));

    LabelLook round;
    round.font = qorFont(kMsSansSerif, 18, true);
    round.align = Align::Centre;
    round.fill = kLightGrey;
    round.text = kBlue;
    round.border = true;
    lblRound =
        makeLabel(w, QStringLiteral("lblRound"), faclayout::kLblRound, round, QStringLiteral("1"));
    lblRound->setAccessibleDescription(QStringLiteral("Round"));

    cmdRound = makeButton(w, QStringLiteral("cmdRound"), faclayout::kCmdRound,
                          QStringLiteral("Next Round"));
    cmdRound->setEnabled(false);

    LabelLook kiHeading;
    kiHeading.font = qorFont(kMsSansSerif, 8.25, true);
    kiHeading.align = Align::Centre;
    kiHeading.fill = window;
    kiHeading.text = kRed;
    kiHeading.border = true;
    Label2 = makeLabel(w, QStringLiteral("Label2"), faclayout::kLabel2, kiHeading,
                       QStringLiteral(" KILLER INSTINCT"));

    LabelLook ki;
    ki.font = qorFont(kMsSansSerif, 13.5, true);
    ki.align = Align::Centre;
    ki.fill = kRed;
    ki.text = kWhite;
    ki.border = true;
    lblKI = makeLabel(w, QStringLiteral("lblKI"), faclayout::kLblKI, ki);
    lblKI->setAccessibleDescription(QStringLiteral("Killer Instinct"));
    lblKI->setCursor(handCursor());

    cboKI = new QComboBox(w);
    cboKI->setObjectName(QStringLiteral("cboKI"));
    cboKI->setGeometry(pixels(faclayout::kCboKI));
    cboKI->setFont(qorFont(kMsSansSerif, 13.5, false));
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

    cmdPick = makeButton(w, QStringLiteral("cmdPick"), faclayout::kCmdPick,
                         QStringLiteral("Pick Random FAC"));

    // Hidden controls that hold state for the handlers.
    lstFAC = new QListWidget(w);
    lstFAC->setObjectName(QStringLiteral("lstFAC"));
    lstFAC->setGeometry(pixels(faclayout::kLstFAC));
    lstFAC->setSortingEnabled(false);
    lstFAC->hide();

    LabelLook number;
    number.font = qorFont(kMsSansSerif, 12, true);
    number.align = Align::Centre;
    lblNo = makeLabel(w, QStringLiteral("lblNo"), faclayout::kLblNo, number);
    lblNo->setAccessibleDescription(QStringLiteral("Card number"));
    lblNo->hide();

    cmdFlip2 = makeButton(w, QStringLiteral("cmdFlip2"), faclayout::kCmdFlip2,
                          QStringLiteral("Flip Non-Timed FAC"));
    cmdFlip2->setEnabled(false);
    cmdFlip2->hide();

    connect(cmdFlip, &QPushButton::clicked, this, &frmFac::cmdFlip_Click);
    connect(cmdFlip2, &QPushButton::clicked, this, &frmFac::cmdFlip2_Click);
    connect(cmdPick, &QPushButton::clicked, this, &frmFac::cmdPick_Click);
    connect(cmdRound, &QPushButton::clicked, this, &frmFac::cmdRound_Click);
    connect(lblKI, &QorLabel::clicked, this, &frmFac::lblKI_Click);
    // activated: a choice from the list with the mouse, or a move with the arrow keys.
    connect(cboKI, &QComboBox::activated, this, &frmFac::cboKI_Click);
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

void frmFac::playCue(const char* fileName)
{
    modGeneral::playSound(m_services.sound,
                          QDir(m_services.programFolder).filePath(QLatin1String(fileName)));
}

void frmFac::showCard(QorLabel* const* labels, const FACRecord& card)
{
    labels[0]->setText(card.Pos);
    labels[1]->setText(QString::number(card.CF));
    labels[2]->setText(card.RN);
    labels[3]->setText(card.Res);
    labels[4]->setText(QString::number(card.KD));
    labels[5]->setText(QString::number(card.KD2));
    labels[6]->setText(QString::number(card.KOR));
    labels[7]->setText(QString::number(card.KDC));
    labels[8]->setText(card.J1);
    labels[9]->setText(card.J2);
    labels[10]->setText(card.J3);
    labels[11]->setText(card.Cond);
    labels[12]->setText(card.Inj);
    labels[13]->setText(card.SA);
}

void frmFac::pickFAC()
{
    if (m_data.facCount < 1 || m_data.facCount > 100)
        m_data.facCount = 1;
    m_data.curFAC = m_data.deck[m_data.facCount];
    lstFAC->addItem(QString::number(m_data.curFAC));
    showMain(m_data.FACs[m_data.curFAC]);
}

void frmFac::pickFAC2()
{
    // Only a card number shows a card; anything else leaves the panel as it is.
    if (m_data.curFAC < 1 || m_data.curFAC > 100)
        return;
    showMain(m_data.FACs[m_data.curFAC]);
}

void frmFac::showMain(const FACRecord& card)
{
    lblNo->setText(card.No);
    showCard(m_mainEntries.data(), card);
}

void frmFac::modeShuffle()
{
    shuffleDeck(m_data, m_services.random);
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

QStringList frmFac::cueFiles(const QString& programFolder)
{
    const QDir folder(programFolder);
    return {folder.filePath(QStringLiteral("Start.wav")),
            folder.filePath(QStringLiteral("Fac.wav")),
            folder.filePath(QStringLiteral("BoxingBell2.wav")),
            folder.filePath(QStringLiteral("BoxingBell.wav"))};
}

void frmFac::prepare(const Services& services)
{
    services.sound.preload(cueFiles(services.programFolder));
    // Loading by name goes through the pixmap cache, so the window's own loads find these.
    for (const char* name : kPictures)
        QPixmap(QLatin1String(name));
}

void frmFac::Form_Load()
{
    // Decoded ahead so the first cue starts with the click.
    m_services.sound.preload(cueFiles(m_services.programFolder));
    m_services.random.reseed();
    readFACs(m_data, m_services.messages, m_services.dataFile);
    mnuNewGame_Click();
    playCue("Start.wav");
}

void frmFac::mnuNewGame_Click()
{
    shuffleDeck(m_data, m_services.random);
    m_services.random.reseed();
    readFACs(m_data, m_services.messages, m_services.dataFile);
    m_data.facCount = 0;
    for (QorLabel* label : m_mainEntries)
        label->setText(QString());
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
        lblKI->setText(numberText(textValue(lblKI->text()) - 1));
    if (lblKI->text() == QLatin1String("0"))
        lblKI->setText(QString());
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
        m_data.facCount = 1;
    }
    pickFAC();
    if (m_data.facCount == 50 || m_data.facCount == 100) {
        playCue("BoxingBell2.wav");
        cmdFlip2->setEnabled(true);
        cmdRound->setEnabled(true);
    } else {
        playCue("Fac.wav");
    }
    modeTime();
}

void frmFac::cmdFlip2_Click()
{
    playCue("Fac.wav");
    m_services.random.reseed();
    int n = drawWhole(m_services.random.next(), 100);
    // lblNo holds the number of the card on show. When it holds no number (a card the data
    // file did not reach) no card counts as shown and the first draw stands. Each redraw
    // reseeds, and a reseed never returns the generator to an earlier state.
    for (;;) {
        const std::optional<double> shown = wholeTextNumber(lblNo->text());
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
    // The list holds only card numbers that pickFAC put there.
    if (f < 0 || f > 100)
        return;
    playCue("Fac.wav");
    showCard(m_reviewEntries.data(), m_data.FACs[f]);
    imgFAC2->hide();
}

void frmFac::cmdRound_Click()
{
    lblKI->setText(QString());
    imgFAC->show();
    cmdFlip2->setEnabled(false);
    cmdRound->setEnabled(false);
    lblClock->setText(QStringLiteral("3:00"));
    lblRound->setText(numberText(textValue(lblRound->text()) + 1));
    playCue("BoxingBell.wav");
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

void frmFac::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        if (QScreen* screen = this->screen()) {
            // The frame is only known where the platform reports it before the first map.
            QRect place(QPoint(0, 0), frameGeometry().size());
            place.moveCenter(screen->availableGeometry().center());
            move(place.topLeft());
        }
    }
    QMainWindow::showEvent(event);
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
