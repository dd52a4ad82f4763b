#pragma once

#include <QGraphicsItem>
#include <memory>

class TPictureLevels;

// The whole picture as one item, for zooms at which too many blocks are in view to draw
// them one by one: a paint is one copy of pixels from a smoothly reduced image of the
// picture at its size on screen (TPictureLevels). The scene shows it in place of the block
// items below a zoom of 1/2.
class TPictureOverview : public QGraphicsItem {
public:
    enum { Type = UserType + 3 };
    // Shown at zooms below this one.
    static constexpr qreal ShownBelow = 0.5;

    explicit TPictureOverview(std::shared_ptr<TPictureLevels> levels);

    int type() const override { return Type; }
    QRectF boundingRect() const override { return area; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    std::shared_ptr<TPictureLevels> levels;
    QRectF area;
};
