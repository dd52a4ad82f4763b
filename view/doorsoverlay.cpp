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

quint64 pairKey(int a, int b)
{
    return (quint64(quint32(a)) << 32) | quint32(b);
}

GridIndex::Box boxOf(const QLineF& line)
{
    return GridIndex::Box::around(line.x1(), line.y1(), line.x2(), line.y2());
}

// A room's box, grown by the pixel within which floors and ceilings still meet.
GridIndex::Box roomBox(const ScriptRoom& r)
{
    return {std::min<qint64>(r.xl, r.xr) - 1, std::min({qint64(r.ytl), qint64(r.ytr), qint64(r.ybl), qint64(r.ybr)}) - 1,
            std::max<qint64>(r.xl, r.xr) + 1, std::max({qint64(r.ytl), qint64(r.ytr), qint64(r.ybl), qint64(r.ybr)}) + 1};
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
        if (following)
            pending.start();
    };
    auto some = [this](std::initializer_list<RoomKey> keys) {
        if (!following) {
            whole = true;
            return;
        }
        if (whole)
            return;   // the whole map is worked out again soon
        for (const RoomKey key : keys)
            stale.insert(key);
        refresh();
    };
    connect(doc, &TMetaroomDocument::roomInserted, this, all);
    connect(doc, &TMetaroomDocument::roomRemoved, this, all);
    connect(doc, &TMetaroomDocument::doorsChanged, this, [some](RoomKey a, RoomKey b) { some({a, b}); });
    connect(doc, &TMetaroomDocument::roomChanged, this, [some](RoomKey key, TMetaroomDocument::RoomChanges changes) {
        if (changes & TMetaroomDocument::ShapeChanged)
            some({key});
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
    QList<SharedEdge> list(edgeOf.cbegin(), edgeOf.cend());
    std::sort(list.begin(), list.end(), [](const SharedEdge& x, const SharedEdge& y) {
        return std::pair(x.a, x.b) < std::pair(y.a, y.b);
    });
    return list;
}

QList<DoorMark> TDoorsOverlay::doors() const
{
    QList<DoorMark> list(markOf.cbegin(), markOf.cend());
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
        area = refreshChanged();
    }
    whole = false;
    stale.clear();
    if (!area.isEmpty())
        emit changed(area);
}

void TDoorsOverlay::putEdge(const SharedEdge& edge)
{
    const quint64 key = pairKey(edge.a, edge.b);
    edgeOf.insert(key, edge);
    edgeIndex.insert(key, boxOf(edge.line));
    lineBounds |= boundsOf(edge.line);
}

void TDoorsOverlay::putMark(const DoorMark& mark)
{
    const quint64 key = pairKey(mark.a, mark.b);
    markOf.insert(key, mark);
    markIndex.insert(key, boxOf(mark.line));
    lineBounds |= boundsOf(mark.line);
}

void TDoorsOverlay::refreshWhole()
{
    defs = ToRoomDefs(*doc);
    roomIndex.clear();
    edgeOf.clear();
    markOf.clear();
    edgeIndex.clear();
    markIndex.clear();
    lineBounds = {};
    for (int p = 0; p < defs.rooms.size(); ++p)
        roomIndex.insert(quint64(p), roomBox(defs.rooms[p]));
    for (const SharedEdge& edge : SharedEdges(defs))
        putEdge(edge);
    for (const DoorMark& mark : DoorMarks(defs))
        putMark(mark);
}

// Only rooms moved, were reshaped or had their doors changed: their edges and door marks
// are worked out again against the rooms near them; the rest stay. Returns where the
// drawing differs. The lists are members kept from step to step, so that a drag step
// allocates nothing.
QRectF TDoorsOverlay::refreshChanged()
{
    Work& w = work;
    w.positions.clear();
    for (const RoomKey key : std::as_const(stale)) {
        const int p = doc->positionOf(key);
        if (p >= 0 && p < defs.rooms.size())
            w.positions.append(p);
    }
    std::sort(w.positions.begin(), w.positions.end());
    auto validPartner = [this](int p, int q) { return q != p && q >= 0 && q < defs.rooms.size(); };

    // What goes: every edge and mark of these rooms as they were. A room's edges lie on
    // its bounds.
    w.edgesBefore.clear();
    w.marksBefore.clear();
    for (const int p : std::as_const(w.positions)) {
        edgeIndex.find(roomBox(defs.rooms[p]), w.found);
        for (const quint64 key : std::as_const(w.found)) {
            const auto edge = edgeOf.constFind(key);
            if (edge->a == p || edge->b == p) {
                w.edgesBefore.append({key, *edge});
                edgeOf.erase(edge);
                edgeIndex.remove(key);
            }
        }
        for (const ScriptDoor& door : std::as_const(defs.rooms[p].doors)) {
            if (!validPartner(p, door.target))
                continue;
            const quint64 key = pairKey(std::min(p, door.target), std::max(p, door.target));
            if (const auto mark = markOf.constFind(key); mark != markOf.cend()) {
                w.marksBefore.append({key, *mark});
                markOf.erase(mark);
                markIndex.remove(key);
            }
        }
    }

    // The rooms as they are now.
    for (const int p : std::as_const(w.positions)) {
        const RoomRecord& record = doc->room(doc->roomAt(p));
        const RoomShape& s = record.shape;
        ScriptRoom& room = defs.rooms[p];
        room.xl = SaturatedCorner(s.xl);
        room.xr = SaturatedCorner(s.xr);
        room.ytl = SaturatedCorner(s.ytl);
        room.ytr = SaturatedCorner(s.ytr);
        room.ybl = SaturatedCorner(s.ybl);
        room.ybr = SaturatedCorner(s.ybr);
        room.doors.resize(record.doors.size());
        for (qsizetype i = 0; i < record.doors.size(); ++i)
            room.doors[i] = {doc->positionOf(record.doors[i].target), record.doors[i].perm};
        roomIndex.insert(quint64(p), roomBox(room));
    }

    // What comes: their edges with the rooms near them, and their door marks.
    w.edgesAfter.clear();
    w.marksAfter.clear();
    for (const int p : std::as_const(w.positions)) {
        roomIndex.find(roomBox(defs.rooms[p]), w.found);
        for (const quint64 found : std::as_const(w.found)) {
            const int q = int(found);
            const int a = std::min(p, q), b = std::max(p, q);
            if (q == p || w.edgesAfter.contains(pairKey(a, b)))
                continue;
            const RoomContact contact = ContactOf(defs.rooms[a], defs.rooms[b]);
            if (contact.sharesEdge()) {
                putEdge({a, b, contact.line});
                w.edgesAfter.append(pairKey(a, b));
            }
        }
        for (const ScriptDoor& door : std::as_const(defs.rooms[p].doors)) {
            if (!validPartner(p, door.target))
                continue;
            const int a = std::min(p, door.target), b = std::max(p, door.target);
            if (w.marksAfter.contains(pairKey(a, b)))
                continue;
            putMark(DoorMarkBetween(defs, a, b, door.perm));
            w.marksAfter.append(pairKey(a, b));
        }
    }

    // Where the drawing differs: around every edge and mark that went, came or changed.
    QRectF area;
    auto edgeBefore = [&w](quint64 key) -> const SharedEdge* {
        for (const auto& [k, edge] : std::as_const(w.edgesBefore)) {
            if (k == key)
                return &edge;
        }
        return nullptr;
    };
    auto markBefore = [&w](quint64 key) -> const DoorMark* {
        for (const auto& [k, mark] : std::as_const(w.marksBefore)) {
            if (k == key)
                return &mark;
        }
        return nullptr;
    };
    for (const auto& [key, edge] : std::as_const(w.edgesBefore)) {
        if (!w.edgesAfter.contains(key) || edgeOf.value(key).line != edge.line)
            area |= edgeArea(edge.line);
    }
    for (const quint64 key : std::as_const(w.edgesAfter)) {
        const SharedEdge* before = edgeBefore(key);
        if (!before || before->line != edgeOf.value(key).line)
            area |= edgeArea(edgeOf.value(key).line);
    }
    auto same = [](const DoorMark& x, const DoorMark& y) {
        return x.line == y.line && x.perm == y.perm && x.onEdge == y.onEdge;
    };
    for (const auto& [key, mark] : std::as_const(w.marksBefore)) {
        if (!w.marksAfter.contains(key) || !same(markOf.value(key), mark))
            area |= markArea(mark);
    }
    for (const quint64 key : std::as_const(w.marksAfter)) {
        const DoorMark* before = markBefore(key);
        if (!before || !same(*before, markOf.value(key)))
            area |= markArea(markOf.value(key));
    }
    return area;
}

// What a line covers on the screen, in picture coordinates: its width round it.
QRectF TDoorsOverlay::edgeArea(const QLineF& line) const
{
    const qreal r = LineReach / screenScale + 1;
    return boundsOf(line).adjusted(-r, -r, r, r);
}

// A mark's line and its permeability's text.
QRectF TDoorsOverlay::markArea(const DoorMark& mark) const
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
    const QPointF middle(0.5, 0.5);
    painter->setPen(screenPen(mapcolours::sharedEdge(), 3));
    QList<quint64>& found = paintFound;
    edgeIndex.find(lineArea, found);
    for (const quint64 key : std::as_const(found))
        painter->drawLine(edgeOf.value(key).line.translated(middle));
    painter->setPen(screenPen(mapcolours::doorWithoutEdge(), 2));
    markIndex.find(lineArea, found);
    for (const quint64 key : std::as_const(found)) {
        const DoorMark& door = *markOf.constFind(key);
        if (!door.onEdge)
            painter->drawLine(door.line.translated(middle));
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
        const DoorMark& door = *markOf.constFind(key);
        const Label& label = labelFor(door.perm, ratio);
        const QPointF centre = toDevice.map(door.labelAt() + middle);
        const QPointF origin(std::round(centre.x() - label.advance / 2.0), std::round(centre.y() + label.baseline / 2.0));
        const QRectF onDevice(origin - label.origin, label.image.deviceIndependentSize());
        if (exposedOnDevice.intersects(onDevice))
            painter->drawImage(onDevice.topLeft(), label.image);
    }
    painter->restore();
}

// A permeability's text drawn once: dark round the edges, to read over any picture.
const TDoorsOverlay::Label& TDoorsOverlay::labelFor(int perm, qreal ratio) const
{
    if (ratio != labelRatio) {
        labels.clear();
        labelRatio = ratio;
    }
    const auto found = labels.constFind(perm);
    if (found != labels.cend())
        return *found;
    const QFont font = labelFont();
    const QFontMetrics metrics(font);
    const QString text = QString::number(perm);
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
    painter.setPen(mapcolours::sharedEdge());
    painter.drawText(label.origin, text);
    return *labels.insert(perm, label);
}
