#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// Block pictures are the children of Panel whose class name is "TImage".
bool isBlockPicture(const QObject* child);

// Keeps the block pictures on Panel behind every room and puts the room that lost the
// selection directly above them. It watches Panel for new children: while no block picture
// has come since the last call, the pictures are still at the back, and their number is
// found by a binary search instead of a pass over all of them.
class TileStacking : public QObject {
    Q_OBJECT
public:
    TileStacking(QWidget* panel, QObject* owner);

    // Sends the block pictures to the back and stacks room just above them.
    void placeAboveTiles(QWidget* room);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool tilesMayBeOutOfPlace() const;
    qsizetype sendTilesToBack();          // one pass; returns how many there are
    qsizetype countTilesAtBack() const;   // valid only while they are all at the back

    QWidget* panel;
    QList<QPointer<QObject>> added;   // children Panel got since the last call
    bool tilesKnownAtBack = false;
};
