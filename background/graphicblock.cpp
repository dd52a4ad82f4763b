#include "background/graphicblock.h"

#include <QPainter>

namespace {

// A 24-bit copy of the bitmap at the new size; what was there stays, the new area is white.
QImage resized(const QImage& old, int width, int height)
{
    if (width == 0 || height == 0)
        return QImage();
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::white);
    if (!old.isNull()) {
        QPainter p(&image);
        p.drawImage(0, 0, old);
    }
    return image;
}

} // namespace

void TGraphicBlock::SetWidth(std::uint16_t value)
{
    Bitmap = resized(Bitmap, value, Height);
    Width = value;
}

void TGraphicBlock::SetHeight(std::uint16_t value)
{
    Bitmap = resized(Bitmap, Width, value);
    Height = value;
}
