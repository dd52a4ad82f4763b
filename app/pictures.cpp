#include "app/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>

namespace {

// A few rooms with sloping floors, as the editor draws them.
void drawRooms(QPainter& p, int width, int height)
{
    p.setPen(QPen(QColor(255, 255, 255), 3));
    const int w = width / 3;
    for (int i = 0; i < 3; ++i) {
        const int xl = 6 + i * w;
        const int xr = xl + w - 12;
        const int top = height / 4 + (i % 2) * 6;
        const int bottom = height - 8 - i * 4;
        p.drawPolygon(QPolygon({QPoint(xl, top), QPoint(xr, top + 6), QPoint(xr, bottom), QPoint(xl, bottom - 4)}));
    }
}

} // namespace

QImage drawSponsorPicture()
{
    QImage image(470, 60, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 470, 60);
    sky.setColorAt(0, QColor(90, 40, 25));
    sky.setColorAt(1, QColor(190, 120, 70));
    p.fillRect(image.rect(), sky);
    drawRooms(p, 200, 60);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(255, 240, 210));
    p.drawText(QRect(200, 0, 260, 60), Qt::AlignCenter, QStringLiteral("Palisandre"));
    return image;
}

QImage drawAboutPicture()
{
    QImage image(153, 185, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient wood(0, 0, 0, 185);
    wood.setColorAt(0, QColor(120, 55, 30));
    wood.setColorAt(1, QColor(60, 25, 15));
    p.fillRect(image.rect(), wood);
    // The rooms sit below the selected one, as rooms never overlap.
    p.translate(0, 80);
    drawRooms(p, 153, 105);
    p.resetTransform();
    p.setPen(QPen(QColor(255, 0, 255), 3));
    p.drawPolygon(QPolygon({QPoint(20, 20), QPoint(130, 30), QPoint(130, 70), QPoint(20, 60)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 255));
    for (const QPoint corner : {QPoint(20, 20), QPoint(130, 30), QPoint(130, 70), QPoint(20, 60)})
        p.drawRect(corner.x() - 2, corner.y() - 2, 5, 5);
    return image;
}
