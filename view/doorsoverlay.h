#pragma once

#include "core/rules/doormarks.h"
#include "core/rules/gamerules.h"
#include "core/common/gridindex.h"

#include "core/model/document.h"
#include "core/render/mappainter.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QRectF>
#include <QTimer>
#include <optional>
#include <utility>

class QPainter;

// The game's doors over the rooms of a map, as the map scene draws them in its foreground:
// every shared edge in its colour, each door record's permeability at the middle of its
// edge, and a door record whose rooms share no edge as a red line between their centres.
// Lines are one width and text one size on the screen at every zoom. It follows the
// document by room key, working out again only the edges and door marks of the rooms that
// changed: at once for a move or a door (for an edit of several rooms, once at its end),
// at the next turn of the event loop for rooms that came or went, and the whole map over
// when more rooms than BulkRooms changed in a turn.
// Rooms, edges and marks are kept in grid indexes, so that a step and a repaint of part of
// the map touch only what lies near.
class TDoorsOverlay : public QObject {
    Q_OBJECT
public:
    static constexpr int BulkRooms = 64;

    explicit TDoorsOverlay(TMetaroomDocument* document, QObject* parent = nullptr);

    // In order of their rooms' positions.
    QList<SharedEdge> edges() const;
    QList<DoorMark> doors() const;

    // The rooms of the shared edge nearest to a point within reach of it (picture
    // coordinates), the earlier in the map first; nothing when no edge is that near.
    std::optional<std::pair<RoomKey, RoomKey>> edgeAt(QPointF point, qreal reach);

    // Works the edges out now when a change is waiting.
    void refreshNow();
    // While not followed, changes only mark the whole as out of date; it is worked out
    // again when followed once more.
    void setFollowing(bool follow);
    // Screen pixels per picture pixel: the text reaches around the lines by that much less.
    void setScreenScale(qreal scale);
    // What the drawing covers, in picture coordinates.
    QRectF bounds() const;

    // Draws what comes near the exposed part (picture coordinates).
    void paint(QPainter* painter, const QRectF& exposed) const;

signals:
    // The drawing changed here (picture coordinates).
    void changed(const QRectF& area);

private:
    using Label = mappainter::Label;
    const Label& labelFor(int perm, qreal ratio) const;

    // An edge or a door mark between two rooms, by key.
    struct Edge {
        RoomKey a = 0;
        RoomKey b = 0;
        QLineF line;
    };
    struct Mark {
        RoomKey a = 0;
        RoomKey b = 0;
        int perm = 0;
        bool onEdge = false;
        QLineF line;   // the edge, or from the middle of the room earlier in the map to the other's

        QPointF labelAt() const { return line.center(); }
        bool operator==(const Mark&) const = default;
    };
    // A room as last worked out.
    struct Known {
        ScriptRoom shape;   // corners only
        QList<RoomDoor> doors;
    };

    void roomsChanged(std::initializer_list<RoomKey> keys);
    void changesEnded();
    void refresh();
    void refreshWhole();
    QRectF refreshStale();
    Mark markBetween(RoomKey x, RoomKey y, int perm) const;
    void putEdge(const Edge& edge);
    void putMark(const Mark& mark);
    qreal textReach() const;
    QRectF edgeArea(const QLineF& line) const;
    QRectF markArea(const Mark& mark) const;

    TMetaroomDocument* doc;
    QTimer pending;
    bool following = true;
    bool whole = true;       // all is worked out again at the next turn
    QSet<RoomKey> stale;     // else only these rooms' edges and marks
    QHash<RoomKey, Known> known;
    QHash<quint64, Edge> edgeOf;   // by pair of keys
    QHash<quint64, Mark> markOf;
    GridIndex edgeIndex;
    GridIndex markIndex;
    struct Work {
        QList<RoomKey> keys;
        QList<quint64> found;
        QList<std::pair<quint64, Edge>> edgesBefore;
        QList<std::pair<quint64, Mark>> marksBefore;
        QList<quint64> edgesAfter;
        QList<quint64> marksAfter;
    } work;                  // kept from step to step
    QRectF lineBounds;       // around every line; it may grow beyond them between whole refreshes
    qreal screenScale = 1;
    mutable QList<quint64> paintFound;   // kept from paint to paint
    mutable QHash<int, Label> labels;   // by permeability, at one device pixel ratio
    mutable qreal labelRatio = 0;
};
