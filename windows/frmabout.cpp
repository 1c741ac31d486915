#include "windows/frmabout.h"

#include "platform/services.h"
#include "platform/shellservice.h"
#include "platform/widgets/controls.h"
#include "platform/widgets/qorlabel.h"
#include "platform/widgets/qorpicture.h"
#include "platform/widgets/qorstyle.h"
#include "platform/widgets/windowhelpers.h"
#include "windows/aboutinfo.h"

#include <QFrame>
#include <QKeyEvent>
#include <QPixmap>
#include <QPushButton>

#include <optional>

namespace {

constexpr int kClientWidth = 5790;  // 386 px
constexpr int kClientHeight = 4005; // 267 px

constexpr Twips kPicIcon{240, 360, 1095, 1095};
constexpr int kProductLogoSize = 69; // the picture box takes its picture's size
constexpr Twips kLblTitle{1530, 480, 3885, 480};
constexpr Twips kLblDescription{1530, 840, 3885, 330};
constexpr Twips kLblVersion{1530, 1200, 3885, 225};
constexpr Twips kImage1{240, 2160, 1785, 1635};
constexpr Twips kLblWeb{2280, 2850, 2415, 255};
constexpr Twips kCmdOK{4320, 3480, 1260, 345};
// The etched rule: a grey line over a white one, both starting at (120, 1920).
constexpr int kRuleLeft = 120, kRuleTop = 1920;
constexpr int kGreyRight = 5684, kWhiteRight = 5669;

QFrame* makeLine(QWidget* parent, const char* name, int rightTwips, int thickness, QColor colour)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::NoFrame);
    fillBackground(line, colour);
    // Both end points lie on the line, hence the + 1.
    line->setGeometry(px(kRuleLeft), px(kRuleTop), px(rightTwips) - px(kRuleLeft) + 1, thickness);
    return line;
}

} // namespace

frmAbout::frmAbout(const Services& services)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_services(services)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window does not keep the program alive by default; this one does, so closing
    // the title window while it is open leaves the program running until it closes too.
    setAttribute(Qt::WA_QuitOnClose, true);
    setFixedSize(px(kClientWidth), px(kClientHeight));

    // Line1(0) first, so that Line1(1), the grey one, lies over it.
    Line1_0 = makeLine(this, "Line1_0", kWhiteRight, 2, QColor(255, 255, 255));
    Line1_1 = makeLine(this, "Line1_1", kGreyRight, 1, QColor(128, 128, 128));

    picIcon = new QorPicture(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    const QPixmap product(QStringLiteral(":/art/product_logo.png"));
    picIcon->setPicture(product);
    // The picture box sizes itself to its picture.
    const QSize iconSize = product.isNull() ? QSize(kProductLogoSize, kProductLogoSize)
                                            : product.deviceIndependentSize().toSize();
    picIcon->setGeometry(QRect(pixels(kPicIcon).topLeft(), iconSize));
    picIcon->setFocusPolicy(Qt::StrongFocus);
    picIcon->setAccessibleName(QStringLiteral("QOR Flipper logo"));

    lblTitle = makeLabel(this, QStringLiteral("lblTitle"), kLblTitle);
    lblDescription = makeLabel(this, QStringLiteral("lblDescription"), kLblDescription, {},
                               QStringLiteral("AUTOMATED QOR FLIPPER"));
    lblVersion = makeLabel(this, QStringLiteral("lblVersion"), kLblVersion);

    Image1 = makePicture(this, QStringLiteral("Image1"), kImage1,
                         QStringLiteral(":/art/maker_logo.png"), true);
    Image1->setAccessibleName(QStringLiteral("Olvarin logo"));

    lblWeb = makeLabel(this, QStringLiteral("lblWeb"), kLblWeb, {}, QStringLiteral("Olvarin"));
    lblWeb->setTextColour(QColor(255, 0, 0));
    lblWeb->setCursor(handCursor());
    lblWeb->setToolTip(kMakerWebAddress);
    lblWeb->setAccessibleDescription(kMakerWebAddress);
    connect(lblWeb, &QorLabel::clicked, this, &frmAbout::lblWeb_Click);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(pixels(kCmdOK));
    cmdOK->setCursor(handCursor());
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    setTabOrder(cmdOK, picIcon);
    cmdOK->setFocus();
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About KORVANE II QOR Flipper"));
    lblVersion->setText(programVersionLine());
    lblTitle->setText(QStringLiteral("KORVANE II II QOR Flipper"));
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::lblWeb_Click()
{
    m_services.shell.shellOpen(kMakerWebAddress, QStringLiteral("Open"), std::nullopt, std::nullopt,
                               0);
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    // OK is both the default and the cancel button, whichever control has the focus.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        if (event->modifiers() & ~Qt::KeypadModifier)
            break;
        cmdOK->click();
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}
