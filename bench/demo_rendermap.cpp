// Writes a small made-up metaroom for the README's rendered map: a picture drawn with
// gradients (hills over a cave with a pool) and a room script of rooms on it, with types
// and door lines. Usage: demo_rendermap FOLDER   (writes FOLDER/demo.png, FOLDER/demo.cos)
#include "core/script/roomdefs.h"
#include "core/script/scriptwriter.h"

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

constexpr int Width = 768;
constexpr int Height = 384;

// The ground's surface: the floors of the rooms above it, a few pixels lower.
QPainterPath ground()
{
    QPainterPath path(QPointF(0, 204));
    path.cubicTo(QPointF(128, 200), QPointF(200, 186), QPointF(256, 184));
    path.cubicTo(QPointF(330, 180), QPointF(400, 146), QPointF(448, 144));
    path.cubicTo(QPointF(520, 142), QPointF(590, 190), QPointF(640, 194));
    path.lineTo(Width, 194);
    path.lineTo(Width, Height);
    path.lineTo(0, Height);
    path.closeSubpath();
    return path;
}

QImage picture()
{
    QImage image(Width, Height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 210);
    sky.setColorAt(0, QColor(40, 70, 140));
    sky.setColorAt(1, QColor(235, 190, 150));
    p.fillRect(image.rect(), sky);
    QRadialGradient sun(QPointF(600, 70), 60);
    sun.setColorAt(0, QColor(255, 245, 200));
    sun.setColorAt(0.4, QColor(255, 220, 150, 180));
    sun.setColorAt(1, QColor(255, 200, 150, 0));
    p.fillRect(image.rect(), sun);

    QLinearGradient earth(0, 140, 0, Height);
    earth.setColorAt(0, QColor(110, 140, 60));
    earth.setColorAt(0.08, QColor(120, 85, 50));
    earth.setColorAt(1, QColor(50, 35, 25));
    p.fillPath(ground(), earth);

    // The cave and its pool.
    QPainterPath cave;
    cave.moveTo(96, 286);
    cave.cubicTo(QPointF(200, 262), QPointF(480, 270), QPointF(604, 288));
    cave.lineTo(604, 372);
    cave.cubicTo(QPointF(450, 380), QPointF(220, 372), QPointF(96, 358));
    cave.closeSubpath();
    QLinearGradient hollow(0, 270, 0, 370);
    hollow.setColorAt(0, QColor(30, 22, 18));
    hollow.setColorAt(1, QColor(70, 55, 45));
    p.fillPath(cave, hollow);
    QLinearGradient water(0, 320, 0, 372);
    water.setColorAt(0, QColor(60, 140, 200, 220));
    water.setColorAt(1, QColor(20, 50, 110, 240));
    p.fillRect(QRectF(400, 322, 204, 48), water);

    // Stones in the earth.
    p.setPen(Qt::NoPen);
    for (int k = 0; k < 24; ++k) {
        const QPointF at(40 + (k * 97) % 700, 226 + (k * 53) % 40 + (k % 3) * 45);
        if (cave.contains(at))
            continue;
        p.setBrush(QColor(90 + k % 4 * 10, 80 + k % 3 * 8, 70));
        p.drawEllipse(at, 5 + k % 4, 3 + k % 3);
    }
    return image;
}

ScriptRoom room(int xl, int xr, int ytl, int ytr, int ybl, int ybr, int roomtype)
{
    return {xl, xr, ytl, ytr, ybl, ybr, roomtype, QString(), {}};
}

void link(RoomDefs& defs, int a, int b, int perm)
{
    defs.rooms[a].doors.append({b, perm});
    defs.rooms[b].doors.append({a, perm});
}

RoomDefs rooms()
{
    RoomDefs defs;
    defs.metaRoomID = 12;
    defs.subRoomStartID = 600;
    defs.metaroomFilename = QStringLiteral("Hillside.blk");
    defs.panelWidth = Width;
    defs.panelHeight = Height;
    defs.rooms = {
        room(0, 768, 0, 0, 60, 60, 0),         // 600 the sky
        room(0, 256, 60, 60, 200, 180, 5),     // 601 the meadow
        room(256, 448, 60, 60, 180, 140, 5),   // 602 up the hill
        room(448, 640, 60, 60, 140, 190, 7),   // 603 down to the shore
        room(640, 768, 60, 60, 190, 190, 4),   // 604 the jetty
        room(100, 400, 286, 276, 360, 350, 2), // 605 the cave
        room(400, 600, 276, 290, 350, 370, 8), // 606 the pool
    };
    link(defs, 1, 2, 100);
    link(defs, 2, 3, 60);
    link(defs, 3, 4, 80);
    link(defs, 0, 1, 30);
    link(defs, 0, 3, 30);
    link(defs, 5, 6, 50);
    link(defs, 2, 5, 40);   // no shared edge: the game refuses it
    return defs;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo_rendermap FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!picture().save(folder.filePath(QStringLiteral("demo.png")))) {
        std::fprintf(stderr, "cannot write demo.png\n");
        return 1;
    }
    SaveRoomDefsFile(folder.filePath(QStringLiteral("demo.cos")), rooms());
    return 0;
}
