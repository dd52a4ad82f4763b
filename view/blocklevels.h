#pragma once

#include "core/background/graphicblock.h"

#include <QCache>
#include <QImage>
#include <array>
#include <memory>
#include <vector>

// The images that a picture's blocks are drawn from. Level 0 is a block at its own size,
// in a pixel format that is drawn without conversion; level n is 1/2^n of that size, made
// once by smooth halving of level n - 1 when it is first asked for, and kept as long as
// the picture. A block zoomed out to a size between two levels is drawn from a copy of
// that exact size, made smoothly from the level above it, so that drawing it is a plain
// copy of pixels; such copies, and the level 0 copies, are kept for the blocks drawn lately.
class TPictureLevels {
public:
    // Down to 1/128: a block of 128 x 128 pixels becomes one pixel.
    static constexpr int LevelCount = 8;

    explicit TPictureLevels(std::shared_ptr<const TBlockList> blocks);

    int blockCount() const { return int(reduced.size()); }

    // The block at its own size. It stays valid until the next call.
    const QImage& fullSize(int block);
    // The block at a level.
    const QImage& level(int block, int level);
    // The block at the size it has on the screen, at most its own size.
    const QImage& sized(int block, QSize size);

private:
    std::shared_ptr<const TBlockList> blocks;
    std::vector<std::array<QImage, LevelCount>> reduced;   // [block][level]; level 0 unused
    QCache<int, QImage> converted;                          // level 0 copies, by block
    QCache<int, QImage> resized;                            // copies of one size, by block
};
