#pragma once

// The map's files, for the editor and the tool alike: which kind a file is, reading and
// saving a background with progress, reading a room script, the window's title from the
// files in use, and the picture as it was last read from or written to one.

#include "core/background/blkformat.h"
#include "core/background/graphicblock.h"
#include "core/model/document.h"
#include "core/script/scriptreader.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace mapfiles {

enum class Kind { Background, Bitmap, RoomScript, Unknown };

// By the file name's extension, in any case: .blk, .bmp, .cos.
Kind kindOf(const QString& path);
// Neither a background file nor a room script: a picture for the tool, whatever its format.
inline bool isPicture(const QString& path)
{
    const Kind kind = kindOf(path);
    return kind != Kind::Background && kind != Kind::RoomScript;
}

// The message for a file that is none of the kinds above.
QString unknownKindMessage(const QString& path);

// The name a save dialog offers for a file of `kind` (Background or RoomScript): the
// map's own file of that kind; else, in the same folder, the name of the picture's file
// (the background file it was opened from or saved to, or the picture it was imported
// from) with the kind's extension; else that of the room script. Empty when the map has
// no file at all.
QString suggestedSaveName(Kind kind, const QString& roomFile, const QString& backgroundFile,
                          const QString& importedPicture);

// The files in the order they are opened: pictures first, then room scripts, each in the
// order given; files of no known kind last.
QStringList openingOrder(const QStringList& paths);

// "Palisandre" while the map has no file; once it has, the name of its room script, or of
// its background file while it has no room script. "[*]" is where Qt puts the mark of
// unsaved work.
QString windowTitle(const QString& roomFile, const QString& backgroundFile);

// Tells pictures apart without comparing pixels. A picture is replaced whole, never
// changed in place, and every new picture has bitmaps of its own: so the first block's
// bitmap tells which picture it is, and a picture put back (by undo, say) is known again.
struct PictureKey {
    qint64 firstBitmap = 0;
    int columns = 0;
    int rows = 0;
    bool operator==(const PictureKey&) const = default;
};
PictureKey pictureKey(const TBlockList* blocks, int columns, int rows);

// A failure's message about a file, with the file's name in front when the message does
// not name it already.
QString aboutFile(const QString& path, const QString& message);

// Hears how far a read or a save has come, in whole percent.
using Progress = std::function<void(int percent)>;

// A background file read whole: the picture in blocks, and how the blocks were placed.
struct BackgroundFile {
    PictureGrid grid;
    blk::BlockPlacement placement = blk::BlockPlacement::OffsetsMatch;
};
// Header and index are read and checked against the file's size before any block is
// decoded. Raises PlsdError naming the file.
BackgroundFile readBackgroundFile(const QString& path, const Progress& progress = {});
// Writes the blocks as a background file; on any failure the old file stays as it was.
void saveBackgroundFile(const QString& path, const TBlockList* blocks, int columns, int rows,
                        const Progress& progress = {});

// A room script read with a default start, opening the metaroom at that place in the
// order the file adds them. Raises FileError naming the file when it cannot be read,
// and ScriptError (without the file's name) when its content is not good.
ScriptContent readScriptFile(const QString& path, int metaroom = 0);

} // namespace mapfiles
