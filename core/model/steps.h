#pragma once

#include "core/model/document.h"

#include <QUndoCommand>

// The undo steps of the map. Each keeps the value before and after and changes the
// document only through its methods. A step pushed on a QUndoStack runs its redo() at
// once; a step given a parent is a part of that parent's single step (a whole file load).

// Steps that follow one another in one gesture (the moves of one drag, the keys typed into
// one field) share a merge key and become one step. 0 never merges.
int NewMergeKey();

// Adds a room at a position (-1: at the end), and selects it when asked to.
class AddRoomStep : public QUndoCommand {
public:
    AddRoomStep(TMetaroomDocument* document, const RoomRecord& record, int position = -1, bool selectIt = true,
                   QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;
    RoomKey key() const { return added; }

private:
    TMetaroomDocument* document;
    RoomRecord record;
    int position;
    bool selectIt;
    RoomKey added = 0;
    RoomKey selectedBefore = 0;
};

// Removes a room with its doors; undo puts it back at its place with every door where it
// was in both rooms' lists, and selects it.
class DeleteRoomStep : public QUndoCommand {
public:
    DeleteRoomStep(TMetaroomDocument* document, RoomKey key, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    struct DoorPlace {
        RoomKey other;
        int indexHere;
        int indexThere;
        int perm;
    };
    TMetaroomDocument* document;
    RoomKey key;
    RoomRecord record;
    int position = -1;
    QList<DoorPlace> doors;
};

// Sets a room's shape, type and music (its doors stay as they are).
class ChangeRoomStep : public QUndoCommand {
public:
    ChangeRoomStep(TMetaroomDocument* document, RoomKey key, const RoomRecord& after, const QString& text,
                      int mergeKey = 0, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;
    int id() const override { return mergeKey != 0 ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply(const RoomRecord& values);
    TMetaroomDocument* document;
    RoomKey key;
    RoomRecord before;
    RoomRecord after;
    int mergeKey;
};

// Sets the shape, type, music and levels of several rooms at once (their doors stay as
// they are). Steps with the same merge key merge, room by room.
class ChangeRoomsStep : public QUndoCommand {
public:
    struct Change {
        RoomKey key;
        RoomRecord before;
        RoomRecord after;
    };
    // Each room's value before is read from the document.
    ChangeRoomsStep(TMetaroomDocument* document, const QList<std::pair<RoomKey, RoomRecord>>& after,
                    const QString& text, int mergeKey = 0, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;
    int id() const override { return mergeKey != 0 ? 3 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    TMetaroomDocument* document;
    QList<Change> changes;
    int mergeKey;
};

// Removes several rooms as one step; undo puts them back and selects them again, with the
// room that was current before current again.
class DeleteRoomsStep : public QUndoCommand {
public:
    DeleteRoomsStep(TMetaroomDocument* document, const QList<RoomKey>& keys);
    void undo() override;

private:
    TMetaroomDocument* document;
    QList<RoomKey> keys;
    QList<RoomKey> selectedBefore;
    RoomKey currentBefore;
};

// Links two rooms both ways with a permeability, or sets the permeability of their link.
class SetDoorStep : public QUndoCommand {
public:
    SetDoorStep(TMetaroomDocument* document, RoomKey a, RoomKey b, int perm, const QString& text,
                   QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    TMetaroomDocument* document;
    RoomKey a;
    RoomKey b;
    int perm;
    std::optional<int> before;
};

// Removes the link of two rooms in both directions; undo puts it back where it was.
class RemoveDoorStep : public QUndoCommand {
public:
    RemoveDoorStep(TMetaroomDocument* document, RoomKey a, RoomKey b, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    TMetaroomDocument* document;
    RoomKey a;
    RoomKey b;
    int indexInA = -1;
    int indexInB = -1;
    int perm = 0;
};

// Sets the metaroom values.
class MetaroomStep : public QUndoCommand {
public:
    MetaroomStep(TMetaroomDocument* document, const MetaroomValues& after, const QString& text, int mergeKey = 0,
                    QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;
    int id() const override { return mergeKey != 0 ? 2 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    TMetaroomDocument* document;
    MetaroomValues before;
    MetaroomValues after;
    int mergeKey;
};

// Replaces the picture and the surface size; the replaced picture is kept by the step.
class PictureStep : public QUndoCommand {
public:
    PictureStep(TMetaroomDocument* document, const PictureGrid& grid, QSize surface, const QString& text,
                   QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    TMetaroomDocument* document;
    PictureGrid gridBefore;
    PictureGrid gridAfter;
    QSize surfaceBefore;
    QSize surfaceAfter;
};

// Sets the surface size alone (a script load grows it to its rooms).
class SurfaceSizeStep : public QUndoCommand {
public:
    SurfaceSizeStep(TMetaroomDocument* document, QSize size, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    TMetaroomDocument* document;
    QSize before;
    QSize after;
};

// A step whose parts were carried out one by one as they were made (their maker calls each
// part's redo(), as a file load does line by line, undoing them all if a later part fails):
// pushing it does not carry them out again. Undo and redo then work on all parts.
class AppliedStep : public QUndoCommand {
public:
    explicit AppliedStep(const QString& text)
        : QUndoCommand(text)
    {
    }
    void redo() override;

private:
    bool applied = true;
};
