#include "core/model/scriptload.h"

#include "core/model/snapshot.h"

RoomRecord RoomFromScript(const ReadRoom& room)
{
    const RoomCorners& c = room.corners;
    const RoomShape written{c.xl, c.xr, c.ytl, c.ytr, c.ybl, c.ybr};
    return {AdjustedShape(written, Corner::BottomRight, 5, 5), room.roomtype, room.music, {}};
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
    return values;
}

RoomDefs LoadedIntoEmptyMap(const ScriptContent& content)
{
    TMetaroomDocument document;
    QList<RoomKey> made;
    made.reserve(content.rooms.size());
    for (const ReadRoom& room : content.rooms)
        made.append(document.insertRoom(document.roomCount(), RoomFromScript(room)));
    // An empty map has no rooms of its own for a door to name.
    const auto keyOf = [&](const RoomRef& ref) { return ref.inScript ? made.value(ref.index) : RoomKey(0); };
    for (const ReadDoor& door : content.doors) {
        const RoomKey a = keyOf(door.first);
        const RoomKey b = keyOf(door.second);
        if (a != 0 && b != 0)
            document.setDoor(a, b, door.perm);
    }
    document.setMetaroom(MetaroomAfterLoad(document.metaroom(), content));
    document.setSurfaceSize(QSize(content.panelWidth, content.panelHeight));
    return ToRoomDefs(document);
}
