#pragma once

#include "core/script/roomdefs.h"

#include <QPoint>
#include <functional>
#include <optional>
#include <vector>

// Where the game finds a room: the point look-up of rmsc and of everything in the room.
// A point is in a room when it lies between the walls (xl <= x <= xr) and, at its x,
// between the ceiling and the floor, each the straight line between its wall ends. A room
// with reversed walls or a ceiling below its floor on both walls holds no point.
bool GameRoomContains(const RoomShape& room, qint64 x, qint64 y);

RoomShape CornersOf(const ScriptRoom& room);
// A shape's corners as they show (saturated to 32 bits), without type, music or doors.
ScriptRoom ScriptRoomOf(const RoomShape& shape);

// A point the game finds in the room, for its rmsc line: the middle of its diagonal from
// top left to bottom right (halves truncated) when that lies inside, else the middle
// between ceiling and floor at the middle of the room, or else at its left or its right
// wall; nothing when the room holds no point.
// With taken, a point for which taken is false: the points above first, then points
// spread over the room.
std::optional<QPoint> MusicPoint(const RoomShape& room, const std::function<bool(QPoint)>& taken = {});

// Rooms in the order they are added, by where their boxes lie, for the game's point look-up.
class RoomPointIndex {
public:
    void add(const RoomShape& room);
    // The first room added that holds the point, or -1.
    int find(qint64 x, qint64 y) const;
    int size() const { return int(rooms.size()); }

private:
    std::vector<RoomShape> rooms;
    GridIndex boxes;                    // by the room's place in rooms
    mutable QList<quint64> found;       // kept for the next look-up
};
