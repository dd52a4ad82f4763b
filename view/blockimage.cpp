#include "view/blockimage.h"

#include "view/blocklevels.h"
#include "view/screenpixels.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <algorithm>

TImage::TImage(std::shared_ptr<TPictureLevels> levels, int block, QSize blockSize)
    : levels(std::move(levels))
    , index(block)
    , cell(0, 0, std::min(blockSize.width(), CellSize), std::min(blockSize.height(), CellSize))
{
    setFlag(ItemUsesExtendedStyleOption);   // for the exposed part of the cell
}

void TImage::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    const QTransform& toDevice = painter->worldTransform();
    const bool upright = toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0 && toDevice.m22() > 0;
    if (upright && std::max(toDevice.m11(), toDevice.m22()) < 1)
        paintReduced(painter);
    else
        paintSharp(painter, option->exposedRect);
}

void TImage::paintSharp(QPainter* painter, const QRectF& exposed)
{
    const QRect part = exposed.toAlignedRect() & cell.toRect();
    if (part.isEmpty())
        return;
    // Zoomed in, picture pixels are sharp squares.
    const bool smooth = painter->testRenderHint(QPainter::SmoothPixmapTransform);
    if (smooth)
        painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    // At 100 %, in strips: Qt hands the copy of a tall part to its thread pool, and for a
    // part of one block the hand-off costs several times the copy. Zoomed in, strips would
    // not meet exactly, so the part is drawn at once.
    const QImage& image = levels->fullSize(index);
    const int lines = painter->worldTransform().type() <= QTransform::TxTranslate ? StripLines : part.height();
    for (int y = part.top(); y <= part.bottom(); y += lines) {
        const QRect strip(part.left(), y, part.width(), std::min(lines, part.bottom() + 1 - y));
        painter->drawImage(strip.topLeft(), image, strip);
    }
    if (smooth)
        painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void TImage::paintReduced(QPainter* painter)
{
    paintAtScreenSize(painter, cell, [this](QSize size) -> const QImage& { return levels->sized(index, size); });
}
