#include "view/doorsoverlay.h"

#include "core/model/document.h"
#include "core/model/snapshot.h"
#include "core/rules/mapcolours.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// Screen pixels around the lines that the permeabilities may cover.
constexpr qreal TextReach = 64;
// Screen pixels that a line's width covers on each side of it.
constexpr qreal LineReach = 3;

QRectF boundsOf(const QLineF& line)
{
    return QRectF(line.p1(), line.p2()).normalized();
}

quint64 pairKey(RoomKey x, RoomKey y)
{
    return (quint64(std::min(x, y)) << 32) | std::max(x, y);
}

// Adds the area of each item that went, came or changed: before, the items taken out
// with their keys; after, the keys put back, as they are now in `now`.
template <typename Item, typename Same, typename AreaOf>
void addDifferences(QRectF& area, const QList<std::pair<quint64, Item>>& before, const QList<quint64>& after,
                    const QHash<quint64, Item>& now, Same same, AreaOf areaOf)
{
    for (const auto& [key, item] : before) {
        if (!after.contains(key) || !same(now.value(key), item))
            area |= areaOf(item);
    }
    for (const quint64 key : after) {
        const auto was = std::find_if(before.cbegin(), before.cend(), [key](const auto& b) { return b.first == key; });
        if (was == before.cend() || !same(was->second, now.value(key)))
            area |= areaOf(now.value(key));
    }
}

GridIndex::Box boxOf(const QLineF& line)
{
    return GridIndex::Box::around(line.x1(), line.y1(), line.x2(), line.y2());
}

// A room's box, grown by the pixel within which floors and ceilings still meet.
GridIndex::Box roomBox(const ScriptRoom& r)
{
    const qint64 top = std::min({qint64(r.ytl), qint64(r.ytr), qint64(r.ybl), qint64(r.ybr)});
    const qint64 bottom = std::max({qint64(r.ytl), qint64(r.ytr), qint64(r.ybl), qint64(r.ybr)});
    return {std::min<qint64>(r.xl, r.xr) - 1, top - 1, std::max<qint64>(r.xl, r.xr) + 1, bottom + 1};
}

} // namespace

TDoorsOverlay::TDoorsOverlay(TMetaroomDocument* document, QObject* parent)
    : QObject(parent)
    , doc(document)
{
    pending.setSingleShot(true);
    pending.setInterval(0);
    connect(&pending, &QTimer::timeout, this, &TDoorsOverlay::refresh);
    auto cameOrWent = [this](int, RoomKey key) {
        if (!whole) {
            stale.insert(key);
            whole = stale.size() > BulkRooms;
        }
        if (following)
            pending.start();
    };
    connect(doc, &TMetaroomDocument::roomInserted, this, cameOrWent);
    connect(doc, &TMetaroomDocument::roomRemoved, this, cameOrWent);
    connect(doc, &TMetaroomDocument::doorsChanged, this, [this](RoomKey a, RoomKey b) { roomsChanged({a, b}); });
    connect(doc, &TMetaroomDocument::roomChanged, this, [this](RoomKey key, TMetaroomDocument::RoomChanges changes) {
        if (changes & TMetaroomDocument::ShapeChanged)
            roomsChanged({key});
    });
    connect(doc, &TMetaroomDocument::changesEnded, this, &TDoorsOverlay::changesEnded);
    refresh();
}

// A move, a reshape or a door is worked out at once, so that it is drawn in the same
// paint as the room; the rooms of one edit of several are worked out together when it
// ends; while rooms that came or went wait for the next turn, it waits too.
void TDoorsOverlay::roomsChanged(std::initializer_list<RoomKey> keys)
{
    if (!following) {
        whole = true;
        return;
    }
    if (whole)
        return;
    for (const RoomKey key : keys)
        stale.insert(key);
    if (stale.size() > BulkRooms) {
        whole = true;
        pending.start();
    } else if (!pending.isActive() && !doc->changing()) {
        refresh();
    }
}

void TDoorsOverlay::changesEnded()
{
    if (following && !whole && !stale.isEmpty() && !pending.isActive())
        refresh();
}

void TDoorsOverlay::refreshNow()
{
    if (pending.isActive()) {
        pending.stop();
        refresh();
    }
}

void TDoorsOverlay::setFollowing(bool follow)
{
    if (follow == following)
        return;
    following = follow;
    if (following) {
        refresh();
    } else {
        pending.stop();
        whole = true;
    }
}

QList<SharedEdge> TDoorsOverlay::edges() const
{
    QList<SharedEdge> list;
    for (const Edge& e : edgeOf) {
        const int a = doc->positionOf(e.a), b = doc->positionOf(e.b);
        list.append({std::min(a, b), std::max(a, b), e.line});
    }
    std::sort(list.begin(), list.end(), [](const SharedEdge& x, const SharedEdge& y) {
        return std::pair(x.a, x.b) < std::pair(y.a, y.b);
    });
    return list;
}

namespace {

qreal distanceToSegment(QPointF p, const QLineF& line)
{
    const QPointF d = line.p2() - line.p1();
    const qreal length2 = QPointF::dotProduct(d, d);
    const qreal t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - line.p1(), d) / length2, 0.0, 1.0) : 0.0;
    const QPointF nearest = line.p1() + t * d;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

} // namespace

std::optional<std::pair<RoomKey, RoomKey>> TDoorsOverlay::edgeAt(QPointF point, qreal reach)
{
    refreshNow();
    // Lines are drawn through the middle of the pixels they join.
    const QPointF middle = mappainter::pixelPoint(0, 0, mappainter::PixelLines::ThroughMiddle);
    const QList<quint64> near = edgeIndex.find(GridIndex::Box::around(point.x() - reach - 1, point.y() - reach - 1,
                                                                       point.x() + reach + 1, point.y() + reach + 1));
    const Edge* best = nullptr;
    qreal bestDistance = reach;
    for (const quint64 key : near) {
        const Edge& edge = *edgeOf.constFind(key);
        const qreal distance = distanceToSegment(point, edge.line.translated(middle));
        if (distance <= bestDistance) {
            best = &edge;
            bestDistance = distance;
        }
    }
    if (!best)
        return std::nullopt;
    if (doc->positionOf(best->a) < doc->positionOf(best->b))
        return std::pair(best->a, best->b);
    return std::pair(best->b, best->a);
}

QList<DoorMark> TDoorsOverlay::doors() const
{
    QList<DoorMark> list;
    for (const Mark& m : markOf) {
        const int a = doc->positionOf(m.a), b = doc->positionOf(m.b);
        list.append({std::min(a, b), std::max(a, b), m.perm, m.onEdge, m.line});
    }
    std::sort(list.begin(), list.end(), [](const DoorMark& x, const DoorMark& y) {
        return std::pair(x.a, x.b) < std::pair(y.a, y.b);
    });
    return list;
}

void TDoorsOverlay::refresh()
{
    QRectF area;
    if (whole) {
        const QRectF before = bounds();
        refreshWhole();
        area = before | bounds();
    } else {
        area = refreshStale();
    }
    whole = false;
    stale.clear();
    if (!area.isEmpty())
        emit changed(area);
}

void TDoorsOverlay::putEdge(const Edge& edge)
{
    const quint64 key = pairKey(edge.a, edge.b);
    edgeOf.insert(key, edge);
    edgeIndex.insert(key, boxOf(edge.line));
    lineBounds |= boundsOf(edge.line);
}

void TDoorsOverlay::putMark(const Mark& mark)
{
    const quint64 key = pairKey(mark.a, mark.b);
    markOf.insert(key, mark);
    markIndex.insert(key, boxOf(mark.line));
    lineBounds |= boundsOf(mark.line);
}

// The mark of a door line as the map shows it: on the rooms' shared edge, or from the
// middle of the room earlier in the map to the other's.
TDoorsOverlay::Mark TDoorsOverlay::markBetween(RoomKey x, RoomKey y, int perm) const
{
    if (doc->positionOf(y) < doc->positionOf(x))
        std::swap(x, y);
    const ScriptRoom first = known.value(x).shape;
    const ScriptRoom second = known.value(y).shape;
    const RoomContact contact = ContactOf(first, second);
    Mark mark{x, y, perm, contact.sharesEdge(), {}};
    mark.line = mark.onEdge ? contact.line : QLineF(RoomCentre(first), RoomCentre(second));
    return mark;
}

void TDoorsOverlay::refreshWhole()
{
    known.clear();
    edgeOf.clear();
    markOf.clear();
    edgeIndex.clear();
    markIndex.clear();
    lineBounds = {};
    const RoomDefs defs = ToRoomDefs(*doc);
    for (int p = 0; p < doc->roomCount(); ++p) {
        const RoomKey key = doc->roomAt(p);
        ScriptRoom shape = defs.rooms[p];
        shape.music.clear();
        shape.doors.clear();
        known.insert(key, {shape, doc->room(key).doors});
    }
    for (const SharedEdge& e : SharedEdges(defs))
        putEdge({doc->roomAt(e.a), doc->roomAt(e.b), e.line});
    for (const DoorMark& m : DoorMarks(defs))
        putMark({doc->roomAt(m.a), doc->roomAt(m.b), m.perm, m.onEdge, m.line});
}

// The stale rooms' edges and door marks worked out again against the rooms near them; the
// rest stay. Returns where the drawing differs. The lists are members kept from step to
// step, so that a drag step allocates nothing.
QRectF TDoorsOverlay::refreshStale()
{
    Work& w = work;
    w.keys = QList<RoomKey>(stale.cbegin(), stale.cend());

    // What goes: every edge and mark of these rooms as they were. A room's edges lie on
    // its bounds.
    w.edgesBefore.clear();
    w.marksBefore.clear();
    for (const RoomKey k : std::as_const(w.keys)) {
        const auto was = known.constFind(k);
        if (was == known.cend())
            continue;
        edgeIndex.find(roomBox(was->shape), w.found);
        for (const quint64 key : std::as_const(w.found)) {
            const auto edge = edgeOf.constFind(key);
            if (edge->a == k || edge->b == k) {
                w.edgesBefore.append({key, *edge});
                edgeOf.erase(edge);
                edgeIndex.remove(key);
            }
        }
        for (const RoomDoor& door : was->doors) {
            const quint64 key = pairKey(k, door.target);
            if (const auto mark = markOf.constFind(key); mark != markOf.cend()) {
                w.marksBefore.append({key, *mark});
                markOf.erase(mark);
                markIndex.remove(key);
            }
        }
    }

    // The rooms as they are now.
    for (const RoomKey k : std::as_const(w.keys)) {
        if (!doc->contains(k)) {
            known.remove(k);
            continue;
        }
        const RoomRecord& record = doc->room(k);
        Known& room = known[k];
        room.shape = ScriptRoomOf(record.shape);
        room.doors = record.doors;
    }

    // What comes: their edges with the rooms near them, and their door marks.
    w.edgesAfter.clear();
    w.marksAfter.clear();
    for (const RoomKey k : std::as_const(w.keys)) {
        const auto room = known.constFind(k);
        if (room == known.cend())
            continue;
        // The document holds the rooms' boxes as they are; both grown by the pixel.
        const GridIndex::Box grown = roomBox(room->shape);
        doc->roomsMeeting({grown.x0 - 1, grown.y0 - 1, grown.x1 + 1, grown.y1 + 1}, w.found);
        for (const quint64 found : std::as_const(w.found)) {
            const RoomKey other = RoomKey(found);
            const quint64 key = pairKey(k, other);
            const auto near = known.constFind(other);
            if (other == k || near == known.cend() || w.edgesAfter.contains(key))
                continue;
            const bool first = doc->positionOf(k) < doc->positionOf(other);
            const RoomContact contact =
                first ? ContactOf(room->shape, near->shape) : ContactOf(near->shape, room->shape);
            if (contact.sharesEdge()) {
                putEdge({k, other, contact.line});
                w.edgesAfter.append(key);
            }
        }
        for (const RoomDoor& door : room->doors) {
            const quint64 key = pairKey(k, door.target);
            if (door.target == k || !known.contains(door.target) || w.marksAfter.contains(key))
                continue;
            putMark(markBetween(k, door.target, door.perm));
            w.marksAfter.append(key);
        }
    }

    // Where the drawing differs: around every edge and mark that went, came or changed.
    QRectF area;
    auto sameEdge = [](const Edge& x, const Edge& y) { return x.line == y.line; };
    auto sameMark = [](const Mark& x, const Mark& y) { return x == y; };
    addDifferences(area, w.edgesBefore, w.edgesAfter, edgeOf, sameEdge,
                   [this](const Edge& e) { return edgeArea(e.line); });
    addDifferences(area, w.marksBefore, w.marksAfter, markOf, sameMark,
                   [this](const Mark& m) { return markArea(m); });
    return area;
}

// What a line covers on the screen, in picture coordinates: its width round it.
QRectF TDoorsOverlay::edgeArea(const QLineF& line) const
{
    const qreal r = LineReach / screenScale + 1;
    return boundsOf(line).adjusted(-r, -r, r, r);
}

// A mark's line and its permeability's text.
QRectF TDoorsOverlay::markArea(const Mark& mark) const
{
    const Label& label = labelFor(mark.perm, labelRatio > 0 ? labelRatio : 1);
    const QSizeF size = label.image.deviceIndependentSize();
    const qreal w = (size.width() / 2 + 2) / screenScale + 1;
    const qreal h = (size.height() / 2 + 2) / screenScale + 1;
    const QPointF at = mark.labelAt() + QPointF(0.5, 0.5);
    return edgeArea(mark.line) | QRectF(at.x() - w, at.y() - h, 2 * w, 2 * h);
}

qreal TDoorsOverlay::textReach() const
{
    return TextReach / screenScale + 1;
}

void TDoorsOverlay::setScreenScale(qreal scale)
{
    if (scale <= 0 || scale == screenScale)
        return;
    screenScale = scale;
}

QRectF TDoorsOverlay::bounds() const
{
    if (edgeOf.isEmpty() && markOf.isEmpty())
        return {};
    const qreal r = textReach();
    return lineBounds.adjusted(-r, -r, r, r);
}

void TDoorsOverlay::paint(QPainter* painter, const QRectF& exposed) const
{
    // Only lines whose width reaches the exposed part, and text that does.
    auto boxAround = [](const QRectF& r) { return GridIndex::Box::around(r.left(), r.top(), r.right(), r.bottom()); };
    const qreal lineReach = LineReach / screenScale + 1;
    const GridIndex::Box lineArea = boxAround(exposed.adjusted(-lineReach, -lineReach, lineReach, lineReach));
    // Lines go through the centres of the pixels they join, as the outlines do.
    const QPointF middle = mappainter::pixelPoint(0, 0, mappainter::PixelLines::ThroughMiddle);
    mappainter::useSharedEdgePen(painter);
    QList<quint64>& found = paintFound;
    edgeIndex.find(lineArea, found);
    {
        mappainter::DeviceLines lines(painter);
        for (const quint64 key : std::as_const(found))
            lines.draw(edgeOf.value(key).line.translated(middle));
    }
    mappainter::useDoorWithoutEdgePen(painter);
    markIndex.find(lineArea, found);
    {
        mappainter::DeviceLines lines(painter);
        for (const quint64 key : std::as_const(found)) {
            const Mark& door = *markOf.constFind(key);
            if (!door.onEdge)
                lines.draw(door.line.translated(middle));
        }
    }

    // The permeabilities, untransformed so that they keep their size.
    const qreal r = textReach();
    const QTransform toDevice = painter->worldTransform();
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1;
    painter->save();
    painter->resetTransform();
    markIndex.find(boxAround(exposed.adjusted(-r, -r, r, r)), found);
    const QRectF exposedOnDevice = toDevice.mapRect(exposed);
    for (const quint64 key : std::as_const(found)) {
        const Mark& door = *markOf.constFind(key);
        const Label& label = labelFor(door.perm, ratio);
        const QRectF onDevice = mappainter::labelRect(label, toDevice.map(door.labelAt() + middle));
        if (exposedOnDevice.intersects(onDevice))
            painter->drawImage(onDevice.topLeft(), label.image);
    }
    painter->restore();
}

// A permeability's text drawn once, at one device pixel ratio.
const TDoorsOverlay::Label& TDoorsOverlay::labelFor(int perm, qreal ratio) const
{
    if (ratio != labelRatio) {
        labels.clear();
        labelRatio = ratio;
    }
    const auto found = labels.constFind(perm);
    if (found != labels.cend())
        return *found;
    const Label label = mappainter::makeLabel(QString::number(perm), mapcolours::sharedEdge(), ratio);
    return *labels.insert(perm, label);
}
