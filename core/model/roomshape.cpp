#include "core/model/roomshape.h"

#include <algorithm>
#include <limits>

int SaturatedCorner(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

qint64 LeastRoomWidth(int handleWidth)
{
    return 2 * qint64(handleWidth) - 5;
}

qint64 LeastRoomHeight(int handleHeight)
{
    return 2 * qint64(handleHeight) - 5;
}

RoomShape AdjustedShape(RoomShape s, Corner moved, int handleWidth, int handleHeight)
{
    // In the room's outline the walls lie 2 pixels inside its box on the left and 3 on the
    // right, so two handles side by side leave the walls 2 x handle - 5 apart.
    const qint64 minWidth = LeastRoomWidth(handleWidth);
    const qint64 minHeight = LeastRoomHeight(handleHeight);
    switch (moved) {
    case Corner::LeftWall:
        if (s.xr - s.xl < minWidth)
            s.xl = s.xr - minWidth;
        break;
    case Corner::RightWall:
        if (s.xr - s.xl < minWidth)
            s.xr = s.xl + minWidth;
        break;
    case Corner::TopLeft:
        if (s.ybl - s.ytl < minHeight)
            s.ytl = s.ybl - minHeight;
        break;
    case Corner::BottomLeft:
        if (s.ybl - s.ytl < minHeight)
            s.ybl = s.ytl + minHeight;
        break;
    case Corner::TopRight:
        if (s.ybr - s.ytr < minHeight)
            s.ytr = s.ybr - minHeight;
        break;
    case Corner::BottomRight:
        if (s.ybr - s.ytr < minHeight)
            s.ybr = s.ytr + minHeight;
        break;
    }
    return s;
}

RoomShape WithCorner(RoomShape s, Corner corner, qint64 value)
{
    switch (corner) {
    case Corner::TopLeft: s.ytl = value; break;
    case Corner::LeftWall: s.xl = value; break;
    case Corner::BottomLeft: s.ybl = value; break;
    case Corner::TopRight: s.ytr = value; break;
    case Corner::RightWall: s.xr = value; break;
    case Corner::BottomRight: s.ybr = value; break;
    }
    return s;
}

RoomShape Moved(const RoomShape& s, qint64 dx, qint64 dy)
{
    return {s.xl + dx, s.xr + dx, s.ytl + dy, s.ytr + dy, s.ybl + dy, s.ybr + dy};
}

GridIndex::Box RoomBox(const RoomShape& s)
{
    return {std::min(s.xl, s.xr), std::min({s.ytl, s.ytr, s.ybl, s.ybr}), std::max(s.xl, s.xr),
            std::max({s.ytl, s.ytr, s.ybl, s.ybr})};
}
