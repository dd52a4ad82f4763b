#include "view/roomhandles.h"

#include <QtMath>
#include <algorithm>

namespace roomhandles {

namespace {

// The whole number at or below a coordinate; points far off the screen or the picture are
// held at a distance that an int keeps.
int clampedFloor(qreal value)
{
    return int(qFloor(std::clamp<qreal>(value, -1e9, 1e9)));
}

qreal centreOf(qint64 pixel)
{
    return qreal(pixel) + 0.5;
}

// The middle pixel of a wall, the upper one of two.
qint64 middleOf(qint64 top, qint64 bottom)
{
    return top + (bottom - top) / 2;
}

} // namespace

QPointF handleCentre(const RoomShape& s, int handle)
{
    switch (handle) {
    case int(Corner::TopLeft): return {centreOf(s.xl), centreOf(s.ytl)};
    case int(Corner::LeftWall): return {centreOf(s.xl), centreOf(middleOf(s.ytl, s.ybl))};
    case int(Corner::BottomLeft): return {centreOf(s.xl), centreOf(s.ybl)};
    case int(Corner::TopRight): return {centreOf(s.xr), centreOf(s.ytr)};
    case int(Corner::RightWall): return {centreOf(s.xr), centreOf(middleOf(s.ytr, s.ybr))};
    case int(Corner::BottomRight): return {centreOf(s.xr), centreOf(s.ybr)};
    default: return {};
    }
}

QRectF pixelBounds(const RoomShape& s)
{
    const qreal left = qreal(std::min(s.xl, s.xr));
    const qreal right = qreal(std::max(s.xl, s.xr)) + 1;
    const qreal top = qreal(std::min({s.ytl, s.ytr, s.ybl, s.ybr}));
    const qreal bottom = qreal(std::max({s.ytl, s.ytr, s.ybl, s.ybr})) + 1;
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QRect handleBox(const RoomShape& shape, int handle, const QTransform& toDevice)
{
    const QPointF centre = toDevice.map(handleCentre(shape, handle));
    const int half = BoxSize / 2;
    return QRect(clampedFloor(centre.x()) - half, clampedFloor(centre.y()) - half, BoxSize, BoxSize);
}

QPoint screenPixel(QPointF devicePoint)
{
    return {clampedFloor(devicePoint.x() + 0.5), clampedFloor(devicePoint.y() + 0.5)};
}

int handleAt(const RoomShape& shape, QPoint pixel, const QTransform& toDevice)
{
    for (int handle = FirstHandle; handle <= LastHandle; ++handle) {
        const QRect inner = handleBox(shape, handle, toDevice).adjusted(1, 1, 0, 0);
        if (inner.contains(pixel))
            return handle;
    }
    return NoPart;
}

bool bodyContains(const RoomShape& shape, QPoint pixel, const QTransform& toDevice)
{
    const QRectF onScreen = toDevice.mapRect(pixelBounds(shape)).adjusted(-BodyRim, -BodyRim, BodyRim, BodyRim);
    const QPointF centre = QPointF(pixel) + QPointF(0.5, 0.5);
    return centre.x() >= onScreen.left() && centre.x() < onScreen.right() && centre.y() >= onScreen.top()
           && centre.y() < onScreen.bottom();
}

QPoint picturePixel(QPoint pixel, const QTransform& toDevice)
{
    // Far less than a screen pixel at the largest zoom, far more than the rounding of the
    // way back from the screen.
    constexpr qreal nudge = 1e-6;
    const QPointF at = toDevice.inverted().map(QPointF(pixel));
    return {clampedFloor(at.x() + nudge), clampedFloor(at.y() + nudge)};
}

} // namespace roomhandles
