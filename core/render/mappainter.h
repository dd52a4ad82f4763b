#pragma once

// The one drawing of a map, shared by the editor's map view and the tool's render: room
// outlines and type fills, shared edges, door marks and their labels, and the entries of
// the type legend. Shapes are given in picture coordinates and drawn through the
// painter's transform; lines keep their width and text its size on the device at every
// scale.

#include "core/script/roomdefs.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QTransform>

class QPainter;
class QFontMetrics;

namespace mappainter {

// A room's four corners in drawing order: top left, bottom left, bottom right, top right.
struct RoomOutline {
    QPointF corners[4];
};

// Where a picture pixel's lines run: through the middle of the pixel (the map view, whose
// handles sit there) or along its top-left edges (render, which scales whole pixels).
enum class PixelLines { ThroughMiddle, AlongEdges };

QPointF pixelPoint(qint64 x, qint64 y, PixelLines lines);
RoomOutline roomOutline(qint64 xl, qint64 xr, qint64 ytl, qint64 ytr, qint64 ybl, qint64 ybr, PixelLines lines);
RoomOutline roomOutline(const ScriptRoom& room, PixelLines lines);

// The inside of a room in its type's colour.
void drawTypeFill(QPainter* painter, const RoomOutline& room, int roomtype);
// A room's outline, one device pixel wide.
void drawOutline(QPainter* painter, const RoomOutline& room, const QColor& colour);
// The dark band under an outline, so that it shows on light pictures.
void drawOutlineHalo(QPainter* painter, const RoomOutline& room);

// Sets the pen of shared edges, then draws lines with it (many in a row, as a map has).
void useSharedEdgePen(QPainter* painter);
// Sets the pen of a door line between rooms that share no edge.
void useDoorWithoutEdgePen(QPainter* painter);

// Lines in the painter's pen, a cosmetic one, drawn on the device: level and upright
// lines as runs of the device pixels that a stroke with a flat cap covers, at a small part
// of its cost; others stroked. The painter draws untransformed while this lives.
class DeviceLines {
public:
    explicit DeviceLines(QPainter* painter);
    ~DeviceLines();
    DeviceLines(const DeviceLines&) = delete;
    DeviceLines& operator=(const DeviceLines&) = delete;

    void draw(const QLineF& line);

private:
    QPainter* painter;
    QTransform toDevice;
    bool filled = false;   // runs can stand for strokes here
    QColor colour;
    qreal halfWidth = 0;
};

// The font of the labels on the map: permeabilities and room numbers.
QFont labelFont();

// A label drawn once, dark round the edges so that it reads over any picture; drawn again
// and again from the image.
struct Label {
    QImage image;
    QPointF origin;   // where the text starts in the image
    int advance = 0;
    int baseline = 0;   // ascent less descent
};
Label makeLabel(const QString& text, const QColor& colour, qreal devicePixelRatio = 1);
// Where the label's image lies on the device when its text is centred on this device point.
QRectF labelRect(const Label& label, QPointF centreOnDevice);
// The label centred on a device point; the painter's transform must be the identity.
void drawLabel(QPainter* painter, const Label& label, QPointF centreOnDevice);

// The type legend's font, and one entry of it: a swatch in the type's colour and the
// type's name, with its top-left corner here (device coordinates).
QFont legendFont();
QSize legendEntrySize(const QFontMetrics& metrics, int roomtype);
void drawLegendEntry(QPainter* painter, QPoint topLeft, int roomtype);
// What the legend's entries stand on.
QColor legendBackground(bool overMap);

} // namespace mappainter

// The map of a room script as a picture, as `render` draws it.
struct MapDrawingOptions {
    double scale = 1;
    bool numbers = false;   // each room's game number at its centre
    bool types = false;     // rooms filled with their type's colour, and a legend below
};

// The size of the drawing: the map's surface and the background's size, whichever is
// larger each way, times the scale (at least 1 x 1).
QSize MapDrawingSize(const RoomDefs& defs, QSize background, double scale);

// The map over its background (at the top left, scaled; dark grey where there is none):
// every room outlined in one pixel, over a dark halo; the shared edges; each door line's
// permeability at the middle of its rooms' shared edge, or, between rooms that share no
// edge, on a red line between their centres. With types, a band below the map names the
// types' colours. Text needs a GUI application (fonts).
QImage DrawMap(const RoomDefs& defs, const QImage& background, const MapDrawingOptions& options);

// As DrawMap without the legend, onto a drawing of `size` pixels at options.scale, over a
// background already at that scale (drawn at the top left as it is; none when null).
QImage DrawMapOnto(const RoomDefs& defs, const QImage& scaledBackground, QSize size, const MapDrawingOptions& options);
