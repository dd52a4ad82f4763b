#include "core/script/roompoint.h"

#include <algorithm>
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

double ceilingAt(const RoomShape& r, qint64 x)
{
    return lineAt(r.xl, r.ytl, r.xr, r.ytr, x);
}

double floorAt(const RoomShape& r, qint64 x)
{
    return lineAt(r.xl, r.ybl, r.xr, r.ybr, x);
}

} // namespace

bool GameRoomContains(const RoomShape& room, qint64 x, qint64 y)
{
    if (x < room.xl || x > room.xr)
        return false;
    return ceilingAt(room, x) <= double(y) && double(y) <= floorAt(room, x);
}

RoomShape CornersOf(const ScriptRoom& room)
{
    return room;
}

ScriptRoom ScriptRoomOf(const RoomShape& shape)
{
    ScriptRoom room{};
    room.xl = SaturatedCorner(shape.xl);
    room.xr = SaturatedCorner(shape.xr);
    room.ytl = SaturatedCorner(shape.ytl);
    room.ytr = SaturatedCorner(shape.ytr);
    room.ybl = SaturatedCorner(shape.ybl);
    room.ybr = SaturatedCorner(shape.ybr);
    return room;
}

std::optional<QPoint> MusicPoint(const RoomShape& room, const std::function<bool(QPoint)>& taken)
{
    const auto free = [&](qint64 x, qint64 y) {
        return GameRoomContains(room, x, y) && (!taken || !taken(QPoint(int(x), int(y))));
    };
    // As the writer has always put it, halves truncated toward zero.
    const qint64 diagonalX = (qint64(room.xl) + room.xr) / 2;
    const qint64 diagonalY = (qint64(room.ytl) + room.ybr) / 2;
    if (free(diagonalX, diagonalY))
        return QPoint(int(diagonalX), int(diagonalY));
    if (room.xl > room.xr)
        return std::nullopt;
    // The middle of the room, its walls, then points spread over it.
    static constexpr int Steps = 8;
    std::vector<std::pair<int, int>> fractions = {{Steps / 2, Steps / 2}, {0, Steps / 2}, {Steps, Steps / 2}};
    for (int fx = 1; fx < Steps; ++fx) {
        for (int fy = 1; fy < Steps; ++fy)
            fractions.push_back({fx, fy});
    }
    const qint64 width = qint64(room.xr) - room.xl;
    for (const auto& [fx, fy] : fractions) {
        const qint64 x = room.xl + width * fx / Steps;
        const double top = ceilingAt(room, x);
        const double bottom = floorAt(room, x);
        if (top > bottom)
            continue;
        const qint64 y = qint64(std::floor(top + (bottom - top) * fy / Steps));
        for (const qint64 candidate : {y, y + 1, y - 1}) {
            if (free(x, candidate))
                return QPoint(int(x), int(candidate));
        }
    }
    return std::nullopt;
}

void RoomPointIndex::add(const RoomShape& room)
{
    boxes.insert(rooms.size(), RoomBox(room));
    rooms.push_back(room);
}

int RoomPointIndex::find(qint64 x, qint64 y) const
{
    boxes.find({x, y, x, y}, found);   // in the order added
    for (const quint64 r : std::as_const(found)) {
        if (GameRoomContains(rooms[r], x, y))
            return int(r);
    }
    return -1;
}
