#include "testsupport.h"

#include "core/common/errors.h"
#include "background/blockpicture.h"
#include "rooms/room.h"

#include <QScrollArea>
#include <QScrollBar>
#include <climits>
#include <random>

namespace {

bool isTile(const QObject* child)
{
    return qstrcmp(child->metaObject()->className(), "TImage") == 0;
}

// Empty when the tiles lie below every room, the room that lost the selection just above
// them and the selected room (if given) in front; otherwise what is wrong.
QString stackingFault(const QWidget* panel, const TRoom* previous, const TRoom* selected)
{
    const QObjectList& children = panel->children();
    const auto firstRoom = std::find_if_not(children.begin(), children.end(), isTile);
    if (std::any_of(firstRoom, children.end(), isTile))
        return QStringLiteral("a tile above a room");
    if (firstRoom == children.end() || *firstRoom != previous)
        return QStringLiteral("the room that lost the selection is not just above the tiles");
    if (selected && children.last() != selected)
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
};

void TestRoomList::addRooms()
{
    Editor e;
    e.main->Panel->resize(2000, 2000);   // scrolled or not, a new room comes at the top-left
    e.main->scbImage->horizontalScrollBar()->setValue(500);
    e.main->AddRoom();
    TRoom* first = e.main->Rooms[0];
    QCOMPARE(first->geometry(), QRect(0, 0, 100, 100));
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
    QVERIFY(e.main->Panel->findChildren<TRoom*>().isEmpty());
    e.main->DeleteRoom();   // nothing left: nothing happens
    QVERIFY(e.main->Rooms.isEmpty());
}

void TestRoomList::tilesStayBehindRooms()
{
    // Any mix of selections, rooms added, and tiles added (above everything, as a load
    // puts them), removed or sent back (as an import does). Selecting the selected room
    // again through the list changes no place.
    Editor e;
    QWidget* panel = e.main->Panel;
    std::mt19937 random(7);
    auto pick = [&](qsizetype n) { return std::uniform_int_distribution<qsizetype>(0, n - 1)(random); };
    for (int i = 0; i < 3; ++i)
        e.main->AddRoom();
    for (int step = 0; step < 300; ++step) {
        const QList<TImage*> tiles = panel->findChildren<TImage*>();
        TRoom* previous = e.main->SelectedRoom;
        TRoom* next = e.main->Rooms[pick(e.main->Rooms.size())];
        TImage* tile = tiles.isEmpty() ? nullptr : tiles[pick(tiles.size())];
        const QObjectList before = panel->children();
        switch (pick(7)) {
        case 0:
            (new TImage(panel))->show();
            continue;
        case 1:
            delete tile;
            continue;
        case 2:
            if (tile)
                tile->lower();
            continue;
        case 3:
            e.main->AddRoom();
            next = e.main->Rooms.last();
            break;
        case 4:
            e.tool->ShownRoom = nullptr;
            e.main->SelectRoom(next);   // the script reader's way: not brought forward
            QCOMPARE(e.tool->ShownRoom, next);
            if (next == previous)
                QCOMPARE(panel->children(), before);
            break;
        default:
            next->Select();
        }
        if (next != previous) {
            const QString fault = stackingFault(panel, previous, e.main->SelectedRoom->isSelected() ? next : nullptr);
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

PLSD_TEST_MAIN(TestRoomList)
#include "tst_roomlist.moc"
