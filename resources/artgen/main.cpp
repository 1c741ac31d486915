// qor-artgen OUTPUT_FOLDER: paints every picture, icon and cursor of QOR Flipper, each at 1x
// and @2x, and the window icon at the hicolor theme's sizes.

#include "artgen.h"
#include "flipper/faclayout.h"

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <functional>

namespace {

struct Picture
{
    const char* name;
    int width, height;
    bool transparent; // false: printed on white, saved without alpha
    std::function<void(QPainter&)> paint;
};

bool write(const QDir& out, const QString& file, const QImage& image)
{
    const QString path = out.filePath(file);
    if (!image.save(path, "PNG")) {
        QTextStream(stderr) << "qor-artgen: cannot write " << path << "\n";
        return false;
    }
    QTextStream(stdout) << path << " " << image.width() << "x" << image.height() << "\n";
    return true;
}

QImage render(const Picture& pic, int scale)
{
    QImage image(pic.width * scale, pic.height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(pic.transparent ? Qt::transparent : Qt::white);
    {
        QPainter p(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
        p.scale(scale, scale);
        pic.paint(p);
    }
    return pic.transparent ? image : image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

int main(int argc, char* argv[])
{
    // Painting on images needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (argc != 2) {
        QTextStream(stderr) << "usage: qor-artgen OUTPUT_FOLDER   (normally resources/art)\n";
        return 2;
    }
    for (const char* family : {"Liberation Sans", "Liberation Sans Narrow"}) {
        if (!QFontDatabase::families().contains(QLatin1String(family))) {
            QTextStream(stderr) << "qor-artgen: font \"" << family
                                << "\" is missing (fonts-liberation)\n";
            return 1;
        }
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(".")) {
        QTextStream(stderr) << "qor-artgen: cannot make " << out.path() << "\n";
        return 1;
    }

    using namespace faclayout;
    const std::vector<Picture> pictures{
        {"card_stack", kStackCardW, kStackCardH, false, artgen::paintCardStack},
        {"card_blank", kBlankCardW, kBlankCardH, false,
         [](QPainter& p) { artgen::paintCardFace(p, true); }},
        {"card_back", kCardBackW, kCardBackH, true,
         [](QPainter& p) { artgen::paintCardBack(p, QRectF(0, 0, kCardBackW, kCardBackH)); }},
        {"title_logo", kTitleLogoW, kTitleLogoH, false, artgen::paintTitleLogo},
        {"icon", kIconSize, kIconSize, true, [](QPainter& p) { artgen::paintIcon(p, kIconSize); }},
        {"hand_cursor", 32, 32, true, artgen::paintHandCursor},
        {"maker_logo", 731, 669, false, artgen::paintMakerLogo},
        {"product_logo", 69, 69, false, artgen::paintProductLogo},
    };

    bool ok = true;
    for (const Picture& pic : pictures) {
        ok &= write(out, QString("%1.png").arg(pic.name), render(pic, 1));
        ok &= write(out, QString("%1@2x.png").arg(pic.name), render(pic, 2));
    }
    // The hicolor theme wants each size drawn for itself, so the small ones stay readable.
    for (int size : {16, 32, 48, 128, 256}) {
        Picture icon{"icon", size, size, true, [size](QPainter& p) { artgen::paintIcon(p, size); }};
        ok &= write(out, QString("icon_%1.png").arg(size), render(icon, 1));
    }
    return ok ? 0 : 1;
}
