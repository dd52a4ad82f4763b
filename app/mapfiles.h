#pragma once

// What the main window knows of the map's files: which kind a file is, the window's title
// from the files in use, and the picture as it was last read from or written to one.

#include "core/background/graphicblock.h"

#include <QString>
#include <QStringList>

namespace mapfiles {

enum class Kind { Background, Bitmap, RoomScript, Unknown };

// By the file name's extension, in any case: .blk, .bmp, .cos.
Kind kindOf(const QString& path);

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

} // namespace mapfiles
