#pragma once

#include "core/model/roomshape.h"

#include <QLineF>
#include <QList>

// A dragged shape drawn to the walls and corners of other rooms near it.
struct Snapped {
    RoomShape shape;
    QList<QLineF> guides;   // what it snapped to, in picture coordinates; none when it did not
};

// The shape a drag made, snapped to the other rooms within reach (picture pixels):
// - a wall (Corner::LeftWall, RightWall) to the nearest wall x;
// - a corner (TopLeft, BottomLeft, TopRight, BottomRight) to the nearest y of another
//   room's corner on a wall at the same x;
// - the whole room (part 0) first across, so that one of its walls meets the nearest wall,
//   then up or down, so that one of its corners meets the nearest corner on the same wall x.
Snapped SnapShape(const RoomShape& dragged, int part, const QList<RoomShape>& others, qint64 reach);
