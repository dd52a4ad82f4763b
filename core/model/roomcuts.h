#pragma once

// Rooms made from other rooms: a room cut in two, and a room beyond one of its sides.
// Shapes only; the editor turns them into undo steps.

#include "core/model/roomshape.h"

#include <QList>
#include <QRect>
#include <optional>
#include <utility>

// The ceiling or floor of a sloped side at x, between its values at the two walls,
// rounded down: the value both rooms of a cut at x take.
qint64 SlopeAt(qint64 xl, qint64 yl, qint64 xr, qint64 yr, qint64 x);

// The room cut by a wall at x into a left and a right room that share that wall: the
// ceiling and floor at x follow the room's slopes. Nothing when x is not strictly between
// the walls, or the room has no height left there.
std::optional<std::pair<RoomShape, RoomShape>> SplitVertically(const RoomShape& room, qint64 x);

// The room cut through the point (x, y) by a line that runs between its ceiling and floor
// as they slope, into an upper and a lower room: the upper room's floor is the lower
// room's ceiling. Nothing when the point is not inside the room or a part would be empty.
std::optional<std::pair<RoomShape, RoomShape>> SplitHorizontally(const RoomShape& room, qint64 x, qint64 y);

// The sides of a room that another room can be added beyond.
enum class RoomSide { LeftWall, RightWall, Ceiling, Floor };

// The side of the room nearest to a point (x along the walls, y across the ceiling and
// floor as they slope).
RoomSide NearestSide(const RoomShape& room, qint64 x, qint64 y);

// A rectangle-sided room on the other side of `side` that shares the whole of it: as wide
// (beyond a wall) or as high (beyond a ceiling or floor) as the room, but stopping at the
// first of `others` in the way and at the edge of `area` (the picture). Nothing when there
// is no room for it.
std::optional<RoomShape> ShapeBeyond(const RoomShape& room, RoomSide side, const QList<RoomShape>& others,
                                     const QRect& area);
