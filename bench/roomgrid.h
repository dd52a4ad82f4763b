#pragma once

// A map of 10,000 rooms and 20,000 door lines for the benchmarks of the game's rules and
// the tool's check. The rooms lie in a grid of 100 x 100 with zig-zag floors, each sharing
// its walls and floors with its neighbours; each room has a door to the next one and to
// the one 100 places on, wrapping round, so 200 door lines join rooms that share no edge.

#include "core/script/roomdefs.h"

#include <QSize>

namespace roomgrid {

constexpr int roomColumns = 100;
constexpr int roomRows = 100;
constexpr int roomCount = roomColumns * roomRows;
constexpr int roomWidth = 76;
constexpr int roomHeight = 30;
inline const QSize picture(60 * 128, 24 * 128);

// The height of the floors and ceilings at the wall between columns c - 1 and c.
inline int zigzag(int column)
{
    return column % 2 ? 6 : 0;
}

inline RoomDefs makeMap()
{
    RoomDefs defs;
    defs.metaRoomID = 1;
    defs.subRoomStartID = 0;
    defs.metaroomFilename = QStringLiteral("Grid.blk");
    defs.metaroomMusic = QStringLiteral("main.mng\\\\grid");
    defs.panelWidth = picture.width();
    defs.panelHeight = picture.height();
    for (int k = 0; k < roomCount; ++k) {
        const int c = k % roomColumns;
        const int y = (k / roomColumns) * roomHeight;
        ScriptRoom room;
        room.xl = c * roomWidth;
        room.xr = room.xl + roomWidth;
        room.ytl = y + zigzag(c);
        room.ytr = y + zigzag(c + 1);
        room.ybl = room.ytl + roomHeight;
        room.ybr = room.ytr + roomHeight;
        room.roomtype = k % 11;
        room.music = k % 3 ? QString() : QStringLiteral("Default");
        defs.rooms.append(room);
    }
    for (int k = 0; k < roomCount; ++k) {
        for (const int step : {1, roomColumns}) {
            const int other = (k + step) % roomCount;
            defs.rooms[k].doors.append({other, 50});
            defs.rooms[other].doors.append({k, 50});
        }
    }
    return defs;
}

} // namespace roomgrid
