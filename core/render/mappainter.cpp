#include "core/render/mappainter.h"

#include "core/rules/doormarks.h"
#include "core/rules/gamerules.h"
#include "core/rules/mapcolours.h"
#include "core/rules/roomtypes.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <set>

namespace mappainter {

namespace {

QPen devicePen(const QColor& colour, qreal width, Qt::PenCapStyle cap = Qt::SquareCap)
{
    QPen pen(colour, width, Qt::SolidLine, cap);
    pen.setCosmetic(true);   // the same width on the device at every scale
    return pen;
}

// Where a coordinate on the device lies, kept within what an int holds.
qreal onDevice(qreal at)
{
    return std::clamp(at, -16777216.0, 16777216.0);
}

// The first pixel whose centre lies past a boundary on the device, as the rasterizer
// counts it.
int firstPixelPast(qreal boundary)
{
    return int(std::floor(onDevice(boundary) + 0.5));
}

} // namespace

QPointF pixelPoint(qint64 x, qint64 y, PixelLines lines)
{
    const qreal shift = lines == PixelLines::ThroughMiddle ? 0.5 : 0;
    return {qreal(x) + shift, qreal(y) + shift};
}

RoomOutline roomOutline(qint64 xl, qint64 xr, qint64 ytl, qint64 ytr, qint64 ybl, qint64 ybr, PixelLines lines)
{
    return {{pixelPoint(xl, ytl, lines), pixelPoint(xl, ybl, lines), pixelPoint(xr, ybr, lines),
             pixelPoint(xr, ytr, lines)}};
}

RoomOutline roomOutline(const ScriptRoom& r, PixelLines lines)
{
    return roomOutline(r.xl, r.xr, r.ytl, r.ytr, r.ybl, r.ybr, lines);
}

void drawTypeFill(QPainter* painter, const RoomOutline& room, int roomtype)
{
    painter->setPen(Qt::NoPen);
    painter->setBrush(RoomTypeColour(roomtype));
    painter->drawPolygon(room.corners, 4);
}

void drawOutline(QPainter* painter, const RoomOutline& room, const QColor& colour)
{
    painter->setPen(QPen(colour, 0));   // width 0: one device pixel at every scale
    painter->setBrush(Qt::NoBrush);
    const QTransform toDevice = painter->worldTransform();
    const bool straightOnDevice = toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0 && toDevice.m22() > 0;
    if (!straightOnDevice || colour.alpha() != 255 || painter->device()->devicePixelRatio() != 1) {
        painter->drawPolygon(room.corners, 4);
        return;
    }
    // Walls, and level ceilings and floors, are filled as runs of device pixels, which
    // costs a small part of stroking them; sloped edges are stroked.
    const auto pixel = [](qreal at) { return int(std::floor(onDevice(at))); };
    QPoint corner[4];
    for (int i = 0; i < 4; ++i) {
        const QPointF at = toDevice.map(room.corners[i]);
        corner[i] = QPoint(pixel(at.x()), pixel(at.y()));
    }
    const auto fillRun = [&](QPoint a, QPoint b) {
        painter->fillRect(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                          colour);
    };
    painter->resetTransform();
    fillRun(corner[0], corner[1]);   // left wall
    fillRun(corner[3], corner[2]);   // right wall
    const auto ceilingOrFloor = [&](int from, int to) {
        if (corner[from].y() == corner[to].y())
            fillRun(corner[from], corner[to]);
        else
            painter->drawLine(toDevice.map(room.corners[from]), toDevice.map(room.corners[to]));
    };
    ceilingOrFloor(3, 0);   // in the polygon's order, which rounds alike
    ceilingOrFloor(1, 2);
    painter->setWorldTransform(toDevice);
}

void drawOutlineHalo(QPainter* painter, const RoomOutline& room)
{
    painter->setPen(devicePen(mapcolours::outlineHalo(), 3));
    painter->setBrush(Qt::NoBrush);
    painter->drawPolygon(room.corners, 4);
}

void useSharedEdgePen(QPainter* painter)
{
    painter->setPen(devicePen(mapcolours::sharedEdge(), 3, Qt::FlatCap));
}

void useDoorWithoutEdgePen(QPainter* painter)
{
    painter->setPen(devicePen(mapcolours::doorWithoutEdge(), 2, Qt::FlatCap));
}

DeviceLines::DeviceLines(QPainter* painter)
    : painter(painter)
    , toDevice(painter->worldTransform())
{
    const QPen& pen = painter->pen();
    colour = pen.color();
    halfWidth = pen.widthF() / 2;
    filled = pen.isCosmetic() && pen.style() == Qt::SolidLine && pen.capStyle() == Qt::FlatCap
             && pen.brush().style() == Qt::SolidPattern && colour.alpha() == 255 && pen.widthF() >= 1
             && toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0 && toDevice.m22() > 0
             && painter->device()->devicePixelRatio() == 1;
    painter->resetTransform();
}

DeviceLines::~DeviceLines()
{
    painter->setWorldTransform(toDevice);
}

void DeviceLines::draw(const QLineF& line)
{
    const QLineF onDevice = toDevice.map(line);
    const bool upright = onDevice.x1() == onDevice.x2();
    if (!filled || (!upright && onDevice.y1() != onDevice.y2())) {
        painter->drawLine(onDevice);
        return;
    }
    // The stroke's rectangle, and the pixels whose centres lie in it.
    const qreal across = upright ? onDevice.x1() : onDevice.y1();
    const qreal from = upright ? std::min(onDevice.y1(), onDevice.y2()) : std::min(onDevice.x1(), onDevice.x2());
    const qreal to = upright ? std::max(onDevice.y1(), onDevice.y2()) : std::max(onDevice.x1(), onDevice.x2());
    const int firstAcross = firstPixelPast(across - halfWidth), endAcross = firstPixelPast(across + halfWidth);
    const int firstAlong = firstPixelPast(from), endAlong = firstPixelPast(to);
    if (firstAcross >= endAcross || firstAlong >= endAlong)
        return;
    const QRect run = upright ? QRect(firstAcross, firstAlong, endAcross - firstAcross, endAlong - firstAlong)
                              : QRect(firstAlong, firstAcross, endAlong - firstAlong, endAcross - firstAcross);
    painter->fillRect(run, colour);
}

QFont labelFont()
{
    QFont font;
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

Label makeLabel(const QString& text, const QColor& colour, qreal ratio)
{
    const QFont font = labelFont();
    const QFontMetrics metrics(font);
    Label label;
    label.advance = metrics.horizontalAdvance(text);
    label.baseline = metrics.ascent() - metrics.descent();
    label.origin = QPointF(2, 1 + metrics.ascent());
    const QSize size(label.advance + 4, metrics.height() + 2);
    label.image = QImage(size * ratio, QImage::Format_ARGB32_Premultiplied);
    label.image.setDevicePixelRatio(ratio);
    label.image.fill(Qt::transparent);
    QPainter painter(&label.image);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 0));
    for (const QPointF shift : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
        painter.drawText(label.origin + shift, text);
    painter.setPen(colour);
    painter.drawText(label.origin, text);
    return label;
}

QRectF labelRect(const Label& label, QPointF centre)
{
    const QPointF origin(std::round(centre.x() - label.advance / 2.0), std::round(centre.y() + label.baseline / 2.0));
    return QRectF(origin - label.origin, label.image.deviceIndependentSize());
}

void drawLabel(QPainter* painter, const Label& label, QPointF centre)
{
    painter->drawImage(labelRect(label, centre).topLeft(), label.image);
}

QFont legendFont()
{
    QFont font;
    font.setPixelSize(12);
    return font;
}

QSize legendEntrySize(const QFontMetrics& metrics, int roomtype)
{
    const int swatch = metrics.height() - 2;
    return {swatch + 5 + metrics.horizontalAdvance(RoomTypeLabel(roomtype)), metrics.height()};
}

void drawLegendEntry(QPainter* painter, QPoint topLeft, int roomtype)
{
    const QFontMetrics metrics(painter->font());
    const int swatch = metrics.height() - 2;
    const QRect square(topLeft.x(), topLeft.y() + 1, swatch, swatch);
    painter->fillRect(square, mapcolours::noPicture());
    painter->fillRect(square, RoomTypeColour(roomtype));
    painter->setPen(mapcolours::roomOutline());
    painter->drawText(QPoint(square.right() + 6, topLeft.y() + metrics.ascent()), RoomTypeLabel(roomtype));
}

QColor legendBackground(bool overMap)
{
    return overMap ? QColor(24, 24, 24, 220) : QColor(24, 24, 24);
}

} // namespace mappainter

using namespace mappainter;

namespace {

constexpr int LegendMargin = 6;
constexpr PixelLines RenderLines = PixelLines::AlongEdges;

std::set<int> typesUsed(const RoomDefs& defs)
{
    std::set<int> used;
    for (const ScriptRoom& room : defs.rooms)
        used.insert(room.roomtype);
    return used;
}

// The legend's entries in rows across a band of this width: each entry's top left,
// relative to the band, and the band's height.
struct LegendLayout {
    QList<std::pair<int, QPoint>> entries;
    int height = 0;
};

LegendLayout legendLayout(const RoomDefs& defs, int width)
{
    const QFontMetrics metrics(legendFont());
    LegendLayout layout;
    int x = LegendMargin;
    int y = LegendMargin;
    for (const int type : typesUsed(defs)) {
        const int entry = legendEntrySize(metrics, type).width();
        if (x > LegendMargin && x + entry > width - LegendMargin) {
            x = LegendMargin;
            y += metrics.height() + 2;
        }
        layout.entries.append({type, QPoint(x, y)});
        x += entry + 3 * LegendMargin;
    }
    if (!layout.entries.isEmpty())
        layout.height = y + metrics.height() + LegendMargin;
    return layout;
}

// The map of a script drawn over an image already holding its background: the whole
// drawing in picture coordinates through a scale, labels on the device.
class ScriptMapDrawing {
public:
    ScriptMapDrawing(QImage& image, const RoomDefs& defs, double scale)
        : painter(&image)
        , defs(defs)
        , toDevice(QTransform::fromScale(scale, scale))
    {
        painter.setTransform(toDevice);
    }

    // A picture already at the drawing's scale, at the top left as it is.
    void scaledBackground(const QImage& picture)
    {
        painter.resetTransform();
        painter.fillRect(QRect(0, 0, painter.device()->width(), painter.device()->height()), mapcolours::noPicture());
        if (!picture.isNull())
            painter.drawImage(QPoint(0, 0), picture);
        painter.setTransform(toDevice);
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

    // The picture at the top left, scaled on the device; the surface where there is none.
    void background(const QImage& picture)
    {
        painter.resetTransform();
        painter.fillRect(QRect(0, 0, painter.device()->width(), painter.device()->height()), mapcolours::noPicture());
        if (!picture.isNull()) {
            const double scale = toDevice.m11();
            painter.setRenderHint(QPainter::SmoothPixmapTransform, scale != 1);
            painter.drawImage(QRectF(0, 0, picture.width() * scale, picture.height() * scale), picture);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        }
        painter.setTransform(toDevice);
    }

    void typeFills()
    {
        for (const ScriptRoom& room : defs.rooms)
            drawTypeFill(&painter, roomOutline(room, RenderLines), room.roomtype);
    }

    void outlines()
    {
        for (const ScriptRoom& room : defs.rooms)
            drawOutlineHalo(&painter, roomOutline(room, RenderLines));
        for (const ScriptRoom& room : defs.rooms)
            drawOutline(&painter, roomOutline(room, RenderLines), mapcolours::roomOutline());
    }

    void sharedEdges()
    {
        useSharedEdgePen(&painter);
        DeviceLines lines(&painter);
        for (const SharedEdge& edge : SharedEdges(defs))
            lines.draw(edge.line);
    }

    void doors()
    {
        const QList<DoorMark> marks = DoorMarks(defs);
        useDoorWithoutEdgePen(&painter);
        {
            DeviceLines lines(&painter);
            for (const DoorMark& door : marks) {
                if (!door.onEdge)
                    lines.draw(door.line);
            }
        }
        for (const DoorMark& door : marks)
            label(door.labelAt(), QString::number(door.perm), mapcolours::sharedEdge());
    }

    void numbers()
    {
        for (int i = 0; i < defs.rooms.size(); ++i)
            label(RoomCentre(defs.rooms[i]), QString::number(GameRoomNumber(defs, i)), mapcolours::roomOutline());
    }

    // A band below the map: a swatch and the name of each type the rooms use, in rows.
    void legend(int top, const LegendLayout& layout)
    {
        painter.resetTransform();
        const int width = painter.device()->width();
        painter.fillRect(QRect(0, top, width, painter.device()->height() - top), legendBackground(false));
        painter.setFont(legendFont());
        for (const auto& [type, at] : layout.entries)
            drawLegendEntry(&painter, at + QPoint(0, top), type);
    }

private:
    // Text centred on a picture point, drawn as the map view draws it.
    void label(QPointF at, const QString& text, const QColor& colour)
    {
        const QString key = text + QLatin1Char(' ') + colour.name();
        auto found = labels.constFind(key);
        if (found == labels.cend())
            found = labels.insert(key, makeLabel(text, colour));
        painter.resetTransform();
        drawLabel(&painter, *found, toDevice.map(at));
        painter.setTransform(toDevice);
    }

    QPainter painter;
    const RoomDefs& defs;
    QTransform toDevice;
    QHash<QString, Label> labels;
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
    const LegendLayout legend = options.types ? legendLayout(defs, map.width()) : LegendLayout();
    QImage image(map.width(), map.height() + legend.height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    ScriptMapDrawing drawing(image, defs, options.scale);
    drawing.background(background);
    drawing.map(options);
    if (legend.height > 0)
        drawing.legend(map.height(), legend);
    return image;
}

QImage DrawMapOnto(const RoomDefs& defs, const QImage& scaledBackground, QSize size, const MapDrawingOptions& options)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    ScriptMapDrawing drawing(image, defs, options.scale);
    drawing.scaledBackground(scaledBackground);
    drawing.map(options);
    return image;
}
