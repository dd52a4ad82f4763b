#include "core/model/snapshot.h"

#include "core/background/bitmapgrid.h"

RoomDefs ToRoomDefs(const TMetaroomDocument& document)
{
    const MetaroomValues& m = document.metaroom();
    RoomDefs defs;
    defs.offsetX = m.offsetX;
    defs.offsetY = m.offsetY;
    defs.metaRoomID = m.metaRoomID;
    defs.subRoomStartID = m.subRoomStartID;
    defs.metaroomMusic = m.music;
    defs.metaroomFilename = m.filename;
    defs.panelWidth = document.surfaceSize().width();
    defs.panelHeight = document.surfaceSize().height();
    defs.mapLines = m.mapLines;
    defs.keptLines = m.keptLines;
    defs.rooms.reserve(document.roomCount());
    for (const RoomKey key : document.rooms()) {
        const RoomRecord& r = document.room(key);
        ScriptRoom room = ScriptRoomOf(r.shape);
        room.roomtype = r.roomtype;
        room.music = r.music;
        room.levels = r.levels;
        room.doors.reserve(r.doors.size());
        for (const RoomDoor& d : r.doors)
            room.doors.append({document.positionOf(d.target), d.perm});
        defs.rooms.append(std::move(room));
    }
    return defs;
}

QSize PictureSize(const PictureGrid& grid)
{
    if (!grid.blocks || grid.blocks->empty())
        return {};
    return GridPictureSize(grid.columns, grid.rows);
}
