#pragma once

#include "core/background/graphicblock.h"

#include <QGraphicsObject>
#include <memory>

class TPictureLevels;

// The picture of one block in its 128-pixel cell: the block's pixels unscaled from the
// cell's top-left, nothing where the block is smaller than the cell. Zoomed in, picture
// pixels are sharp squares; zoomed out, the block is drawn from a smoothly reduced copy
// (TPictureLevels).
class TImage : public QGraphicsObject {
    Q_OBJECT
public:
    enum { Type = UserType + 1 };
    static constexpr int CellSize = BlockSize;
    static constexpr int StripLines = 64;   // at 100 %, drawn at most so many lines at a time

    TImage(std::shared_ptr<TPictureLevels> levels, int block, QSize blockSize);

    int type() const override { return Type; }
    int block() const { return index; }
    QRectF boundingRect() const override { return cell; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void paintSharp(QPainter* painter, const QRectF& exposed);
    void paintReduced(QPainter* painter);

    std::shared_ptr<TPictureLevels> levels;
    int index;
    QRectF cell;   // the part of the cell the block covers
};
