#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <memory>
#include <vector>

// Every block of a background stands in a cell of this many pixels square.
constexpr int BlockSize = 128;

// The picture of a grid of columns x rows cells.
inline QSize GridPictureSize(int columns, int rows)
{
    return QSize(BlockSize * columns, BlockSize * rows);
}

// One block of the picture: its own bitmap, and the size and file offset it has in a
// background file.
class TGraphicBlock {
public:
    virtual ~TGraphicBlock() = default;

    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint16_t OffsetLow = 0;
    std::uint16_t OffsetHigh = 0;
    QImage Bitmap;

    // Resize the bitmap first (what was there stays, the new area is white), then record
    // the value.
    void SetWidth(std::uint16_t value);
    void SetHeight(std::uint16_t value);
    // Takes a whole bitmap at once (shared, not copied) and records its size, for
    // builders that fill the pixels themselves. The image must fit in 16-bit sizes.
    void SetBitmap(const QImage& bitmap);

    std::uint32_t Offset() const { return std::uint32_t(OffsetHigh) << 16 | OffsetLow; }
    void SetOffset(std::uint32_t offset)
    {
        OffsetLow = std::uint16_t(offset & 0xFFFF);
        OffsetHigh = std::uint16_t(offset >> 16);
    }
};

// The blocks of a picture in column-major order (the same type as the main window's).
using TBlockList = std::vector<std::unique_ptr<TGraphicBlock>>;
