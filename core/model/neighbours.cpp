#include "core/model/neighbours.h"

#include "core/model/snapshot.h"
#include "core/rules/gamerules.h"

bool ShapesShareEdge(const RoomShape& a, const RoomShape& b)
{
    return ShareEdge(ScriptRoomOf(a), ScriptRoomOf(b));
}

bool SharesEdge(const TMetaroomDocument& doc, RoomKey a, RoomKey b)
{
    if (a == b || !doc.contains(a) || !doc.contains(b))
        return false;
    return ShapesShareEdge(doc.room(a).shape, doc.room(b).shape);
}

QList<RoomKey> EdgeNeighbours(const TMetaroomDocument& doc, RoomKey key)
{
    QList<RoomKey> found;
    if (!doc.contains(key))
        return found;
    const RoomShape& shape = doc.room(key).shape;
    // Grown by the pixel within which floors and ceilings still meet, on both rooms.
    GridIndex::Box box = RoomBox(shape);
    box = {box.x0 - 2, box.y0 - 2, box.x1 + 2, box.y1 + 2};
    const ScriptRoom room = ScriptRoomOf(shape);
    for (const RoomKey other : doc.roomsMeeting(box)) {
        if (other != key && ShareEdge(room, ScriptRoomOf(doc.room(other).shape)))
            found.append(other);
    }
    doc.sortByPosition(found);
    return found;
}
