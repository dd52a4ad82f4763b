#pragma once

#include "core/script/roomdefs.h"

#include <QLineF>
#include <QList>
#include <QPointF>

// A door line of a room script as a map shows it: on its rooms' shared edge, or, when
// they share none, on a line between their centres (the game refuses that door).
struct DoorMark {
    int a = 0;   // positions, a < b
    int b = 0;
    int perm = 0;
    bool onEdge = false;
    QLineF line;   // the shared edge, or the line between the centres; picture coordinates

    QPointF labelAt() const { return line.center(); }
};

// Each door line once, from the earlier room, as the script writer writes it; doors of a
// room to itself and to rooms that are not there have no mark.
QList<DoorMark> DoorMarks(const RoomDefs& defs);

// The mark of the door line between the rooms at positions a < b.
DoorMark DoorMarkBetween(const RoomDefs& defs, int a, int b, int perm);

// The middle of a room: halfway between its walls, at the mean of its four corners' y.
QPointF RoomCentre(const ScriptRoom& room);
