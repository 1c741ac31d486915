#include "platform/widgets/qorstyle.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QPalette>
#include <QPixmap>
#include <QStringList>

namespace {

// True once "MS Sans Serif" can be drawn at any size and weight. The Wine file on Debian is
// only a set of regular bitmap strikes (13, 16 and 20 px): scaled to 18 pt or made bold it
// comes out small and thin, so then the clean sans serif stands in everywhere.
bool g_msSansSerifScalable = false;

} // namespace

void loadQorFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QString wineSans = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
    if (!QFile::exists(wineSans))
        return;
    const int id = QFontDatabase::addApplicationFont(wineSans);
    for (const QString& family : QFontDatabase::applicationFontFamilies(id)) {
        if (family == QLatin1String("MS Sans Serif") && QFontDatabase::isScalable(family))
            g_msSansSerifScalable = true;
    }
}

QFont qorFont(const QString& face, double points, bool bold)
{
    loadQorFonts();
    QStringList families;
    if (face == QLatin1String("Arial Narrow"))
        families = {QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow"),
                    QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")};
    else if (face == QLatin1String("Arial"))
        families = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")};
    else if (face == QLatin1String("MS Sans Serif") && !g_msSansSerifScalable)
        families = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    else
        families = {face, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    families.append(QStringLiteral("sans-serif"));

    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QColor systemColour(SystemColour which)
{
    const QPalette palette = QApplication::palette();
    switch (which) {
    case SystemColour::Window:
        return palette.color(QPalette::Base);
    case SystemColour::WindowText:
        return palette.color(QPalette::Text);
    case SystemColour::MenuText:
        return palette.color(QPalette::WindowText);
    case SystemColour::ButtonFace:
        return palette.color(QPalette::Button);
    case SystemColour::ButtonText:
        return palette.color(QPalette::ButtonText);
    }
    return Qt::black;
}

QCursor handCursor()
{
    const QPixmap hand(QStringLiteral(":/art/hand_cursor.png"));
    if (hand.isNull())
        return QCursor(Qt::PointingHandCursor);
    return QCursor(hand, 12, 1);
}
