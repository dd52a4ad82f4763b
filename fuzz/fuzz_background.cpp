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

// The blocks match the index that the layout took from the file and lie back to back in
// its pixel data; the layout says whether the offsets agree.
void checkBlocks(const blk::Layout& layout, const TBlockList& blocks, qint64 fileSize)
{
    check(layout.index.size() == size_t(layout.columns) * layout.rows, "a block count that is not columns x rows");
    check(blocks.size() == layout.index.size(), "blocks other than the index's");
    check(layout.positions.size() == layout.index.size(), "positions other than the index's");
    qint64 pixels = 0;
    bool offsetsAgree = true;
    for (size_t k = 0; k < blocks.size(); ++k) {
        const blk::IndexRecord& record = layout.index[k];
        const TGraphicBlock& block = *blocks[k];
        check(record.width > 0 && record.height > 0, "a block without pixels was taken");
        check(block.Width == record.width && block.Height == record.height, "a block of another size than its record");
        check(block.Bitmap.width() == record.width && block.Bitmap.height() == record.height,
              "a bitmap of another size than its block");
        check(block.Offset() == record.offset(), "offsets not kept");
        const qint64 backToBack = layout.pixelDataOffset + 2 * pixels;
        check(layout.positions[k] == backToBack, "a block not read back to back");
        offsetsAgree = offsetsAgree && qint64(record.offset()) + blk::OffsetBias == backToBack;
        pixels += qint64(record.width) * record.height;
    }
    check(offsetsAgree == (layout.placement == blk::BlockPlacement::OffsetsMatch),
          "the layout says wrongly whether the offsets agree");
    check(pixels == layout.totalPixels, "pixel total wrong");
    check(layout.pixelDataOffset + 2 * layout.totalPixels <= fileSize, "a file shorter than its blocks was taken");
}

// Saving what was read writes the blocks back to back with offsets that say so. For 5-6-5
// pixels each block's bytes are those it was read from, and a file whose offsets matched
// comes back as it was (bytes 1 to 3, which the reader skips, become 0, and bytes after
// the last block are not kept). For 5-5-5 pixels the save writes 5-6-5 with the same colours.
void checkSavedAgain(const QByteArray& file, const blk::Layout& layout, const TBlockList& blocks)
{
    const QByteArray saved = blk::encodeBackground(blocks, layout.columns, layout.rows);
    const qint64 used = layout.pixelDataOffset + 2 * layout.totalPixels;
    check(saved.size() == used, "the save is not as long as the file's blocks");
    check(saved.startsWith(QByteArray("\x01\x00\x00\x00", 4)), "the save does not begin with format 1");
    const blk::Layout again = blk::parseBackground(saved);
    check(again.placement == blk::BlockPlacement::OffsetsMatch, "the save's offsets do not say where its blocks are");
    for (size_t k = 0; k < blocks.size(); ++k) {
        check(again.index[k].width == layout.index[k].width && again.index[k].height == layout.index[k].height,
              "the save's index has other block sizes");
    }
    if (layout.format == blk::PixelFormat::RGB565) {
        if (layout.placement == blk::BlockPlacement::OffsetsMatch)
            check(saved.mid(4) == file.mid(4, used - 4), "the save differs from a file whose offsets matched");
        for (size_t k = 0; k < blocks.size(); ++k) {
            const qint64 bytes = layout.index[k].pixelBytes();
            check(saved.mid(again.positions[k], bytes) == file.mid(layout.positions[k], bytes),
                  "a block's pixels changed in the save");
        }
        return;
    }
    const TBlockList decoded = blk::decodeBackground(saved);
    for (size_t k = 0; k < blocks.size(); ++k)
        check(decoded[k]->Bitmap == blocks[k]->Bitmap, "5-5-5 colours changed in the save");
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
