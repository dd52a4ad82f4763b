#pragma once

#include "core/model/roomshape.h"

#include <QHash>
#include <QList>
#include <QtGlobal>
#include <unordered_map>
#include <vector>

using RoomKey = quint32;

// The rooms' boxes on a grid of square cells, so that the rooms near a place are found
// without looking at every room. A room over very many cells is kept aside and always
// returned.
class RoomBoxIndex {
public:
    struct Box {
        qint64 x0, y0, x1, y1;   // inclusive
        bool meets(const Box& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
    };
    static Box boxOf(const RoomShape& shape);

    void add(RoomKey key, const RoomShape& shape);
    void remove(RoomKey key);
    void move(RoomKey key, const RoomShape& shape);
    void clear();

    // Every room whose box meets this one (edges included), each once, in no set order.
    QList<RoomKey> meeting(const Box& box) const;

private:
    struct Cells {
        qint64 cx0, cy0, cx1, cy1;
        bool wide() const;
    };
    struct CellHash {
        std::size_t operator()(const std::pair<qint64, qint64>& c) const
        {
            return std::hash<qint64>()(c.first * 1000003 ^ c.second);
        }
    };
    static constexpr qint64 CellSize = 256;
    static Cells cellsOf(const Box& box);

    struct Placed {
        RoomKey key;
        Box box;
    };
    using Keys = std::vector<Placed>;
    static void erase(Keys& keys, RoomKey key);

    std::unordered_map<std::pair<qint64, qint64>, Keys, CellHash> cells;
    QHash<RoomKey, Cells> placed;
    Keys wide;
};
