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
    if (upright && std::max(toDevice.m11(), toDevice.m22()) < 1)
        paintReduced(painter);
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
    painter->drawImage(part.topLeft(), levels->fullSize(index), part);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void TBlockItem::paintReduced(QPainter* painter)
{
    // Drawn in screen pixels, between edges rounded alike for every block, so that
    // neighbours meet without a gap or an overlap, from a copy of the size on screen.
    const QTransform toDevice = painter->worldTransform();
    const QRectF onScreen = toDevice.mapRect(cell);
    const QRect target(QPoint(qRound(onScreen.left()), qRound(onScreen.top())),
                       QPoint(qRound(onScreen.right()) - 1, qRound(onScreen.bottom()) - 1));
    if (target.isEmpty())
        return;
    const QImage& image = levels->sized(index, target.size());
    painter->resetTransform();
    painter->drawImage(target.topLeft(), image);
    painter->setWorldTransform(toDevice);
}
