#pragma once

#include "core/model/roomshape.h"

#include <QLineF>
#include <QList>
#include <QPoint>

// A room drawn as a rectangle with the mouse, from the picture pixel the press was on to
// the one under the mouse, both inside the room.
struct DrawnRoom {
    RoomShape shape;
    QList<QLineF> guides;   // what it snapped to, in picture coordinates
    bool bigEnough = false; // at least the least size that handles of the given size allow
};

// The rectangle between two pixels. With snapping, each wall goes to the nearest wall of
// another room within reach, then the ceiling and the floor, each kept level, so that one
// of their corners meets the nearest corner on the same wall x (as SnapShape moves a dragged
// wall or corner); a snap that would leave the rectangle below the least size is not made.
DrawnRoom DrawRoom(QPoint from, QPoint to, const QList<RoomShape>& others, qint64 reach, bool snapping,
                   int handleWidth, int handleHeight);
