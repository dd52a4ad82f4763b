#pragma once

#include "core/model/roomshape.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What a room definition script is written from: the metaroom values and the rooms in
// list order, taken from the editor at the moment of saving.

// A door of a room: the position in RoomDefs::rooms of the room it leads to (-1 when that
// room is not in the list), and its permeability.
struct ScriptDoor {
    int target = -1;
    int perm = 0;

    bool operator==(const ScriptDoor&) const = default;
};

// The level (0 to 1) of one of a room's 16 cellular automata, as a prop line sets it.
struct CaLevel {
    int index = 0;
    float level = 0;

    bool operator==(const CaLevel&) const = default;
};

// A room's levels, by index, each index at most once.
using CaLevels = QList<CaLevel>;

// The game's number of cellular automata indexes: 0 to 15.
inline constexpr int CaIndexCount = 16;

// One room: its corners (32-bit values) in picture coordinates, type, music and its doors
// in door order.
struct ScriptRoom : RoomShape {
    int roomtype = 0;
    QString music;
    QList<ScriptDoor> doors;
    CaLevels levels;

    bool operator==(const ScriptRoom&) const = default;
};

struct RoomDefs {
    int offsetX = 0;
    int offsetY = 0;
    int metaRoomID = 0;
    int subRoomStartID = 0;
    QString metaroomMusic;
    QString metaroomFilename;   // as held by the toolbox, folder and ending included
    int panelWidth = 0;
    int panelHeight = 0;
    QList<ScriptRoom> rooms;
    // Lines the editor does not model, as read (variables as numbers): the map lines
    // (mapd) come before the metaroom, the kept lines after the rooms and doors.
    QList<QByteArray> mapLines;
    QList<QByteArray> keptLines;

    bool operator==(const RoomDefs&) const = default;
};
