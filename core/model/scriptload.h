#pragma once

// What loading a room script does to the map, shared by the editor's load and the tool.

#include "core/model/document.h"
#include "core/script/roomdefs.h"
#include "core/script/scriptreader.h"

// The room a room line makes: corners, type, music and levels exactly as written.
RoomRecord RoomFromScript(const ReadRoom& room);

// The metaroom values after a load: those the script sets replace the ones before.
MetaroomValues MetaroomAfterLoad(MetaroomValues values, const ScriptContent& content);

// The map an empty editor holds after loading the script (read with a default
// ScriptStart): rooms in order, doors both ways, metaroom values and surface size.
RoomDefs LoadedIntoEmptyMap(const ScriptContent& content);
