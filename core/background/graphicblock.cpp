#include "core/background/graphicblock.h"

#include "core/common/errors.h"

#include <algorithm>
#include <cstring>

namespace {

// A 24-bit copy of the bitmap at the new size; what was there stays, the new area is white.
QImage resized(const QImage& old, int width, int height)
{
    if (width == 0 || height == 0)
        return QImage();
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull())
        throw PlsdError(QStringLiteral("Not enough memory for an image of %1 x %2 pixels").arg(width).arg(height));
    image.fill(Qt::white);
    if (old.isNull())
        return image;
    const QImage source = old.format() == QImage::Format_RGB888 ? old : old.convertToFormat(QImage::Format_RGB888);
    const int rows = std::min(height, source.height());
    const qsizetype bytes = qsizetype(std::min(width, source.width())) * 3;
    for (int y = 0; y < rows; ++y)
        std::memcpy(image.scanLine(y), source.constScanLine(y), size_t(bytes));
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

void TGraphicBlock::SetBitmap(const QImage& bitmap)
{
    Q_ASSERT(bitmap.width() <= 0xFFFF && bitmap.height() <= 0xFFFF);
    Bitmap = bitmap;
    Width = std::uint16_t(bitmap.width());
    Height = std::uint16_t(bitmap.height());
}
