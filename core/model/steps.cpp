#include "core/model/steps.h"

#include <algorithm>

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

// Changing several rooms

namespace {

// What a room step writes: everything but the doors.
void applyRecord(TMetaroomDocument* document, RoomKey key, const RoomRecord& values)
{
    document->setShape(key, values.shape);
    document->setRoomType(key, values.roomtype);
    document->setMusic(key, values.music);
    document->setLevels(key, values.levels);
}

} // namespace

ChangeRoomsStep::ChangeRoomsStep(TMetaroomDocument* document, const QList<std::pair<RoomKey, RoomRecord>>& after,
                                 const QString& text, int mergeKey, QUndoCommand* parent)
    : QUndoCommand(text, parent)
    , document(document)
    , mergeKey(mergeKey)
{
    changes.reserve(after.size());
    for (const auto& [key, record] : after) {
        Change change{key, document->room(key), record};
        change.before.doors.clear();
        change.after.doors.clear();
        changes.append(std::move(change));
    }
}

void ChangeRoomsStep::redo()
{
    const DocumentChanges together(document);
    for (const Change& c : std::as_const(changes))
        applyRecord(document, c.key, c.after);
}

void ChangeRoomsStep::undo()
{
    const DocumentChanges together(document);
    for (auto c = changes.crbegin(); c != changes.crend(); ++c)
        applyRecord(document, c->key, c->before);
}

bool ChangeRoomsStep::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const ChangeRoomsStep*>(other);
    if (next->mergeKey != mergeKey)
        return false;
    // A room both change keeps its first value before; a room only the next one changes
    // joins with its own.
    bool unchanged = true;
    for (const Change& n : next->changes) {
        auto here = std::find_if(changes.begin(), changes.end(), [&](const Change& c) { return c.key == n.key; });
        if (here == changes.end())
            changes.append(n);
        else
            here->after = n.after;
    }
    for (const Change& c : std::as_const(changes))
        unchanged = unchanged && c.after == c.before;
    setObsolete(unchanged);
    return true;
}

DeleteRoomsStep::DeleteRoomsStep(TMetaroomDocument* document, const QList<RoomKey>& keys)
    : QUndoCommand(keys.size() == 1 ? QStringLiteral("Delete Room") : QStringLiteral("Delete Rooms"))
    , document(document)
    , keys(keys)
    , selectedBefore(document->selectedRooms())
    , currentBefore(document->selection())
{
    for (const RoomKey key : keys)
        new DeleteRoomStep(document, key, this);
}

void DeleteRoomsStep::undo()
{
    QUndoCommand::undo();
    document->selectRooms(selectedBefore, currentBefore);
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
