#pragma once

#include "core/common/errors.h"
#include "core/script/roomdefs.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Reading a room definition script into plain values, without touching the editor. The
// script is one stream of tokens (ScriptTokenStream), run as the game runs its room
// commands, in any case and in any order once what they name exists:
//   setv vaNN <value>                                   vaNN holds a number, or what addm/addr returned
//   addm <x> <y> <width> <height> "<background>"        a new metaroom; returns its number
//   addr <metaroom> <xl> <xr> <ytl> <ytr> <ybl> <ybr>   a new room (game coordinates); returns its number
//   rtyp <room> <type>                                  a room's type
//   rmsc <x> <y> "<music>"                              music of the room holding the point: the
//                                                       latest room when it does and has no music
//                                                       yet, else the first, as the game finds it
//   mmsc <x> <y> "<music>"                              music of the metaroom holding the point
//                                                       (passed over when none does, as the game does)
//   prop <room> <index> <level>                         a room's CA level (index 0 to 15)
//   door <room> <room> <perm>                           links two rooms both ways
//   brmi <metaroom base> <room base>                    where numbering starts
// Every integer argument is a number or a variable va00 to va99. Metarooms and rooms take
// the first free number at or above their base, in the order they are added. A room
// belongs to the metaroom its addr names; one naming no metaroom of the file belongs to
// the editor's metaroom, whose offsets are the start's.
// Commands the reader does not model are kept with the rest of their line (variables as
// the numbers they held); mapd lines likewise; scrp ... endm blocks are kept as written.

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
    int existingRooms = 0;   // rooms in the editor before the load (door lines never name them)
    int metaroom = 0;        // which metaroom of the file to open, in the order they are added
};

// A room line, with the type, music and levels that other lines gave it, and the lines
// that gave them (0: none).
struct ReadRoom {
    int line = 0;
    RoomShape corners;
    int roomtype = 0;
    QString music;
    int number = 0;   // the game's room number
    int typeLine = 0;
    int musicLine = 0;
    CaLevels levels;

    bool operator==(const ReadRoom&) const = default;
};

// A room a door line names: a room of this script (always, now that door lines only name
// rooms of their own file).
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

// A line kept as read: its first line's number, its command in lower case, and its text
// from the command on, variables replaced by the numbers they held.
struct KeptLine {
    int line = 0;
    QByteArray command;
    QByteArray text;

    bool operator==(const KeptLine&) const = default;
};

// One metaroom of a file, as a list to choose from shows it. A metaroom without an addm
// line (rooms naming no metaroom of the file) has line 0 and the start's offsets.
struct MetaroomSummary {
    int line = 0;
    int number = 0;
    QString backgroundName;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int roomCount = 0;

    bool operator==(const MetaroomSummary&) const = default;
};

// Everything a script says about the metaroom opened, in the order it says it.
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

    // The file as a whole: lines kept, map lines, rmsc lines whose point no room holds
    // (the game stops the script there; they are not kept), every metaroom, and which of
    // them is opened.
    QList<KeptLine> kept;
    QList<KeptLine> mapLines;
    QList<int> musicWithoutRoomLines;
    QList<MetaroomSummary> metarooms;
    int openMetaroom = 0;
    // The metaroom opened is metaroom openMetaroom of the file; the others, in file order
    // without it, as the writer takes them (picture coordinates, doors by position).
    QList<RoomDefs> otherMetarooms;

    bool operator==(const ScriptContent&) const = default;
};

// Reads the whole script, or throws ScriptError for the first line that is not good:
// - a quoted text the game refuses, a byte the game refuses outside quoted texts, or a
//   token that stands where a command is expected and is no command word;
// - a number argument that does not convert (StrToInt), or that is -2147483648;
// - a text argument that is not quoted, or that the game refuses or overflows;
// - a line that names a room or metaroom not made before it (door, rtyp, prop), a door
//   between rooms of different metarooms, a CA index outside 0 to 15;
// - a variable used whose value came from a command kept unread;
// - start.metaroom not a metaroom of the file (when the file has any).
ScriptContent ReadScript(const QByteArray& bytes, const ScriptStart& start);

// The metarooms of a script, for a choice before opening it; throws as ReadScript does.
QList<MetaroomSummary> ScriptMetarooms(const QByteArray& bytes, const ScriptStart& start);
