#include "platform/widgets/qorpicture.h"

#include <QPainter>

QorPicture::QorPicture(QWidget* parent) : QWidget(parent) {}

void QorPicture::setPicture(const QString& path)
{
    // QPixmap picks name@2x.png by itself on a screen with a device pixel ratio of 2.
    setPicture(QPixmap(path));
}

void QorPicture::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void QorPicture::setStretch(bool on)
{
    m_stretch = on;
    update();
}

void QorPicture::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (m_stretch) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), m_picture);
    } else {
        painter.drawPixmap(QPoint(0, 0), m_picture);
    }
}
