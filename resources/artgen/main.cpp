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

// How a picture is stored: with alpha; opaque on white; or, for black ink on white, as 8-bit
// greys, which keep every anti-aliased edge exactly and decode several times faster than RGB
// (the title window waits for its logo).
enum class Kind { Transparent, Opaque, Greys };

struct Picture
{
    const char* name;
    int width, height;
    Kind kind;
    std::function<void(QPainter&)> paint;
};

bool write(const QDir& out, const QString& file, const QImage& image)
{
    const QString path = out.filePath(file);
    if (image.isNull() || !image.save(path, "PNG")) {
        QTextStream(stderr) << "qor-artgen: cannot write " << path << "\n";
        return false;
    }
    QTextStream(stdout) << path << " " << image.width() << "x" << image.height()
                        << (image.format() == QImage::Format_Grayscale8 ? " greys" : "") << "\n";
    return true;
}

// The same pixels as 8-bit greys; empty if any pixel has a colour.
QImage toGreys(const QImage& rgb)
{
    QImage grey(rgb.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* out = grey.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            if (qRed(in[x]) != qGreen(in[x]) || qGreen(in[x]) != qBlue(in[x]))
                return {};
            out[x] = uchar(qRed(in[x]));
        }
    }
    return grey;
}

QImage render(const Picture& pic, int scale)
{
    QImage image(pic.width * scale, pic.height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(pic.kind == Kind::Transparent ? Qt::transparent : Qt::white);
    {
        QPainter p(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
        p.scale(scale, scale);
        pic.paint(p);
    }
    if (pic.kind == Kind::Transparent)
        return image;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (pic.kind == Kind::Opaque)
        return rgb;
    const QImage greys = toGreys(rgb);
    if (greys.isNull())
        QTextStream(stderr) << "qor-artgen: " << pic.name << " is not black on white\n";
    return greys;
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
        {"card_stack", kStackCardW, kStackCardH, Kind::Opaque, artgen::paintCardStack},
        {"card_blank", kBlankCardW, kBlankCardH, Kind::Opaque,
         [](QPainter& p) { artgen::paintCardFace(p, true); }},
        {"card_back", kCardBackW, kCardBackH, Kind::Transparent,
         [](QPainter& p) { artgen::paintCardBack(p, QRectF(0, 0, kCardBackW, kCardBackH)); }},
        {"title_logo", kTitleLogoW, kTitleLogoH, Kind::Opaque, artgen::paintTitleLogo},
        {"icon", kIconSize, kIconSize, Kind::Transparent,
         [](QPainter& p) { artgen::paintIcon(p, kIconSize); }},
        {"hand_cursor", 32, 32, Kind::Transparent, artgen::paintHandCursor},
        {"maker_logo", 731, 669, Kind::Greys, artgen::paintMakerLogo},
        {"product_logo", 69, 69, Kind::Opaque, artgen::paintProductLogo},
    };

    bool ok = true;
    for (const Picture& pic : pictures) {
        ok &= write(out, QString("%1.png").arg(pic.name), render(pic, 1));
        ok &= write(out, QString("%1@2x.png").arg(pic.name), render(pic, 2));
    }
    // The hicolor theme wants each size drawn for itself, so the small ones stay readable.
    for (int size : {16, 32, 48, 128, 256}) {
        Picture icon{"icon", size, size, Kind::Transparent,
                     [size](QPainter& p) { artgen::paintIcon(p, size); }};
        ok &= write(out, QString("icon_%1.png").arg(size), render(icon, 1));
    }
    return ok ? 0 : 1;
}
