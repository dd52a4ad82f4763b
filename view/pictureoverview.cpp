#include "view/pictureoverview.h"

#include "view/blocklevels.h"
#include "view/screenpixels.h"

#include <QPainter>

TPictureOverview::TPictureOverview(std::shared_ptr<TPictureLevels> levels)
    : levels(std::move(levels))
    , area(QPointF(0, 0), QSizeF(this->levels->pictureSize()))
{
}

void TPictureOverview::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    paintAtScreenSize(painter, area, [this](QSize size) -> const QImage& { return levels->pictureSized(size); });
}
