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

// Level n of a block of this size, as halving makes it.
QSize levelSize(QSize full, int n)
{
    return {std::max(1, full.width() >> n), std::max(1, full.height() >> n)};
}

int kilobytes(const QImage& image)
{
    return int(std::max<qsizetype>(1, image.sizeInBytes() / 1024));
}

} // namespace

TPictureLevels::TPictureLevels(std::shared_ptr<const TBlockList> blocks)
    : blocks(std::move(blocks))
    , reduced(this->blocks ? this->blocks->size() : 0)
    , converted(cacheKilobytes)
    , resized(cacheKilobytes)
{
}

const QImage& TPictureLevels::fullSize(int block)
{
    const QImage& bitmap = (*blocks)[size_t(block)]->Bitmap;
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
        const QImage& bitmap = (*blocks)[size_t(block)]->Bitmap;
        const QImage& above = n == 1 ? bitmap : level(block, n - 1);
        if (!above.isNull())
            made = smoothlyScaled(above, levelSize(above.size(), 1));
    }
    return made;
}

const QImage& TPictureLevels::sized(int block, QSize size)
{
    // The smallest level that is not smaller than the size asked for.
    const QSize full = (*blocks)[size_t(block)]->Bitmap.size();
    if (size.isEmpty() || size.width() >= full.width() || size.height() >= full.height())
        return fullSize(block);
    int n = 0;
    while (n + 1 < LevelCount && levelSize(full, n + 1).boundedTo(size) == size)
        ++n;
    const QImage& nearest = level(block, n);
    if (nearest.size() == size)
        return nearest;
    if (const QImage* copy = resized.object(block); copy && copy->size() == size)
        return *copy;
    auto* copy = new QImage(smoothlyScaled(nearest, size));
    resized.insert(block, copy, kilobytes(*copy));
    return *copy;
}
