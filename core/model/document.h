#pragma once

#include "core/background/graphicblock.h"
#include "core/model/roomshape.h"
#include "core/common/gridindex.h"
#include "core/script/roomdefs.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>

// A room's identity in the document: never reused, so an undo step can name a room that
// it removed and put back. 0 is no room.
using RoomKey = quint32;

// A one-way door record held by the room it starts from. The document keeps doors in
// pairs: A holds a door to B exactly when B holds one to A, with the same permeability.
struct RoomDoor {
    RoomKey target = 0;
    int perm = 0;

    bool operator==(const RoomDoor&) const = default;
};

// What the map holds of a room. Doors are kept in the order each was first made.
struct RoomRecord {
    RoomShape shape;
    int roomtype = 0;
    QString music;
    QList<RoomDoor> doors;
    CaLevels levels;   // cellular automata levels set by prop lines

    bool operator==(const RoomRecord&) const = default;
};

// The metaroom-wide values.
struct MetaroomValues {
    int offsetX = 0;
    int offsetY = 0;
    int metaRoomID = 0;
    int subRoomStartID = 0;
    int defaultRoomType = 0;
    QString music;
    QString filename;
    // Lines of the room script the editor does not model, written back as read: map
    // lines before the metaroom, kept lines after the rooms.
    QList<QByteArray> mapLines;
    QList<QByteArray> keptLines;

    bool operator==(const MetaroomValues&) const = default;
};

// The picture: blocks in column-major order, shared with the undo steps that replaced
// it. No blocks is no picture.
struct PictureGrid {
    std::shared_ptr<TBlockList> blocks;
    int columns = 0;
    int rows = 0;

    bool operator==(const PictureGrid&) const = default;
};

// One metaroom: its values, its rooms in order with their doors, its picture, the size of
// the surface the rooms are drawn on, and the selected room. It is the only writer of that
// state and announces every change; windows follow the signals. Undo steps (steps.h)
// are the writers' usual way in; the methods below are the bare changes they make.
class TMetaroomDocument : public QObject {
    Q_OBJECT
public:
    enum RoomChange { ShapeChanged = 1, TypeChanged = 2, MusicChanged = 4, LevelsChanged = 8 };
    Q_DECLARE_FLAGS(RoomChanges, RoomChange)

    explicit TMetaroomDocument(QObject* parent = nullptr);
    ~TMetaroomDocument() override;

    // Rooms
    int roomCount() const { return int(order.size()); }
    const QList<RoomKey>& rooms() const { return order; }
    RoomKey roomAt(int position) const;   // 0 when there is no room there
    int positionOf(RoomKey key) const;    // -1 when the room is not in the map
    bool contains(RoomKey key) const { return entries.contains(key); }
    const RoomRecord& room(RoomKey key) const;   // the room must be in the map
    std::optional<int> doorPerm(RoomKey from, RoomKey to) const;
    int doorIndex(RoomKey from, RoomKey to) const;   // -1 when there is none
    // The rooms whose boxes meet this box (edges included), in no set order.
    QList<RoomKey> roomsMeeting(const GridIndex::Box& box) const;
    // The same, as keys into a list kept for the next look-up.
    void roomsMeeting(const GridIndex::Box& box, QList<quint64>& found) const
    {
        boxNewRooms();
        boxes.find(box, found);
    }
    void sortByPosition(QList<RoomKey>& keys) const;

    // Inserts a room at a position (0 to roomCount()) without doors; a key of 0 makes a new
    // one, a key given puts back a room that was removed. Returns the room's key.
    RoomKey insertRoom(int position, RoomRecord record, RoomKey key = 0);
    // Removes a room and every door that leads to it. When it was selected, the first room
    // left becomes selected.
    void removeRoom(RoomKey key);
    void setShape(RoomKey key, const RoomShape& shape);
    void setRoomType(RoomKey key, int roomtype);
    void setMusic(RoomKey key, const QString& music);
    void setLevels(RoomKey key, const CaLevels& levels);

    // Doors, both ways at once. setDoor adds the pair at the ends of both door lists or
    // sets the permeability of the pair that is there; insertDoor puts a pair back at the
    // given places. A door from a room to itself is a single record.
    void setDoor(RoomKey a, RoomKey b, int perm);
    void insertDoor(RoomKey a, int indexInA, RoomKey b, int indexInB, int perm);
    void removeDoor(RoomKey a, RoomKey b);

    // Metaroom values, picture and surface
    const MetaroomValues& metaroom() const { return values; }
    void setMetaroom(const MetaroomValues& newValues);
    const PictureGrid& grid() const { return picture; }
    void setGrid(const PictureGrid& grid);
    QSize surfaceSize() const { return surface; }
    void setSurfaceSize(QSize size);
    // The picture's blocks take the offsets of the file a save wrote (the same picture).
    void takeSavedOffsets();

    // Selection: not an edit, so no undo step keeps it. selection() is the current room,
    // the one the toolbox shows; selectedRooms() every selected room in the order each was
    // selected, the current one among them (none when there is no current room).
    RoomKey selection() const { return selected; }
    void select(RoomKey key);   // selects that room alone (0: none)
    const QList<RoomKey>& selectedRooms() const { return chosen; }
    bool isSelected(RoomKey key) const { return chosenSet.contains(key); }
    // Adds a room to the selection as the current one, or takes it out; the room selected
    // last before it becomes current then.
    void toggleSelected(RoomKey key);
    // Selects these rooms (those in the map, once each), `current` the current one when it
    // is among them, else the last.
    void selectRooms(const QList<RoomKey>& keys, RoomKey current);

    // Changes that make one edit of several rooms: changesBegun comes before the first of
    // their signals and changesEnded after the last, so that a view may work out once what
    // they changed. Pairs nest; only the outermost is announced.
    void beginChanges();
    void endChanges();
    bool changing() const { return changeDepth > 0; }

signals:
    void roomInserted(int position, RoomKey key);
    void roomRemoved(int position, RoomKey key);
    void roomChanged(RoomKey key, TMetaroomDocument::RoomChanges changes);
    // The door lists of these two rooms changed (the same room twice for a door to itself).
    void doorsChanged(RoomKey a, RoomKey b);
    void metaroomChanged(const MetaroomValues& before);
    void gridReplaced();
    void blockOffsetsChanged();
    void surfaceSizeChanged(QSize size);
    void selectionChanged(RoomKey now, RoomKey before);
    // The set of selected rooms changed; sent before selectionChanged when both change.
    void selectedRoomsChanged(const QList<RoomKey>& now, const QList<RoomKey>& before);
    void changesBegun();
    void changesEnded();

private:
    struct Entry {
        RoomRecord record;
        int position = 0;
    };
    Entry& entry(RoomKey key);
    void renumberFrom(int position);
    void dropDoorRecord(RoomKey from, RoomKey to);

    QList<RoomKey> order;
    QHash<RoomKey, Entry> entries;
    // The rooms' boxes by key. Rooms put in are boxed at the next look-up, so that a load
    // of many rooms does not wait for an index that nothing may ask.
    void boxNewRooms() const;
    mutable GridIndex boxes{256};
    mutable QList<RoomKey> unboxed;
    RoomKey lastKey = 0;
    MetaroomValues values;
    PictureGrid picture;
    QSize surface;
    void setSelection(QList<RoomKey> keys, RoomKey current);

    RoomKey selected = 0;
    QList<RoomKey> chosen;
    QSet<RoomKey> chosenSet;
    int changeDepth = 0;
};

// Brackets the changes made while it lives (beginChanges / endChanges).
class DocumentChanges {
public:
    explicit DocumentChanges(TMetaroomDocument* document)
        : doc(document)
    {
        doc->beginChanges();
    }
    ~DocumentChanges() { doc->endChanges(); }
    DocumentChanges(const DocumentChanges&) = delete;
    DocumentChanges& operator=(const DocumentChanges&) = delete;

private:
    TMetaroomDocument* doc;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TMetaroomDocument::RoomChanges)
