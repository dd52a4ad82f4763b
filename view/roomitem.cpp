#include "view/roomitem.h"

#include "view/roomhandles.h"

#include <QCursor>
#include <QPainter>

using namespace roomhandles;

namespace {

const QColor fuchsia(255, 0, 255);
const QColor white(255, 255, 255);
const QColor blue(0, 0, 255);
const QColor lime(0, 255, 0);

bool isHandle(int part)
{
    return part >= FirstHandle && part <= LastHandle;
}

} // namespace

TRoomItem::TRoomItem(RoomKey key, const RoomShape& shape)
    : roomKey(key)
    , shapeNow(shape)
{
    setFlag(ItemIsSelectable);   // the selected look; the scene sets it from the document
}

void TRoomItem::setRoomShape(const RoomShape& shape)
{
    if (shape == shapeNow)
        return;
    prepareGeometryChange();
    shapeNow = shape;
}

void TRoomItem::setHoveredHandle(int part)
{
    if (part == hovered)
        return;
    updateHandle(hovered);
    hovered = part;
    updateHandle(hovered);
}

void TRoomItem::updateHandle(int part)
{
    if (!isSelected() || !isHandle(part))
        return;
    const qreal r = reach();
    const QPointF centre = handleCentre(shapeNow, part);
    update(QRectF(centre - QPointF(r, r), centre + QPointF(r, r)));
}

int TRoomItem::partAt(QPoint pixel, const QTransform& toDevice) const
{
    if (isSelected()) {
        if (const int handle = handleAt(shapeNow, pixel, toDevice))
            return handle;
    }
    return bodyContains(shapeNow, pixel, toDevice) ? BodyPart : NoPart;
}

void TRoomItem::setScreenScale(qreal scale)
{
    if (scale <= 0 || scale == screenScale)
        return;
    if (isSelected())
        prepareGeometryChange();
    screenScale = scale;
}

qreal TRoomItem::reach() const
{
    return Reach / screenScale;
}

QColor TRoomItem::outlineColor() const
{
    return isSelected() ? fuchsia : white;
}

QRectF TRoomItem::boundingRect() const
{
    const QRectF pixels = pixelBounds(shapeNow);
    if (!isSelected())
        return pixels;
    const qreal r = reach();
    return pixels.adjusted(-r, -r, r, r);
}

void TRoomItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QPointF corners[4] = {handleCentre(shapeNow, int(Corner::TopLeft)),
                                handleCentre(shapeNow, int(Corner::BottomLeft)),
                                handleCentre(shapeNow, int(Corner::BottomRight)),
                                handleCentre(shapeNow, int(Corner::TopRight))};
    painter->setPen(QPen(outlineColor(), 0));   // width 0: one screen pixel at every zoom
    painter->setBrush(Qt::NoBrush);
    painter->drawPolygon(corners, 4);
    if (!isSelected())
        return;

    const QTransform toDevice = painter->worldTransform();
    painter->save();
    painter->resetTransform();
    for (int handle = FirstHandle; handle <= LastHandle; ++handle)
        painter->fillRect(handleBox(shapeNow, handle, toDevice), blue);
    if (isHandle(hovered))   // over the boxes it overlaps
        painter->fillRect(handleBox(shapeNow, hovered, toDevice), lime);
    painter->restore();
}

QVariant TRoomItem::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemSelectedChange) {
        prepareGeometryChange();   // the bounds grow and shrink by the handle boxes
    } else if (change == ItemSelectedHasChanged) {
        hovered = value.toBool() ? BodyPart : NoPart;
        if (value.toBool())
            setCursor(Qt::CrossCursor);
        else
            unsetCursor();
    }
    return QGraphicsObject::itemChange(change, value);
}
