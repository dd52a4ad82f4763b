#include "core/background/blkformat.h"

#include "core/common/errors.h"
#include "core/common/memorybudget.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <new>

namespace blk {

namespace {

std::uint16_t le16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t(u[0] | u[1] << 8);
}

void putLe16(QByteArray& out, std::uint16_t value)
{
    out.append(char(value & 0xFF));
    out.append(char(value >> 8));
}

[[noreturn]] void truncated(const QString& name, qint64 fileSize, qint64 needed)
{
    throw FormatError(QStringLiteral("%1 is truncated or damaged: it has %2 bytes, but its header, index "
                                     "and pixel data need %3")
                          .arg(name)
                          .arg(fileSize)
                          .arg(needed));
}

[[noreturn]] void outOfMemory(int width, int height)
{
    throw PlsdError(QStringLiteral("Not enough memory for a block of %1 x %2 pixels").arg(width).arg(height));
}

// Places the blocks back to back behind the index and notes whether the offsets agree.
void placeBlocks(Layout& layout)
{
    const size_t count = layout.index.size();
    layout.positions.resize(count);
    layout.placement = BlockPlacement::OffsetsMatch;
    qint64 next = layout.pixelDataOffset;
    for (size_t k = 0; k < count; ++k) {
        const IndexRecord& record = layout.index[k];
        if (qint64(record.offset()) + OffsetBias != next)
            layout.placement = BlockPlacement::OffsetsDisagree;
        layout.positions[k] = next;
        next += record.pixelBytes();
    }
}

// Where each block's pixels go in the file that the save writes.
std::vector<qint64> savedPositions(const TBlockList& blocks)
{
    std::vector<qint64> positions;
    positions.reserve(blocks.size());
    qint64 next = HeaderSize + IndexRecordSize * qint64(blocks.size());
    for (const auto& block : blocks) {
        positions.push_back(next);
        next += qint64(block->Width) * block->Height * 2;
    }
    return positions;
}

} // namespace

Header parseHeader(const char* data, qint64 size, qint64 fileSize, const QString& name)
{
    if (size >= 1 && data[0] != 0 && data[0] != 1)
        throw FormatError(QStringLiteral("%1 is not a background file this program reads: its first byte is %2 "
                                         "(1 marks 5-6-5 pixels, 0 marks 5-5-5 pixels)")
                              .arg(name)
                              .arg(int(static_cast<unsigned char>(data[0]))));
    if (size < HeaderSize || fileSize < HeaderSize)
        truncated(name, std::min(size, fileSize), HeaderSize);

    Header header;
    header.format = data[0] == 1 ? PixelFormat::RGB565 : PixelFormat::RGB555;
    header.columns = le16(data + 4);
    header.rows = le16(data + 6);
    header.blockCount = le16(data + 8);
    const qint64 grid = qint64(header.columns) * header.rows;   // up to 65535 x 65535: past an int
    if (header.blockCount == 0 && grid == 0)
        throw FormatError(QStringLiteral("%1 holds no picture: it has 0 blocks").arg(name));
    if (header.blockCount != grid)
        throw FormatError(QStringLiteral("%1 is damaged: it holds %2 blocks, but %3 columns x %4 rows need %5")
                              .arg(name)
                              .arg(header.blockCount)
                              .arg(header.columns)
                              .arg(header.rows)
                              .arg(grid));
    if (fileSize < HeaderSize + header.indexBytes())
        truncated(name, fileSize, HeaderSize + header.indexBytes());
    return header;
}

Layout parseIndex(const Header& header, const char* data, qint64 fileSize, const QString& name)
{
    Layout layout;
    layout.format = header.format;
    layout.columns = header.columns;
    layout.rows = header.rows;
    layout.pixelDataOffset = HeaderSize + header.indexBytes();
    layout.index.reserve(header.blockCount);
    for (int k = 0; k < header.blockCount; ++k) {
        const char* p = data + IndexRecordSize * k;
        const IndexRecord record{le16(p), le16(p + 2), le16(p + 4), le16(p + 6)};
        if (record.width == 0 || record.height == 0)
            throw FormatError(QStringLiteral("%1 is damaged: block %2 is %3 x %4 pixels, and a block needs a "
                                             "width and a height")
                                  .arg(name)
                                  .arg(k)
                                  .arg(record.width)
                                  .arg(record.height));
        layout.totalPixels += qint64(record.width) * record.height;
        layout.index.push_back(record);
    }
    const qint64 needed = layout.pixelDataOffset + 2 * layout.totalPixels;
    if (fileSize < needed)
        truncated(name, fileSize, needed);
    placeBlocks(layout);
    return layout;
}

Layout parseBackground(const QByteArray& bytes, const QString& name)
{
    const Header header = parseHeader(bytes.constData(), bytes.size(), bytes.size(), name);
    return parseIndex(header, bytes.constData() + HeaderSize, bytes.size(), name);
}

QImage decodeBlock(const char* pixels, int width, int height, PixelFormat format)
{
    QImage image(width, height, QImage::Format_RGB888);   // left unfilled: every pixel is written below
    if (image.isNull())
        outOfMemory(width, height);
    const auto* src = reinterpret_cast<const unsigned char*>(pixels);
    uchar* line = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int y = 0; y < height; ++y, line += stride) {
        uchar* d = line;
        if (format == PixelFormat::RGB565) {
            for (int x = 0; x < width; ++x, src += 2, d += 3) {
                const unsigned p = qFromLittleEndian<quint16>(src);
                d[0] = uchar((p >> 8) & 0xF8);
                d[1] = uchar((p >> 3) & 0xFC);
                d[2] = uchar((p << 3) & 0xF8);
            }
        } else {
            for (int x = 0; x < width; ++x, src += 2, d += 3) {
                const unsigned p = qFromLittleEndian<quint16>(src);
                d[0] = uchar((p >> 7) & 0xF8);
                d[1] = uchar((p >> 2) & 0xF8);
                d[2] = uchar((p << 3) & 0xF8);
            }
        }
    }
    return image;
}

void encodeBlock(const QImage& bitmap, int width, int height, char* out)
{
    const QImage source = bitmap.format() == QImage::Format_RGB888 ? bitmap
                                                                     : bitmap.convertToFormat(QImage::Format_RGB888);
    const int rows = std::min(height, source.height());
    const int columns = std::min(width, source.width());
    auto* d = reinterpret_cast<unsigned char*>(out);
    for (int y = 0; y < height; ++y) {
        int x = 0;
        if (y < rows) {
            const uchar* s = source.constScanLine(y);
            for (; x < columns; ++x, s += 3, d += 2)
                qToLittleEndian<quint16>(rgbTo565(s[0], s[1], s[2]), d);
        }
        const qsizetype white = qsizetype(width - x) * 2;
        std::memset(d, 0xFF, size_t(white));
        d += white;
    }
}

qint64 neededMemory(const Layout& layout)
{
    constexpr qint64 PerBlock = 512;   // a block's own record and its image's
    constexpr qint64 CellBytes = qint64(BlockSize) * BlockSize * 3;
    const qint64 cells = qint64(layout.columns) * layout.rows;
    return 3 * layout.totalPixels + PerBlock * qint64(layout.index.size()) + CellBytes * cells;
}

TBlockList decodeBlocks(const Layout& layout, const PixelSource& source, const QString& name,
                        const LoadProgress& progress)
{
    memorybudget::checkPicture(name, qint64(BlockSize) * layout.columns, qint64(BlockSize) * layout.rows, neededMemory(layout));
    TBlockList blocks;
    blocks.reserve(layout.index.size());
    qint64 done = 0;
    for (size_t k = 0; k < layout.index.size(); ++k) {
        const IndexRecord& record = layout.index[k];
        const char* pixels = source(layout.positions[k], record.pixelBytes());
        if (!pixels)
            throw FormatError(QStringLiteral("%1 is truncated or damaged: the pixel data of block %2 ends early")
                                  .arg(name)
                                  .arg(blocks.size()));
        auto block = std::make_unique<TGraphicBlock>();
        block->OffsetLow = record.offsetLow;
        block->OffsetHigh = record.offsetHigh;
        block->SetBitmap(decodeBlock(pixels, record.width, record.height, layout.format));
        blocks.push_back(std::move(block));
        done += qint64(record.width) * record.height;
        if (progress)
            progress(done, layout.totalPixels);
    }
    return blocks;
}

TBlockList decodeBackground(const QByteArray& bytes, Layout* layoutOut)
{
    const QString name = QStringLiteral("The file");
    const Layout layout = parseBackground(bytes, name);
    TBlockList blocks = decodeBlocks(layout, [&](qint64 position, qint64 n) -> const char* {
        return position + n <= bytes.size() ? bytes.constData() + position : nullptr;
    }, name);
    if (layoutOut)
        *layoutOut = layout;
    return blocks;
}

void checkWritable(const TBlockList* blocks, int columns, int rows)
{
    if (!blocks || blocks->empty())
        throw PlsdError(QStringLiteral("There is no picture to save: open a background file or import a bitmap "
                                       "first"));
    const qint64 count = qint64(blocks->size());
    if (count > MaxBlocks)
        throw PlsdError(QStringLiteral("The picture has %1 blocks, but a background file holds at most %2")
                            .arg(count)
                            .arg(MaxBlocks));
    if (columns < 0 || rows < 0 || qint64(columns) * rows != count)
        throw PlsdError(QStringLiteral("The picture's %1 blocks do not fill its grid of %2 columns x %3 rows")
                            .arg(count)
                            .arg(columns)
                            .arg(rows));
    for (qint64 k = 0; k < count; ++k) {
        const TGraphicBlock* block = (*blocks)[size_t(k)].get();
        if (!block || block->Width == 0 || block->Height == 0)
            throw PlsdError(QStringLiteral("Block %1 of the picture is %2 x %3 pixels and cannot be saved")
                                .arg(k)
                                .arg(block ? block->Width : 0)
                                .arg(block ? block->Height : 0));
    }
    const std::vector<qint64> positions = savedPositions(*blocks);
    for (qint64 k = 0; k < count; ++k) {
        if (positions[size_t(k)] - OffsetBias > qint64(UINT32_MAX))
            throw PlsdError(QStringLiteral("The picture is too large for a background file: block %1 would begin "
                                           "past the 4 GB that a block's offset can reach")
                                .arg(k));
    }
}

std::vector<std::uint32_t> savedOffsets(const TBlockList& blocks)
{
    std::vector<std::uint32_t> offsets;
    offsets.reserve(blocks.size());
    for (const qint64 position : savedPositions(blocks))
        offsets.push_back(std::uint32_t(position - OffsetBias));
    return offsets;
}

void takeSavedOffsets(TBlockList& blocks)
{
    const std::vector<std::uint32_t> offsets = savedOffsets(blocks);
    for (size_t k = 0; k < blocks.size(); ++k)
        blocks[k]->SetOffset(offsets[k]);
}

QByteArray encodeHeaderAndIndex(const TBlockList& blocks, int columns, int rows)
{
    QByteArray out;
    out.reserve(HeaderSize + IndexRecordSize * qsizetype(blocks.size()));
    out.append("\x01\x00\x00\x00", 4);
    putLe16(out, std::uint16_t(columns));
    putLe16(out, std::uint16_t(rows));
    putLe16(out, std::uint16_t(blocks.size()));
    const std::vector<std::uint32_t> offsets = savedOffsets(blocks);
    for (size_t k = 0; k < blocks.size(); ++k) {
        putLe16(out, std::uint16_t(offsets[k] & 0xFFFF));
        putLe16(out, std::uint16_t(offsets[k] >> 16));
        putLe16(out, blocks[k]->Width);
        putLe16(out, blocks[k]->Height);
    }
    return out;
}

void writeBackground(QIODevice& device, const TBlockList& blocks, int columns, int rows, const QString& name,
                     const SaveProgress& progress)
{
    auto write = [&](const char* data, qint64 size) {
        if (device.write(data, size) != size)
            throw FileError(QStringLiteral("Cannot write file %1: %2").arg(name, device.errorString()));
    };
    const QByteArray head = encodeHeaderAndIndex(blocks, columns, rows);
    write(head.constData(), head.size());
    QByteArray buffer;
    const int total = int(blocks.size());
    for (int k = 0; k < total; ++k) {
        const TGraphicBlock& block = *blocks[size_t(k)];
        const qint64 bytes = qint64(block.Width) * block.Height * 2;
        try {
            buffer.resize(bytes);
        } catch (const std::bad_alloc&) {
            outOfMemory(block.Width, block.Height);
        }
        encodeBlock(block.Bitmap, block.Width, block.Height, buffer.data());
        write(buffer.constData(), bytes);
        if (progress)
            progress(k + 1, total);
    }
}

QByteArray encodeBackground(const TBlockList& blocks, int columns, int rows)
{
    QByteArray out = encodeHeaderAndIndex(blocks, columns, rows);
    for (const auto& block : blocks) {
        const qsizetype at = out.size();
        out.resize(at + qsizetype(block->Width) * block->Height * 2);
        encodeBlock(block->Bitmap, block->Width, block->Height, out.data() + at);
    }
    return out;
}

int roundedPercent(qint64 done, qint64 total)
{
    if (total <= 0)
        return 100;
    const qint64 scaled = done * 100;
    qint64 q = scaled / total;
    const qint64 twiceRest = 2 * (scaled % total);
    if (twiceRest > total || (twiceRest == total && q % 2 != 0))
        ++q;
    return int(q);
}

std::uint32_t importedBlockOffset(int k, int n)
{
    return std::uint32_t(6) + std::uint32_t(8) * std::uint32_t(n) + std::uint32_t(32768) * std::uint32_t(k);
}

} // namespace blk
