#pragma once

#include "core/model/document.h"

#include <QCache>
#include <QImage>
#include <array>
#include <memory>
#include <vector>

// An image at half its size, each pixel the mean of the 2 x 2 pixels it stands for (a
// single row or column is kept as it is); the result is 32-bit, with alpha when the image has
// it.
QImage HalvedImage(const QImage& image);

// The images that a picture is drawn from at each zoom.
//
// Block by block: level 0 is a block at its own size, in a pixel format that is drawn
// without conversion; level n is 1/2^n of that size, made once by smooth halving of level
// n - 1 when it is first asked for, and kept as long as the picture. A block zoomed out to
// a size between two levels is drawn from a copy of that exact size, made smoothly from the
// level above it, so that drawing it is a plain copy of pixels. Level 0 copies and copies
// of one size are kept for the blocks drawn lately.
//
// The whole picture, for zooms where too many blocks are in view to draw one by one: level
// 1 is every block halved in its halved cell, level n the halving of level n - 1, and a
// copy of the size on screen is kept for the size last asked for.
class TPictureLevels {
public:
    // Down to 1/128: a block of 128 x 128 pixels becomes one pixel.
    static constexpr int LevelCount = 8;
    static constexpr int CellSize = BlockSize;

    explicit TPictureLevels(const PictureGrid& grid);

    int blockCount() const { return int(reduced.size()); }
    // The picture's size: its cells, whatever the size of its blocks.
    QSize pictureSize() const { return GridPictureSize(grid.columns, grid.rows); }

    // The block at its own size. It stays valid until the next call.
    const QImage& fullSize(int block);
    // The block at a level.
    const QImage& level(int block, int level);
    // The block at the size it has on the screen, at most its own size.
    const QImage& sized(int block, QSize size);

    // The whole picture at a level from 1 on.
    const QImage& pictureLevel(int level);
    // The whole picture at the size it has on the screen, at most half its own size.
    const QImage& pictureSized(QSize size);

private:
    QImage halvedPicture() const;

    PictureGrid grid;
    std::vector<std::array<QImage, LevelCount>> reduced;   // [block][level]; level 0 unused
    QCache<int, QImage> converted;                          // level 0 copies, by block
    QCache<int, QImage> resized;                            // copies of one size, by block
    std::array<QImage, LevelCount> pictureLevels;           // level 0 unused
    QImage pictureOnScreen;
};
