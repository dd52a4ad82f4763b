#pragma once

#include "core/script/roomdefs.h"

#include <QPoint>
#include <optional>

// Where the game finds a room: the point look-up of rmsc and of everything in the room.
// A point is in a room when it lies between the walls (xl <= x <= xr) and, at its x,
// between the ceiling and the floor, each the straight line between its wall ends. A room
// with reversed walls or a ceiling below its floor on both walls holds no point.
bool GameRoomContains(const RoomCorners& room, qint64 x, qint64 y);

RoomCorners CornersOf(const ScriptRoom& room);

// A point the game finds in the room, for its rmsc line: the middle of its diagonal from
// top left to bottom right (halves truncated) when that lies inside, else the middle
// between ceiling and floor at the middle of the room, or else at its left or its right
// wall; nothing when the room holds no point.
std::optional<QPoint> MusicPoint(const RoomCorners& room);
