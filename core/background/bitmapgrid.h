#pragma once

// Pictures into blocks and blocks into a picture, without widgets: reading a picture file
// with its checks, the credit stamp, cutting into 128 x 128 blocks, and writing the blocks
// as one picture file.

#include "core/background/graphicblock.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

class QIODevice;

namespace bitmapgrid {

// The credit line stamped at the top left of every imported picture.
QString creditText();

// Blocks across and down for a picture: its size divided by 128, rounded up.
QSize gridSize(QSize picture);

// Reads a picture file for import, as 24-bit pixels; a picture with an alpha channel is
// laid over white. Only a regular file is read. Raises "Unknown picture file extension
// (.%s)", "Cannot open file %s: reason" or "Bitmap image is not valid", and refuses, before
// reading its pixels, a picture whose grid would exceed the 65535 blocks of a background
// file or that needs more memory than the budget (memorybudget) for itself and its blocks.
// A picture that Qt could read only in part (a truncated JPEG, grey where data is missing)
// is refused, unless `damage` is given: it then gets the message, and the picture is given.
QImage readPicture(const QString& path, QString* damage = nullptr);

// Writes the credit line at (0, 0): white on an opaque black box, in the default font.
void stampCredit(QImage& picture);

// Cuts a picture into gridSize() blocks of 128 x 128 in column-major order, white where
// the picture ends, with the offsets a background file of them has.
// Pass the picture moved in to spare a copy.
std::unique_ptr<TBlockList> cutIntoBlocks(QImage picture);

// Raises a clear message when the grid makes no picture to export (no blocks, no columns
// or rows), one that a Windows bitmap file cannot hold (2 GB), or, for the other formats
// (which are written from the whole picture), one that needs more than the memory budget.
void checkExportable(const TBlockList* blocks, int columns, int rows, const QByteArray& format = "bmp");

// The columns x rows whole blocks as one 24-bit picture, laid out as writeBlocksAsBitmap
// writes them.
QImage joinBlocks(const TBlockList& blocks, int columns, int rows);

// Writes columns x rows whole blocks as one 24-bit Windows bitmap, row by row without a
// picture of the whole: the 128 x 128 square of each block at its cell, white where a block
// is missing or smaller. Raises "Cannot write file %s: ..." naming `name` when a write fails.
void writeBlocksAsBitmap(QIODevice& device, const TBlockList& blocks, int columns, int rows, const QString& name);

// Writes the blocks as one picture in `format` (as pictureformats::writeFormat gives it): a
// Windows bitmap with writeBlocksAsBitmap, any other format through Qt from joinBlocks.
// Raises "Cannot write file %s: ..." naming `name` when the write fails.
void writeBlocksAsPicture(QIODevice& device, const TBlockList& blocks, int columns, int rows,
                          const QByteArray& format, const QString& name);

} // namespace bitmapgrid
