#include "view/doorsoverlay.h"

#include "core/model/document.h"
#include "core/model/snapshot.h"
#include "core/rules/mapcolours.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

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
    auto all = [this] {
        whole = true;
        pending.start();
    };
    connect(doc, &TMetaroomDocument::roomInserted, this, all);
    connect(doc, &TMetaroomDocument::roomRemoved, this, all);
    connect(doc, &TMetaroomDocument::doorsChanged, this, all);
    connect(doc, &TMetaroomDocument::roomChanged, this, [this](RoomKey key, TMetaroomDocument::RoomChanges changes) {
        if (!(changes & TMetaroomDocument::ShapeChanged))
            return;
        moved.insert(key);
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
    const QList<SharedEdge> edgesBefore = sharedEdges;
    const QList<DoorMark> doorsBefore = doorMarks;
    if (whole) {
        defs = ToRoomDefs(*doc);
        sharedEdges = SharedEdges(defs);
        doorMarks = DoorMarks(defs);
    } else {
        refreshMoved();
    }
    whole = false;
    moved.clear();

    lineBounds = {};
    for (const SharedEdge& edge : std::as_const(sharedEdges))
        lineBounds |= boundsOf(edge.line);
    for (const DoorMark& door : std::as_const(doorMarks))
        lineBounds |= boundsOf(door.line);
    const QRectF area = changedArea(edgesBefore, doorsBefore);
    if (!area.isEmpty())
        emit changed(area);
}

// Only rooms moved or reshaped: their edges and door marks are worked out again, against
// every other room; the rest stay.
void TDoorsOverlay::refreshMoved()
{
    QSet<int> positions;
    for (const RoomKey key : std::as_const(moved)) {
        const int p = doc->positionOf(key);
        if (p < 0 || p >= defs.rooms.size())
            continue;
        const RoomShape& s = doc->room(key).shape;
        ScriptRoom& room = defs.rooms[p];
        room.xl = SaturatedCorner(s.xl);
        room.xr = SaturatedCorner(s.xr);
        room.ytl = SaturatedCorner(s.ytl);
        room.ytr = SaturatedCorner(s.ytr);
        room.ybl = SaturatedCorner(s.ybl);
        room.ybr = SaturatedCorner(s.ybr);
        positions.insert(p);
    }
    auto touches = [&positions](int a, int b) { return positions.contains(a) || positions.contains(b); };
    sharedEdges.removeIf([&](const SharedEdge& e) { return touches(e.a, e.b); });
    doorMarks.removeIf([&](const DoorMark& d) { return touches(d.a, d.b); });
    for (const int p : std::as_const(positions)) {
        for (int q = 0; q < defs.rooms.size(); ++q) {
            if (q == p || (positions.contains(q) && q < p))
                continue;   // each pair once
            const RoomContact contact = ContactOf(defs.rooms[p], defs.rooms[q]);
            if (contact.sharesEdge())
                sharedEdges.append({std::min(p, q), std::max(p, q), contact.line});
        }
        for (const ScriptDoor& door : std::as_const(defs.rooms[p].doors)) {
            const int q = door.target;
            if (q == p || q < 0 || q >= defs.rooms.size() || (positions.contains(q) && q < p))
                continue;
            doorMarks.append(DoorMarkBetween(defs, std::min(p, q), std::max(p, q), door.perm));
        }
    }
    auto byRooms = [](const auto& x, const auto& y) { return std::pair(x.a, x.b) < std::pair(y.a, y.b); };
    std::sort(sharedEdges.begin(), sharedEdges.end(), byRooms);
    std::stable_sort(doorMarks.begin(), doorMarks.end(), byRooms);
}

// Where the drawing differs: around every edge and mark that went or came.
QRectF TDoorsOverlay::changedArea(const QList<SharedEdge>& edgesBefore, const QList<DoorMark>& doorsBefore) const
{
    auto key = [](const QLineF& line) { return std::tuple(line.x1(), line.y1(), line.x2(), line.y2()); };
    std::set<std::tuple<qreal, qreal, qreal, qreal>> before;
    std::set<std::tuple<qreal, qreal, qreal, qreal>> now;
    for (const SharedEdge& e : edgesBefore)
        before.insert(key(e.line));
    for (const SharedEdge& e : sharedEdges)
        now.insert(key(e.line));
    QRectF area;
    auto addDifference = [&](const auto& from, const auto& without) {
        for (const auto& line : from) {
            if (!without.contains(line))
                area |= boundsOf(QLineF(std::get<0>(line), std::get<1>(line), std::get<2>(line), std::get<3>(line)));
        }
    };
    addDifference(before, now);
    addDifference(now, before);
    // Marks carry a number: one that changed in any way counts.
    auto markKey = [](const DoorMark& d) { return std::tuple(d.line.x1(), d.line.y1(), d.line.x2(), d.line.y2(), d.perm); };
    std::set<std::tuple<qreal, qreal, qreal, qreal, int>> marksBefore;
    std::set<std::tuple<qreal, qreal, qreal, qreal, int>> marksNow;
    for (const DoorMark& d : doorsBefore)
        marksBefore.insert(markKey(d));
    for (const DoorMark& d : doorMarks)
        marksNow.insert(markKey(d));
    for (const auto& [from, without] : {std::pair(&marksBefore, &marksNow), std::pair(&marksNow, &marksBefore)}) {
        for (const auto& m : *from) {
            if (!without->contains(m))
                area |= boundsOf(QLineF(std::get<0>(m), std::get<1>(m), std::get<2>(m), std::get<3>(m)));
        }
    }
    if (area.isNull())
        return {};
    const qreal r = TextReach / screenScale + 1;
    return area.adjusted(-r, -r, r, r);
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

void TDoorsOverlay::paint(QPainter* painter, const QRectF& exposed) const
{
    // Only what comes near the exposed part, text included.
    const qreal r = TextReach / screenScale + 1;
    const QRectF near = exposed.adjusted(-r, -r, r, r);
    auto shows = [&near](const QLineF& line) { return near.intersects(boundsOf(line).adjusted(0, 0, 1, 1)); };
    // Lines go through the centres of the pixels they join, as the outlines do.
    const QPointF middle(0.5, 0.5);
    painter->setPen(screenPen(mapcolours::sharedEdge(), 3));
    for (const SharedEdge& edge : std::as_const(sharedEdges)) {
        if (shows(edge.line))
            painter->drawLine(edge.line.translated(middle));
    }
    painter->setPen(screenPen(mapcolours::doorWithoutEdge(), 2));
    for (const DoorMark& door : std::as_const(doorMarks)) {
        if (!door.onEdge && shows(door.line))
            painter->drawLine(door.line.translated(middle));
    }

    // The permeabilities, untransformed so that they keep their size.
    const QTransform toDevice = painter->worldTransform();
    painter->save();
    painter->resetTransform();
    painter->setFont(labelFont());
    const QFontMetrics metrics(painter->font());
    for (const DoorMark& door : std::as_const(doorMarks)) {
        if (!shows(door.line))
            continue;
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
