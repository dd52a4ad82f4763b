#include "testsupport.h"

#include "app/errors.h"
#include "rooms/room.h"

#include <memory>

namespace {

// Rooms on a bare panel: doors need no main window.
struct Rooms {
    explicit Rooms(int count)
    {
        for (int i = 0; i < count; ++i)
            room.push_back(new TRoom(&panel));
    }
    QWidget panel;
    std::vector<TRoom*> room;
};

QList<TRoom*> targets(const TRoom* room)
{
    QList<TRoom*> list;
    for (int i = 0; i < room->doorCount(); ++i)
        list.append(room->DoorAt(i)->target);
    return list;
}

void link(TRoom* a, TRoom* b, int perm)
{
    a->SetDoor(b, perm);
    b->SetDoor(a, perm);
}

} // namespace

class TestDoor : public QObject {
    Q_OBJECT
private slots:
    void setDoorMakesOrUpdates();
    void removeDoorTakesBothOfThePair();
    void removalKeepsTheOrder();
    void doorToItself();
    void lookupsOutsideTheList();
    void destroyingARoomRemovesTheDoorsToIt();
    void deleteRoomKeepsTheOtherDoors();
};

void TestDoor::setDoorMakesOrUpdates()
{
    Rooms r(4);
    TRoom* r1 = r.room[0];
    r1->SetDoor(r.room[1], 30);
    r1->SetDoor(r.room[2], 40);
    r1->SetDoor(r.room[1], 70);
    QCOMPARE(r1->doorCount(), 2);
    QCOMPARE(r1->DoorAt(0)->target, r.room[1]);
    QCOMPARE(r1->DoorAt(0)->perm, 70);
    QCOMPARE(r1->DoorTo(r.room[1]), r1->DoorAt(0));
    QCOMPARE(r1->DoorTo(r.room[2])->perm, 40);
    QVERIFY(r1->DoorTo(r.room[3]) == nullptr);
    // One way only, and any permeability.
    QCOMPARE(r.room[1]->doorCount(), 0);
    r1->SetDoor(r.room[3], -5);
    QCOMPARE(r1->DoorTo(r.room[3])->perm, -5);
}

void TestDoor::removeDoorTakesBothOfThePair()
{
    Rooms r(2);
    TRoom* r1 = r.room[0];
    TRoom* r2 = r.room[1];
    link(r1, r2, 50);
    r1->RemoveDoor(r2);
    QCOMPARE(r1->doorCount(), 0);
    QCOMPARE(r2->doorCount(), 0);

    link(r1, r2, 50);
    r2->RemoveDoor(r1);
    QCOMPARE(r1->doorCount(), 0);
    QCOMPARE(r2->doorCount(), 0);

    // Without a door of its own the room removes nothing, not even the door towards it.
    r2->SetDoor(r1, 10);
    r1->RemoveDoor(r2);
    QCOMPARE(r2->doorCount(), 1);
}

void TestDoor::removalKeepsTheOrder()
{
    Rooms r(4);
    TRoom* r1 = r.room[0];
    for (int i = 1; i <= 3; ++i)
        link(r1, r.room[i], i);
    r1->RemoveDoor(r.room[2]);
    QCOMPARE(targets(r1), (QList<TRoom*>{r.room[1], r.room[3]}));
    QCOMPARE(r.room[2]->doorCount(), 0);
    r1->SetDoor(r.room[2], 9);   // made again: at the end
    QCOMPARE(targets(r1), (QList<TRoom*>{r.room[1], r.room[3], r.room[2]}));
}

void TestDoor::doorToItself()
{
    Rooms r(2);
    TRoom* room = r.room[0];
    link(room, room, 20);
    QCOMPARE(room->doorCount(), 1);
    QCOMPARE(room->DoorTo(room)->perm, 20);
    room->RemoveDoor(room);
    QCOMPARE(room->doorCount(), 0);

    link(room, room, 20);
    link(room, r.room[1], 30);
    delete room;   // a room with a door to itself goes cleanly
    QCOMPARE(r.room[1]->doorCount(), 0);
}

void TestDoor::lookupsOutsideTheList()
{
    Rooms r(2);
    link(r.room[0], r.room[1], 5);
    for (int index : {-1, 1, 1000}) {
        try {
            r.room[0]->DoorAt(index);
            QFAIL("no error");
        } catch (const ListIndexError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("List index out of bounds"));
        }
    }
    QCOMPARE(r.room[0]->doorCount(), 1);

    // Raised in a handler, it reaches the user as a message.
    ErrorCapture errors;
    plsd::runGuarded([&] { r.room[1]->DoorAt(1); });
    QCOMPARE(errors.messages, QStringList({"List index out of bounds"}));
}

void TestDoor::destroyingARoomRemovesTheDoorsToIt()
{
    Rooms r(4);
    TRoom* gone = r.room[1];
    link(r.room[0], r.room[2], 1);
    link(r.room[0], gone, 2);
    link(r.room[0], r.room[3], 3);
    // Doors made one way only go as well, from either side.
    r.room[2]->SetDoor(gone, 4);
    gone->SetDoor(r.room[3], 5);
    delete gone;
    QCOMPARE(targets(r.room[0]), (QList<TRoom*>{r.room[2], r.room[3]}));
    QCOMPARE(targets(r.room[2]), (QList<TRoom*>{r.room[0]}));
    QCOMPARE(targets(r.room[3]), (QList<TRoom*>{r.room[0]}));
    // The rooms left keep no trace of it: they can go too.
    delete r.room[3];
    QCOMPARE(targets(r.room[0]), (QList<TRoom*>{r.room[2]}));
}

void TestDoor::deleteRoomKeepsTheOtherDoors()
{
    Editor e;
    for (int i = 0; i < 4; ++i)
        e.main->AddRoom();
    TRoom* r1 = e.main->Rooms[0];
    TRoom* r2 = e.main->Rooms[1];
    TRoom* r3 = e.main->Rooms[2];
    TRoom* r4 = e.main->Rooms[3];
    link(r1, r3, 1);
    link(r1, r2, 2);
    link(r1, r4, 3);
    link(r3, r2, 4);
    link(r3, r4, 5);
    r2->Select();
    e.main->DeleteRoom();
    QCOMPARE(targets(r1), (QList<TRoom*>{r3, r4}));
    QCOMPARE(targets(r3), (QList<TRoom*>{r1, r4}));
    // Door targets name the rooms by their new positions.
    QCOMPARE(e.main->RoomByIndex(r1->DoorAt(0)->target->id), r3);
    QCOMPARE(e.main->RoomByIndex(r1->DoorAt(1)->target->id), r4);
}

PLSD_TEST_MAIN(TestDoor)
#include "tst_door.moc"
