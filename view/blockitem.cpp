#include "view/blockitem.h"

#include "view/blocklevels.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QtMath>
#include <algorithm>

TBlockItem::TBlockItem(std::shared_ptr<TPictureLevels> levels, int block, QSize blockSize)
    : levels(std::move(levels))
    , index(block)
    , cell(0, 0, std::min(blockSize.width(), CellSize), std::min(blockSize.height(), CellSize))
{
    setFlag(ItemUsesExtendedStyleOption);   // for the exposed part of the cell
}

void TBlockItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    const QTransform& toDevice = painter->worldTransform();
    const bool upright = toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0 && toDevice.m22() > 0;
    const qreal scale = std::max(toDevice.m11(), toDevice.m22());
    if (upright && scale < 1)
        paintReduced(painter, TPictureLevels::levelFor(scale));
    else
        paintSharp(painter, option->exposedRect);
}

void TBlockItem::paintSharp(QPainter* painter, const QRectF& exposed)
{
    const QRect part = exposed.toAlignedRect() & cell.toRect();
    if (part.isEmpty())
        return;
    const bool smooth = painter->testRenderHint(QPainter::SmoothPixmapTransform);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter->drawImage(part.topLeft(), levels->image(index, 0), part);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void TBlockItem::paintReduced(QPainter* painter, int level)
{
    // Drawn in screen pixels, between edges rounded alike for every block, so that
    // neighbours meet without a gap or an overlap.
    const QRectF onScreen = painter->worldTransform().mapRect(cell);
    const QRect target(QPoint(qRound(onScreen.left()), qRound(onScreen.top())),
                       QPoint(qRound(onScreen.right()) - 1, qRound(onScreen.bottom()) - 1));
    if (target.isEmpty())
        return;
    const QImage& image = levels->image(index, level);
    painter->save();
    painter->resetTransform();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawImage(target, image);
    painter->restore();
}
