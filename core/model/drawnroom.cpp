#include "core/model/drawnroom.h"

#include "core/model/snapping.h"

#include <algorithm>

namespace {

bool bigEnough(const RoomShape& s, qint64 width, qint64 height)
{
    return s.xr - s.xl >= width && s.ybl - s.ytl >= height && s.ybr - s.ytr >= height;
}

} // namespace

DrawnRoom DrawRoom(QPoint from, QPoint to, const QList<RoomShape>& others, qint64 reach, bool snapping,
                   int handleWidth, int handleHeight)
{
    const qint64 left = std::min(from.x(), to.x());
    const qint64 right = std::max(from.x(), to.x());
    const qint64 top = std::min(from.y(), to.y());
    const qint64 bottom = std::max(from.y(), to.y());
    const qint64 width = LeastRoomWidth(handleWidth);
    const qint64 height = LeastRoomHeight(handleHeight);

    DrawnRoom drawn{RoomShape{left, right, top, top, bottom, bottom}, {}, false};
    drawn.bigEnough = bigEnough(drawn.shape, width, height);
    if (!snapping || !drawn.bigEnough)
        return drawn;
    // Walls first, so that the corners then meet the corners on the walls they reached.
    for (const Corner part : {Corner::LeftWall, Corner::RightWall, Corner::TopLeft, Corner::TopRight,
                              Corner::BottomLeft, Corner::BottomRight}) {
        const Snapped snapped = SnapShape(drawn.shape, int(part), others, reach);
        if (snapped.guides.isEmpty() || !bigEnough(snapped.shape, width, height))
            continue;
        drawn.shape = snapped.shape;
        drawn.guides += snapped.guides;
    }
    return drawn;
}
