// The logos: the title logo of the game window, the maker's boxer-and-badge logo, and the
// product logo of the About window.

#include "artgen.h"

#include <QPainter>
#include <QtMath>

#include <vector>

namespace artgen {

namespace {

// Two circles joined by their outer tangents: a limb segment that tapers from ra to rb.
QPainterPath capsule(QPointF a, qreal ra, QPointF b, qreal rb)
{
    QPainterPath ends, path;
    ends.addEllipse(a, ra, ra);
    path.addEllipse(b, rb, rb);
    path = path.united(ends);
    const QPointF d = b - a;
    const qreal len = qSqrt(QPointF::dotProduct(d, d));
    if (len > qAbs(ra - rb)) {
        const qreal theta = qAtan2(d.y(), d.x());
        const qreal alpha = qAcos((ra - rb) / len);
        auto on = [](QPointF c, qreal r, qreal angle) {
            return c + QPointF(r * qCos(angle), r * qSin(angle));
        };
        QPainterPath quad;
        quad.addPolygon(QPolygonF{on(a, ra, theta + alpha), on(b, rb, theta + alpha),
                                  on(b, rb, theta - alpha), on(a, ra, theta - alpha)});
        quad.closeSubpath();
        path = path.united(quad); // a union, not a second subpath: the windings may oppose
    }
    return path;
}

// A chain of joints, each with its own radius.
QPainterPath limb(const std::vector<std::pair<QPointF, qreal>>& joints)
{
    QPainterPath path;
    for (size_t i = 1; i < joints.size(); ++i)
        path = path.united(
            capsule(joints[i - 1].first, joints[i - 1].second, joints[i].first, joints[i].second));
    return path;
}

QPainterPath ellipse(QPointF centre, qreal rx, qreal ry, qreal degrees = 0)
{
    QPainterPath path;
    path.addEllipse(QPointF(0, 0), rx, ry);
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.rotate(degrees);
    return t.map(path);
}

QTransform gloveTransform(const QRectF& box, qreal degrees);

// The glove's outline as one shape (for the silhouette), punching towards +x in `box`.
QPainterPath gloveShape(const QRectF& box, qreal degrees)
{
    const QPainterPath body = gloveBody();
    QPainterPath cuff;
    cuff.addRoundedRect(QRectF(4, 31, 32, 54), 6, 6);
    return gloveTransform(box, degrees).map(body.united(cuff));
}

// Fills `shape` in ink after clearing a white margin around it, so it reads as lying in front.
void cutOut(QPainter& p, const QPainterPath& shape, qreal gap, const QColor& ink)
{
    if (gap > 0)
        p.strokePath(shape, QPen(Qt::white, 2 * gap, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(shape, ink);
}

// Lettering on the lower arc of a circle, read from left to right, tops towards the centre.
void arcText(QPainter& p, const QString& text, const QFont& font, QPointF centre,
             qreal baselineRadius, qreal spacing)
{
    const QFontMetricsF fm(font);
    qreal total = 0;
    for (const QChar c : text)
        total += fm.horizontalAdvance(c) + spacing;
    total -= spacing;
    qreal along = -total / 2;
    for (const QChar c : text) {
        const qreal adv = fm.horizontalAdvance(c);
        const qreal mid = along + adv / 2;
        const qreal a = M_PI / 2 - mid / baselineRadius; // left of the bottom first
        p.save();
        p.translate(centre + QPointF(baselineRadius * qCos(a), baselineRadius * qSin(a)));
        p.rotate(qRadiansToDegrees(a) - 90);
        QPainterPath glyph;
        glyph.addText(-adv / 2, 0, font, QString(c));
        p.drawPath(glyph);
        p.restore();
        along += adv + spacing;
    }
}

QTransform gloveTransform(const QRectF& box, qreal degrees)
{
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.rotate(degrees);
    t.scale(box.width() / 100.0, box.height() / 100.0);
    t.translate(-50, -50);
    return t;
}

// The boxer's silhouette: shapes filled in ink, each part in front cut free of the ones
// behind it by a thin white margin, and a few white lines for the kit.
void paintBoxer(QPainter& p, const QColor& ink)
{
    const qreal gap = 3.0;

    QPainterPath head;
    {
        // Profile facing right: crown, brow, nose, lips, chin, jaw, nape.
        QPainterPath h;
        h.moveTo(-2, -23);
        h.cubicTo(10, -23, 17, -15, 17, -6);
        h.lineTo(19.5, -2);
        h.lineTo(18, 1);
        h.lineTo(22.5, 6.5);
        h.lineTo(18.5, 8.5);
        h.lineTo(19.5, 11);
        h.lineTo(17.5, 13.5);
        h.lineTo(18, 17);
        h.cubicTo(13, 22, 5, 23, -1, 19);
        h.lineTo(-7, 22);
        h.cubicTo(-13, 14, -19, 2, -17, -8);
        h.cubicTo(-15, -18, -9, -23, -2, -23);
        h.closeSubpath();
        QTransform t;
        t.translate(360, 54);
        t.rotate(14);
        head = t.map(h);
    }
    const QPainterPath neck = capsule({352, 70}, 12, {344, 86}, 15);

    QPainterPath torso;
    torso.moveTo(338, 78);
    torso.cubicTo(320, 84, 300, 86, 288, 96);
    torso.cubicTo(276, 108, 280, 126, 292, 142);
    torso.cubicTo(304, 160, 310, 176, 312, 194);
    torso.lineTo(358, 197);
    torso.cubicTo(360, 178, 368, 160, 380, 142);
    torso.cubicTo(392, 122, 392, 100, 380, 90);
    torso.cubicTo(370, 84, 362, 80, 356, 76);
    torso.closeSubpath();

    // Boots: a high shaft, the heel, the sole and a rounded toe.
    auto boot = [](QPointF ankle, qreal degrees) {
        QPainterPath b;
        b.moveTo(-9, -20);
        b.lineTo(9, -20);
        b.lineTo(10, 2);
        b.cubicTo(18, 4, 30, 6, 34, 10);
        b.cubicTo(36, 14, 34, 16, 30, 16);
        b.lineTo(-10, 16);
        b.cubicTo(-12, 10, -11, 0, -9, -20);
        b.closeSubpath();
        QTransform t;
        t.translate(ankle.x(), ankle.y());
        t.rotate(degrees);
        return t.map(b);
    };
    const QPainterPath rearLeg = limb({{{318, 214}, 23}, {{276, 256}, 15}, {{246, 290}, 9}})
                                     .united(ellipse({258, 266}, 10, 19, 44))
                                     .united(boot({244, 292}, 38));
    const QPainterPath frontLeg = limb({{{350, 214}, 24}, {{392, 254}, 16}, {{388, 294}, 9.5}})
                                      .united(ellipse({383, 274}, 10, 18, -8))
                                      .united(boot({388, 298}, 0));
    QPainterPath trunks;
    trunks.moveTo(303, 189);
    trunks.lineTo(365, 192);
    trunks.cubicTo(376, 208, 386, 224, 392, 240);
    trunks.lineTo(358, 264);
    trunks.lineTo(335, 242);
    trunks.lineTo(300, 264);
    trunks.lineTo(266, 240);
    trunks.cubicTo(278, 222, 290, 204, 303, 189);
    trunks.closeSubpath();

    // The rear hand guards the chin; its arm stays behind the body.
    const QPainterPath farUpperArm = capsule({300, 104}, 16, {366, 146}, 12);
    const QPainterPath farForearm = limb({{{384, 152}, 11}, {{388, 126}, 11.5}, {{383, 90}, 8.5}});
    const QRectF guardBox(368, 48, 50, 44);
    const qreal guardTurn = -35;
    const QPainterPath guardGlove = gloveShape(guardBox, guardTurn);
    const QPainterPath punchArm = limb({{{372, 104}, 18}, {{428, 100}, 12.5}, {{470, 97}, 9.5}})
                                      .united(ellipse({400, 104}, 22, 14, -2))
                                      .united(ellipse({446, 100}, 17, 11, -2));
    const QRectF punchBox(460, 66, 78, 64);
    const QPainterPath punchGlove = gloveShape(punchBox, -2);

    // Back to front.
    p.setPen(Qt::NoPen);
    p.fillPath(rearLeg, ink);
    p.fillPath(farUpperArm, ink);
    cutOut(p, torso.united(neck), gap, ink);
    cutOut(p, head, gap, ink);
    cutOut(p, frontLeg, gap, ink);
    cutOut(p, trunks, gap, ink);
    // The arms grow out of the body: their margin shows only where they cross something else.
    QPainterPath offBody;
    offBody.addRect(QRectF(0, 0, 800, 800));
    offBody = offBody.subtracted(torso);
    auto armCut = [&](const QPainterPath& arm) {
        p.save();
        p.setClipPath(offBody);
        p.strokePath(arm, QPen(Qt::white, 2 * gap, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.restore();
        p.fillPath(arm, ink);
    };
    armCut(farForearm);
    cutOut(p, guardGlove, gap, ink);
    armCut(punchArm);
    cutOut(p, punchGlove, gap, ink);

    // White lines: waistband, the side stripe of the trunks, boot tops, glove cuffs and thumbs.
    p.setPen(QPen(Qt::white, 2.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(304, 200), QPointF(366, 203));
    p.drawLine(QPointF(302, 207), QPointF(369, 210));
    p.drawLine(QPointF(379, 283), QPointF(397, 283));
    p.drawLine(QPointF(244, 275), QPointF(256, 287));
    for (const auto& [box, turn] : {std::pair{punchBox, -2.0}, std::pair{guardBox, guardTurn}}) {
        const QTransform t = gloveTransform(box, turn);
        QPainterPath lines;
        lines.moveTo(33, 34);
        lines.lineTo(34, 84);
        lines.moveTo(40, 54);
        lines.cubicTo(56, 47, 76, 49, 86, 57);
        p.drawPath(t.map(lines));
    }

    // Speed lines behind the punch and a burst where it lands.
    p.setPen(QPen(ink, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(420, 76), QPointF(456, 76));
    p.drawLine(QPointF(432, 66), QPointF(462, 66));
    p.drawLine(QPointF(418, 126), QPointF(458, 126));
    for (int i = -2; i <= 2; ++i) {
        const qreal a = qDegreesToRadians(i * 27.0);
        const QPointF from(548 + 6 * qCos(a), 96 + 22 * qSin(a));
        p.drawLine(from, from + QPointF(22 * qCos(a), 22 * qSin(a)));
    }
}

} // namespace

void paintTitleLogo(QPainter& p)
{
    const qreal w = 181;
    p.setPen(Qt::NoPen);

    // KORVANE, slanted, navy on a red shadow.
    QFont nameFont = sansFont(31);
    QPainterPath name = textPath("KORVANE", nameFont, QPointF(w / 2 + 4, 22), 0.5);
    QTransform slant;
    slant.translate(0, 22);
    slant.shear(-0.18, 0);
    slant.translate(0, -22);
    name = slant.map(name);
    p.setBrush(kRed);
    p.drawPath(name.translated(2.2, 2.2));
    p.strokePath(name, QPen(kNavy, 1.2));
    p.setBrush(kNavy);
    p.drawPath(name);

    // The big red II between two gloves that meet it.
    QFont numeral("Liberation Serif");
    numeral.setPixelSize(46);
    numeral.setBold(true);
    QPainterPath two = textPath("II", numeral, QPointF(w / 2, 63), 1);
    two = slant.map(two.translated(0, -40)).translated(0, 40);
    p.strokePath(two, QPen(kNavy, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kRed);
    p.drawPath(two);
    p.setBrush(QColor(255, 255, 255, 90));
    p.setClipRect(QRectF(0, 40, w, 22));
    p.drawPath(two);
    p.setClipping(false);
    paintGlove(p, QRectF(10, 41, 52, 44), kRed, kInk, 1.6);
    paintGlove(p, QRectF(w - 62, 41, 52, 44), kRed, kInk, 1.6, true);

    // The ring: two posts, three ropes, and the plate with the program's name.
    const qreal top = 92, bottom = 136;
    p.setBrush(kNavy);
    for (qreal x : {4.0, w - 10.0}) {
        p.drawRoundedRect(QRectF(x, top, 6, bottom - top), 2, 2);
        p.setBrush(kGold);
        p.drawRoundedRect(QRectF(x - 1, top - 2, 8, 5), 2, 2);
        p.setBrush(kNavy);
    }
    const QColor ropes[] = {kRed, Qt::white, kNavy};
    for (int i = 0; i < 3; ++i) {
        const qreal y = top + 7 + i * 12;
        QPainterPath rope;
        rope.moveTo(10, y);
        rope.quadTo(w / 2, y + 5, w - 10, y);
        if (ropes[i] == Qt::white)
            p.strokePath(rope, QPen(QColor(0x9a, 0xa0, 0xab), 4.2, Qt::SolidLine, Qt::FlatCap));
        p.strokePath(rope, QPen(ropes[i], 3, Qt::SolidLine, Qt::FlatCap));
    }
    const QRectF plate(24, 101, w - 48, 25);
    p.setBrush(kNavy);
    p.setPen(QPen(kGold, 1.6));
    p.drawRoundedRect(plate, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(textPath("QOR FLIPPER", sansFont(15), plate.center() + QPointF(0, 0.5), 1.2));
}

void paintMakerLogo(QPainter& p)
{
    const QColor ink = Qt::black;
    const QPointF c(365, 504);
    const qreal outer = 160, band = 128;

    // The badge: a black ring with lettering, a white disc, a ribbon with the maker's name.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(c, outer, outer);
    p.setBrush(Qt::white);
    p.drawEllipse(c, outer - 6, outer - 6);
    p.setBrush(ink);
    p.drawEllipse(c, outer - 10, outer - 10);
    p.setBrush(Qt::white);
    p.drawEllipse(c, band, band);
    p.setBrush(ink);
    p.drawEllipse(c, band - 7, band - 7);
    p.setBrush(Qt::white);
    p.drawEllipse(c, band - 11, band - 11);

    p.setBrush(Qt::white);
    arcText(p, "BOARD GAMES", sansFont(23), c, outer - 19, 4.5);
    for (int side : {-1, 1}) {
        const qreal a = qDegreesToRadians(90.0 + side * 58.0);
        p.drawPath(starPath(c + QPointF((outer - 28) * qCos(a), (outer - 28) * qSin(a)), 10));
        const qreal b = qDegreesToRadians(90.0 + side * 92.0);
        p.drawPath(starPath(c + QPointF((outer - 28) * qCos(b), (outer - 28) * qSin(b)), 10));
    }

    // Stars over and under the ribbon.
    p.setBrush(ink);
    for (int i = -1; i <= 1; ++i) {
        p.drawPath(starPath(c + QPointF(i * 46, 92 - qAbs(i) * 8), i == 0 ? 17 : 13));
    }
    p.drawRect(QRectF(c.x() - 88, c.y() + 52, 176, 4));

    // The ribbon with folded tails.
    const qreal rh = 74, ry = c.y() - 6 - rh / 2, half = 184;
    for (int side : {-1, 1}) {
        QPainterPath tail;
        const qreal x0 = c.x() + side * (half - 20), x1 = c.x() + side * (half + 44);
        tail.moveTo(x0, ry + 16);
        tail.lineTo(x1, ry + 16);
        tail.lineTo(x1 - side * 22, ry + 16 + rh / 2);
        tail.lineTo(x1, ry + 16 + rh);
        tail.lineTo(x0, ry + 16 + rh);
        tail.closeSubpath();
        cutOut(p, tail, 4, ink);
        QPainterPath fold;
        fold.moveTo(c.x() + side * half, ry + rh);
        fold.lineTo(c.x() + side * (half - 20), ry + rh + 16);
        fold.lineTo(c.x() + side * (half - 20), ry + rh);
        fold.closeSubpath();
        p.fillPath(fold, QColor(0x55, 0x55, 0x55));
    }
    QPainterPath ribbon;
    ribbon.addRect(QRectF(c.x() - half, ry, 2 * half, rh));
    cutOut(p, ribbon, 5, ink);
    p.setPen(QPen(Qt::white, 2.5));
    p.drawLine(QPointF(c.x() - half + 8, ry + 7), QPointF(c.x() + half - 8, ry + 7));
    p.drawLine(QPointF(c.x() - half + 8, ry + rh - 7), QPointF(c.x() + half - 8, ry + rh - 7));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(textPath("OLVARIN", sansFont(50), QPointF(c.x(), ry + rh / 2), 6));

    // The boxer, facing right, throwing a straight punch. Drawn in his own frame (ground at
    // y 320), then placed with his feet on the top of the badge.
    p.save();
    const qreal scale = 1.16;
    p.translate(c.x() - 376 * scale, 352 - 320 * scale);
    p.scale(scale, scale);
    paintBoxer(p, ink);
    p.restore();
}

void paintProductLogo(QPainter& p)
{
    const QPointF c(34.5, 34.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawEllipse(c, 33.5, 33.5);
    p.setBrush(kGold);
    p.drawEllipse(c, 31, 31);
    p.setBrush(kNavy);
    p.drawEllipse(c, 29, 29);
    paintGlove(p, QRectF(16, 10, 40, 34), QColor(0xd4, 0x24, 0x2e), kInk, 1.3);
    p.setBrush(Qt::white);
    p.drawPath(textPath("QOR", sansFont(15), QPointF(34.5, 53), 1));
}

} // namespace artgen
