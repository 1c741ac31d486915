// Shared drawing helpers, the glove, the window icon and the pointing-hand cursor.

#include "artgen.h"

#include <QPainter>
#include <QtMath>

namespace artgen {

QFont sansFont(qreal pixelSize, bool bold, bool narrow)
{
    QFont font(narrow ? "Liberation Sans Narrow" : "Liberation Sans");
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QPainterPath textPath(const QString& text, const QFont& font, QPointF centre, qreal letterSpacing)
{
    QFont f = font;
    // Outlines of a fractional size: logos scale smoothly instead of snapping to whole pixels.
    f.setPixelSize(qMax(1, font.pixelSize()));
    QPainterPath path;
    qreal x = 0;
    const QFontMetricsF fm(f);
    for (const QChar c : text) {
        path.addText(x, 0, f, QString(c));
        x += fm.horizontalAdvance(c) + letterSpacing;
    }
    const QRectF box = path.boundingRect();
    // Centre on the cap height, so lettering sits where asked whatever its letters.
    const qreal capTop = -fm.capHeight();
    return path.translated(centre.x() - box.center().x(), centre.y() - capTop / 2);
}

QPainterPath starPath(QPointF centre, qreal outerRadius, qreal innerRatio)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 ? outerRadius * innerRatio : outerRadius;
        const qreal a = qDegreesToRadians(-90.0 + i * 36.0);
        const QPointF pt = centre + QPointF(r * qCos(a), r * qSin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

QPainterPath gloveBody()
{
    QPainterPath body;
    body.moveTo(27, 30);
    body.cubicTo(28, 9, 56, 1, 77, 7);
    body.cubicTo(97, 13, 101, 42, 95, 60);
    body.cubicTo(89, 79, 67, 89, 45, 87);
    body.cubicTo(34, 86, 27, 80, 27, 68);
    body.closeSubpath();
    return body;
}

void paintGlove(QPainter& p, const QRectF& box, const QColor& leather, const QColor& outline,
                qreal outlineWidth, bool mirror, bool simple)
{
    // Drawn in a 100 x 100 design square.
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100.0, box.height() / 100.0);
    if (mirror) {
        p.translate(100, 0);
        p.scale(-1, 1);
    }
    const qreal pen = outlineWidth * 100.0 / qMax(1.0, box.width());

    QPainterPath cuff;
    cuff.moveTo(4, 40);
    cuff.quadTo(4, 34, 10, 33);
    cuff.lineTo(34, 29);
    cuff.lineTo(36, 86);
    cuff.lineTo(10, 83);
    cuff.quadTo(4, 82, 4, 76);
    cuff.closeSubpath();

    const QPainterPath body = gloveBody();

    const QPen outlinePen(outline, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(outlinePen);
    p.setBrush(leather);
    p.drawPath(body);

    if (!simple) {
        // The thumb lies along the side of the fist, from the cuff to just short of the front.
        QPainterPath thumb;
        thumb.moveTo(30, 50);
        thumb.cubicTo(48, 44, 74, 46, 85, 56);
        thumb.cubicTo(90, 63, 82, 70, 68, 70);
        thumb.lineTo(30, 71);
        thumb.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(leather.lighter(112));
        p.drawPath(thumb);
        QPainterPath crease;
        crease.moveTo(30, 50);
        crease.cubicTo(48, 44, 74, 46, 85, 56);
        crease.cubicTo(90, 63, 82, 70, 68, 70);
        crease.lineTo(34, 71);
        p.setPen(QPen(outline, pen * 0.75, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(crease);
        // Shine on the knuckles.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 110));
        p.drawEllipse(QRectF(48, 12, 30, 10));
    }
    p.setPen(outlinePen);
    p.setBrush(leather.darker(115));
    p.drawPath(cuff);

    // The white band of the cuff.
    p.setPen(QPen(Qt::white, simple ? 9 : 6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(19, 33), QPointF(20.5, 83));
    p.setPen(QPen(outline, pen * 0.6));
    p.restore();
}

void paintIcon(QPainter& p, int size)
{
    const bool small = size <= 32;
    const bool tiny = size <= 16;
    p.save();
    p.scale(size / 64.0, size / 64.0);

    // A card leaning left, behind a glove punching up and to the right.
    p.save();
    p.translate(26, 30);
    p.rotate(-12);
    const QRectF card(-17, -25, 34, 50);
    QPainterPath cardPath;
    cardPath.addRoundedRect(card, 4, 4);
    p.setPen(Qt::NoPen);
    p.fillPath(cardPath, Qt::white);
    p.setClipPath(cardPath);
    p.fillRect(QRectF(card.left(), card.top(), card.width(), small ? 13 : 10), kNavy);
    p.fillRect(QRectF(card.left(), card.top() + (small ? 13 : 10), card.width(), small ? 3 : 2),
               kRed);
    if (!small) {
        p.setBrush(kGold);
        p.drawPath(starPath(QPointF(0, card.top() + 5), 3.4));
        p.setPen(QPen(kNavy, 1.6));
        for (qreal y : {-8.0, -2.0, 4.0}) {
            p.drawLine(QPointF(card.left() + 5, y), QPointF(card.left() + 13, y));
            p.drawLine(QPointF(card.left() + 17, y), QPointF(card.right() - 5, y));
        }
    }
    p.setClipping(false);
    p.setPen(QPen(kNavy, tiny ? 4.5 : small ? 3.4 : 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cardPath);
    p.restore();

    p.save();
    p.translate(40, 38);
    p.rotate(-24);
    const QRectF glove = small ? QRectF(-23, -20, 44, 40) : QRectF(-20, -17, 38, 34);
    paintGlove(p, glove, QColor(0xd4, 0x24, 0x2e), kInk,
               tiny    ? 5.0
               : small ? 3.2
                       : (size >= 128 ? 2.0 : 2.4),
               false, small);
    p.restore();

    p.restore();
}

void paintHandCursor(QPainter& p)
{
    // Outline on half pixels so the 1x cursor stays crisp; the fingertip's outline covers (12, 1).
    QPainterPath hand;
    hand.moveTo(10.5, 17.5);
    hand.lineTo(10.5, 3.5);
    hand.arcTo(QRectF(10.5, 1.5, 4, 4), 180, -180);
    hand.lineTo(14.5, 11.5);
    hand.arcTo(QRectF(14.5, 9.5, 4, 4), 180, -180);
    hand.arcTo(QRectF(18.5, 10.5, 4, 4), 180, -180);
    hand.arcTo(QRectF(22.5, 12.5, 4, 4), 180, -180);
    hand.lineTo(26.5, 21.5);
    hand.cubicTo(26.5, 24.5, 25, 26, 23.5, 27.5);
    hand.lineTo(23.5, 30.5);
    hand.lineTo(12.5, 30.5);
    hand.lineTo(12.5, 27.5);
    hand.cubicTo(10, 25.5, 6.5, 22, 4.5, 19.5);
    hand.quadTo(3, 17.5, 4.5, 16);
    hand.cubicTo(6, 14.5, 8.5, 15.5, 10.5, 17.5);
    hand.closeSubpath();

    p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);

    // Creases between the folded fingers and at the cuff.
    p.drawLine(QPointF(14.5, 11.5), QPointF(14.5, 14.5));
    p.drawLine(QPointF(18.5, 12.5), QPointF(18.5, 15.5));
    p.drawLine(QPointF(22.5, 14.5), QPointF(22.5, 16.5));
    p.drawLine(QPointF(12.5, 27.5), QPointF(23.5, 27.5));
}

} // namespace artgen
