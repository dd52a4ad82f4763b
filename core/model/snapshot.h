#pragma once

#include "core/model/document.h"
#include "core/script/roomdefs.h"
#include "core/script/roompoint.h"

// The map as the script writer and the game's rules take it: metaroom values, surface
// size, and the rooms in order with corners as they show (saturated to 32 bits) and doors
// by position.
RoomDefs ToRoomDefs(const TMetaroomDocument& document);

// The picture's size in pixels as the game's rules take it: whole blocks of 128 x 128; an
// empty size when there is no picture.
QSize PictureSize(const PictureGrid& grid);
