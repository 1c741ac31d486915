// The cards: the blank face whose printed cells lie under the window's labels, the back,
// and the face lying on a small fanned stack.

#include "artgen.h"
#include "flipper/faclayout.h"

#include <QPainter>
#include <QtMath>

namespace artgen {

namespace {

using namespace faclayout;

constexpr QRectF kCard{0, 0, kBlankCardW, kBlankCardH};
constexpr qreal kCardRadius = 6.5;

// A label's rectangle in picture pixels: the picture lies at `image` in the label's container.
QRect onPicture(const Twips& label, const Twips& image)
{
    return QRect(px(label.left - image.left), px(label.top - image.top), px(label.width),
                 px(label.height));
}

QPainterPath cardOutline(const QRectF& card, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    return path;
}

// A white box with a one-pixel printed frame just outside it, so the opaque label that lies
// on the box leaves the frame showing.
void framedBox(QPainter& p, const QRect& r, const QColor& frame)
{
    p.fillRect(r, Qt::white);
    p.setPen(QPen(frame, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(r).adjusted(-0.5, -0.5, 0.5, 0.5));
}

void paintHeader(QPainter& p)
{
    const qreal w = kCard.width();
    // Navy banner with the product name.
    QRectF banner(0, 0, w, 31);
    p.fillRect(banner, kNavy);
    p.fillRect(QRectF(0, 31, w, 2), kGold);
    p.fillRect(QRectF(0, 33, w, 2), kRed);

    QFont nameFont = sansFont(20);
    nameFont.setItalic(true);
    const QPainterPath name = textPath("KORVANE II", nameFont, QPointF(w / 2, 16.5), 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawPath(name.translated(1.5, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(name);
    p.setBrush(kGold);
    for (qreal x : {14.0, w - 14.0})
        p.drawPath(starPath(QPointF(x, 16), 6.5));

    // The card's title between two rules.
    QFont titleFont = sansFont(12.5);
    const QPainterPath title = textPath("FAST ACTION CARD", titleFont, QPointF(w / 2, 45), 1.2);
    p.setBrush(kNavy);
    p.drawPath(title);
    const QRectF tb = title.boundingRect();
    p.setPen(QPen(kRed, 2));
    p.drawLine(QPointF(8, 45), QPointF(tb.left() - 7, 45));
    p.drawLine(QPointF(tb.right() + 7, 45), QPointF(w - 8, 45));
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    for (qreal x : {tb.left() - 4, tb.right() + 4})
        p.drawEllipse(QPointF(x, 45), 1.8, 1.8);
}

} // namespace

void paintCardFace(QPainter& p, bool reviewPanel)
{
    const Twips& image = reviewPanel ? kImage3 : kImage1;
    p.save();
    const QPainterPath outline = cardOutline(kCard, kCardRadius);
    p.fillPath(outline, Qt::white);
    p.setClipPath(outline);

    paintHeader(p);

    // The block of short entries sits on a tinted field; everything a label covers is white.
    int rowsBottom = 0;
    for (const Heading& h : kHeadings)
        rowsBottom =
            std::max(rowsBottom, onPicture(reviewPanel ? h.review : h.main, image).bottom());
    const int rowsTop = 54;
    p.fillRect(QRectF(0, rowsTop, kCard.width(), rowsBottom + 3 - rowsTop), kTint);
    // A lighter lane along each row of cells, so the captions read as printed on the card.
    for (const Heading& h : kHeadings) {
        const QRect r = onPicture(reviewPanel ? h.review : h.main, image);
        p.fillRect(QRectF(2, r.top() - 1, kCard.width() - 4, r.height() + 2),
                   QColor(0xf7, 0xf8, 0xfb));
    }
    p.fillRect(QRectF(0, rowsTop, kCard.width(), 1), kNavy);
    p.fillRect(QRectF(0, rowsBottom + 2, kCard.width(), 1), kNavy);

    const QFont headingFont = sansFont(13); // Arial 9.75 pt bold at 96 dpi, as the labels print it
    for (const Heading& h : kHeadings) {
        const QRect r = onPicture(reviewPanel ? h.review : h.main, image);
        p.fillRect(r, Qt::white);
        p.setPen(kNavy);
        p.setFont(headingFont);
        const int align = h.align == Align::Right    ? Qt::AlignRight
                          : h.align == Align::Centre ? Qt::AlignHCenter
                                                     : Qt::AlignLeft;
        p.drawText(r, align | Qt::AlignTop, QString::fromLatin1(h.caption));
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1),
                   QColor(kNavy.red(), kNavy.green(), kNavy.blue(), 60));
    }
    for (const EntryLabel& e : kEntryLabels) {
        const QRect r = onPicture(reviewPanel ? e.review : e.main, image);
        framedBox(p, r, kNavy);
    }

    // The card's printed edge.
    p.setClipping(false);
    p.setPen(QPen(kNavy, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    p.restore();
}

void paintCardBack(QPainter& p, const QRectF& card)
{
    p.save();
    const qreal w = card.width(), h = card.height();
    const qreal radius = w * 0.04;
    const QPainterPath outline = cardOutline(card, radius);
    p.fillPath(outline, Qt::white);

    // The printed field: deep red with a fine lattice, inside a white margin.
    const qreal margin = w * 0.032;
    const QRectF field = card.adjusted(margin, margin, -margin, -margin);
    QPainterPath fieldPath;
    fieldPath.addRoundedRect(field, radius * 0.6, radius * 0.6);
    p.fillPath(fieldPath, kRed);
    p.setClipPath(fieldPath);
    p.setPen(QPen(QColor(0xd0, 0x3c, 0x44), 1.0));
    const qreal step = w / 22.0;
    for (qreal d = -h; d < w + h; d += step) {
        p.drawLine(QPointF(field.left() + d, field.top()),
                   QPointF(field.left() + d + h, field.top() + h));
        p.drawLine(QPointF(field.left() + d, field.top()),
                   QPointF(field.left() + d - h, field.top() + h));
    }
    // Gold dots where the lattice crosses.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe9, 0xb8, 0x48));
    for (qreal y = field.top(); y < field.bottom() + step; y += step / 2) {
        const int row = qRound((y - field.top()) / (step / 2));
        for (qreal x = field.left() + (row % 2 ? step / 2 : 0); x < field.right() + step; x += step)
            p.drawEllipse(QPointF(x, y), 0.9, 0.9);
    }
    p.setClipping(false);

    // Inner frame: navy and gold lines.
    const QRectF frame = field.adjusted(w * 0.035, w * 0.035, -w * 0.035, -w * 0.035);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kNavy, w * 0.022));
    p.drawRoundedRect(frame, radius * 0.5, radius * 0.5);
    p.setPen(QPen(kGold, w * 0.007));
    p.drawRoundedRect(frame.adjusted(w * 0.018, w * 0.018, -w * 0.018, -w * 0.018), radius * 0.4,
                      radius * 0.4);

    // Stars in the corners of the frame.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal inset = w * 0.075;
    for (QPointF c :
         {frame.topLeft() + QPointF(inset, inset), frame.topRight() + QPointF(-inset, inset),
          frame.bottomLeft() + QPointF(inset, -inset),
          frame.bottomRight() + QPointF(-inset, -inset)})
        p.drawPath(starPath(c, w * 0.035));

    // Central emblem: a ringed medallion with a glove, crossed by the product's ribbon.
    const QPointF centre = card.center();
    const qreal r = w * 0.29;
    p.setBrush(kNavy);
    p.drawEllipse(centre, r + w * 0.03, r + w * 0.03);
    p.setBrush(kGold);
    p.drawEllipse(centre, r + w * 0.012, r + w * 0.012);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, r, r);
    p.setPen(QPen(kNavy, w * 0.006));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, r * 0.9, r * 0.9);
    p.setPen(Qt::NoPen);

    const QRectF gloveBox(centre.x() - r * 0.7, centre.y() - r * 0.86, r * 1.4, r * 1.14);
    paintGlove(p, gloveBox, kRed, kInk, w * 0.008);

    // Ribbon across the lower half of the medallion.
    const qreal rh = w * 0.1;
    const qreal ry = centre.y() + r * 0.38;
    const qreal half = r * 1.32;
    auto tail = [&](qreal sign) {
        QPainterPath t;
        const qreal x0 = centre.x() + sign * (half - w * 0.02);
        const qreal x1 = centre.x() + sign * (half + w * 0.09);
        t.moveTo(x0, ry + rh * 0.25);
        t.lineTo(x1, ry + rh * 0.25);
        t.lineTo(x1 - sign * w * 0.035, ry + rh * 0.75);
        t.lineTo(x1, ry + rh * 1.25);
        t.lineTo(x0, ry + rh * 1.25);
        t.closeSubpath();
        return t;
    };
    p.setBrush(kDarkRed);
    p.drawPath(tail(-1));
    p.drawPath(tail(1));
    p.setBrush(kNavy);
    p.drawRect(QRectF(centre.x() - half, ry, 2 * half, rh));
    p.setPen(QPen(kGold, w * 0.006));
    p.drawLine(QPointF(centre.x() - half, ry + w * 0.012),
               QPointF(centre.x() + half, ry + w * 0.012));
    p.drawLine(QPointF(centre.x() - half, ry + rh - w * 0.012),
               QPointF(centre.x() + half, ry + rh - w * 0.012));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(
        textPath("KORVANE II", sansFont(rh * 0.62), QPointF(centre.x(), ry + rh / 2), rh * 0.05));

    // "QOR" on the field above and below the medallion.
    QFont qor = sansFont(w * 0.11);
    qor.setItalic(true);
    // Printed both ways up, as on a deck that has no top.
    for (qreal turn : {0.0, 180.0}) {
        p.save();
        p.translate(centre);
        p.rotate(turn);
        const QPainterPath t = textPath("QOR", qor, QPointF(0, -(r + w * 0.2)), w * 0.02);
        p.setBrush(kNavy);
        p.drawPath(t.translated(w * 0.008, w * 0.008));
        p.setBrush(Qt::white);
        p.drawPath(t);
        p.restore();
    }

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x55, 0x55, 0x5a), 1.0));
    p.drawPath(outline);
    p.restore();
}

void paintCardStack(QPainter& p)
{
    // Two cards of the deck, face down, fanned out to the right and below the face card.
    struct Fan
    {
        qreal dx, dy, degrees;
    };
    for (const Fan& f : {Fan{30, 30, 4.5}, Fan{15, 15, 2.2}}) {
        p.save();
        p.translate(kCard.center() + QPointF(f.dx, f.dy));
        p.rotate(f.degrees);
        p.translate(-kCard.center());
        // A soft shadow: a few widening translucent outlines.
        for (int i = 3; i >= 1; --i) {
            QPainterPath shadow;
            shadow.addRoundedRect(kCard.adjusted(-i + 1.5, -i + 2.5, i + 1.5, i + 2.5),
                                  kCardRadius + i, kCardRadius + i);
            p.fillPath(shadow, QColor(0, 0, 0, 18));
        }
        paintCardBack(p, kCard);
        p.restore();
    }
    for (int i = 3; i >= 1; --i) {
        QPainterPath shadow;
        shadow.addRoundedRect(kCard.adjusted(-i + 1.5, -i + 2.5, i + 1.5, i + 2.5), kCardRadius + i,
                              kCardRadius + i);
        p.fillPath(shadow, QColor(0, 0, 0, 18));
    }
    paintCardFace(p, false);
}

} // namespace artgen
