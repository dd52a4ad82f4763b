#pragma once

#include <QHash>
#include <QList>
#include <QtGlobal>

// Ids of boxes found by where they lie, for maps that change a few boxes at a time: each
// box is kept in the square cells it covers, and a look-up visits only the cells its area
// covers. A box over more cells than is worth keeping goes on a list seen by every
// look-up. Boxes are in picture pixels, edges included.
class GridIndex {
public:
    struct Box {
        qint64 x0 = 0, y0 = 0, x1 = 0, y1 = 0;   // x0 <= x1, y0 <= y1

        bool meets(const Box& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
        // The box around a rectangle of real coordinates, grown to whole pixels.
        static Box around(qreal left, qreal top, qreal right, qreal bottom);
    };

    explicit GridIndex(int cellSize = 128);

    // Puts the id in with this box, or moves it there when it is in already.
    void insert(quint64 id, const Box& box);
    void remove(quint64 id);
    void clear();
    bool contains(quint64 id) const { return boxes.contains(id); }
    qsizetype size() const { return boxes.size(); }

    // Every id whose box meets the area, each once, in ascending order.
    QList<quint64> find(const Box& area) const;
    // The same into a list that is kept for the next look-up.
    void find(const Box& area, QList<quint64>& found) const;

private:
    static constexpr qint64 MostCells = 256;

    qint64 cellOf(qint64 v) const;
    qint64 cellCount(const Box& box) const;
    bool sameCells(const Box& a, const Box& b) const;
    template <typename Visit>
    void forEachCell(const Box& box, Visit visit) const;
    static quint64 cellKey(qint64 column, qint64 row);

    struct Entry {
        quint64 id;
        Box box;
    };

    int size_;
    QHash<quint64, Box> boxes;
    QHash<quint64, QList<Entry>> cells;   // a cell left empty is kept for the next box
    QList<quint64> large;
};
