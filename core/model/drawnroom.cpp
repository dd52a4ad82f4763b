#include "core/model/drawnroom.h"

#include "core/model/snapping.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

namespace {

bool bigEnough(const RoomShape& s, qint64 width, qint64 height)
{
    return s.xr - s.xl >= width && s.ybl - s.ytl >= height && s.ybr - s.ytr >= height;
}

qint64 cornerOf(const RoomShape& s, Corner corner)
{
    switch (corner) {
    case Corner::TopLeft: return s.ytl;
    case Corner::TopRight: return s.ytr;
    case Corner::BottomLeft: return s.ybl;
    case Corner::BottomRight: return s.ybr;
    case Corner::LeftWall: return s.xl;
    case Corner::RightWall: return s.xr;
    }
    return 0;
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
    // Walls first, so that the ceiling and floor then meet the corners on the walls they reached.
    for (const Corner wall : {Corner::LeftWall, Corner::RightWall}) {
        const Snapped snapped = SnapShape(drawn.shape, int(wall), others, reach);
        if (snapped.guides.isEmpty() || !bigEnough(snapped.shape, width, height))
            continue;
        drawn.shape = snapped.shape;
        drawn.guides += snapped.guides;
    }
    // The ceiling and the floor stay level: the nearer snap of their two corners moves both.
    for (const auto& [leftCorner, rightCorner] : {std::pair{Corner::TopLeft, Corner::TopRight},
                                                  std::pair{Corner::BottomLeft, Corner::BottomRight}}) {
        std::optional<Snapped> nearest;
        qint64 by = 0;
        for (const Corner corner : {leftCorner, rightCorner}) {
            Snapped snapped = SnapShape(drawn.shape, int(corner), others, reach);
            const qint64 moved = cornerOf(snapped.shape, corner) - cornerOf(drawn.shape, corner);
            if (!snapped.guides.isEmpty() && (!nearest || std::abs(moved) < std::abs(by))) {
                nearest = std::move(snapped);
                by = moved;
            }
        }
        if (!nearest)
            continue;
        RoomShape level = drawn.shape;
        level = WithCorner(level, leftCorner, cornerOf(level, leftCorner) + by);
        level = WithCorner(level, rightCorner, cornerOf(level, rightCorner) + by);
        if (!bigEnough(level, width, height))
            continue;
        drawn.shape = level;
        drawn.guides += nearest->guides;
    }
    return drawn;
}
