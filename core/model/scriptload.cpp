#include "core/model/scriptload.h"

#include "core/model/snapshot.h"

RoomRecord RoomFromScript(const ReadRoom& room)
{
    const RoomShape& c = room.corners;
    RoomRecord record;
    record.shape = {c.xl, c.xr, c.ytl, c.ytr, c.ybl, c.ybr};
    record.roomtype = room.roomtype;
    record.music = room.music;
    record.levels = room.levels;
    return record;
}

MetaroomValues MetaroomAfterLoad(MetaroomValues values, const ScriptContent& content)
{
    if (content.numbering) {
        values.metaRoomID = content.numbering->metaRoomID;
        values.subRoomStartID = content.numbering->subRoomStartID;
    }
    if (content.metaroom) {
        values.offsetX = content.metaroom->offsetX;
        values.offsetY = content.metaroom->offsetY;
        values.filename = content.metaroom->backgroundName;
    }
    if (content.metaroomMusic)
        values.music = *content.metaroomMusic;
    for (const KeptLine& line : content.mapLines)
        values.mapLines.append(line.text);
    for (const KeptLine& line : content.kept)
        values.keptLines.append(line.text);
    return values;
}

RoomDefs LoadedIntoEmptyMap(const ScriptContent& content)
{
    TMetaroomDocument document;
    QList<RoomKey> made;
    made.reserve(content.rooms.size());
    for (const ReadRoom& room : content.rooms)
        made.append(document.insertRoom(document.roomCount(), RoomFromScript(room)));
    for (const ReadDoor& door : content.doors)
        document.setDoor(made.value(door.first.index), made.value(door.second.index), door.perm);
    document.setMetaroom(MetaroomAfterLoad(document.metaroom(), content));
    document.setSurfaceSize(QSize(content.panelWidth, content.panelHeight));
    return ToRoomDefs(document);
}
