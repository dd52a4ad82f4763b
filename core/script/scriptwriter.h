#pragma once

#include "core/script/roomdefs.h"

#include <QByteArray>
#include <QString>

// Writing a room definition script. Each line ends with CR LF:
//   brmi <MetaRoomID> <SubRoomStartID>
//   setv va01 addm <offset X> <offset Y> <panel width> <panel height> "<background name>"
//   mmsc <panel width div 2 + offset X> <panel height div 2 + offset Y> "<metaroom music>"
// then for each room in list order
//   setv va02 addr va01 <xl> <xr> <ytl> <ytr> <ybl> <ybr>      (game coordinates)
//   rtyp va02 <roomtype>
//   rmsc <x> <y> "<music>"          a point the game finds in the room (MusicPoint)
//   prop va02 <index> <level>       for each CA level, in index order
// and for each room A in list order and each of its doors to a room B later in the list
//   door <number of A> <number of B> <perm>
// where rooms are numbered as the game numbers them: SubRoomStartID + position, unless
// an earlier metaroom of the file took those numbers. The file's map lines come first,
// its kept lines last. div 2 truncates toward zero; sums wrap around at 32 bits. Text
// fields are written as the game reads them, with the escapes \\ \" \t \n \r.

// The game stops reading a script at a line of 1023 characters or more. The CR before
// the LF is counted too, in case the game reads the file without turning CR LF into one
// line end: a written line holds at most 1021 characters before its CR LF.
inline constexpr qsizetype GameLineMaxLength = 1021;

// The background's name as the game wants it: MetaroomFilename without its folder and
// without a ".blk" ending. Both "/" and "\" end a folder, since a name typed by hand may
// carry a Windows folder; the ending is matched in any case (".BLK" too).
QString BackgroundName(const QString& metaroomFilename);

// The bytes of the script. Before writing anything, refuses (PlsdError naming the room by
// its position, or the metaroom music or file name) a text field that the game refuses or
// overflows (GameTextFault), or whose line, escapes written out, would be longer than
// GameLineMaxLength; and a number that the reader converts, but for which the sums gave
// -2147483648, which no number field takes.
QByteArray RoomDefsText(const RoomDefs& defs);

// A file of several metarooms: the others, in their order, with open at openIndex among
// them; map lines and kept lines are those of open.
QByteArray ScriptFileText(const RoomDefs& open, const QList<RoomDefs>& others, int openIndex);

// Writes the script to path. A refused text field or a failed write leaves the file
// that was there untouched.
void SaveRoomDefsFile(const QString& path, const RoomDefs& defs);
// The same for a file of several metarooms (ScriptFileText).
void SaveScriptFile(const QString& path, const RoomDefs& open, const QList<RoomDefs>& others, int openIndex);
