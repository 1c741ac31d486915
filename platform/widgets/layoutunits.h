#pragma once
// The words the window layouts are written in. Places are in twips (1/1440 inch; 15 twips
// make one pixel at 96 dpi), measured from the top-left of the container's client area.

#include <QRect>

struct Twips
{
    int left, top, width, height;
};

constexpr int kTwipsPerPixel = 15;

// Pixels from twips, rounded to the nearest pixel.
constexpr int px(int twips)
{
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

inline QRect pixels(const Twips& t)
{
    return QRect(px(t.left), px(t.top), px(t.width), px(t.height));
}

enum class Align { Left, Centre, Right };

enum class Face { MsSansSerif, Arial, ArialNarrow };
