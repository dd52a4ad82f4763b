#pragma once

// The `thumbnail` subcommand: a small PNG of a background file, a room script or a picture,
// for file managers (see the .thumbnailer entry).

#include <QImage>
#include <QString>

constexpr int DefaultThumbnailSize = 256;
constexpr int MaxThumbnailSize = 4096;

struct ThumbnailRequest {
    QString in;
    QString out;
    int size = DefaultThumbnailSize;   // the longer side at most
};

// The preview of IN, no larger than `size` pixels on its longer side:
// - a background file (.blk): its picture, sampled from the blocks;
// - a room script (.cos): its rooms drawn as `render` draws them, over the picture whose
//   name the script's metaroom line gives when a background file or picture of that name
//   lies in the script's folder (`backgroundUsed` is set to its path), else over the
//   dark surface alone;
// - any other picture Qt reads: the picture scaled down.
// Raises PlsdError naming the file when it cannot be read.
QImage thumbnailOf(const QString& in, int size, QString* backgroundUsed = nullptr);

// Writes the preview as PNG, whatever OUT's extension; OUT is replaced only when all of it
// is written. Raises PlsdError.
void thumbnail(const ThumbnailRequest& request);
