#include "core/model/steps.h"

int NewMergeKey()
{
    static int last = 0;
    return ++last;
}

// Adding a room

AddRoomStep::AddRoomStep(TMetaroomDocument* document, const RoomRecord& record, int position, bool selectIt,
                               QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("Add Room"), parent)
    , document(document)
    , record(record)
    , position(position)
    , selectIt(selectIt)
{
    this->record.doors.clear();
}

void AddRoomStep::redo()
{
    selectedBefore = document->selection();
    const int at = position < 0 ? document->roomCount() : position;
    position = at;
    added = document->insertRoom(at, record, added);
    if (selectIt)
        document->select(added);
}

void AddRoomStep::undo()
{
    document->removeRoom(added);
    if (selectIt && document->contains(selectedBefore))
        document->select(selectedBefore);
}

// Deleting a room

DeleteRoomStep::DeleteRoomStep(TMetaroomDocument* document, RoomKey key, QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("Delete Room"), parent)
    , document(document)
    , key(key)
{
}

void DeleteRoomStep::redo()
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

void DeleteRoomStep::undo()
{
    document->insertRoom(position, record, key);
    // In the room's own order, so each goes back to its index here; the other room's list
    // lacks only this door, so its index there is right too.
    for (const DoorPlace& d : std::as_const(doors))
        document->insertDoor(key, d.indexHere, d.other, d.indexThere, d.perm);
    document->select(key);
}

// Changing a room

ChangeRoomStep::ChangeRoomStep(TMetaroomDocument* document, RoomKey key, const RoomRecord& after,
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

void ChangeRoomStep::apply(const RoomRecord& values)
{
    document->setShape(key, values.shape);
    document->setRoomType(key, values.roomtype);
    document->setMusic(key, values.music);
    document->setLevels(key, values.levels);
}

void ChangeRoomStep::redo()
{
    apply(after);
}

void ChangeRoomStep::undo()
{
    apply(before);
}

bool ChangeRoomStep::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const ChangeRoomStep*>(other);
    if (next->mergeKey != mergeKey || next->key != key)
        return false;
    after = next->after;
    setObsolete(after == before);
    return true;
}

// Doors

SetDoorStep::SetDoorStep(TMetaroomDocument* document, RoomKey a, RoomKey b, int perm, const QString& text,
                               QUndoCommand* parent)
    : QUndoCommand(text, parent)
    , document(document)
    , a(a)
    , b(b)
    , perm(perm)
{
}

void SetDoorStep::redo()
{
    before = document->doorPerm(a, b);
    document->setDoor(a, b, perm);
}

void SetDoorStep::undo()
{
    if (before)
        document->setDoor(a, b, *before);
    else
        document->removeDoor(a, b);   // it was added at the ends of both lists
}

RemoveDoorStep::RemoveDoorStep(TMetaroomDocument* document, RoomKey a, RoomKey b, QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("Delete Door"), parent)
    , document(document)
    , a(a)
    , b(b)
{
}

void RemoveDoorStep::redo()
{
    indexInA = document->doorIndex(a, b);
    indexInB = document->doorIndex(b, a);
    if (indexInA >= 0)
        perm = *document->doorPerm(a, b);
    document->removeDoor(a, b);
}

void RemoveDoorStep::undo()
{
    if (indexInA >= 0)
        document->insertDoor(a, indexInA, b, indexInB, perm);
}

// Metaroom values

MetaroomStep::MetaroomStep(TMetaroomDocument* document, const MetaroomValues& after, const QString& text,
                                 int mergeKey, QUndoCommand* parent)
    : QUndoCommand(text, parent)
    , document(document)
    , before(document->metaroom())
    , after(after)
    , mergeKey(mergeKey)
{
}

void MetaroomStep::redo()
{
    document->setMetaroom(after);
}

void MetaroomStep::undo()
{
    document->setMetaroom(before);
}

bool MetaroomStep::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const MetaroomStep*>(other);
    if (next->mergeKey != mergeKey)
        return false;
    after = next->after;
    setObsolete(after == before);
    return true;
}

// Picture and surface

PictureStep::PictureStep(TMetaroomDocument* document, const PictureGrid& grid, QSize surface,
                               const QString& text, QUndoCommand* parent)
    : QUndoCommand(text, parent)
    , document(document)
    , gridAfter(grid)
    , surfaceAfter(surface)
{
}

void PictureStep::redo()
{
    gridBefore = document->grid();
    surfaceBefore = document->surfaceSize();
    document->setGrid(gridAfter);
    document->setSurfaceSize(surfaceAfter);
}

void PictureStep::undo()
{
    document->setGrid(gridBefore);
    document->setSurfaceSize(surfaceBefore);
}

SurfaceSizeStep::SurfaceSizeStep(TMetaroomDocument* document, QSize size, QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("Resize Surface"), parent)
    , document(document)
    , after(size)
{
}

void SurfaceSizeStep::redo()
{
    before = document->surfaceSize();
    document->setSurfaceSize(after);
}

void SurfaceSizeStep::undo()
{
    document->setSurfaceSize(before);
}

// A step carried out part by part

void AppliedStep::redo()
{
    if (applied) {
        applied = false;
        return;
    }
    QUndoCommand::redo();
}
