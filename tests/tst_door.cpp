#include "testsupport.h"

#include "core/common/errors.h"
#include "rooms/room.h"

namespace {

// Rooms on a bare panel: doors need no main window.
struct Rooms {
    explicit Rooms(int count)
    {
        for (int i = 0; i < count; ++i)
            room.append(new TRoom(&panel));
    }
    QWidget panel;
    QList<TRoom*> room;
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
    void makeUpdateAndRemove();
    void doorToItselfAndLookups();
    void destroyingARoomRemovesTheDoorsToIt();
};

void TestDoor::makeUpdateAndRemove()
{
    Rooms r(4);
    TRoom* r1 = r.room[0];
    for (int i = 1; i <= 3; ++i)
        link(r1, r.room[i], 10 * i);
    r1->SetDoor(r.room[1], 70);   // updated in place, one way only
    QCOMPARE(targets(r1), (QList<TRoom*>{r.room[1], r.room[2], r.room[3]}));
    QCOMPARE(r1->DoorAt(0)->perm, 70);
    QCOMPARE(r.room[1]->DoorTo(r1)->perm, 10);

    // Removing takes both doors of the pair, from either side, and closes the gap.
    r1->RemoveDoor(r.room[2]);
    r.room[3]->RemoveDoor(r1);
    QCOMPARE(targets(r1), (QList<TRoom*>{r.room[1]}));
    QCOMPARE(r.room[2]->doorCount() + r.room[3]->doorCount(), 0);
    QVERIFY(r1->DoorTo(r.room[3]) == nullptr);

    // Without a door of its own a room removes nothing, not even the door towards it.
    r.room[2]->SetDoor(r1, 5);
    r1->RemoveDoor(r.room[2]);
    QCOMPARE(r.room[2]->doorCount(), 1);
}

void TestDoor::doorToItselfAndLookups()
{
    Rooms r(2);
    TRoom* room = r.room[0];
    link(room, room, 20);
    link(room, r.room[1], 30);
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
    link(room, room, 20);
    delete room;
    QCOMPARE(r.room[1]->doorCount(), 0);
}

void TestDoor::destroyingARoomRemovesTheDoorsToIt()
{
    Rooms r(4);
    TRoom* gone = r.room[1];
    link(r.room[0], r.room[2], 1);
    link(r.room[0], gone, 2);
    link(r.room[0], r.room[3], 3);
    r.room[2]->SetDoor(gone, 4);   // doors made one way only go as well, from either side
    gone->SetDoor(r.room[3], 5);
    delete gone;
    QCOMPARE(targets(r.room[0]), (QList<TRoom*>{r.room[2], r.room[3]}));
    QCOMPARE(targets(r.room[2]), (QList<TRoom*>{r.room[0]}));
    QCOMPARE(targets(r.room[3]), (QList<TRoom*>{r.room[0]}));
    delete r.room[3];   // the rooms left keep no trace of the one gone
    QCOMPARE(targets(r.room[0]), (QList<TRoom*>{r.room[2]}));
}

PLSD_TEST_MAIN(TestDoor)
#include "tst_door.moc"
