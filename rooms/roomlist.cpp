// The main window's room list: adding, deleting and selecting rooms, and the widgets that
// follow the document's rooms and selection.
#include "core/common/errors.h"
#include "core/model/commands.h"
#include "app/main.h"
#include "app/tool.h"
#include "rooms/room.h"
#include "rooms/tilestacking.h"

#include <QString>
#include <QUndoStack>

namespace {

TileStacking* tileStackingOf(TfrmMainForm* form)
{
    auto* stacking = form->findChild<TileStacking*>(QString(), Qt::FindDirectChildrenOnly);
    return stacking ? stacking : new TileStacking(form->Panel, form);
}

} // namespace

void TfrmMainForm::AddRoom()
{
    // A new room at the picture's top-left, whatever part of it is in view. A door pending
    // in the toolbox links it with the room shown there, in the same step; its permeability
    // is read first, so a bad one adds nothing.
    const std::optional<TfrmToolbox::PendingDoor> door = frmToolbox ? frmToolbox->pendingDoor() : std::nullopt;
    if (!door) {
        Push(new AddRoomCommand(Document, RoomRecord{}));
        return;
    }
    UndoStack->beginMacro(QStringLiteral("Add Room"));
    auto* add = new AddRoomCommand(Document, RoomRecord{});
    Push(add);
    Push(new SetDoorCommand(Document, door->from, add->key(), door->perm, QStringLiteral("Add Door")));
    UndoStack->endMacro();
}

void TfrmMainForm::DeleteRoom()
{
    // The document selects the first room left, or none.
    if (SelectedRoom)
        Push(new DeleteRoomCommand(Document, SelectedRoom->key()));
}

void TfrmMainForm::SelectRoom(TRoom* room)
{
    if (!room)
        return;
    // While a door is pending, selecting another room links it with the shown one instead.
    if (frmToolbox && frmToolbox->CompletePendingDoor(room))
        return;
    if (Document->selection() == room->key()) {
        if (frmToolbox)
            frmToolbox->ShowRoom(room);   // selecting the selected room refreshes the toolbox
        return;
    }
    Document->select(room->key());
}

TRoom* TfrmMainForm::RoomByIndex(int index) const
{
    if (index < 0 || index >= Rooms.size())
        throw ListIndexError();
    return Rooms[index];
}

// Following the document

void TfrmMainForm::followRoomInserted(int position, RoomKey key)
{
    auto* room = new TRoom(this, key);
    roomWidgets.insert(key, room);
    Rooms.insert(position, room);
}

void TfrmMainForm::followRoomRemoved(int position, RoomKey key)
{
    TRoom* room = Rooms.takeAt(position);
    roomWidgets.remove(key);
    if (SelectedRoom == room)
        SelectedRoom = nullptr;
    room->hide();
    delete room;
}

void TfrmMainForm::followSelection(RoomKey now, RoomKey before)
{
    // Exactly one room looks selected: the document's. The room that lost the selection
    // goes back to just above the tiles, restacked before it repaints itself.
    if (TRoom* previous = roomOf(before)) {
        tileStackingOf(this)->placeAboveTiles(previous);
        previous->Deselect();
    }
    SelectedRoom = roomOf(now);
    if (SelectedRoom)
        SelectedRoom->showSelected();
}
