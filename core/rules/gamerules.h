#pragma once

#include "core/script/roomdefs.h"

#include <QLineF>
#include <QList>
#include <QSize>
#include <QString>
#include <optional>

// The rules the game holds a metaroom to, checked over the values a room definition
// script is written from. Rooms meet as the game's door making sees them:
// - shared edge: a right wall and a left wall at exactly the same x whose spans in y overlap
//   by a positive length, or a floor and a ceiling within 1 pixel of each other at every x
//   of a common x range of positive length. A touch at a single corner is no edge.
// - almost a door: such walls 1 to 3 pixels apart in x, or such a floor and ceiling within
//   3 pixels but not within 1, where the rooms share no edge.
// - overlap: interiors that share a positive area; rooms sharing an edge do not overlap.
// A room with reversed walls meets no room.

enum class Severity { Error, Warning, Note };

// The rules, in the order their findings come.
enum class GameRule {
    RoomCount,          // more than 2,000 rooms
    RoomNumber,         // room numbers of 2,000 or more
    MetaroomNumber,     // MetaRoomID of 200 or more
    RoomBase,           // SubRoomStartID of 2,000 or more
    Text,               // a quoted string the game refuses or overflows
    ReversedWalls,
    RoomType,           // outside 0 to 15
    DoorWithoutEdge,    // a door line between rooms that share no edge
    DoorPermeability,   // outside 0 to 100
    Overlap,
    OutsidePicture,
    AlmostDoor,
    EdgeWithoutDoor,    // the game makes a door of permeability 100
};

struct Finding {
    Severity severity = Severity::Error;
    QList<int> rooms;   // positions in RoomDefs::rooms
    QString message;    // names rooms by their game numbers
    GameRule rule = GameRule::RoomCount;

    bool operator==(const Finding&) const = default;
};

// Every finding, by rule and then by room position. An empty picture size means there is
// no picture, and no room is outside it.
QList<Finding> CheckGameRules(const RoomDefs& defs, QSize picture);

// The number the game knows the room at this position by (SubRoomStartID + position,
// wrapping at 32 bits as the door lines do).
int GameRoomNumber(const RoomDefs& defs, int position);
int GameRoomNumber(int roomBase, int position);

// The position of the room numbered so, when one of roomCount rooms is.
std::optional<int> PositionOfGameRoomNumber(int roomBase, int number, int roomCount);

// Left wall not left of the right wall, or a ceiling below its floor on either wall. A
// wedge, whose ceiling meets its floor on one wall, is no such room.
bool HasReversedWalls(const ScriptRoom& room);

// How two rooms meet.
enum class Meeting { None, Walls, FloorAndCeiling };

struct RoomContact {
    Meeting edge = Meeting::None;     // a shared edge
    Meeting almost = Meeting::None;   // almost a door; only when there is no shared edge
    bool overlap = false;
    QLineF line;                      // the shared edge, in picture coordinates

    bool sharesEdge() const { return edge != Meeting::None; }
    bool any() const { return sharesEdge() || almost != Meeting::None || overlap; }
    bool operator==(const RoomContact&) const = default;
};

RoomContact ContactOf(const ScriptRoom& a, const ScriptRoom& b);
bool ShareEdge(const ScriptRoom& a, const ScriptRoom& b);

// Rooms a < b (positions) in contact of any kind, in order of a then b; found through a
// grid of buckets over the rooms' bounding boxes, never by trying all pairs.
struct RoomPair {
    int a = 0;
    int b = 0;
    RoomContact contact;

    bool operator==(const RoomPair&) const = default;
};

QList<RoomPair> RoomsInContact(const RoomDefs& defs);

struct SharedEdge {
    int a = 0;   // positions, a < b
    int b = 0;
    QLineF line;   // picture coordinates
};

// Every shared edge, in order of a then b.
QList<SharedEdge> SharedEdges(const RoomDefs& defs);
