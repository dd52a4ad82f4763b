#include "testsupport.h"

#include "app/errors.h"
#include "background/blockpicture.h"
#include "rooms/room.h"

#include <QScrollArea>
#include <QScrollBar>
#include <climits>
#include <random>

namespace {

TImage* addTile(QWidget* panel, int column, int row)
{
    auto* tile = new TImage(panel);
    tile->setGeometry(128 * column, 128 * row, 128, 128);
    tile->show();
    return tile;
}

bool isTile(const QObject* child)
{
    return qstrcmp(child->metaObject()->className(), "TImage") == 0;
}

// Every tile below every room, the room that lost the selection just above the tiles,
// the selected room in front.
bool stackedAsAfterSelection(const QWidget* panel, const TRoom* previous, const TRoom* selected, QString* why)
{
    const QObjectList& children = panel->children();
    qsizetype tiles = 0;
    while (tiles < children.size() && isTile(children[tiles]))
        ++tiles;
    for (qsizetype i = tiles; i < children.size(); ++i) {
        if (isTile(children[i])) {
            *why = QStringLiteral("a tile at %1 above a room").arg(i);
            return false;
        }
    }
    if (previous && (tiles >= children.size() || children[tiles] != previous)) {
        *why = QStringLiteral("the room that lost the selection is not just above the tiles");
        return false;
    }
    if (selected && children.last() != selected) {
        *why = QStringLiteral("the selected room is not in front");
        return false;
    }
    return true;
}

#define VERIFY_STACKING(panel, previous, selected)                          \
    do {                                                                     \
        QString why;                                                         \
        QVERIFY2(stackedAsAfterSelection(panel, previous, selected, &why),  \
                 qPrintable(why));                                           \
    } while (false)

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
    void addRoom();
    void addThreeRooms();
    void deleteSelectsTheFirstRoom();
    void deleteTheOnlyRoom();
    void worksWithoutToolbox();
    void selectTheSelectedRoomAgain();
    void tilesStayBehindRooms();
    void stackingThroughAnySequence();
    void roomByIndex();
};

void TestRoomList::addRoom()
{
    Editor e;
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    e.main->Panel->resize(2000, 2000);
    e.main->scbImage->horizontalScrollBar()->setValue(500);
    e.main->scbImage->verticalScrollBar()->setValue(300);

    e.main->AddRoom();
    QCOMPARE(e.main->Rooms.size(), 1);
    TRoom* room = e.main->Rooms[0];
    QCOMPARE(room->id, 0);
    QCOMPARE(room->xl(), 2);
    QCOMPARE(room->ytl(), 2);
    QCOMPARE(room->xr(), 97);
    QCOMPARE(room->ybr(), 97);
    QCOMPARE(room->geometry(), QRect(0, 0, 100, 100));
    QCOMPARE(room->parentForm, e.main);
    QVERIFY(room->isVisible());
    QVERIFY(room->isSelected());
    QCOMPARE(e.main->SelectedRoom, room);
    QCOMPARE(e.tool->ShownRoom, room);
}

void TestRoomList::addThreeRooms()
{
    Editor e;
    for (int i = 0; i < 3; ++i)
        e.main->AddRoom();
    const QList<TRoom*>& rooms = e.main->Rooms;
    QCOMPARE(idsOf(rooms), (QList<int>{0, 1, 2}));
    QCOMPARE(e.main->SelectedRoom, rooms[2]);
    QVERIFY(!rooms[0]->isSelected());
    QVERIFY(!rooms[1]->isSelected());
    QVERIFY(rooms[2]->isSelected());
    QCOMPARE(rooms[0]->cursor().shape(), Qt::ArrowCursor);
    VERIFY_STACKING(e.main->Panel, rooms[1], rooms[2]);
}

void TestRoomList::deleteSelectsTheFirstRoom()
{
    Editor e;
    for (int i = 0; i < 4; ++i)
        e.main->AddRoom();
    TRoom* r1 = e.main->Rooms[0];
    TRoom* r3 = e.main->Rooms[2];
    TRoom* r4 = e.main->Rooms[3];
    e.main->Rooms[1]->Select();
    e.main->DeleteRoom();

    QCOMPARE(e.main->Rooms, (QList<TRoom*>{r1, r3, r4}));
    QCOMPARE(e.main->SelectedRoom, r1);
    QVERIFY(r1->isSelected());
    QCOMPARE(e.tool->ShownRoom, r1);
    // Every room behind the deleted one has its new position at once.
    QCOMPARE(idsOf(e.main->Rooms), (QList<int>{0, 1, 2}));
    QCOMPARE(e.main->RoomByIndex(r4->id), r4);
    QCOMPARE(e.main->Panel->findChildren<TRoom*>().size(), 3);

    // Whichever room goes, the first one is selected next.
    r4->Select();
    e.main->DeleteRoom();
    QCOMPARE(e.main->SelectedRoom, r1);
    e.main->DeleteRoom();
    QCOMPARE(e.main->SelectedRoom, r3);
    QCOMPARE(r3->id, 0);
    QVERIFY(r3->isSelected());
}

void TestRoomList::deleteTheOnlyRoom()
{
    Editor e;
    e.main->AddRoom();
    e.main->DeleteRoom();
    QVERIFY(e.main->Rooms.isEmpty());
    QVERIFY(e.main->SelectedRoom == nullptr);
    QVERIFY(e.tool->ShownRoom == nullptr);
    QVERIFY(e.main->Panel->findChildren<TRoom*>().isEmpty());
    e.main->DeleteRoom();   // nothing to delete
    QVERIFY(e.main->SelectedRoom == nullptr);

    // A room selected only through the list is deleted the same way.
    e.main->AddRoom();
    e.main->AddRoom();
    e.main->SelectedRoom = nullptr;
    e.main->DeleteRoom();   // no selected room: nothing happens
    QCOMPARE(e.main->Rooms.size(), 2);
}

void TestRoomList::worksWithoutToolbox()
{
    TfrmMainForm main;
    main.AddRoom();
    main.AddRoom();
    QCOMPARE(main.SelectedRoom, main.Rooms[1]);
    main.DeleteRoom();
    main.DeleteRoom();
    QVERIFY(main.Rooms.isEmpty());
    QVERIFY(main.SelectedRoom == nullptr);
}

void TestRoomList::selectTheSelectedRoomAgain()
{
    Editor e;
    for (int i = 0; i < 3; ++i)
        e.main->AddRoom();
    addTile(e.main->Panel, 0, 0);
    TRoom* selected = e.main->Rooms[2];
    const QObjectList before = e.main->Panel->children();
    e.tool->ShownRoom = nullptr;
    e.main->SelectRoom(selected);
    QCOMPARE(e.main->Panel->children(), before);
    QCOMPARE(e.main->SelectedRoom, selected);
    QVERIFY(selected->isSelected());
    QCOMPARE(e.tool->ShownRoom, selected);
}

void TestRoomList::tilesStayBehindRooms()
{
    Editor e;
    QWidget* panel = e.main->Panel;
    for (int i = 0; i < 3; ++i)
        e.main->AddRoom();
    TRoom* r1 = e.main->Rooms[0];
    TRoom* r2 = e.main->Rooms[1];
    TRoom* r3 = e.main->Rooms[2];

    // A load puts its tiles above the rooms; the next selection change sends them back.
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 2; ++r)
            addTile(panel, c, r);
    r1->Select();
    VERIFY_STACKING(panel, r3, r1);
    r2->Select();
    VERIFY_STACKING(panel, r1, r2);

    // The tiles of a second load, which replace the first ones, go back as well.
    qDeleteAll(panel->findChildren<TImage*>());
    for (int c = 0; c < 2; ++c)
        addTile(panel, c, 0);
    r3->Select();
    VERIFY_STACKING(panel, r2, r3);

    // Selected through the list alone: the room is not brought forward.
    e.main->SelectRoom(r2);
    VERIFY_STACKING(panel, r3, nullptr);
    QCOMPARE(panel->children().last(), r1);

    // By the mouse.
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    r1->setLeft(150);
    QTest::mouseClick(r1, Qt::LeftButton, {}, QPoint(50, 50));
    VERIFY_STACKING(panel, r2, r1);
}

void TestRoomList::stackingThroughAnySequence()
{
    Editor e;
    QWidget* panel = e.main->Panel;
    std::mt19937 random(7);
    auto pick = [&](qsizetype n) { return std::uniform_int_distribution<qsizetype>(0, n - 1)(random); };
    for (int i = 0; i < 5; ++i)
        e.main->AddRoom();
    for (int step = 0; step < 300; ++step) {
        switch (pick(6)) {
        case 0:
            addTile(panel, int(pick(4)), int(pick(4)));
            break;
        case 1:
            if (const QList<TImage*> tiles = panel->findChildren<TImage*>(); !tiles.isEmpty())
                delete tiles[pick(tiles.size())];
            break;
        case 2:
            if (const QList<TImage*> tiles = panel->findChildren<TImage*>(); !tiles.isEmpty())
                tiles[pick(tiles.size())]->lower();
            break;
        case 3: {
            TRoom* previous = e.main->SelectedRoom;
            e.main->AddRoom();
            VERIFY_STACKING(panel, previous, e.main->Rooms.last());
            break;
        }
        default: {
            TRoom* previous = e.main->SelectedRoom;
            TRoom* next = e.main->Rooms[pick(e.main->Rooms.size())];
            next->Select();
            if (next != previous)
                VERIFY_STACKING(panel, previous, next);
            break;
        }
        }
    }
}

void TestRoomList::roomByIndex()
{
    Editor e;
    for (int i = 0; i < 2; ++i)
        e.main->AddRoom();
    QCOMPARE(e.main->RoomByIndex(1), e.main->Rooms[1]);
    for (int index : {-1, 2, INT_MIN, INT_MAX}) {
        try {
            e.main->RoomByIndex(index);
            QFAIL("no error");
        } catch (const ListIndexError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("List index out of bounds"));
        }
    }
    QCOMPARE(e.main->Rooms.size(), 2);
    QCOMPARE(e.main->SelectedRoom, e.main->Rooms[1]);
}

PLSD_TEST_MAIN(TestRoomList)
#include "tst_roomlist.moc"
