#include "testsupport.h"
#include "core/model/roomplacement.h"
#include "core/model/editor.h"

#include "core/common/errors.h"
#include "core/model/steps.h"
#include "view/room.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QUndoStack>
#include <QScrollBar>
#include <climits>
#include <random>

namespace {

// Empty when the picture lies below every room, the room that lost the selection just above
// it and the selected room (if given) in front; otherwise what is wrong.
QString stackingFault(const TMapScene& panel, const TRoom* previous, const TRoom* selected)
{
    if (!roomsAbovePicture(panel))
        return QStringLiteral("a picture above a room");
    QList<QGraphicsItem*> rooms;
    for (QGraphicsItem* item : panel.items(Qt::AscendingOrder)) {
        if (item->type() == TRoom::Type)
            rooms.append(item);
    }
    if (rooms.isEmpty() || rooms.first() != previous)
        return QStringLiteral("the room that lost the selection is not just above the picture");
    if (selected && rooms.last() != selected)
        return QStringLiteral("the selected room is not in front");
    return {};
}

QList<int> idsOf(const QList<TRoom*>& rooms)
{
    QList<int> ids;
    for (const TRoom* room : rooms)
        ids.append(room->id);
    return ids;
}

} // namespace

class TestRoomList : public QObject {
    Q_OBJECT
private slots:
    void addRooms();
    void deleteRooms();
    void tilesStayBehindRooms();
    void roomByIndex();
    void mapMenuSplitsAndExtends();
    void toolboxChangesEverySelectedRoom();
};

void TestRoomList::addRooms()
{
    Editor e;
    e.main->Document->setSurfaceSize(QSize(2000, 2000));   // scrolled, a new room comes at the middle of the view
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    e.main->scbImage->horizontalScrollBar()->setValue(500);
    const QPointF middle = e.main->scbImage->mapToScene(e.main->scbImage->viewport()->rect().center());
    e.main->AddRoom();
    TRoom* first = e.main->Rooms[0];
    QCOMPARE(QSize(first->xr() - first->xl() + 5, first->ybr() - first->ytr() + 5), QSize(100, 100));
    QCOMPARE(MiddleOf(e.main->Document->room(first->key()).shape), QPoint(int(middle.x()), int(middle.y())));
    QVERIFY(first->xl() > 500);
    // and the view shows it
    QVERIFY(e.main->scbImage->mapToScene(e.main->scbImage->viewport()->rect()).boundingRect().contains(QPointF(first->xl(), first->ytl())));
    QCOMPARE(first->parentForm, e.main);
    QVERIFY(first->isSelected());
    QCOMPARE(e.tool->ShownRoom, first);

    e.main->AddRoom();
    e.main->AddRoom();
    QCOMPARE(idsOf(e.main->Rooms), (QList<int>{0, 1, 2}));
    QCOMPARE(e.main->SelectedRoom, e.main->Rooms[2]);
    QVERIFY(!first->isSelected() && !e.main->Rooms[1]->isSelected());

    TfrmMainForm alone;   // without a toolbox
    alone.AddRoom();
    alone.DeleteRoom();
    QVERIFY(alone.Rooms.isEmpty());
}

void TestRoomList::deleteRooms()
{
    Editor e;
    for (int i = 0; i < 4; ++i)
        e.main->AddRoom();
    const QList<TRoom*> r = e.main->Rooms;
    auto link = [](TRoom* a, TRoom* b) { a->SetDoor(b, 1); b->SetDoor(a, 1); };
    link(r[0], r[2]);
    link(r[0], r[1]);
    link(r[0], r[3]);

    r[1]->Select();
    e.main->DeleteRoom();
    QCOMPARE(e.main->Rooms, (QList<TRoom*>{r[0], r[2], r[3]}));
    QCOMPARE(e.main->SelectedRoom, r[0]);
    QVERIFY(r[0]->isSelected());
    QCOMPARE(e.tool->ShownRoom, r[0]);
    // Every room behind the deleted one has its new position at once, so doors lead right.
    QCOMPARE(idsOf(e.main->Rooms), (QList<int>{0, 1, 2}));
    QCOMPARE(r[0]->doorCount(), 2);
    QCOMPARE(e.main->RoomByIndex(r[0]->DoorAt(1)->target->id), r[3]);

    r[3]->Select();
    e.main->DeleteRoom();
    e.main->DeleteRoom();
    QCOMPARE(e.main->SelectedRoom, r[2]);
    QCOMPARE(r[2]->id, 0);
    e.main->DeleteRoom();
    QVERIFY(e.main->SelectedRoom == nullptr && e.tool->ShownRoom == nullptr);
    QVERIFY(e.main->Panel->items().size() == 0);
    e.main->DeleteRoom();   // nothing left: nothing happens
    QVERIFY(e.main->Rooms.isEmpty());
}

void TestRoomList::tilesStayBehindRooms()
{
    // Any mix of selections, rooms added, and pictures replaced (by load and import steps,
    // undone and redone). Selecting the selected room again through the list changes no place.
    Editor e;
    TMapScene& panel = *e.main->Panel;
    std::mt19937 random(7);
    auto pick = [&](qsizetype n) { return std::uniform_int_distribution<qsizetype>(0, n - 1)(random); };
    auto grid = [](int columns, int rows) {
        auto blocks = std::make_shared<TBlockList>();
        for (int k = 0; k < columns * rows; ++k)
            blocks->push_back(std::make_unique<TGraphicBlock>());
        return PictureGrid{blocks, columns, rows};
    };
    for (int i = 0; i < 3; ++i)
        e.main->AddRoom();
    for (int step = 0; step < 300; ++step) {
        if (e.main->Rooms.isEmpty())
            e.main->AddRoom();
        TRoom* previous = e.main->SelectedRoom;
        TRoom* next = e.main->Rooms[pick(e.main->Rooms.size())];
        const auto before = panel.items(Qt::AscendingOrder);
        switch (pick(5)) {
        case 0:
            e.main->Editor->installPicture(grid(int(1 + pick(3)), int(1 + pick(3))), QSize(384, 384),
                                           QStringLiteral("Open"));
            QVERIFY(roomsAbovePicture(panel));
            continue;
        case 1:
            e.main->UndoStack->undo();   // the picture before, or a room gone
            QVERIFY(roomsAbovePicture(panel));
            continue;
        case 2:
            e.main->AddRoom();
            next = e.main->Rooms.last();
            break;
        case 3:
            e.tool->ShownRoom = nullptr;
            e.main->SelectRoom(next);
            QCOMPARE(e.tool->ShownRoom, next);
            if (next == previous)
                QCOMPARE(panel.items(Qt::AscendingOrder), before);
            break;
        default:
            next->Select();
        }
        if (next != previous) {
            const QString fault = stackingFault(panel, previous, next);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }
    }
}

void TestRoomList::roomByIndex()
{
    Editor e;
    e.main->AddRoom();
    QCOMPARE(e.main->RoomByIndex(0), e.main->Rooms[0]);
    ErrorCapture errors;
    for (int index : {-1, 1, INT_MIN, INT_MAX})
        plsd::runGuarded([&] { e.main->RoomByIndex(index); });
    QCOMPARE(errors.messages, QStringList(4, "List index out of bounds"));
    QCOMPARE(e.main->Rooms.size(), 1);
}

// The map's context menu acts where it was opened: a room cut at the mouse, the parts
// joined by a door at the toolbox's permeability; a room added beyond the nearest side.
void TestRoomList::mapMenuSplitsAndExtends()
{
    Editor e;
    e.main->Document->setSurfaceSize(QSize(800, 600));
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    const RoomKey room = e.main->Editor->addRoom({RoomShape{100, 300, 100, 100, 200, 200}, 4, {}, {}, {}});
    e.tool->edtPerm->setText(QStringLiteral("35"));
    MapMouse mouse(e.main);

    mouse.menu(QPoint(20, 20));   // no room there
    QVERIFY(e.main->MapMenu->isVisible());
    QVERIFY(!e.main->findChild<QAction*>(QStringLiteral("SplitVertically1"))->isEnabled());
    e.main->MapMenu->hide();

    mouse.menu(QPoint(180, 150));
    QVERIFY(e.main->SplitVertically1->isEnabled());
    e.main->findChild<QAction*>(QStringLiteral("SplitVertically1"))->trigger();
    QCOMPARE(e.main->Rooms.size(), 2);
    QCOMPARE(e.main->Rooms[0]->xr(), 180);
    QCOMPARE(e.main->Rooms[1]->xl(), 180);
    QCOMPARE(e.main->Rooms[1]->roomtype, 4);
    QCOMPARE(e.main->Document->doorPerm(room, e.main->Rooms[1]->key()), std::optional<int>(35));

    mouse.menu(QPoint(150, 196));   // nearest the first room's floor
    e.main->findChild<QAction*>(QStringLiteral("AddRoomBeyond1"))->trigger();
    QCOMPARE(e.main->Rooms.size(), 3);
    QCOMPARE(e.main->SelectedRoom, e.main->Rooms[2]);
    QCOMPARE(e.main->Rooms[2]->ytl(), 200);
    QCOMPARE(e.main->Rooms[2]->xr(), 180);
    QCOMPARE(e.main->UndoStack->undoText(), QStringLiteral("Add Room Beyond"));
}

PLSD_TEST_MAIN(TestRoomList)
#include "tst_roomlist.moc"

// Type, music and Delete from the toolbox reach every selected room, each as one step;
// the toolbox shows the current room, and showing another changes none.
void TestRoomList::toolboxChangesEverySelectedRoom()
{
    Editor e;
    TMetaroomDocument* doc = e.main->Document;
    QUndoStack* stack = e.main->UndoStack;
    for (int i = 0; i < 4; ++i)
        e.main->AddRoom();
    e.main->Rooms[3]->roomtype = 5;
    const QList<RoomKey> rooms = doc->rooms();
    doc->selectRooms({rooms[0], rooms[1]}, rooms[1]);
    const int before = stack->index();

    // Ctrl+click on a room of another type shows it, and no field writes its type elsewhere.
    doc->toggleSelected(rooms[3]);
    QCOMPARE(e.tool->ShownRoom, e.main->Rooms[3]);
    QCOMPARE(e.tool->edtRoomType->text(), QStringLiteral("5"));
    QCOMPARE(stack->index(), before);
    QCOMPARE(e.main->Rooms[0]->roomtype, 0);

    auto* type = e.tool->findChild<QLineEdit*>("edtRoomType");
    type->setText(QStringLiteral("8"));
    auto* music = e.tool->findChild<QLineEdit*>("edtMusic");
    music->clear();
    QTest::keyClicks(music, "sea");
    QCOMPARE(stack->index(), before + 2);   // one step for the type, one for the keys typed
    for (const int i : {0, 1, 3}) {
        QCOMPARE(e.main->Rooms[i]->roomtype, 8);
        QCOMPARE(e.main->Rooms[i]->music, QStringLiteral("sea"));
    }
    QCOMPARE(e.main->Rooms[2]->roomtype, 0);
    stack->undo();
    stack->undo();
    QCOMPARE(e.main->Rooms[3]->roomtype, 5);
    QCOMPARE(e.main->Rooms[0]->roomtype, 0);
    QCOMPARE(stack->index(), before);   // the fields following the undo made no step

    // Delete Room takes all three in one step; the one left is selected.
    e.tool->findChild<QPushButton*>("btnDelRoom")->click();
    QCOMPARE(doc->rooms(), (QList<RoomKey>{rooms[2]}));
    QCOMPARE(e.main->SelectedRoom, e.main->Rooms[0]);
    stack->undo();
    QCOMPARE(doc->roomCount(), 4);
    QCOMPARE(doc->selectedRooms(), (QList<RoomKey>{rooms[0], rooms[1], rooms[3]}));
}
