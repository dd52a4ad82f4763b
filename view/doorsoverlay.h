#pragma once

#include "core/rules/doormarks.h"
#include "core/rules/gamerules.h"

#include "core/model/document.h"

#include <QObject>
#include <QSet>
#include <QRectF>
#include <QTimer>

class QPainter;

// The game's doors over the rooms of a map, as the map scene draws them in its foreground:
// every shared edge in its colour, each door record's permeability at the middle of its
// edge, and a door record whose rooms share no edge as a red line between their centres.
// Lines are one width and text one size on the screen at every zoom. It follows the
// document, working the edges out again once per turn of the event loop however many
// changes came in it: only those of the rooms that moved, when no room or door came or went.
class TDoorsOverlay : public QObject {
    Q_OBJECT
public:
    explicit TDoorsOverlay(TMetaroomDocument* document, QObject* parent = nullptr);

    const QList<SharedEdge>& edges() const { return sharedEdges; }
    const QList<DoorMark>& doors() const { return doorMarks; }

    // Works the edges out now when a change is waiting.
    void refreshNow();
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
    void refresh();
    void refreshMoved();
    QRectF changedArea(const QList<SharedEdge>& edgesBefore, const QList<DoorMark>& doorsBefore) const;

    TMetaroomDocument* doc;
    QTimer pending;
    bool whole = true;       // rooms or doors came or went: all is worked out again
    QSet<RoomKey> moved;     // else only these rooms' edges and doors
    RoomDefs defs;           // the rooms as last worked out
    QList<SharedEdge> sharedEdges;
    QList<DoorMark> doorMarks;
    QRectF lineBounds;
    qreal screenScale = 1;
};
