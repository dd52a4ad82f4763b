#include "core/common/gridindex.h"

#include <algorithm>
#include <cmath>

GridIndex::Box GridIndex::Box::around(qreal left, qreal top, qreal right, qreal bottom)
{
    // Clamped well inside qint64, so that cells and sizes cannot overflow.
    static constexpr qreal Far = qreal(qint64(1) << 40);
    auto low = [](qreal v) { return qint64(std::floor(std::clamp(v, -Far, Far))); };
    auto high = [](qreal v) { return qint64(std::ceil(std::clamp(v, -Far, Far))); };
    return {low(std::min(left, right)), low(std::min(top, bottom)), high(std::max(left, right)),
            high(std::max(top, bottom))};
}

GridIndex::GridIndex(int cellSize)
    : size_(std::max(1, cellSize))
{
}

qint64 GridIndex::cellOf(qint64 v) const
{
    // Rounds down for negative values too.
    return v >= 0 ? v / size_ : -((-v - 1) / size_) - 1;
}

qint64 GridIndex::cellCount(const Box& box) const
{
    const qint64 columns = cellOf(box.x1) - cellOf(box.x0) + 1;
    const qint64 rows = cellOf(box.y1) - cellOf(box.y0) + 1;
    if (columns > MostCells || rows > MostCells)
        return MostCells + 1;
    return columns * rows;
}

quint64 GridIndex::cellKey(qint64 column, qint64 row)
{
    return (quint64(quint32(column)) << 32) | quint32(row);
}

template <typename Visit>
void GridIndex::forEachCell(const Box& box, Visit visit) const
{
    for (qint64 column = cellOf(box.x0); column <= cellOf(box.x1); ++column) {
        for (qint64 row = cellOf(box.y0); row <= cellOf(box.y1); ++row)
            visit(cellKey(column, row));
    }
}

void GridIndex::insert(quint64 id, const Box& box)
{
    if (const auto kept = boxes.constFind(id); kept != boxes.cend()) {
        if (kept->x0 == box.x0 && kept->y0 == box.y0 && kept->x1 == box.x1 && kept->y1 == box.y1)
            return;
        remove(id);
    }
    boxes.insert(id, box);
    if (cellCount(box) > MostCells)
        large.append(id);
    else
        forEachCell(box, [&](quint64 key) { cells[key].append({id, box}); });
}

void GridIndex::remove(quint64 id)
{
    const auto found = boxes.constFind(id);
    if (found == boxes.cend())
        return;
    const Box box = *found;
    boxes.erase(found);
    if (cellCount(box) > MostCells) {
        large.removeOne(id);
        return;
    }
    forEachCell(box, [&](quint64 key) {
        auto cell = cells.find(key);
        if (cell != cells.end())
            cell->removeIf([id](const Entry& e) { return e.id == id; });
    });
}

void GridIndex::clear()
{
    boxes.clear();
    cells.clear();
    large.clear();
}

QList<quint64> GridIndex::find(const Box& area) const
{
    QList<quint64> found;
    find(area, found);
    return found;
}

void GridIndex::find(const Box& area, QList<quint64>& found) const
{
    found.clear();
    for (const quint64 id : large) {
        if (boxes.value(id).meets(area))
            found.append(id);
    }
    if (cellCount(area) > MostCells) {
        // A look-up over a wide area: every box is cheaper than every cell.
        for (auto it = boxes.cbegin(); it != boxes.cend(); ++it) {
            if (cellCount(it.value()) <= MostCells && it.value().meets(area))
                found.append(it.key());
        }
    } else {
        forEachCell(area, [&](quint64 key) {
            const auto cell = cells.constFind(key);
            if (cell == cells.cend())
                return;
            for (const Entry& e : *cell) {
                if (e.box.meets(area))
                    found.append(e.id);
            }
        });
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
}
