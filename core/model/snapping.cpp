#include "core/model/snapping.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

struct WallCorner {
    qint64 x;
    qint64 y;
};

QList<WallCorner> cornersOf(const RoomShape& s)
{
    return {{s.xl, s.ytl}, {s.xl, s.ybl}, {s.xr, s.ytr}, {s.xr, s.ybr}};
}

// The nearest offset from one of the values to one of the targets, within reach.
struct Offset {
    qint64 by = 0;
    qint64 target = 0;
};

void consider(std::optional<Offset>& best, qint64 from, qint64 to, qint64 reach)
{
    const qint64 by = to - from;
    if (std::abs(by) <= reach && (!best || std::abs(by) < std::abs(best->by)))
        best = Offset{by, to};
}

std::optional<Offset> wallOffset(const QList<qint64>& walls, const QList<RoomShape>& others, qint64 reach)
{
    std::optional<Offset> best;
    for (const RoomShape& other : others)
        for (const qint64 wall : walls)
            for (const qint64 target : {other.xl, other.xr})
                consider(best, wall, target, reach);
    return best;
}

std::optional<Offset> cornerOffset(const QList<WallCorner>& corners, const QList<RoomShape>& others, qint64 reach)
{
    std::optional<Offset> best;
    for (const RoomShape& other : others)
        for (const WallCorner& corner : corners)
            for (const WallCorner& target : cornersOf(other))
                if (target.x == corner.x)
                    consider(best, corner.y, target.y, reach);
    return best;
}

qint64 top(const RoomShape& s) { return std::min({s.ytl, s.ytr, s.ybl, s.ybr}); }
qint64 bottom(const RoomShape& s) { return std::max({s.ytl, s.ytr, s.ybl, s.ybr}); }

// The guides: a wall line along both rooms, a corner line across both.
QLineF wallGuide(qint64 x, const RoomShape& s, const QList<RoomShape>& others)
{
    qint64 from = top(s);
    qint64 to = bottom(s);
    for (const RoomShape& other : others) {
        if (other.xl == x || other.xr == x) {
            from = std::min(from, top(other));
            to = std::max(to, bottom(other));
        }
    }
    return QLineF(double(x), double(from), double(x), double(to));
}

QLineF cornerGuide(qint64 y, const RoomShape& s, const QList<RoomShape>& others)
{
    qint64 from = std::min(s.xl, s.xr);
    qint64 to = std::max(s.xl, s.xr);
    for (const RoomShape& other : others) {
        for (const WallCorner& c : cornersOf(other)) {
            if (c.y == y && (c.x == s.xl || c.x == s.xr)) {
                from = std::min(from, std::min(other.xl, other.xr));
                to = std::max(to, std::max(other.xl, other.xr));
            }
        }
    }
    return QLineF(double(from), double(y), double(to), double(y));
}

} // namespace

Snapped SnapShape(const RoomShape& dragged, int part, const QList<RoomShape>& others, qint64 reach)
{
    Snapped result{dragged, {}};
    RoomShape& s = result.shape;
    switch (part) {
    case 0:
        if (const auto across = wallOffset({s.xl, s.xr}, others, reach)) {
            s = Moved(s, across->by, 0);
            result.guides.append(wallGuide(across->target, s, others));
        }
        if (const auto upDown = cornerOffset(cornersOf(s), others, reach)) {
            s = Moved(s, 0, upDown->by);
            result.guides.append(cornerGuide(upDown->target, s, others));
        }
        break;
    case int(Corner::LeftWall):
    case int(Corner::RightWall): {
        qint64& wall = part == int(Corner::LeftWall) ? s.xl : s.xr;
        if (const auto across = wallOffset({wall}, others, reach)) {
            wall = across->target;
            result.guides.append(wallGuide(wall, s, others));
        }
        break;
    }
    case int(Corner::TopLeft):
    case int(Corner::BottomLeft):
    case int(Corner::TopRight):
    case int(Corner::BottomRight): {
        const bool left = part == int(Corner::TopLeft) || part == int(Corner::BottomLeft);
        qint64& y = part == int(Corner::TopLeft) ? s.ytl
                  : part == int(Corner::BottomLeft) ? s.ybl
                  : part == int(Corner::TopRight) ? s.ytr
                                                  : s.ybr;
        if (const auto upDown = cornerOffset({{left ? s.xl : s.xr, y}}, others, reach)) {
            y = upDown->target;
            result.guides.append(cornerGuide(y, s, others));
        }
        break;
    }
    default: break;
    }
    return result;
}
