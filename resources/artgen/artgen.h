#pragma once
// Painting of every picture the program shows. Each painter draws in the picture's own
// 1x pixel coordinates; the caller scales the painter for the @2x twin.

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace artgen {

// The printing inks shared by the cards, logos and icons.
inline const QColor kInk{0x1b, 0x1b, 0x1f};
inline const QColor kNavy{0x1f, 0x2f, 0x5c};
inline const QColor kRed{0xb8, 0x20, 0x2a};
inline const QColor kDarkRed{0x8a, 0x14, 0x1c};
inline const QColor kGold{0xd8, 0xa4, 0x2c};
inline const QColor kTint{0xe8, 0xec, 0xf3};

// "Liberation Sans" (bold unless told), sized in pixels so the 1x drawing is exact.
QFont sansFont(qreal pixelSize, bool bold = true, bool narrow = false);

// Text as an outline, centred on `centre`, for logos that stroke and fill their lettering.
QPainterPath textPath(const QString& text, const QFont& font, QPointF centre,
                      qreal letterSpacing = 0);

// A five-pointed star.
QPainterPath starPath(QPointF centre, qreal outerRadius, qreal innerRatio = 0.42);

// The glove's fist, without its cuff, in the 100 x 100 square the glove is designed in.
QPainterPath gloveBody();

// A boxing glove punching towards +x, fitted into `box`; mirrored when `mirror` is set.
void paintGlove(QPainter& p, const QRectF& box, const QColor& leather, const QColor& outline,
                qreal outlineWidth, bool mirror = false, bool simple = false);

// Cards: the blank face (with the cells of the main or review panel), the back, the stack.
void paintCardFace(QPainter& p, bool reviewPanel);
void paintCardBack(QPainter& p, const QRectF& card);
void paintCardStack(QPainter& p);

// Logos.
void paintTitleLogo(QPainter& p);
void paintMakerLogo(QPainter& p);
void paintProductLogo(QPainter& p);

// Icon at `size` x `size` (small sizes drop detail), and the 32 x 32 pointing hand.
void paintIcon(QPainter& p, int size);
void paintHandCursor(QPainter& p);

} // namespace artgen
