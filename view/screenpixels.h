#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

// Draws the image that imageFor makes for a rectangle's size on the screen (its top-left part
// of that size, when it is larger), between the
// rectangle's edges rounded to screen pixels: neighbours rounded alike meet without a gap
// or an overlap, and the drawing is a plain copy of pixels.
template <typename ImageForSize>
void paintAtScreenSize(QPainter* painter, const QRectF& rect, ImageForSize imageFor)
{
    const QTransform toDevice = painter->worldTransform();
    const QRectF onScreen = toDevice.mapRect(rect);
    const QRect target(QPoint(qRound(onScreen.left()), qRound(onScreen.top())),
                       QPoint(qRound(onScreen.right()) - 1, qRound(onScreen.bottom()) - 1));
    if (target.isEmpty())
        return;
    const QImage& image = imageFor(target.size());
    painter->resetTransform();
    painter->drawImage(target, image, QRect(QPoint(0, 0), target.size()));
    painter->setWorldTransform(toDevice);
}
