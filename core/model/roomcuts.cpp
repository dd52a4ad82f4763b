#include "core/model/roomcuts.h"

#include <algorithm>
#include <cmath>

namespace {

qint64 top(const RoomShape& r) { return std::min(r.ytl, r.ytr); }
qint64 bottom(const RoomShape& r) { return std::max(r.ybl, r.ybr); }
qint64 left(const RoomShape& r) { return std::min(r.xl, r.xr); }
qint64 right(const RoomShape& r) { return std::max(r.xl, r.xr); }

// Whether the open spans (a0, a1) and (b0, b1) share a length.
bool overlap(qint64 a0, qint64 a1, qint64 b0, qint64 b1)
{
    return std::max(a0, b0) < std::min(a1, b1);
}

} // namespace

qint64 SlopeAt(qint64 xl, qint64 yl, qint64 xr, qint64 yr, qint64 x)
{
    if (xr == xl)
        return yl;
    const __int128 run = xr - xl;
    const __int128 rise = __int128(yr - yl) * (x - xl);
    __int128 step = rise / run;
    if ((rise % run != 0) && ((rise < 0) != (run < 0)))
        --step;   // rounded down, not toward zero
    return qint64(yl + step);
}

std::optional<std::pair<RoomShape, RoomShape>> SplitVertically(const RoomShape& room, qint64 x)
{
    if (x <= room.xl || x >= room.xr)
        return std::nullopt;
    const qint64 ceiling = SlopeAt(room.xl, room.ytl, room.xr, room.ytr, x);
    const qint64 floor = SlopeAt(room.xl, room.ybl, room.xr, room.ybr, x);
    if (floor <= ceiling)
        return std::nullopt;
    return std::pair{RoomShape{room.xl, x, room.ytl, ceiling, room.ybl, floor},
                     RoomShape{x, room.xr, ceiling, room.ytr, floor, room.ybr}};
}

std::optional<std::pair<RoomShape, RoomShape>> SplitHorizontally(const RoomShape& room, qint64 x, qint64 y)
{
    if (x < room.xl || x > room.xr || room.xr <= room.xl)
        return std::nullopt;
    // Where the point lies between ceiling and floor, as a share of the height there.
    const long double across = (long double)(x - room.xl) / (long double)(room.xr - room.xl);
    const long double ceiling = room.ytl + across * (room.ytr - room.ytl);
    const long double floor = room.ybl + across * (room.ybr - room.ybl);
    if (!(ceiling < y && y < floor))
        return std::nullopt;
    const long double share = (y - ceiling) / (floor - ceiling);
    const qint64 cutLeft = room.ytl + std::llround(share * (room.ybl - room.ytl));
    const qint64 cutRight = room.ytr + std::llround(share * (room.ybr - room.ytr));
    const RoomShape upper{room.xl, room.xr, room.ytl, room.ytr, cutLeft, cutRight};
    const RoomShape lower{room.xl, room.xr, cutLeft, cutRight, room.ybl, room.ybr};
    const bool upperEmpty = cutLeft <= room.ytl && cutRight <= room.ytr;
    const bool lowerEmpty = cutLeft >= room.ybl && cutRight >= room.ybr;
    if (upperEmpty || lowerEmpty)
        return std::nullopt;
    return std::pair{upper, lower};
}

RoomSide NearestSide(const RoomShape& room, qint64 x, qint64 y)
{
    const qint64 along = std::clamp(x, room.xl, room.xr);
    const qint64 distances[] = {
        std::abs(x - room.xl),
        std::abs(x - room.xr),
        std::abs(y - SlopeAt(room.xl, room.ytl, room.xr, room.ytr, along)),
        std::abs(y - SlopeAt(room.xl, room.ybl, room.xr, room.ybr, along)),
    };
    const RoomSide sides[] = {RoomSide::LeftWall, RoomSide::RightWall, RoomSide::Ceiling, RoomSide::Floor};
    const auto nearest = std::min_element(std::begin(distances), std::end(distances));
    return sides[nearest - std::begin(distances)];
}

std::optional<RoomShape> ShapeBeyond(const RoomShape& room, RoomSide side, const QList<RoomShape>& others,
                                     const QRect& area)
{
    const bool limited = !area.isEmpty();
    const qint64 areaLeft = area.x(), areaTop = area.y();
    const qint64 areaRight = qint64(area.x()) + area.width(), areaBottom = qint64(area.y()) + area.height();
    switch (side) {
    case RoomSide::RightWall:
    case RoomSide::LeftWall: {
        const bool toRight = side == RoomSide::RightWall;
        const qint64 wall = toRight ? room.xr : room.xl;
        const qint64 ceiling = toRight ? room.ytr : room.ytl;
        const qint64 floor = toRight ? room.ybr : room.ybl;
        qint64 reach = room.xr - room.xl;
        if (limited)
            reach = std::min(reach, toRight ? areaRight - wall : wall - areaLeft);
        for (const RoomShape& other : others) {
            if (!overlap(top(other), bottom(other), ceiling, floor))
                continue;
            const qint64 gap = toRight ? left(other) - wall : wall - right(other);
            const bool inTheWay = toRight ? right(other) > wall : left(other) < wall;
            if (inTheWay)
                reach = std::min(reach, gap);
        }
        if (reach <= 0)
            return std::nullopt;
        const qint64 far = toRight ? wall + reach : wall - reach;
        return toRight ? RoomShape{wall, far, ceiling, ceiling, floor, floor}
                       : RoomShape{far, wall, ceiling, ceiling, floor, floor};
    }
    case RoomSide::Floor:
    case RoomSide::Ceiling: {
        const bool below = side == RoomSide::Floor;
        qint64 reach = std::max(room.ybl - room.ytl, room.ybr - room.ytr);
        const qint64 nearest = below ? std::max(room.ybl, room.ybr) : std::min(room.ytl, room.ytr);
        if (limited)
            reach = std::min(reach, below ? areaBottom - nearest : nearest - areaTop);
        for (const RoomShape& other : others) {
            if (!overlap(left(other), right(other), room.xl, room.xr))
                continue;
            // Rooms wholly on the room's own side of the edge are not in the way.
            if (below ? bottom(other) <= std::min(room.ybl, room.ybr) : top(other) >= std::max(room.ytl, room.ytr))
                continue;
            reach = std::min(reach, below ? top(other) - nearest : nearest - bottom(other));
        }
        if (reach <= 0)
            return std::nullopt;
        return below ? RoomShape{room.xl, room.xr, room.ybl, room.ybr, room.ybl + reach, room.ybr + reach}
                     : RoomShape{room.xl, room.xr, room.ytl - reach, room.ytr - reach, room.ytl, room.ytr};
    }
    }
    return std::nullopt;
}
