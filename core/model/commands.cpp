#include "core/model/commands.h"

int NewMergeKey()
{
    static int last = 0;
    return ++last;
}

// Adding a room

AddRoomCommand::AddRoomCommand(TMetaroomDocument* document, const RoomRecord& record, int position, bool selectIt,
                               QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("Add Room"), parent)
    , document(document)
    , record(record)
    , position(position)
    , selectIt(selectIt)
{
    this->record.doors.clear();
}

void AddRoomCommand::redo()
{
    selectedBefore = document->selection();
    const int at = position < 0 ? document->roomCount() : position;
    position = at;
    added = document->insertRoom(at, record, added);
    if (selectIt)
        document->select(added);
}

void AddRoomCommand::undo()
{
    document->removeRoom(added);
    if (selectIt && document->contains(selectedBefore))
        document->select(selectedBefore);
}

// Deleting a room

DeleteRoomCommand::DeleteRoomCommand(TMetaroomDocument* document, RoomKey key, QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("Delete Room"), parent)
    , document(document)
    , key(key)
{
}

void DeleteRoomCommand::redo()
{
    record = document->room(key);
    position = document->positionOf(key);
    doors.clear();
    for (int i = 0; i < record.doors.size(); ++i) {
        const RoomDoor& d = record.doors[i];
        doors.append({d.target, i, document->doorIndex(d.target, key), d.perm});
    }
    document->removeRoom(key);
}

void DeleteRoomCommand::undo()
{
    document->insertRoom(position, record, key);
    // In the room's own order, so each goes back to its index here; the other room's list
    // lacks only this door, so its index there is right too.
    for (const DoorPlace& d : std::as_const(doors))
        document->insertDoor(key, d.indexHere, d.other, d.indexThere, d.perm);
    document->select(key);
}

// Changing a room

ChangeRoomCommand::ChangeRoomCommand(TMetaroomDocument* document, RoomKey key, const RoomRecord& after,
                                     const QString& text, int mergeKey, QUndoCommand* parent)
    : QUndoCommand(text, parent)
    , document(document)
    , key(key)
    , before(document->room(key))
    , after(after)
    , mergeKey(mergeKey)
{
    before.doors.clear();
    this->after.doors.clear();
}

void ChangeRoomCommand::apply(const RoomRecord& values)
{
    document->setShape(key, values.shape);
    document->setRoomType(key, values.roomtype);
    document->setMusic(key, values.music);
    document->setLevels(key, values.levels);
}

void ChangeRoomCommand::redo()
{
    apply(after);
}

void ChangeRoomCommand::undo()
{
    apply(before);
}

bool ChangeRoomCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const ChangeRoomCommand*>(other);
    if (next->mergeKey != mergeKey || next->key != key)
        return false;
    after = next->after;
    setObsolete(after == before);
    return true;
}

// Doors

SetDoorCommand::SetDoorCommand(TMetaroomDocument* document, RoomKey a, RoomKey b, int perm, const QString& text,
                               QUndoCommand* parent)
    : QUndoCommand(text, parent)
    , document(document)
    , a(a)
    , b(b)
    , perm(perm)
{
}

void SetDoorCommand::redo()
{
    before = document->doorPerm(a, b);
    document->setDoor(a, b, perm);
}

void SetDoorCommand::undo()
{
    if (before)
        document->setDoor(a, b, *before);
    else
        document->removeDoor(a, b);   // it was added at the ends of both lists
}

RemoveDoorCommand::RemoveDoorCommand(TMetaroomDocument* document, RoomKey a, RoomKey b, QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("Delete Door"), parent)
    , document(document)
    , a(a)
    , b(b)
{
}

void RemoveDoorCommand::redo()
{
    indexInA = document->doorIndex(a, b);
    indexInB = document->doorIndex(b, a);
    if (indexInA >= 0)
        perm = *document->doorPerm(a, b);
    document->removeDoor(a, b);
}

void RemoveDoorCommand::undo()
{
    if (indexInA >= 0)
        document->insertDoor(a, indexInA, b, indexInB, perm);
}

// Metaroom values

MetaroomCommand::MetaroomCommand(TMetaroomDocument* document, const MetaroomValues& after, const QString& text,
                                 int mergeKey, QUndoCommand* parent)
    : QUndoCommand(text, parent)
    , document(document)
    , before(document->metaroom())
    , after(after)
    , mergeKey(mergeKey)
{
}

void MetaroomCommand::redo()
{
    document->setMetaroom(after);
}

void MetaroomCommand::undo()
{
    document->setMetaroom(before);
}

bool MetaroomCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const MetaroomCommand*>(other);
    if (next->mergeKey != mergeKey)
        return false;
    after = next->after;
    setObsolete(after == before);
    return true;
}

// Picture and surface

PictureCommand::PictureCommand(TMetaroomDocument* document, const PictureGrid& grid, QSize surface,
                               const QString& text, QUndoCommand* parent)
    : QUndoCommand(text, parent)
    , document(document)
    , gridAfter(grid)
    , surfaceAfter(surface)
{
}

void PictureCommand::redo()
{
    gridBefore = document->grid();
    surfaceBefore = document->surfaceSize();
    document->setGrid(gridAfter);
    document->setSurfaceSize(surfaceAfter);
}

void PictureCommand::undo()
{
    document->setGrid(gridBefore);
    document->setSurfaceSize(surfaceBefore);
}

SurfaceSizeCommand::SurfaceSizeCommand(TMetaroomDocument* document, QSize size, QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("Resize Surface"), parent)
    , document(document)
    , after(size)
{
}

void SurfaceSizeCommand::redo()
{
    before = document->surfaceSize();
    document->setSurfaceSize(after);
}

void SurfaceSizeCommand::undo()
{
    document->setSurfaceSize(before);
}

// A step carried out part by part

void AppliedCommand::redo()
{
    if (applied) {
        applied = false;
        return;
    }
    QUndoCommand::redo();
}
