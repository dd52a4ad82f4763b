#include "background/blockpicture.h"

#include <QPainter>
#include <QPaintEvent>

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
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.drawImage(0, 0, image);
}
