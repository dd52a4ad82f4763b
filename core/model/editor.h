#pragma once

#include "core/files/mapfiles.h"
#include "core/model/document.h"
#include "core/model/roomcuts.h"

struct ScriptContent;

#include <QObject>
#include <QSize>
#include <QString>
#include <functional>

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

    // Several rooms at once, each call one step (none when nothing changes: false); rooms
    // not in the map are passed over. Steps with the same merge key merge (the moves of one
    // drag, the keys typed into one field).
    bool setRoomsType(const QList<RoomKey>& keys, int roomtype, int mergeKey = 0);
    bool setRoomsMusic(const QList<RoomKey>& keys, const QString& music, int mergeKey = 0);
    bool moveRooms(const QList<RoomKey>& keys, qint64 dx, qint64 dy, int mergeKey = 0);
    // Deletes the rooms; the first room left becomes selected. Undo selects them again.
    void deleteRooms(const QList<RoomKey>& keys);

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

    // --- The map's files and whether it is saved ---
    // The room script the rooms were last read from or saved to, and the background file
    // the picture was last opened from or saved to; empty while there is none.
    QString roomFile() const { return roomPath; }
    QString backgroundFile() const { return backgroundPath; }
    // The picture differs from the one last opened or saved as a background file.
    bool pictureUnsaved() const;
    // The undo stack is away from the point where the room script was saved, by more than
    // steps that only replaced the picture.
    bool editsUnsaved() const;
    bool hasUnsavedWork() const { return editsUnsaved() || pictureUnsaved(); }

    // A picture read from a background file, with the surface it needs: one step "Open",
    // which also names the file as the metaroom's when `nameIt`; a saved room script stays
    // saved through it. The picture is then saved as that file.
    void openBackground(const PictureGrid& grid, QSize surface, const QString& path, bool nameIt);
    // The picture was written to this file: its blocks take the offsets the file holds
    // (announced by the document), and it is saved as that file.
    void backgroundSaved(const QString& path);
    // Names the file as the metaroom's background, as a step that leaves a saved room
    // script saved.
    void setBackgroundName(const QString& path);
    // The picture came from this picture file and is in no background file yet.
    void pictureImported(const QString& path);
    // The picture file the picture was imported from, while it is the map's picture.
    QString importedPicture() const;
    // A room script was read: into an empty map it becomes the map's file and the map is
    // saved; added to rooms that were there, the map keeps its file and is unsaved.
    void roomFileRead(const QString& path, bool intoEmptyMap);
    void roomFileWritten(const QString& path);
    // An empty map, no step: no picture, no rooms, default metaroom values, the given
    // surface, no files, an empty undo stack.
    void newMap(QSize surface);

signals:
    // The file names or the saved state changed in a way the stack does not announce.
    void filesChanged();

private:
    void keepScriptSavedThrough(const std::function<void()>& change);
    void takePictureAsSaved();
    bool changeRooms(const QList<RoomKey>& keys, const std::function<void(RoomRecord&)>& change,
                     const QString& text, int mergeKey);

    TMetaroomDocument* doc;
    QUndoStack* stack;
    QString roomPath;
    QString backgroundPath;
    mapfiles::PictureKey savedPicture;   // the picture last read from or written to its file
    QString importedPath;
    mapfiles::PictureKey imported;   // the picture last imported from importedPath
};
