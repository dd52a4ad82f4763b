// Doors picked on the map: a door waiting in the toolbox for its second room, and the pair
// of rooms of a shared edge clicked on the map.
#include "app/application.h"
#include "app/main.h"
#include "app/statusbar.h"
#include "app/toolbox.h"
#include "core/common/intconv.h"
#include "view/mapscene.h"
#include "view/room.h"

#include <QAction>
#include <QLineEdit>
#include <QTabWidget>

void TfrmMainForm::createDoorPicking()
{
    cancelDoor = new QAction(this);
    cancelDoor->setObjectName(QStringLiteral("CancelDoor1"));
    cancelDoor->setShortcut(QKeySequence(Qt::Key_Escape));
    // Also while the keyboard is in a floating toolbox; only while a door waits.
    cancelDoor->setShortcutContext(Qt::ApplicationShortcut);
    cancelDoor->setEnabled(false);
    addAction(cancelDoor);
    connect(cancelDoor, &QAction::triggered, this, &TfrmMainForm::CancelPendingDoor);
    connect(Panel, &TMapScene::offRoomsPressed, this, &TfrmMainForm::CancelPendingDoor);
    connect(this, &TfrmMainForm::modeChanged, this, &TfrmMainForm::CancelPendingDoor);
    connect(Panel, &TMapScene::sharedEdgeClicked, this, [this](RoomKey first, RoomKey second) {
        plsd::runGuarded([this, first, second] { SharedEdgeClicked(first, second); });
    });
    // A door made or changed for the pair: the line says what it is now.
    connect(Document, &TMetaroomDocument::doorsChanged, this, [this](RoomKey a, RoomKey b) {
        const bool pair = (a == edgePair.first && b == edgePair.second) || (a == edgePair.second && b == edgePair.first);
        if (pair && !edgePairLine.isEmpty() && StatusBar->text() == edgePairLine)
            showEdgePair();
    });
}

void TfrmMainForm::CancelPendingDoor()
{
    if (frmToolbox)
        frmToolbox->DoorPending = false;
}

void TfrmMainForm::followDoorPending(bool pending)
{
    cancelDoor->setEnabled(pending);
    const RoomKey from = frmToolbox && frmToolbox->ShownRoom ? frmToolbox->ShownRoom->key() : 0;
    for (TRoom* room : std::as_const(Rooms)) {
        if (pending && room->key() != from)
            room->setCursor(Qt::PointingHandCursor);
        else
            room->unsetCursor();
    }
    if (pending) {
        doorWaitingLine = QStringLiteral("Door from room %1 waiting: click another room to link it, Esc cancels")
                              .arg(IntToStr(Document->positionOf(from)));
        StatusBar->setText(doorWaitingLine);
    } else if (!doorWaitingLine.isEmpty()) {
        if (StatusBar->text() == doorWaitingLine)
            StatusBar->setText(QString());
        doorWaitingLine.clear();
    }
}

void TfrmMainForm::SharedEdgeClicked(RoomKey first, RoomKey second)
{
    if (!Document->contains(first) || !Document->contains(second))
        return;
    CancelPendingDoor();
    if (Document->selection() != first)
        Document->select(first);
    if (!frmToolbox)
        return;
    frmToolbox->PageControl1->setCurrentWidget(frmToolbox->TabSheet2);
    frmToolbox->ShowDoorTo(second);
    // A permeability typed next goes to their door.
    frmToolbox->edtPerm->setFocus(Qt::OtherFocusReason);
    frmToolbox->edtPerm->selectAll();
    edgePair = {first, second};
    showEdgePair();
}

void TfrmMainForm::showEdgePair()
{
    const auto [first, second] = edgePair;
    if (!Document->contains(first) || !Document->contains(second))
        return;
    const QString pair = QStringLiteral("Rooms %1 and %2")
                             .arg(IntToStr(Document->positionOf(first)), IntToStr(Document->positionOf(second)));
    if (const std::optional<int> perm = Document->doorPerm(first, second))
        edgePairLine = QStringLiteral("%1: door at %2; type a permeability and press Return to change it")
                           .arg(pair, IntToStr(*perm));
    else
        edgePairLine = QStringLiteral("%1 share an edge without a door line: type a permeability and press "
                                      "Return to make one")
                           .arg(pair);
    StatusBar->setText(edgePairLine);
}
