#include "core/model/roomboxindex.h"

#include <algorithm>

namespace {

// A room over more cells than this is kept aside.
constexpr qint64 MaxCells = 256;

qint64 cellOf(qint64 v, qint64 size)
{
    return v >= 0 ? v / size : -((-v + size - 1) / size);
}

} // namespace

void RoomBoxIndex::erase(Keys& keys, RoomKey key)
{
    const auto it = std::find_if(keys.begin(), keys.end(), [key](const Placed& p) { return p.key == key; });
    if (it != keys.end()) {
        *it = keys.back();
        keys.pop_back();
    }
}

RoomBoxIndex::Box RoomBoxIndex::boxOf(const RoomShape& s)
{
    return {std::min(s.xl, s.xr), std::min({s.ytl, s.ytr, s.ybl, s.ybr}), std::max(s.xl, s.xr),
            std::max({s.ytl, s.ytr, s.ybl, s.ybr})};
}

bool RoomBoxIndex::Cells::wide() const
{
    return (cx1 - cx0 + 1) * (cy1 - cy0 + 1) > MaxCells;
}

RoomBoxIndex::Cells RoomBoxIndex::cellsOf(const Box& box)
{
    return {cellOf(box.x0, CellSize), cellOf(box.y0, CellSize), cellOf(box.x1, CellSize), cellOf(box.y1, CellSize)};
}

void RoomBoxIndex::add(RoomKey key, const RoomShape& shape)
{
    const Box box = boxOf(shape);
    const Cells c = cellsOf(box);
    placed.insert(key, c);
    if (c.wide()) {
        wide.push_back({key, box});
        return;
    }
    for (qint64 y = c.cy0; y <= c.cy1; ++y)
        for (qint64 x = c.cx0; x <= c.cx1; ++x)
            cells[{x, y}].push_back({key, box});
}

void RoomBoxIndex::remove(RoomKey key)
{
    const auto it = placed.constFind(key);
    if (it == placed.cend())
        return;
    const Cells c = *it;
    placed.erase(it);
    if (c.wide()) {
        erase(wide, key);
        return;
    }
    for (qint64 y = c.cy0; y <= c.cy1; ++y) {
        for (qint64 x = c.cx0; x <= c.cx1; ++x) {
            const auto cell = cells.find({x, y});
            erase(cell->second, key);
            if (cell->second.empty())
                cells.erase(cell);
        }
    }
}

void RoomBoxIndex::move(RoomKey key, const RoomShape& shape)
{
    remove(key);
    add(key, shape);
}

void RoomBoxIndex::clear()
{
    cells.clear();
    placed.clear();
    wide.clear();
}

QList<RoomKey> RoomBoxIndex::meeting(const Box& box) const
{
    QList<RoomKey> found;
    const auto take = [&](const Keys& keys) {
        for (const Placed& p : keys)
            if (p.box.meets(box))
                found.append(p.key);
    };
    take(wide);
    const Cells c = cellsOf(box);
    // Over more cells than hold rooms, the rooms' cells are walked instead.
    if ((c.cx1 - c.cx0 + 1) * (c.cy1 - c.cy0 + 1) > qint64(cells.size())) {
        for (const auto& [at, keys] : cells) {
            if (at.first >= c.cx0 && at.first <= c.cx1 && at.second >= c.cy0 && at.second <= c.cy1)
                take(keys);
        }
    } else {
        for (qint64 y = c.cy0; y <= c.cy1; ++y) {
            for (qint64 x = c.cx0; x <= c.cx1; ++x) {
                const auto cell = cells.find({x, y});
                if (cell != cells.end())
                    take(cell->second);
            }
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}
