#include "core/script/roompoint.h"

#include <array>
#include <cmath>

namespace {

// The y of the line from (x0, y0) to (x1, y1) at x, as the game works it out in floats.
double lineAt(qint64 x0, qint64 y0, qint64 x1, qint64 y1, qint64 x)
{
    if (x1 == x0)
        return double(y0);
    return double(y0) + double(y1 - y0) * double(x - x0) / double(x1 - x0);
}

double ceilingAt(const RoomCorners& r, qint64 x)
{
    return lineAt(r.xl, r.ytl, r.xr, r.ytr, x);
}

double floorAt(const RoomCorners& r, qint64 x)
{
    return lineAt(r.xl, r.ybl, r.xr, r.ybr, x);
}

} // namespace

bool GameRoomContains(const RoomCorners& room, qint64 x, qint64 y)
{
    if (x < room.xl || x > room.xr)
        return false;
    return ceilingAt(room, x) <= double(y) && double(y) <= floorAt(room, x);
}

RoomCorners CornersOf(const ScriptRoom& room)
{
    return {room.xl, room.xr, room.ytl, room.ytr, room.ybl, room.ybr};
}

std::optional<QPoint> MusicPoint(const RoomCorners& room)
{
    // As the writer has always put it, halves truncated toward zero.
    const qint64 diagonalX = (qint64(room.xl) + room.xr) / 2;
    const qint64 diagonalY = (qint64(room.ytl) + room.ybr) / 2;
    if (GameRoomContains(room, diagonalX, diagonalY))
        return QPoint(int(diagonalX), int(diagonalY));
    if (room.xl > room.xr)
        return std::nullopt;
    const std::array<qint64, 3> columns = {diagonalX, room.xl, room.xr};
    for (const qint64 x : columns) {
        const double top = ceilingAt(room, x);
        const double bottom = floorAt(room, x);
        if (top > bottom)
            continue;
        const qint64 y = qint64(std::floor((top + bottom) / 2));
        for (const qint64 candidate : {y, y + 1, y - 1}) {
            if (GameRoomContains(room, x, candidate))
                return QPoint(int(x), int(candidate));
        }
    }
    return std::nullopt;
}
