#pragma once

#include <QImage>
#include <cstdint>

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

    // Resize the bitmap first (new area white), then record the value.
    void SetWidth(std::uint16_t value);
    void SetHeight(std::uint16_t value);
};
