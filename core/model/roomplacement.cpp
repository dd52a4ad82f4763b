#include "core/model/roomplacement.h"

namespace {

// The start of a span of `length` pixels, moved to lie inside
// [first, last] where it fits, at `first` where it does not.
qint64 heldInside(qint64 start, qint64 length, qint64 first, qint64 last)
{
    if (start + length > last)
        start = last - length;
    if (start < first)
        start = first;
    return start;
}

} // namespace

RoomShape NewRoomAt(QPoint centre, const QRect& area)
{
    const RoomShape room;
    const qint64 width = room.xr - room.xl;
    const qint64 height = room.ybl - room.ytl;
    qint64 left = centre.x() - width / 2;
    qint64 top = centre.y() - height / 2;
    if (!area.isEmpty()) {
        left = heldInside(left, width, area.left(), area.right());
        top = heldInside(top, height, area.top(), area.bottom());
    }
    return Moved(room, left - room.xl, top - room.ytl);
}

QPoint MiddleOf(const RoomShape& room)
{
    return QPoint(int(room.xl + (room.xr - room.xl) / 2), int(room.ytl + (room.ybl - room.ytl) / 2));
}
