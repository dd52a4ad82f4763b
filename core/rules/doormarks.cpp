#include "core/rules/doormarks.h"

#include "core/rules/gamerules.h"

QPointF RoomCentre(const ScriptRoom& r)
{
    return QPointF((double(r.xl) + double(r.xr)) / 2,
                   (double(r.ytl) + double(r.ytr) + double(r.ybl) + double(r.ybr)) / 4);
}

DoorMark DoorMarkBetween(const RoomDefs& defs, int a, int b, int perm)
{
    const ScriptRoom& from = defs.rooms[a];
    const ScriptRoom& to = defs.rooms[b];
    const RoomContact contact = ContactOf(from, to);
    DoorMark mark;
    mark.a = a;
    mark.b = b;
    mark.perm = perm;
    mark.onEdge = contact.sharesEdge();
    mark.line = mark.onEdge ? contact.line : QLineF(RoomCentre(from), RoomCentre(to));
    return mark;
}

QList<DoorMark> DoorMarks(const RoomDefs& defs)
{
    QList<DoorMark> marks;
    for (int a = 0; a < defs.rooms.size(); ++a) {
        for (const ScriptDoor& door : defs.rooms[a].doors) {
            if (door.target <= a || door.target >= defs.rooms.size())
                continue;
            marks.append(DoorMarkBetween(defs, a, door.target, door.perm));
        }
    }
    return marks;
}
