#pragma once

#include "core/model/document.h"
#include "core/script/roomdefs.h"

// The map as the script writer and the game's rules take it: metaroom values, surface
// size, and the rooms in order with corners as they show (saturated to 32 bits) and doors
// by position.
RoomDefs ToRoomDefs(const TMetaroomDocument& document);
