#include "testsupport.h"

#include "core/common/errors.h"
#include "view/room.h"

#include <QUndoStack>

namespace {

// Rooms of a main window's document.
struct Rooms {
    explicit Rooms(int count)
    {
        for (int i = 0; i < count; ++i)
            main.AddRoom();
        room = main.Rooms;
    }
    TfrmMainForm main;
    QList<TRoom*> room;
};

QList<TRoom*> targets(const TRoom* room)
{
    QList<TRoom*> list;
    for (int i = 0; i < room->doorCount(); ++i)
        list.append(room->DoorAt(i)->target);
    return list;
}

} // namespace

class TestDoor : public QObject {
    Q_OBJECT
private slots:
    void pairsMadeUpdatedAndRemovedInOneCall();
    void doorToItselfAndLookups();
    void deletingARoomRemovesTheDoorsToIt();
};

void TestDoor::pairsMadeUpdatedAndRemovedInOneCall()
{
    Rooms r(4);
    TRoom* r1 = r.room[0];
    for (int i = 1; i <= 3; ++i)
        r1->SetDoor(r.room[i], 10 * i);
    QCOMPARE(targets(r1), (QList<TRoom*>{r.room[1], r.room[2], r.room[3]}));
    QCOMPARE(targets(r.room[2]), (QList<TRoom*>{r1}));
    QCOMPARE(r.room[2]->DoorTo(r1)->perm, 20);

    // Updated in place, both ways; through the door's perm too.
    r1->SetDoor(r.room[1], 70);
    QCOMPARE(targets(r1), (QList<TRoom*>{r.room[1], r.room[2], r.room[3]}));
    QCOMPARE(r.room[1]->DoorTo(r1)->perm, 70);
    r.room[3]->DoorTo(r1)->perm = 35;
    QCOMPARE(r1->DoorAt(2)->perm, 35);
    const int steps = r.main.UndoStack->count();
    r1->SetDoor(r.room[1], 70);   // nothing to change: no step
    QCOMPARE(r.main.UndoStack->count(), steps);

    // Removing takes both doors of the pair, from either side, and closes the gap.
    r1->RemoveDoor(r.room[2]);
    r.room[3]->RemoveDoor(r1);
    QCOMPARE(targets(r1), (QList<TRoom*>{r.room[1]}));
    QCOMPARE(r.room[2]->doorCount() + r.room[3]->doorCount(), 0);
    QVERIFY(r1->DoorTo(r.room[3]) == nullptr);
    r1->RemoveDoor(r.room[2]);   // none left: no step
    QCOMPARE(r.main.UndoStack->count(), steps + 2);

    // Undo puts each pair back where it was in both lists.
    r.main.UndoStack->undo();
    r.main.UndoStack->undo();
    QCOMPARE(targets(r1), (QList<TRoom*>{r.room[1], r.room[2], r.room[3]}));
    QCOMPARE(targets(r.room[3]), (QList<TRoom*>{r1}));
    QCOMPARE(r.room[3]->DoorTo(r1)->perm, 35);
}

void TestDoor::doorToItselfAndLookups()
{
    Rooms r(2);
    TRoom* room = r.room[0];
    room->SetDoor(room, 20);
    room->SetDoor(r.room[1], 30);
    QCOMPARE(targets(room), (QList<TRoom*>{room, r.room[1]}));
    for (int index : {-1, 2}) {
        try {
            room->DoorAt(index);
            QFAIL("no error");
        } catch (const ListIndexError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("List index out of bounds"));
        }
    }
    room->RemoveDoor(room);
    QCOMPARE(targets(room), (QList<TRoom*>{r.room[1]}));
    QVERIFY(room->DoorTo(nullptr) == nullptr);
}

void TestDoor::deletingARoomRemovesTheDoorsToIt()
{
    Rooms r(4);
    TRoom* gone = r.room[1];
    r.room[0]->SetDoor(r.room[2], 1);
    r.room[0]->SetDoor(gone, 2);
    r.room[0]->SetDoor(r.room[3], 3);
    gone->SetDoor(r.room[3], 5);
    gone->Select();
    r.main.DeleteRoom();
    QCOMPARE(targets(r.room[0]), (QList<TRoom*>{r.room[2], r.room[3]}));
    QCOMPARE(targets(r.room[3]), (QList<TRoom*>{r.room[0]}));

    // Undo brings the room back at its place with every door where it was.
    r.main.UndoStack->undo();
    QCOMPARE(r.main.Rooms.size(), 4);
    TRoom* back = r.main.Rooms[1];
    QCOMPARE(targets(r.main.Rooms[0]), (QList<TRoom*>{r.room[2], back, r.room[3]}));
    QCOMPARE(targets(back), (QList<TRoom*>{r.room[0], r.room[3]}));
    QCOMPARE(targets(r.room[3]), (QList<TRoom*>{r.room[0], back}));
    QCOMPARE(back->DoorTo(r.room[3])->perm, 5);
}

PLSD_TEST_MAIN(TestDoor)
#include "tst_door.moc"
