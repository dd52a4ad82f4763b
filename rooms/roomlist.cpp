// The main window's room list: adding, deleting and selecting rooms.
#include "core/common/errors.h"
#include "app/main.h"
#include "app/tool.h"
#include "rooms/room.h"
#include "rooms/tilestacking.h"

#include <QString>
#include <algorithm>

namespace {

TileStacking* tileStackingOf(TfrmMainForm* form)
{
    auto* stacking = form->findChild<TileStacking*>(QString(), Qt::FindDirectChildrenOnly);
    return stacking ? stacking : new TileStacking(form->Panel, form);
}

// A room's position in the list, or -1. Ids follow the positions, so they are tried first.
int positionIn(const QList<TRoom*>& rooms, const TRoom* room)
{
    if (room->id >= 0 && room->id < rooms.size() && rooms[room->id] == room)
        return room->id;
    return int(rooms.indexOf(room));
}

} // namespace

void TfrmMainForm::AddRoom()
{
    auto* room = new TRoom(Panel);
    room->setLeft(0);   // the picture's top-left, whatever part of it is in view
    room->setTop(0);
    room->parentForm = this;
    room->show();
    Rooms.append(room);
    room->Select();
    // A door completed by the toolbox during Select selects the room it showed; this
    // leaves the new room selected and shown.
    SelectRoom(room);
}

void TfrmMainForm::DeleteRoom()
{
    if (TRoom* room = SelectedRoom) {
        const int position = positionIn(Rooms, room);
        room->hide();
        if (position >= 0)
            Rooms.removeAt(position);
        SelectedRoom = nullptr;
        delete room;   // takes the doors that led to it along
        // The rooms behind it moved one place forward: their ids follow at once.
        for (int i = std::max(position, 0); i < Rooms.size(); ++i)
            Rooms[i]->id = i;
        if (!Rooms.isEmpty())
            SelectRoom(Rooms.first());
        else if (frmToolbox)
            frmToolbox->ShowRoom(nullptr);
    }
    if (SelectedRoom)
        SelectedRoom->Select();
}

void TfrmMainForm::SelectRoom(TRoom* room)
{
    if (!room)
        return;
    if (SelectedRoom && SelectedRoom != room) {
        // Restacked before it repaints itself, the room is painted once in its new place.
        TRoom* previous = SelectedRoom;
        tileStackingOf(this)->placeAboveTiles(previous);
        previous->Deselect();
    }
    SelectedRoom = room;
    room->id = positionIn(Rooms, room);
    if (frmToolbox)
        frmToolbox->ShowRoom(room);
}

TRoom* TfrmMainForm::RoomByIndex(int index) const
{
    if (index < 0 || index >= Rooms.size())
        throw ListIndexError();
    return Rooms[index];
}
