#pragma once

#include "core/common/gridindex.h"

#include <QtGlobal>

// A room's six corners in picture coordinates (in game coordinates where so said): the two
// vertical walls xl and xr, and the top and bottom of each wall. Held in 64 bits, so any
// 32-bit corner typed or moved by any amount is kept exactly; the public getters of a room
// saturate to 32 bits.
struct RoomShape {
    qint64 xl = 2;
    qint64 xr = 97;
    qint64 ytl = 2;
    qint64 ytr = 2;
    qint64 ybl = 97;
    qint64 ybr = 97;

    bool operator==(const RoomShape&) const = default;
};

// A room's handles: its six corner values, each with the code the map gives its handle.
enum class Corner { TopLeft = 1, LeftWall = 2, BottomLeft = 3, TopRight = 4, RightWall = 5, BottomRight = 6 };

// What a press takes of a room: one of its handles (a Corner's code), the room as a whole,
// or nothing.
namespace roompart {
constexpr int None = 0;
constexpr int FirstHandle = int(Corner::TopLeft);
constexpr int LastHandle = int(Corner::BottomRight);
constexpr int Body = 10;
} // namespace roompart

// The shape with the moved corner held back at the minimum size that handles of this
// size allow: a wall at least 2 x handleWidth - 5 pixels from the other, a ceiling at
// least 2 x handleHeight - 5 above the floor of its wall. Only the corner that moved is
// held back; the others stay as they are, even where they break a rule.
RoomShape AdjustedShape(RoomShape shape, Corner moved, int handleWidth, int handleHeight);
// Those least sizes: walls this far apart, ceilings this far above their floors.
qint64 LeastRoomWidth(int handleWidth);
qint64 LeastRoomHeight(int handleHeight);

// A corner as the 32-bit value a room shows: saturated at the ends of the range.
int SaturatedCorner(qint64 value);

// Sets one corner value.
RoomShape WithCorner(RoomShape shape, Corner corner, qint64 value);

// The shape moved by dx, dy.
RoomShape Moved(const RoomShape& shape, qint64 dx, qint64 dy);

// The box around a room's corners, edges included.
GridIndex::Box RoomBox(const RoomShape& shape);
