#pragma once

// The files check and render read: a room script, as the editor loads it into an empty
// map, and the picture behind it.

#include "core/script/scriptreader.h"

#include <QImage>
#include <QSize>
#include <QString>

// The script read with a default start, opening the metaroom at that place in the
// order the file adds them. Raises FileError when it cannot be read, and
// ScriptError (without the file's name) when its content is not good.
ScriptContent readScriptFile(const QString& path, int metaroom = 0);

// The size of a background file's picture (whole blocks) or of any picture Qt reads,
// without reading its pixels. Raises PlsdError naming the file.
QSize pictureSizeOf(const QString& path);

// The picture of a background file or any picture Qt reads. Raises PlsdError naming the
// file.
QImage readBackground(const QString& path);
