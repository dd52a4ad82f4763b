#include "background/blockpicture.h"

#include <QCache>
#include <QPainter>
#include <QPaintEvent>

namespace {

// 32-bit copies of the blocks painted lately, by the block's cache key. Drawing 24-bit
// pixels converts the whole block on every paint; a copy is drawn as it is. The cache
// holds a screenful of blocks and more (256 blocks, 16 MB), not the whole picture.
QCache<qint64, QImage>& paintedBlocks()
{
    static QCache<qint64, QImage> cache(256);
    return cache;
}

bool drawsAsItIs(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

TImage::TImage(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TImage::setPicture(const QImage& picture)
{
    image = picture;
    update();
}

void TImage::paintEvent(QPaintEvent* event)
{
    const QRect part = event->rect() & image.rect();
    if (part.isEmpty())
        return;
    const QImage* shown = &image;
    if (!drawsAsItIs(image)) {
        shown = paintedBlocks().object(image.cacheKey());
        if (!shown) {
            auto* copy = new QImage(image.convertToFormat(QImage::Format_RGB32));
            paintedBlocks().insert(image.cacheKey(), copy);
            shown = copy;
        }
    }
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(part.topLeft(), *shown, part);
}
