#include "tool/mapdrawing.h"

#include "core/rules/doormarks.h"
#include "core/rules/gamerules.h"
#include "core/rules/mapcolours.h"
#include "core/rules/roomtypes.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <set>

namespace {

constexpr int LegendMargin = 6;

QFont labelFont()
{
    QFont font;
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

std::set<int> typesUsed(const RoomDefs& defs)
{
    std::set<int> used;
    for (const ScriptRoom& room : defs.rooms)
        used.insert(room.roomtype);
    return used;
}

// The height of the legend's band below a drawing of this width.
int legendHeight(const RoomDefs& defs, int width)
{
    const QFontMetrics metrics(labelFont());
    const int swatch = metrics.height() - 2;
    int rows = 0;
    int x = LegendMargin;
    for (const int type : typesUsed(defs)) {
        const int entry = swatch + 5 + metrics.horizontalAdvance(RoomTypeLabel(type));
        if (rows == 0 || (x > LegendMargin && x + entry > width - LegendMargin)) {
            ++rows;
            x = LegendMargin;
        }
        x += entry + 3 * LegendMargin;
    }
    return rows == 0 ? 0 : rows * (metrics.height() + 2) - 2 + 2 * LegendMargin;
}

class MapPainter {
public:
    MapPainter(QImage& image, const RoomDefs& defs, double scale)
        : painter(&image)
        , defs(defs)
        , scale(scale)
    {
        painter.setFont(labelFont());
    }

    void background(const QImage& picture)
    {
        painter.fillRect(QRect(0, 0, painter.device()->width(), painter.device()->height()),
                         mapcolours::noPicture());
        if (picture.isNull())
            return;
        painter.setRenderHint(QPainter::SmoothPixmapTransform, scale != 1);
        painter.drawImage(QRectF(0, 0, picture.width() * scale, picture.height() * scale), picture);
    }

    void scaledBackground(const QImage& picture)
    {
        painter.fillRect(QRect(0, 0, painter.device()->width(), painter.device()->height()),
                         mapcolours::noPicture());
        if (!picture.isNull())
            painter.drawImage(QPoint(0, 0), picture);
    }

    // Everything over the background but the legend.
    void map(const MapDrawingOptions& options)
    {
        if (options.types)
            typeFills();
        outlines();
        sharedEdges();
        doors();
        if (options.numbers)
            numbers();
    }

    void typeFills()
    {
        painter.setPen(Qt::NoPen);
        for (const ScriptRoom& room : defs.rooms) {
            painter.setBrush(RoomTypeColour(room.roomtype));
            painter.drawPolygon(outline(room));
        }
        painter.setBrush(Qt::NoBrush);
    }

    void outlines()
    {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(mapcolours::outlineHalo(), 3));
        for (const ScriptRoom& room : defs.rooms)
            painter.drawPolygon(outline(room));
        painter.setPen(QPen(mapcolours::roomOutline(), 0));
        for (const ScriptRoom& room : defs.rooms)
            painter.drawPolygon(outline(room));
    }

    void sharedEdges()
    {
        painter.setPen(QPen(mapcolours::sharedEdge(), 3, Qt::SolidLine, Qt::FlatCap));
        for (const SharedEdge& edge : SharedEdges(defs))
            painter.drawLine(at(edge.line.p1()), at(edge.line.p2()));
    }

    void doors()
    {
        for (const DoorMark& door : DoorMarks(defs)) {
            if (!door.onEdge) {
                painter.setPen(QPen(mapcolours::doorWithoutEdge(), 2));
                painter.drawLine(at(door.line.p1()), at(door.line.p2()));
            }
            label(at(door.labelAt()), QString::number(door.perm), mapcolours::sharedEdge());
        }
    }

    void numbers()
    {
        for (int i = 0; i < defs.rooms.size(); ++i)
            label(centre(defs.rooms[i]), QString::number(GameRoomNumber(defs, i)), mapcolours::roomOutline());
    }

    // A band below the map: a swatch and the name of each type the rooms use, in rows.
    void legend(int top)
    {
        const QFontMetrics metrics(painter.font());
        const int width = painter.device()->width();
        painter.fillRect(QRect(0, top, width, painter.device()->height() - top), QColor(24, 24, 24));
        const int swatch = metrics.height() - 2;
        int x = LegendMargin;
        int y = top + LegendMargin;
        for (const int type : typesUsed(defs)) {
            const QString name = RoomTypeLabel(type);
            const int entry = swatch + 5 + metrics.horizontalAdvance(name);
            if (x > LegendMargin && x + entry > width - LegendMargin) {
                x = LegendMargin;
                y += metrics.height() + 2;
            }
            const QRect square(x, y + 1, swatch, swatch);
            painter.fillRect(square, mapcolours::noPicture());
            painter.fillRect(square, RoomTypeColour(type));
            painter.setPen(mapcolours::roomOutline());
            painter.drawText(QPoint(square.right() + 6, y + metrics.ascent()), name);
            x += entry + 3 * LegendMargin;
        }
    }

private:
    QPointF at(QPointF p) const { return p * scale; }
    QPointF at(qint64 x, qint64 y) const { return QPointF(double(x), double(y)) * scale; }

    QPolygonF outline(const ScriptRoom& r) const
    {
        return QPolygonF({at(r.xl, r.ytl), at(r.xr, r.ytr), at(r.xr, r.ybr), at(r.xl, r.ybl)});
    }

    QPointF centre(const ScriptRoom& r) const { return at(RoomCentre(r)); }

    // Text centred on a point, dark round the edges so it reads over any picture.
    void label(QPointF centre, const QString& text, const QColor& colour)
    {
        const QFontMetrics metrics(painter.font());
        const QPointF origin(std::round(centre.x() - metrics.horizontalAdvance(text) / 2.0),
                             std::round(centre.y() + (metrics.ascent() - metrics.descent()) / 2.0));
        painter.setPen(QColor(0, 0, 0));
        for (const QPointF shift : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            painter.drawText(origin + shift, text);
        painter.setPen(colour);
        painter.drawText(origin, text);
    }

    QPainter painter;
    const RoomDefs& defs;
    double scale;
};

} // namespace

QSize MapDrawingSize(const RoomDefs& defs, QSize background, double scale)
{
    const double width = std::max<double>({double(defs.panelWidth), double(background.width()), 1.0});
    const double height = std::max<double>({double(defs.panelHeight), double(background.height()), 1.0});
    return QSize(int(std::min(std::ceil(width * scale), 1e9)), int(std::min(std::ceil(height * scale), 1e9)));
}

QImage DrawMap(const RoomDefs& defs, const QImage& background, const MapDrawingOptions& options)
{
    const QSize map = MapDrawingSize(defs, background.size(), options.scale);
    const int legend = options.types ? legendHeight(defs, map.width()) : 0;
    QImage image(map.width(), map.height() + legend, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    MapPainter painter(image, defs, options.scale);
    painter.background(background);
    painter.map(options);
    if (legend > 0)
        painter.legend(map.height());
    return image;
}

QImage DrawMapOnto(const RoomDefs& defs, const QImage& scaledBackground, QSize size, const MapDrawingOptions& options)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    MapPainter painter(image, defs, options.scale);
    painter.scaledBackground(scaledBackground);
    painter.map(options);
    return image;
}
