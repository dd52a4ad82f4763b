#include "tool/backgroundinfo.h"

#include "core/background/bitmapgrid.h"

std::optional<MisplacedBlock> firstMisplacedBlock(const blk::Layout& layout)
{
    // An offset is where the block's pixels begin, minus 4.
    qint64 expected = layout.pixelDataOffset - 4;
    for (size_t k = 0; k < layout.index.size(); ++k) {
        const blk::IndexRecord& record = layout.index[k];
        const std::uint32_t offset = std::uint32_t(record.offsetHigh) << 16 | record.offsetLow;
        if (offset != expected)
            return MisplacedBlock{int(k), offset, expected};
        expected += record.pixelBytes();
    }
    return std::nullopt;
}

namespace {

QString pixelFormatName(blk::PixelFormat format)
{
    return format == blk::PixelFormat::RGB565 ? QStringLiteral("5-6-5 (16 bits: red 5, green 6, blue 5)")
                                              : QStringLiteral("5-5-5 (16 bits: red 5, green 5, blue 5)");
}

QString blockSizes(const blk::Layout& layout)
{
    const blk::IndexRecord& first = layout.index.front();
    for (size_t k = 1; k < layout.index.size(); ++k) {
        const blk::IndexRecord& other = layout.index[k];
        if (other.width != first.width || other.height != first.height)
            return QStringLiteral("%1, not all of one size (block 0 is %2 x %3 pixels, block %4 is %5 x %6)")
                .arg(layout.index.size())
                .arg(first.width)
                .arg(first.height)
                .arg(k)
                .arg(other.width)
                .arg(other.height);
    }
    return QStringLiteral("%1 of %2 x %3 pixels").arg(layout.index.size()).arg(first.width).arg(first.height);
}

QString offsets(const blk::Layout& layout)
{
    const std::optional<MisplacedBlock> misplaced = firstMisplacedBlock(layout);
    if (!misplaced)
        return QStringLiteral("back to back, as the layout places them");
    return QStringLiteral("not back to back: block %1 has offset %2, where the layout places it at %3; %4")
        .arg(misplaced->block)
        .arg(misplaced->offset)
        .arg(misplaced->backToBack)
        .arg(QLatin1String(blk::OffsetsDisagreeNote));
}

} // namespace

QString describeBackground(const QString& path, const blk::Layout& layout)
{
    const qint64 cell = BlockSize;
    return path + QStringLiteral(": background file\n")
           + QStringLiteral("  pixel format: %1\n").arg(pixelFormatName(layout.format))
           + QStringLiteral("  columns: %1\n").arg(layout.columns)
           + QStringLiteral("  rows: %1\n").arg(layout.rows)
           + QStringLiteral("  blocks: %1\n").arg(blockSizes(layout))
           + QStringLiteral("  picture: %1 x %2 pixels\n").arg(cell * layout.columns).arg(cell * layout.rows)
           + QStringLiteral("  offsets: %1\n").arg(offsets(layout));
}
