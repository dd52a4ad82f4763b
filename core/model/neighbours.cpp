#include "core/model/neighbours.h"

#include "core/model/snapshot.h"
#include "core/rules/gamerules.h"

#include <algorithm>

namespace {

// The room's box grown by the pixel within which floors and ceilings still meet.
struct Box {
    qint64 x0, y0, x1, y1;
    bool meets(const Box& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
};

Box boxOf(const RoomShape& s)
{
    return {std::min(s.xl, s.xr) - 1, std::min({s.ytl, s.ytr, s.ybl, s.ybr}) - 1, std::max(s.xl, s.xr) + 1,
            std::max({s.ytl, s.ytr, s.ybl, s.ybr}) + 1};
}

} // namespace

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
    const Box box = boxOf(shape);
    const ScriptRoom room = ScriptRoomOf(shape);
    for (const RoomKey other : doc.rooms()) {
        if (other == key)
            continue;
        const RoomShape& near = doc.room(other).shape;
        if (box.meets(boxOf(near)) && ShareEdge(room, ScriptRoomOf(near)))
            found.append(other);
    }
    return found;
}
