#pragma once

#include <QColor>
#include <QString>

// The room types of the game. The engine's tables hold 16 types (0 to 15); the game
// names 0 to 10 and uses no other.
constexpr int RoomTypeCount = 16;

bool IsGameRoomType(int roomtype);   // 0 to 15

// The game's name of a type ("normal soil"), or "type 11" for a type without one,
// in or out of the game's range.
QString RoomTypeName(int roomtype);

// The number with the name, for lists: "5 normal soil"; "type 11" for a type without one.
QString RoomTypeLabel(int roomtype);

// A translucent fill for rooms of this type, one hue per type, strong enough to be told
// apart over a busy picture; types outside 0 to 15 share a black fill.
QColor RoomTypeColour(int roomtype);
