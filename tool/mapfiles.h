#pragma once

// The pictures check and render read behind the rooms.

#include "core/files/mapfiles.h"

#include <QImage>
#include <QSize>
#include <QString>

// The size of a background file's picture (whole blocks) or of any picture Qt reads,
// without reading its pixels. Raises PlsdError naming the file.
QSize pictureSizeOf(const QString& path);

// The picture of a background file or any picture Qt reads. Raises PlsdError naming the
// file.
QImage readBackground(const QString& path);
