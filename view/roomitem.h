#pragma once

#include "core/model/document.h"

#include <QColor>
#include <QGraphicsObject>

// One room of the map as the view draws it: its outline through the centres of its corner
// pixels, one screen pixel wide; when selected, fuchsia with six handle boxes of 5 x 5
// screen pixels, the one under the mouse lime. The scene keeps it in step with the
// document; isSelected() is the room's selected look.
class TRoomItem : public QGraphicsObject {
    Q_OBJECT
public:
    enum { Type = UserType + 2 };

    TRoomItem(RoomKey key, const RoomShape& shape);

    int type() const override { return Type; }
    RoomKey key() const { return roomKey; }
    const RoomShape& roomShape() const { return shapeNow; }
    void setRoomShape(const RoomShape& shape);

    // The part under the mouse: a handle (1 to 6), the body (10) or none (0). Only the
    // selected room shows it, as the lime box.
    int hoveredHandle() const { return hovered; }
    void setHoveredHandle(int part);

    // The part of the room at a screen pixel seen through toDevice: a handle (only while
    // selected), the body, or none.
    int partAt(QPoint pixel, const QTransform& toDevice) const;

    // Screen pixels per picture pixel where the room is shown: the selected room's bounds
    // reach around it as far as its handle boxes do.
    void setScreenScale(qreal scale);

    QColor outlineColor() const;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    qreal reach() const;   // picture units that hold the handle boxes around the corners
    void updateHandle(int part);

    RoomKey roomKey;
    RoomShape shapeNow;
    int hovered = 0;
    qreal screenScale = 1;
};
