#pragma once

// Synthetic pictures for benchmarks and tests: a grid of 128 x 128 blocks with a
// deterministic pattern, as blocks, as a background file, or installed on a main window.

#include "app/main.h"
#include "core/background/blkformat.h"
#include "core/background/graphicblock.h"
#include "app/pictureinstall.h"

#include <QImage>
#include <memory>

namespace synthetic {

// The pattern of the block in column c, row r: every pixel differs from its neighbours
// and from the same pixel of other blocks.
inline QImage blockImage(int column, int row, int size = 128)
{
    QImage image(size, size, QImage::Format_RGB888);
    for (int y = 0; y < size; ++y) {
        uchar* d = image.scanLine(y);
        for (int x = 0; x < size; ++x, d += 3) {
            d[0] = uchar(x * 2 + column * 37);
            d[1] = uchar(y * 2 + row * 53);
            d[2] = uchar((x ^ y) + column * 11 + row * 7);
        }
    }
    return image;
}

// columns x rows blocks of 128 x 128 in column-major order, with the offsets an import gives.
inline std::unique_ptr<TBlockList> makeBlocks(int columns, int rows)
{
    auto blocks = std::make_unique<TBlockList>();
    const int count = columns * rows;
    for (int k = 0; k < count; ++k) {
        auto block = std::make_unique<TGraphicBlock>();
        block->SetOffset(blk::importedBlockOffset(k, count));
        block->SetBitmap(blockImage(k / rows, k % rows));
        blocks->push_back(std::move(block));
    }
    return blocks;
}

// The background file of such a grid (60 x 24 blocks make the largest usual picture,
// 7680 x 3072 pixels, about 45 MB).
inline QByteArray makeBackgroundFile(int columns, int rows)
{
    return blk::encodeBackground(*makeBlocks(columns, rows), columns, rows);
}

// Puts such a grid on a main window, pictures and all, as a load would.
inline void installGrid(TfrmMainForm& form, int columns, int rows)
{
    tilegrid::InstallGrid(form, makeBlocks(columns, rows), columns, rows);
}

} // namespace synthetic
