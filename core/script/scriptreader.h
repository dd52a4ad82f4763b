#pragma once

#include "core/common/errors.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Reading a room definition script into a plain value, without touching the editor. The
// script is a stream of tokens (LineTokens) in which seven keywords, in any case, act and
// every other token is passed over; comment lines are passed over whole.
//   addr <metaroom> <xl> <xr> <ytl> <ytr> <ybl> <ybr>   a new room (game coordinates)
//   rtyp <room> <type>                                  type of the latest room
//   rmsc <x> <y> <music>                                music of the latest room
//   door <a> <b> <perm>                                 links rooms a and b both ways
//   addm <offset X> <offset Y> <w> <h> <file name>      offsets in use, size, background name
//   mmsc <x> <y> <music>                                metaroom music
//   brmi <metaroom id> <sub room start id>              room numbering
// Arguments are taken from the keyword's line; a missing one reads as an empty word.
// Arguments named in angle brackets without use here (<metaroom>, <room>, <x>, <y>) are
// taken and ignored.

// A fault of a script's content: "line 12: '59x0' is not a valid integer value", or with
// the file named, "rooms.cos, line 12: ...".
class ScriptError : public FormatError {
public:
    ScriptError(int line, const QString& problem, const QString& fileName = QString());

    int line() const { return line_; }
    QString problem() const { return problem_; }
    QString fileName() const { return fileName_; }
    // The same fault, found in the file of this name.
    ScriptError inFile(const QString& fileName) const;

private:
    int line_;
    QString problem_;
    QString fileName_;
};

// What a load starts from: the editor as it stands.
struct ScriptStart {
    int offsetX = 0;
    int offsetY = 0;
    int subRoomStartID = 0;
    int panelWidth = 0;
    int panelHeight = 0;
    int existingRooms = 0;   // rooms in the editor before the load
};

// Room corners in picture coordinates.
struct RoomCorners {
    int xl = 0;
    int xr = 0;
    int ytl = 0;
    int ytr = 0;
    int ybl = 0;
    int ybr = 0;

    bool operator==(const RoomCorners&) const = default;
};

// A room line, with the type and music that later lines gave it.
struct ReadRoom {
    int line = 0;
    RoomCorners corners;
    int roomtype = 0;
    QString music;

    bool operator==(const ReadRoom&) const = default;
};

// A room a door line names: a room of this script, or one the editor already held.
struct RoomRef {
    bool inScript = true;
    int index = 0;   // position among the script's rooms, or in the editor's room list

    bool operator==(const RoomRef&) const = default;
};

struct ReadDoor {
    int line = 0;
    RoomRef first;
    RoomRef second;
    int perm = 0;

    bool operator==(const ReadDoor&) const = default;
};

// The values of the last metaroom line.
struct ReadMetaroom {
    int line = 0;
    int offsetX = 0;
    int offsetY = 0;
    QString backgroundName;

    bool operator==(const ReadMetaroom&) const = default;
};

// The values of the last base line.
struct ReadNumbering {
    int line = 0;
    int metaRoomID = 0;
    int subRoomStartID = 0;

    bool operator==(const ReadNumbering&) const = default;
};

// Everything a script says, in the order it says it.
struct ScriptContent {
    QList<ReadRoom> rooms;
    QList<ReadDoor> doors;   // in line order
    std::optional<ReadMetaroom> metaroom;
    std::optional<QString> metaroomMusic;
    int metaroomMusicLine = 0;   // of the last metaroom music line; 0 when there is none
    std::optional<ReadNumbering> numbering;
    // The panel's size after the load: the start's, grown to every room's xr, ybl and ybr
    // (picture coordinates) and to the width and height of every metaroom line.
    int panelWidth = 0;
    int panelHeight = 0;

    bool operator==(const ScriptContent&) const = default;
};

// Reads the whole script, or throws ScriptError for the first line that is not good:
// - a quoted text the game refuses (LineTokens);
// - a number argument that does not convert (StrToInt), or that is -2147483648;
// - a text argument the game refuses or overflows (GameTextFault);
// - a door line naming a room number that is neither a room this script made before it
//   nor a room of the editor.
// Room lines take the offsets in use: the start's until a metaroom line replaces them.
// Door lines name rooms by game room number. Room k of the script (from 0, in file
// order) has number SubRoomStartID + k, SubRoomStartID as in force at the door line (the
// start's, or the last base line's); a number that no room made so far has falls back to
// the editor's room at position number - SubRoomStartID.
ScriptContent ReadScript(const QByteArray& bytes, const ScriptStart& start);
