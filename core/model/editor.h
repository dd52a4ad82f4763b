#pragma once

#include "core/model/document.h"
#include "core/model/roomcuts.h"

struct ScriptContent;

#include <QObject>
#include <QSize>
#include <QString>

class QUndoStack;

// The one maker of changes to a map. It owns the document and the undo stack; each
// method below is one edit that makes its own undo step, so windows and items only call
// these and follow the document's signals.
class MetaroomEditor : public QObject {
    Q_OBJECT
public:
    explicit MetaroomEditor(QObject* parent = nullptr);
    ~MetaroomEditor() override;

    TMetaroomDocument* document() const { return doc; }
    QUndoStack* undoStack() const { return stack; }

    // A run of edits from one source (the keys typed into one field, the moves of one
    // drag) becomes one undo step when each edit passes the run's merge key: a key from
    // mergeKeyFor stays the same while the run's last step is still the newest on the stack.
    struct EditRun {
        int key = 0;
        int index = -1;
        const void* top = nullptr;
    };
    int mergeKeyFor(EditRun& run) const;
    // A key for a run that its maker keeps itself (a drag from press to release).
    static int newMergeKey();
    // Call after an edit made with the run's key; it did not always make a step.
    void continueRun(EditRun& run) const;

    // Rooms. addRoom adds a room at the end and selects it; when `linkFrom` names a room,
    // a door from it to the new room at `perm` is part of the same step.
    RoomKey addRoom(const RoomRecord& record, RoomKey linkFrom = 0, int perm = 0);
    void deleteRoom(RoomKey key);
    // Sets a room's shape, type and music as one step (nothing when they are the same).
    void changeRoom(RoomKey key, const RoomRecord& after, const QString& text, int mergeKey = 0);
    void setRoomShape(RoomKey key, const RoomShape& shape, const QString& text, int mergeKey = 0);
    void setRoomType(RoomKey key, int roomtype);
    void setRoomMusic(RoomKey key, const QString& music);

    // Doors, both ways at once.
    void setDoor(RoomKey a, RoomKey b, int perm);
    void removeDoor(RoomKey a, RoomKey b);

    // The metaroom's values, offsets among them.
    void setMetaroom(const MetaroomValues& values, const QString& text, int mergeKey = 0);

    // Cuts a room in two at a point of it, by a wall (vertical) or a floor (horizontal),
    // as one step: the room keeps its key and the first part, the second part comes after
    // it with the same type, music and levels; each door line goes to the part that shares
    // an edge with its other room (the first part when neither does, to both when both do),
    // and a door line at `perm` joins the parts. Raises PlsdError, changing nothing, when
    // the point leaves no room on one side.
    RoomKey splitRoom(RoomKey key, Qt::Orientation cut, qint64 x, qint64 y, int perm);
    // Adds a room beyond a side of a room that shares that whole side (see ShapeBeyond),
    // and selects it. Raises PlsdError, changing nothing, when there is no room for it.
    RoomKey addRoomBeyond(RoomKey key, RoomSide side);
    // Gives every shared edge without a door line one at `perm`, as one step; returns how
    // many it made.
    int doorsOnAllSharedEdges(int perm);

    // Adds what a read script holds (its rooms, door lines, metaroom values and surface) as
    // one step "Load Room Defs", or none when it changes nothing; returns the last room it
    // added (0: none). A failure part way leaves the map as it was.
    RoomKey applyScript(const ScriptContent& content);
    // The same, but the script's rooms and metaroom values take the place of the map's
    // (the picture and its file name stay), as one step "Open Room Defs".
    RoomKey replaceWithScript(const ScriptContent& content);

    // Replaces the picture and the surface the rooms are drawn on.
    void installPicture(const PictureGrid& grid, QSize surface, const QString& text);

private:
    TMetaroomDocument* doc;
    QUndoStack* stack;
};
