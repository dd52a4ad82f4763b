#include "view/blocklevels.h"

#include <QtMath>
#include <algorithm>

namespace {

// 32-bit copies of 512 blocks of 128 x 128: a screenful at 50 % and more.
constexpr int convertedBlocks = 512;

bool drawsAsItIs(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
}

QImage halved(const QImage& image)
{
    const QSize size(std::max(1, image.width() / 2), std::max(1, image.height() / 2));
    QImage smaller = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!drawsAsItIs(smaller))
        smaller.convertTo(QImage::Format_RGB32);
    return smaller;
}

} // namespace

TPictureLevels::TPictureLevels(std::shared_ptr<const TBlockList> blocks)
    : blocks(std::move(blocks))
    , reduced(this->blocks ? this->blocks->size() : 0)
    , converted(convertedBlocks)
{
}

int TPictureLevels::levelFor(qreal scale)
{
    if (!(scale < 1))
        return 0;
    if (!(scale > 0))
        return LevelCount - 1;
    return std::clamp(qFloor(std::log2(1 / scale)), 0, LevelCount - 1);
}

const QImage& TPictureLevels::fullSize(int block)
{
    const QImage& bitmap = (*blocks)[size_t(block)]->Bitmap;
    if (drawsAsItIs(bitmap) || bitmap.isNull())
        return bitmap;
    if (const QImage* copy = converted.object(block))
        return *copy;
    auto* copy = new QImage(bitmap.convertToFormat(QImage::Format_RGB32));
    converted.insert(block, copy);
    return *copy;
}

const QImage& TPictureLevels::image(int block, int level)
{
    if (level <= 0)
        return fullSize(block);
    QImage& made = reduced[size_t(block)][size_t(level)];
    if (made.isNull()) {
        const QImage& bitmap = (*blocks)[size_t(block)]->Bitmap;
        if (!bitmap.isNull())
            made = halved(level == 1 ? bitmap : image(block, level - 1));
    }
    return made;
}
