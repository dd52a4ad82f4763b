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
    const qint64 firstColumn = cellOf(box.x0), lastColumn = cellOf(box.x1);
    const qint64 firstRow = cellOf(box.y0), lastRow = cellOf(box.y1);
    for (qint64 column = firstColumn; column <= lastColumn; ++column) {
        for (qint64 row = firstRow; row <= lastRow; ++row)
            visit(cellKey(column, row));
    }
}

bool GridIndex::sameCells(const Box& a, const Box& b) const
{
    return cellOf(a.x0) == cellOf(b.x0) && cellOf(a.x1) == cellOf(b.x1) && cellOf(a.y0) == cellOf(b.y0)
           && cellOf(a.y1) == cellOf(b.y1);
}

void GridIndex::insert(quint64 id, const Box& box)
{
    if (const auto kept = boxes.find(id); kept != boxes.end()) {
        const Box was = *kept;
        if (was.x0 == box.x0 && was.y0 == box.y0 && was.x1 == box.x1 && was.y1 == box.y1)
            return;
        // A box moved within its cells is changed where it lies.
        if (cellCount(was) <= MostCells && sameCells(was, box)) {
            *kept = box;
            forEachCell(box, [&](quint64 key) {
                for (Entry& e : cells[key]) {
                    if (e.id == id) {
                        e.box = box;
                        break;
                    }
                }
            });
            return;
        }
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
    // Entries of a cell are in no order: the last takes the place of the one that goes.
    forEachCell(box, [&](quint64 key) {
        const auto cell = cells.find(key);
        if (cell == cells.end())
            return;
        const auto at = std::find_if(cell->cbegin(), cell->cend(), [id](const Entry& e) { return e.id == id; });
        if (at == cell->cend())
            return;
        const qsizetype i = at - cell->cbegin();
        if (i + 1 < cell->size())
            (*cell)[i] = cell->constLast();
        cell->removeLast();
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
