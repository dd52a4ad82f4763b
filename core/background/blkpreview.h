#pragma once

// A small picture of a background file for a file manager's preview, made from samples of
// its blocks: only the block rows that hold samples are read.

#include "core/background/blkformat.h"

#include <QImage>
#include <QSize>

namespace blk {

// Samples taken across and down each pixel of a preview, at most.
constexpr int PreviewSamples = 4;

// The size of a preview of a picture of `picture` pixels whose longer side is at most
// `maxSide`: the picture's own size when it fits, else scaled down keeping its proportions,
// the longer side exactly `maxSide`, each side at least 1.
QSize previewSize(QSize picture, int maxSide);

// The picture of a checked layout (columns x rows cells of 128 x 128, column-major, white
// where a block is smaller) at `size`: each pixel the mean of up to PreviewSamples x
// PreviewSamples samples spread evenly over its area; at the picture's own size, its
// pixels as they are. Reads one block row at a time through `source`, and only rows that
// hold samples. Raises FormatError naming the file as `name` when a row cannot be had.
QImage previewImage(const Layout& layout, const PixelSource& source, QSize size, const QString& name);

} // namespace blk
