#pragma once

// A model of the editor for tests and the script fuzz target: what loading a script does
// to the plain values the writer takes (rooms, doors, metaroom values, Panel's size).

#include "core/script/roomdefs.h"
#include "core/script/roompoint.h"
#include "core/script/scriptreader.h"

namespace scriptmodel {

// Where a load into the editor holding defs starts from.
inline ScriptStart startOf(const RoomDefs& defs)
{
    return {defs.offsetX, defs.offsetY, defs.subRoomStartID, defs.panelWidth, defs.panelHeight, int(defs.rooms.size())};
}

// Adds a door from one room to another, or sets the permeability of the one there.
inline void setDoor(RoomDefs& defs, int from, int to, int perm)
{
    for (ScriptDoor& door : defs.rooms[from].doors) {
        if (door.target == to) {
            door.perm = perm;
            return;
        }
    }
    defs.rooms[from].doors.append({to, perm});
}

// defs after a load of content, read from startOf(defs): the script's rooms appended,
// each door linked both ways, the metaroom values the script sets, its kept lines.
inline RoomDefs applied(RoomDefs defs, const ScriptContent& content)
{
    const int existing = int(defs.rooms.size());
    for (const ReadRoom& room : content.rooms) {
        ScriptRoom added = ScriptRoomOf(room.corners);
        added.roomtype = room.roomtype;
        added.music = room.music;
        added.levels = room.levels;
        defs.rooms.append(added);
    }
    const auto position = [existing](const RoomRef& ref) { return ref.inScript ? existing + ref.index : ref.index; };
    for (const ReadDoor& door : content.doors) {
        setDoor(defs, position(door.first), position(door.second), door.perm);
        setDoor(defs, position(door.second), position(door.first), door.perm);
    }
    if (content.numbering) {
        defs.metaRoomID = content.numbering->metaRoomID;
        defs.subRoomStartID = content.numbering->subRoomStartID;
    }
    if (content.metaroom) {
        defs.offsetX = content.metaroom->offsetX;
        defs.offsetY = content.metaroom->offsetY;
        defs.metaroomFilename = content.metaroom->backgroundName;
    }
    if (content.metaroomMusic)
        defs.metaroomMusic = *content.metaroomMusic;
    defs.panelWidth = content.panelWidth;
    defs.panelHeight = content.panelHeight;
    // Lines the editor does not model are kept, after those it held.
    for (const KeptLine& line : content.mapLines)
        defs.mapLines.append(line.text);
    for (const KeptLine& line : content.kept)
        defs.keptLines.append(line.text);
    return defs;
}

} // namespace scriptmodel
