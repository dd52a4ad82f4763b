#pragma once

// What `info` says about a background file, from its header and index alone.

#include "core/background/blkformat.h"

#include <QString>
#include <cstdint>
#include <optional>

// A block whose offset is not the one it has when the blocks lie back to back behind the
// index (where the game's tools put them: block k of 128 x 128 blocks at 6 + 8 n + 32768 k).
struct MisplacedBlock {
    int block = 0;
    std::uint32_t offset = 0;
    qint64 backToBack = 0;
};

// The first such block of the index, or none when the offsets match the layout.
std::optional<MisplacedBlock> firstMisplacedBlock(const blk::Layout& layout);

// The lines `info` prints for the file at path.
QString describeBackground(const QString& path, const blk::Layout& layout);
