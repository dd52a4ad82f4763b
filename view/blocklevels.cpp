#include "view/blocklevels.h"

#include <algorithm>

namespace {

// Both caches count in kilobytes: 32 MB holds 512 blocks of 128 x 128 at 32 bits, a
// screenful at 50 % and more.
constexpr int cacheKilobytes = 32 * 1024;

bool drawsAsItIs(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
}

QImage smoothlyScaled(const QImage& image, QSize size)
{
    QImage scaled = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!drawsAsItIs(scaled))
        scaled.convertTo(QImage::Format_RGB32);
    return scaled;
}

// The mean of four 32-bit pixels, channel by channel, rounded to nearest.
quint32 mean(quint32 a, quint32 b, quint32 c, quint32 d)
{
    constexpr quint32 evenChannels = 0x00FF00FF;
    const quint32 low = (a & evenChannels) + (b & evenChannels) + (c & evenChannels) + (d & evenChannels)
                        + 0x00020002;
    const quint32 high = ((a >> 8) & evenChannels) + ((b >> 8) & evenChannels) + ((c >> 8) & evenChannels)
                         + ((d >> 8) & evenChannels) + 0x00020002;
    return ((low >> 2) & evenChannels) | (((high >> 2) & evenChannels) << 8);
}

// Level n of a block of this size, as halving makes it.
QSize levelSize(QSize full, int n)
{
    return {std::max(1, full.width() >> n), std::max(1, full.height() >> n)};
}

// The smallest level of an image of this size that is not smaller than the size asked for.
int levelAbove(QSize full, QSize size)
{
    int n = 0;
    while (n + 1 < TPictureLevels::LevelCount && levelSize(full, n + 1).boundedTo(size) == size)
        ++n;
    return n;
}

int kilobytes(const QImage& image)
{
    return int(std::max<qsizetype>(1, image.sizeInBytes() / 1024));
}

} // namespace

namespace {

// Writes the halving of the top-left part of a 32-bit image into another 32-bit image, its
// top-left at a point.
void halveInto(const QImage& source, QSize part, QImage& target, QPoint at)
{
    const int w = part.width();
    const int h = part.height();
    const QSize half = levelSize(part, 1);
    const int columns = std::min(half.width(), target.width() - at.x());
    const int rows = std::min(half.height(), target.height() - at.y());
    for (int y = 0; y < rows; ++y) {
        const auto* top = reinterpret_cast<const quint32*>(source.constScanLine(std::min(2 * y, h - 1)));
        const auto* bottom = reinterpret_cast<const quint32*>(source.constScanLine(std::min(2 * y + 1, h - 1)));
        auto* out = reinterpret_cast<quint32*>(target.scanLine(at.y() + y)) + at.x();
        const int pairs = std::min(columns, w / 2);
        for (int x = 0; x < pairs; ++x)
            out[x] = mean(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]);
        if (pairs < columns)   // an image one pixel wide
            out[pairs] = mean(top[w - 1], top[w - 1], bottom[w - 1], bottom[w - 1]);
    }
}

// The part of a block that its cell shows.
QImage inCell(const QImage& image)
{
    const QSize cell(TPictureLevels::CellSize, TPictureLevels::CellSize);
    return image.size().boundedTo(cell) == image.size() ? image : image.copy(QRect(QPoint(0, 0), cell));
}

QImage::Format drawnFormat(bool alpha)
{
    return alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
}

} // namespace

QImage HalvedImage(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage source = image.convertToFormat(drawnFormat(image.hasAlphaChannel()));
    QImage half(levelSize(source.size(), 1), source.format());
    halveInto(source, source.size(), half, QPoint(0, 0));
    return half;
}

TPictureLevels::TPictureLevels(const PictureGrid& grid)
    : grid(grid)
    , reduced(grid.blocks ? grid.blocks->size() : 0)
    , converted(cacheKilobytes)
    , resized(cacheKilobytes)
{
}

const QImage& TPictureLevels::fullSize(int block)
{
    const QImage& bitmap = (*grid.blocks)[size_t(block)]->Bitmap;
    if (drawsAsItIs(bitmap) || bitmap.isNull())
        return bitmap;
    if (const QImage* copy = converted.object(block))
        return *copy;
    auto* copy = new QImage(bitmap.convertToFormat(QImage::Format_RGB32));
    converted.insert(block, copy, kilobytes(*copy));
    return *copy;
}

const QImage& TPictureLevels::level(int block, int n)
{
    if (n <= 0)
        return fullSize(block);
    n = std::min(n, LevelCount - 1);
    QImage& made = reduced[size_t(block)][size_t(n)];
    if (made.isNull()) {
        const QImage& bitmap = (*grid.blocks)[size_t(block)]->Bitmap;
        if (!bitmap.isNull())
            made = HalvedImage(n == 1 ? inCell(bitmap) : level(block, n - 1));
    }
    return made;
}

const QImage& TPictureLevels::sized(int block, QSize size)
{
    const QSize full = (*grid.blocks)[size_t(block)]->Bitmap.size().boundedTo(QSize(CellSize, CellSize));
    if (size.isEmpty() || size.width() >= full.width() || size.height() >= full.height())
        return fullSize(block);
    // The smallest level that is not smaller than the size asked for, or a copy made from it.
    const int n = levelAbove(full, size);
    if (n > 0 && level(block, n).size() == size)
        return level(block, n);
    if (const QImage* copy = resized.object(block); copy && copy->size() == size)
        return *copy;
    auto* copy = new QImage(smoothlyScaled(n > 0 ? level(block, n) : inCell(fullSize(block)), size));
    resized.insert(block, copy, kilobytes(*copy));
    return *copy;
}

QImage TPictureLevels::halvedPicture() const
{
    // Cells that their blocks do not fill stay transparent, as the cells of block items do.
    bool filled = true;
    for (const auto& block : *grid.blocks)
        filled = filled && block->Bitmap.width() >= CellSize && block->Bitmap.height() >= CellSize;
    QImage picture(levelSize(pictureSize(), 1), drawnFormat(!filled));
    picture.fill(Qt::transparent);
    for (int k = 0; k < blockCount(); ++k) {
        const QImage& bitmap = (*grid.blocks)[size_t(k)]->Bitmap;
        if (bitmap.isNull())
            continue;
        const QImage source = bitmap.convertToFormat(picture.format());
        const QPoint at(CellSize / 2 * (k / grid.rows), CellSize / 2 * (k % grid.rows));
        halveInto(source, source.size().boundedTo(QSize(CellSize, CellSize)), picture, at);
    }
    return picture;
}

const QImage& TPictureLevels::pictureLevel(int n)
{
    n = std::clamp(n, 1, LevelCount - 1);
    QImage& made = pictureLevels[size_t(n)];
    if (made.isNull() && blockCount() > 0 && grid.rows > 0)
        made = n == 1 ? halvedPicture() : HalvedImage(pictureLevel(n - 1));
    return made;
}

const QImage& TPictureLevels::pictureSized(QSize size)
{
    const QImage& nearest = pictureLevel(std::max(1, levelAbove(pictureSize(), size)));
    if (nearest.size() == size || size.isEmpty())
        return nearest;
    if (pictureOnScreen.size() != size)
        pictureOnScreen = smoothlyScaled(nearest, size);
    return pictureOnScreen;
}
