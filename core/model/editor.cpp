#include "core/model/editor.h"

#include "core/model/commands.h"

#include <QUndoStack>

MetaroomEditor::MetaroomEditor(QObject* parent)
    : QObject(parent)
    , doc(new TMetaroomDocument(this))
    , stack(new QUndoStack(this))
{
    stack->setObjectName(QStringLiteral("UndoStack"));
}

MetaroomEditor::~MetaroomEditor()
{
    // The steps go first, while the document they refer to is still there.
    stack->disconnect();
    delete stack;
    doc->disconnect();
    delete doc;
}

int MetaroomEditor::mergeKeyFor(EditRun& run) const
{
    const int here = stack->index();
    if (run.key == 0 || here != run.index || here == 0 || stack->command(here - 1) != run.top)
        run.key = NewMergeKey();
    return run.key;
}

int MetaroomEditor::newMergeKey()
{
    return NewMergeKey();
}

void MetaroomEditor::continueRun(EditRun& run) const
{
    run.index = stack->index();
    run.top = run.index > 0 ? stack->command(run.index - 1) : nullptr;
}

RoomKey MetaroomEditor::addRoom(const RoomRecord& record, RoomKey linkFrom, int perm)
{
    auto* add = new AddRoomCommand(doc, record);
    if (linkFrom == 0) {
        stack->push(add);
        return add->key();
    }
    stack->beginMacro(QStringLiteral("Add Room"));
    stack->push(add);
    stack->push(new SetDoorCommand(doc, linkFrom, add->key(), perm, QStringLiteral("Add Door")));
    stack->endMacro();
    return add->key();
}

void MetaroomEditor::deleteRoom(RoomKey key)
{
    if (doc->contains(key))
        stack->push(new DeleteRoomCommand(doc, key));
}

void MetaroomEditor::changeRoom(RoomKey key, const RoomRecord& after, const QString& text, int mergeKey)
{
    if (!doc->contains(key))
        return;
    RoomRecord record = after;
    record.doors = doc->room(key).doors;   // doors change only through their own steps
    if (record == doc->room(key))
        return;
    stack->push(new ChangeRoomCommand(doc, key, record, text, mergeKey));
}

void MetaroomEditor::setRoomShape(RoomKey key, const RoomShape& shape, const QString& text, int mergeKey)
{
    if (!doc->contains(key))
        return;
    RoomRecord record = doc->room(key);
    record.shape = shape;
    changeRoom(key, record, text, mergeKey);
}

void MetaroomEditor::setRoomType(RoomKey key, int roomtype)
{
    if (!doc->contains(key))
        return;
    RoomRecord record = doc->room(key);
    record.roomtype = roomtype;
    changeRoom(key, record, QStringLiteral("Change Room Type"));
}

void MetaroomEditor::setRoomMusic(RoomKey key, const QString& music)
{
    if (!doc->contains(key))
        return;
    RoomRecord record = doc->room(key);
    record.music = music;
    changeRoom(key, record, QStringLiteral("Change Room Music"));
}

void MetaroomEditor::setDoor(RoomKey a, RoomKey b, int perm)
{
    if (!doc->contains(a) || !doc->contains(b))
        return;
    const std::optional<int> now = doc->doorPerm(a, b);
    if (now == perm)
        return;
    stack->push(new SetDoorCommand(doc, a, b, perm, now ? QStringLiteral("Update Door") : QStringLiteral("Add Door")));
}

void MetaroomEditor::removeDoor(RoomKey a, RoomKey b)
{
    if (doc->contains(a) && doc->doorIndex(a, b) >= 0)
        stack->push(new RemoveDoorCommand(doc, a, b));
}

void MetaroomEditor::setMetaroom(const MetaroomValues& values, const QString& text, int mergeKey)
{
    if (values != doc->metaroom())
        stack->push(new MetaroomCommand(doc, values, text, mergeKey));
}

void MetaroomEditor::installPicture(const PictureGrid& grid, QSize surface, const QString& text)
{
    stack->push(new PictureCommand(doc, grid, surface, text));
}
