// The main window's room list: adding, deleting and selecting rooms, and the list of room
// items that follows the document's rooms and selection.
#include "core/common/errors.h"
#include "core/model/editor.h"
#include "core/model/roomplacement.h"
#include "core/model/snapshot.h"
#include "app/application.h"
#include "app/main.h"
#include "app/toolbox.h"
#include "view/room.h"
#include "view/mapscene.h"
#include "view/mapview.h"

#include <QString>
#include <cmath>

void TfrmMainForm::AddRoom()
{
    // At the middle of what the map shows; while it shows nothing (the window not on
    // screen), where the picture starts.
    if (!scbImage->isVisible()) {
        AddRoomAt(MiddleOf(RoomShape{}));
        return;
    }
    const QPointF middle = scbImage->mapToScene(scbImage->viewport()->rect().center());
    AddRoomAt(QPoint(int(std::floor(middle.x())), int(std::floor(middle.y()))));
}

void TfrmMainForm::AddRoomAt(QPoint picturePixel)
{
    // A new room centred on the pixel, held on the picture (or the surface while there is
    // none). A door pending in the toolbox links it with the room shown there, in the same
    // step; its permeability is read first, so a bad one adds nothing.
    const QSize picture = PictureSize(Document->grid());
    const QRect area(QPoint(0, 0), picture.isEmpty() ? Document->surfaceSize() : picture);
    RoomRecord record;
    record.shape = NewRoomAt(picturePixel, area);
    const std::optional<TfrmToolbox::PendingDoor> door = frmToolbox ? frmToolbox->pendingDoor() : std::nullopt;
    const RoomKey added = door ? Editor->addRoom(record, door->from, door->perm) : Editor->addRoom(record);
    // The view scrolls to show the new room.
    if (TRoom* room = roomOf(added))
        scbImage->ensureVisible(room, 0, 0);
}

void TfrmMainForm::DeleteRoom()
{
    // Every selected room goes, in one step; the document selects the first room left, or none.
    if (SelectedRoom)
        Editor->deleteRooms(Document->selectedRooms());
}

void TfrmMainForm::SelectRoom(TRoom* room)
{
    if (!room)
        return;
    // While a door is pending, selecting another room links it with the shown one instead.
    if (frmToolbox && frmToolbox->CompletePendingDoor(room))
        return;
    if (Document->selection() == room->key() && Document->selectedRooms().size() == 1) {
        if (frmToolbox)
            frmToolbox->ShowRoom(room);   // selecting the selected room refreshes the toolbox
        return;
    }
    Document->select(room->key());   // that room alone
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
    // Panel made the room's item first.
    TRoom* room = roomOf(key);
    room->parentForm = this;
    Rooms.insert(position, room);
}

void TfrmMainForm::followRoomRemoved(int position, RoomKey)
{
    // Panel has deleted the room's item already.
    if (SelectedRoom == Rooms.takeAt(position))
        SelectedRoom = nullptr;
}

void TfrmMainForm::followSelection(RoomKey now, RoomKey)
{
    // The document's current room; Panel gives the selected rooms their look and their
    // stacking.
    SelectedRoom = roomOf(now);
}
