#pragma once

// Where a new room goes: the default room put at a point, kept on the picture.

#include "core/model/roomshape.h"

#include <QPoint>
#include <QRect>

// The default new room (RoomShape{}) moved so that its middle lies at `centre`, then
// moved back inside `area` (the picture) as far as it fits there: a room wider or higher
// than the area starts at its left or top. An empty area holds nothing back.
RoomShape NewRoomAt(QPoint centre, const QRect& area);

// The middle of a room as NewRoomAt counts it: its left wall and left ceiling plus half
// its width and its left wall's height, rounded down. NewRoomAt(MiddleOf(RoomShape{}), area)
// is the default room where it fits.
QPoint MiddleOf(const RoomShape& room);
