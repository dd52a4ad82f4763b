#pragma once

// The game's background file (.blk), without widgets: header, index, the 16-bit pixel
// codecs and the checks that a whole file passes before the editor takes it.
//
// Layout, all numbers unsigned little-endian:
//   0  4      pixel format: byte 0 is 1 for 5-6-5 pixels, 0 for 5-5-5; bytes 1-3 unused
//   4  2      columns (blocks across)
//   6  2      rows (blocks down)
//   8  2      block count N
//   10 8 x N  index: offset low, offset high, width, height (2 bytes each) per block
//   then      the blocks' pixels, column-major, rows top to bottom
// A block's offset is the file position of its pixels minus 4. Files as the game's tools
// write them hold the blocks back to back behind the index, and their offsets say so. The
// game reads the blocks back to back whatever the offsets say, and so does this reader.

#include "core/background/graphicblock.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QIODevice;

namespace blk {

enum class PixelFormat : std::uint8_t { RGB555 = 0, RGB565 = 1 };

constexpr qint64 HeaderSize = 10;
constexpr qint64 IndexRecordSize = 8;
constexpr int MaxBlocks = 0xFFFF;
constexpr qint64 OffsetBias = 4;   // a block's offset is its pixels' position minus this

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// 16-bit pixel to 8-bit channels; the low bits of each channel are 0.
constexpr Rgb rgbFrom565(std::uint16_t p)
{
    return {std::uint8_t((p >> 8) & 0xF8), std::uint8_t((p >> 3) & 0xFC), std::uint8_t((p << 3) & 0xF8)};
}
constexpr Rgb rgbFrom555(std::uint16_t p)
{
    return {std::uint8_t((p >> 7) & 0xF8), std::uint8_t((p >> 2) & 0xF8), std::uint8_t((p << 3) & 0xF8)};
}
// 8-bit channels to a 5-6-5 pixel: the low bits are cut, not rounded.
constexpr std::uint16_t rgbTo565(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return std::uint16_t((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
}

struct IndexRecord {
    std::uint16_t offsetLow = 0;
    std::uint16_t offsetHigh = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    qint64 pixelBytes() const { return qint64(width) * height * 2; }
    std::uint32_t offset() const { return std::uint32_t(offsetHigh) << 16 | offsetLow; }
    friend bool operator==(const IndexRecord&, const IndexRecord&) = default;
};

struct Header {
    PixelFormat format = PixelFormat::RGB565;
    std::uint16_t columns = 0;
    std::uint16_t rows = 0;
    std::uint16_t blockCount = 0;
    qint64 indexBytes() const { return IndexRecordSize * blockCount; }
};

// Whether a checked file's offsets say where its blocks are; they are read back to back
// behind the index either way, as the game reads them.
enum class BlockPlacement : std::uint8_t {
    OffsetsMatch,      // the offsets say what the file holds
    OffsetsDisagree,   // some offset says otherwise
};

// What a checked file holds besides its pixels, and where they lie.
struct Layout {
    PixelFormat format = PixelFormat::RGB565;
    std::uint16_t columns = 0;
    std::uint16_t rows = 0;
    std::vector<IndexRecord> index;
    qint64 pixelDataOffset = 0;   // end of the index: where the pixel data begins
    qint64 totalPixels = 0;       // of all blocks together
    BlockPlacement placement = BlockPlacement::OffsetsMatch;
    std::vector<qint64> positions;   // file position of each block's pixels
};

// What the user is told of a file whose offsets disagree with its layout.
inline constexpr const char* OffsetsDisagreeNote =
    "the file's block offsets disagree with its layout; shown as the game shows it";

// Each raises FormatError with a message that names the file as `name`.
// The first bytes of a file of `fileSize` bytes (at least 10 of them must be at `data`).
Header parseHeader(const char* data, qint64 size, qint64 fileSize, const QString& name);
// The header's index (header.indexBytes() bytes at `data`), checked against the file size:
// the file must hold every block back to back, where they are read whatever the offsets say.
Layout parseIndex(const Header& header, const char* data, qint64 fileSize, const QString& name);
// Header and index of a whole file held in memory.
Layout parseBackground(const QByteArray& bytes, const QString& name = QStringLiteral("The file"));

// Decodes one block's pixels into a 24-bit image of its size; raises PlsdError when the
// image cannot be had.
QImage decodeBlock(const char* pixels, int width, int height, PixelFormat format);
// Encodes width x height pixels of a bitmap as 5-6-5 (width x height x 2 bytes at `out`).
// The bitmap is read as 24-bit; pixels outside it are white.
void encodeBlock(const QImage& bitmap, int width, int height, char* out);

// Gives `bytes` bytes of the file from `position` on, or nullptr when there are fewer.
using PixelSource = std::function<const char*(qint64 position, qint64 bytes)>;
// Hears the pixels decoded so far after each block.
using LoadProgress = std::function<void(qint64 donePixels, qint64 totalPixels)>;
// What a picture of this layout takes in memory: its blocks as 24-bit images, and the
// picture of all its 128 x 128 cells, which the view and the conversions make of them.
qint64 neededMemory(const Layout& layout);
// Makes the blocks of a checked layout from its pixel data, in order. Each block keeps
// the offset its file gave it. A layout that needs more than the memory budget is refused
// before any block is made: "NAME claims W x H pixels, SIZE; the limit is LIMIT".
TBlockList decodeBlocks(const Layout& layout, const PixelSource& source, const QString& name,
                        const LoadProgress& progress = {});
// The whole file in memory: header, index and blocks.
TBlockList decodeBackground(const QByteArray& bytes, Layout* layout = nullptr);

// Raises PlsdError, with a clear message, when the grid cannot be written as a file that
// reads back: no blocks, more than a 16-bit count, a count that is not columns x rows, a
// block without pixels, or a block that would begin past what a 32-bit offset reaches.
void checkWritable(const TBlockList* blocks, int columns, int rows);
// The offset of each block in the file that the save writes: blocks back to back behind
// the index. Offsets past 32 bits are cut; checkWritable refuses such grids.
std::vector<std::uint32_t> savedOffsets(const TBlockList& blocks);
// Gives each block the offset it has in the file that the save writes.
void takeSavedOffsets(TBlockList& blocks);
// Header and index of a checked grid, with the offsets of savedOffsets().
QByteArray encodeHeaderAndIndex(const TBlockList& blocks, int columns, int rows);
// Hears the number of blocks written so far after each block.
using SaveProgress = std::function<void(int doneBlocks, int totalBlocks)>;
// Writes the whole file of a checked grid; raises FileError naming `name` when a write fails.
void writeBackground(QIODevice& device, const TBlockList& blocks, int columns, int rows,
                     const QString& name, const SaveProgress& progress = {});
// The whole file of a checked grid in memory.
QByteArray encodeBackground(const TBlockList& blocks, int columns, int rows);

// done / total x 100 rounded to the nearest whole number, halves to the even neighbour.
int roundedPercent(qint64 done, qint64 total);

// The offset that the import gives block k of n blocks of 128 x 128: where its pixels
// lie, minus 4, in the file the save writes; 32-bit arithmetic.
std::uint32_t importedBlockOffset(int k, int n);

} // namespace blk
