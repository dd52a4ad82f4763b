#include "view/doorsoverlay.h"

#include "core/model/document.h"
#include "core/model/snapshot.h"
#include "core/rules/mapcolours.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace {

// Screen pixels around the lines that the permeabilities may cover.
constexpr qreal TextReach = 40;

QFont labelFont()
{
    QFont font;
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

QPen screenPen(const QColor& colour, qreal width)
{
    QPen pen(colour, width, Qt::SolidLine, Qt::FlatCap);
    pen.setCosmetic(true);
    return pen;
}

QRectF boundsOf(const QLineF& line)
{
    return QRectF(line.p1(), line.p2()).normalized();
}

} // namespace

TDoorsOverlay::TDoorsOverlay(TMetaroomDocument* document, QObject* parent)
    : QObject(parent)
    , doc(document)
{
    pending.setSingleShot(true);
    pending.setInterval(0);
    connect(&pending, &QTimer::timeout, this, &TDoorsOverlay::refresh);
    auto later = [this] { pending.start(); };
    connect(doc, &TMetaroomDocument::roomInserted, this, later);
    connect(doc, &TMetaroomDocument::roomRemoved, this, later);
    connect(doc, &TMetaroomDocument::doorsChanged, this, later);
    connect(doc, &TMetaroomDocument::roomChanged, this, [this](RoomKey, TMetaroomDocument::RoomChanges changes) {
        if (changes & TMetaroomDocument::ShapeChanged)
            pending.start();
    });
    refresh();
}

void TDoorsOverlay::refreshNow()
{
    if (pending.isActive()) {
        pending.stop();
        refresh();
    }
}

void TDoorsOverlay::refresh()
{
    const RoomDefs defs = ToRoomDefs(*doc);
    const QRectF before = bounds();
    sharedEdges = SharedEdges(defs);
    doorMarks = DoorMarks(defs);
    lineBounds = {};
    for (const SharedEdge& edge : std::as_const(sharedEdges))
        lineBounds |= boundsOf(edge.line);
    for (const DoorMark& door : std::as_const(doorMarks))
        lineBounds |= boundsOf(door.line);
    emit changed(before | bounds());
}

void TDoorsOverlay::setScreenScale(qreal scale)
{
    if (scale <= 0 || scale == screenScale)
        return;
    screenScale = scale;
}

QRectF TDoorsOverlay::bounds() const
{
    if (sharedEdges.isEmpty() && doorMarks.isEmpty())
        return {};
    const qreal r = TextReach / screenScale + 1;
    return lineBounds.adjusted(-r, -r, r, r);
}

void TDoorsOverlay::paint(QPainter* painter) const
{
    // Lines go through the centres of the pixels they join, as the outlines do.
    const QPointF middle(0.5, 0.5);
    painter->setPen(screenPen(mapcolours::sharedEdge(), 3));
    for (const SharedEdge& edge : std::as_const(sharedEdges))
        painter->drawLine(edge.line.translated(middle));
    painter->setPen(screenPen(mapcolours::doorWithoutEdge(), 2));
    for (const DoorMark& door : std::as_const(doorMarks)) {
        if (!door.onEdge)
            painter->drawLine(door.line.translated(middle));
    }

    // The permeabilities, untransformed so that they keep their size.
    const QTransform toDevice = painter->worldTransform();
    painter->save();
    painter->resetTransform();
    painter->setFont(labelFont());
    const QFontMetrics metrics(painter->font());
    for (const DoorMark& door : std::as_const(doorMarks)) {
        const QString text = QString::number(door.perm);
        const QPointF centre = toDevice.map(door.labelAt() + middle);
        const QPointF origin(std::round(centre.x() - metrics.horizontalAdvance(text) / 2.0),
                             std::round(centre.y() + (metrics.ascent() - metrics.descent()) / 2.0));
        painter->setPen(QColor(0, 0, 0));   // dark round the edges, to read over any picture
        for (const QPointF shift : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            painter->drawText(origin + shift, text);
        painter->setPen(mapcolours::sharedEdge());
        painter->drawText(origin, text);
    }
    painter->restore();
}
