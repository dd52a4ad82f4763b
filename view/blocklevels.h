#pragma once

#include "core/background/graphicblock.h"

#include <QCache>
#include <QImage>
#include <array>
#include <memory>
#include <vector>

// The images that a picture's blocks are drawn from at each zoom. Level 0 is a block at
// its own size, in a pixel format that is drawn without conversion; level n is 1/2^n of
// that size, made once by smooth halving of level n - 1 when it is first asked for, and
// kept as long as the picture. Level 0 copies are kept only for the blocks drawn lately,
// since at 100 % and more few blocks are in view at once.
class TPictureLevels {
public:
    // Down to 1/128: a block of 128 x 128 pixels becomes one pixel.
    static constexpr int LevelCount = 8;

    explicit TPictureLevels(std::shared_ptr<const TBlockList> blocks);

    int blockCount() const { return int(reduced.size()); }

    // The level to draw from when a picture pixel is this many screen pixels across: the
    // smallest image that is not smaller than the block on screen.
    static int levelFor(qreal scale);

    // The block's image at a level. It stays valid until the next call.
    const QImage& image(int block, int level);

private:
    const QImage& fullSize(int block);

    std::shared_ptr<const TBlockList> blocks;
    std::vector<std::array<QImage, LevelCount>> reduced;   // [block][level]; level 0 unused
    QCache<int, QImage> converted;                          // level 0 copies, by block
};
