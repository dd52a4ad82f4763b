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
//   rmsc <(xl + xr) div 2 + offset X> <(ytl + ybr) div 2 + offset Y> "<music>"
// and for each room A in list order and each of its doors to a room B later in the list
//   door <SubRoomStartID + position of A> <SubRoomStartID + position of B> <perm>
// div 2 truncates toward zero; sums wrap around at 32 bits.

// The background's name as the game wants it: MetaroomFilename without its folder and
// without a ".blk" ending. Both "/" and "\" end a folder, since a name typed by hand may
// carry a Windows folder; the ending is matched in any case (".BLK" too).
QString BackgroundName(const QString& metaroomFilename);

// The bytes of the script. Before writing anything, refuses (PlsdError naming the room by
// its position, or the metaroom music or file name) a text field that would not read back
// as written: one holding a double quote or a line break, or a character that single-byte
// text cannot hold, or one so long that the reader would cut its line short.
QByteArray RoomDefsText(const RoomDefs& defs);

// Writes the script to path. A refused text field or a failed write leaves the file
// that was there untouched.
void SaveRoomDefsFile(const QString& path, const RoomDefs& defs);
