// libFuzzer target for the background file reader. The bytes go through parseBackground
// and, when it takes them, the decode of every block; what must hold for any file it
// takes is checked afterwards. The program's own errors (PlsdError) refuse a file as the
// editor would; anything else that leaves the reader is a finding, and so is a failed check.

#include "core/common/errors.h"
#include "core/background/blkformat.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz_background: %s\n", what);
        std::abort();
    }
}

// The blocks match the index that the layout took from the file, and the layout stays
// within the file.
void checkBlocks(const blk::Layout& layout, const TBlockList& blocks, qint64 fileSize)
{
    check(layout.index.size() == size_t(layout.columns) * layout.rows, "a block count that is not columns x rows");
    check(blocks.size() == layout.index.size(), "blocks other than the index's");
    qint64 pixels = 0;
    for (size_t k = 0; k < blocks.size(); ++k) {
        const blk::IndexRecord& record = layout.index[k];
        const TGraphicBlock& block = *blocks[k];
        check(record.width > 0 && record.height > 0, "a block without pixels was taken");
        check(block.Width == record.width && block.Height == record.height, "a block of another size than its record");
        check(block.Bitmap.width() == record.width && block.Bitmap.height() == record.height,
              "a bitmap of another size than its block");
        check(block.OffsetLow == record.offsetLow && block.OffsetHigh == record.offsetHigh,
              "offsets not kept");
        pixels += qint64(record.width) * record.height;
    }
    check(pixels == layout.totalPixels, "pixel total wrong");
    check(layout.pixelDataOffset + 2 * layout.totalPixels <= fileSize, "pixel data beyond the end of the file");
}

// Saving what was read gives the file's own bytes back for 5-6-5 pixels (bytes 1 to 3,
// which the reader skips, become 0, and bytes after the last block are not kept). For
// 5-5-5 pixels the save writes 5-6-5 with the same colours.
void checkSavedAgain(const QByteArray& file, const blk::Layout& layout, const TBlockList& blocks)
{
    const QByteArray saved = blk::encodeBackground(blocks, layout.columns, layout.rows);
    const qint64 used = layout.pixelDataOffset + 2 * layout.totalPixels;
    check(saved.size() == used, "the save is not as long as the file's blocks");
    check(saved.startsWith(QByteArray("\x01\x00\x00\x00", 4)), "the save does not begin with format 1");
    if (layout.format == blk::PixelFormat::RGB565) {
        check(saved.mid(4) == file.mid(4, used - 4), "the save differs from the file");
        return;
    }
    check(saved.mid(4, layout.pixelDataOffset - 4) == file.mid(4, layout.pixelDataOffset - 4),
          "the save's header or index differs from the file's");
    const TBlockList again = blk::decodeBackground(saved);
    for (size_t k = 0; k < blocks.size(); ++k)
        check(again[k]->Bitmap == blocks[k]->Bitmap, "5-5-5 colours changed in the save");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    blk::Layout layout;
    TBlockList blocks;
    try {
        blocks = blk::decodeBackground(file, &layout);
    } catch (const PlsdError&) {
        return 0;
    }
    checkBlocks(layout, blocks, file.size());
    checkSavedAgain(file, layout, blocks);
    return 0;
}
