#pragma once

// Reading a background file from an open device: header and index first, checked against
// the device's size, then the blocks.

#include "core/background/blkformat.h"

class QIODevice;

namespace blk {

// Reads and checks the header and index at the device's start, leaving it at the first
// pixel. Raises FormatError naming the file as `name`.
Layout readLayout(QIODevice& device, const QString& name);

// Reads and decodes the blocks of a layout from the device, in order.
TBlockList readBlocks(QIODevice& device, const Layout& layout, const QString& name,
                      const LoadProgress& progress = {});

} // namespace blk
