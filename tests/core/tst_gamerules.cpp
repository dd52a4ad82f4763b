#include "core/rules/gamerules.h"
#include "core/common/gridindex.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

ScriptRoom room(int xl, int xr, int ytl, int ytr, int ybl, int ybr, int roomtype = 0, const QString& music = {})
{
    return {xl, xr, ytl, ytr, ybl, ybr, roomtype, music, {}, {}};
}

// A 10 x 10 square with its top-left corner at (x, y).
ScriptRoom square(int x, int y)
{
    return room(x, x + 10, y, y, y + 10, y + 10);
}

void link(RoomDefs& defs, int a, int b, int perm)
{
    defs.rooms[a].doors.append({b, perm});
    defs.rooms[b].doors.append({a, perm});
}

RoomDefs mapOf(const QList<ScriptRoom>& rooms, int subRoomStartID = 1000)
{
    RoomDefs defs;
    defs.metaRoomID = 7;
    defs.subRoomStartID = subRoomStartID;
    defs.rooms = rooms;
    return defs;
}

QList<Finding> findingsOf(const RoomDefs& defs, GameRule rule, QSize picture = {})
{
    QList<Finding> found;
    for (const Finding& f : CheckGameRules(defs, picture)) {
        if (f.rule == rule)
            found.append(f);
    }
    return found;
}

QList<QList<int>> roomsOf(const QList<Finding>& findings)
{
    QList<QList<int>> rooms;
    for (const Finding& f : findings)
        rooms.append(f.rooms);
    return rooms;
}

using Rooms = QList<QList<int>>;

} // namespace

class TestGameRules : public QObject {
    Q_OBJECT
private slots:
    void contact_data();
    void contact();
    void indexFindsWhatAllPairsFind();
    void gridIndexFindsWhatEveryBoxFinds();
    void sharedEdgesOfAGrid();
    void doors();
    void roomTypesAndReversedWalls();
    void limits();
    void texts();
    void outsideThePicture();
    void pairFindingsAndOrder();
};

void TestGameRules::contact_data()
{
    QTest::addColumn<ScriptRoom>("a");
    QTest::addColumn<ScriptRoom>("b");
    QTest::addColumn<Meeting>("edge");
    QTest::addColumn<Meeting>("almost");
    QTest::addColumn<bool>("overlap");

    const ScriptRoom a = square(0, 0);
    const auto none = Meeting::None, walls = Meeting::Walls, floors = Meeting::FloorAndCeiling;
    QTest::newRow("walls meet") << a << room(10, 20, 5, 5, 15, 15) << walls << none << false;
    QTest::newRow("walls meet at one corner only") << a << square(10, 10) << none << none << false;
    QTest::newRow("walls 1 apart") << a << room(11, 20, 5, 5, 15, 15) << none << walls << false;
    QTest::newRow("walls 3 apart") << a << room(13, 20, 5, 5, 15, 15) << none << walls << false;
    QTest::newRow("walls 4 apart") << a << room(14, 20, 5, 5, 15, 15) << none << none << false;
    QTest::newRow("walls 2 into each other") << a << room(8, 20, 5, 5, 15, 15) << none << walls << true;
    QTest::newRow("floor on ceiling") << a << square(5, 10) << floors << none << false;
    QTest::newRow("floor 1 above ceiling") << a << square(5, 11) << floors << none << false;
    QTest::newRow("floor 1 below ceiling") << a << square(5, 9) << floors << none << false;
    QTest::newRow("floor 2 above ceiling") << a << square(5, 12) << none << floors << false;
    QTest::newRow("floor 3 below ceiling") << a << square(5, 7) << none << floors << true;
    QTest::newRow("floor 4 above ceiling") << a << square(5, 14) << none << none << false;
    QTest::newRow("floor meets ceiling at one corner") << a << square(10, 10) << none << none << false;
    QTest::newRow("floor and ceiling touch at one point") << a << room(5, 15, 10, 20, 30, 30) << none << none
                                                          << false;
    // The sloped floor (0,10)-(10,20) is at y 20 at x 10; the ceilings reach 21 and 21.5 there.
    const ScriptRoom sloped = room(0, 10, 0, 0, 10, 20);
    QTest::newRow("sloped floor within 1") << sloped << room(5, 15, 15, 27, 40, 40) << floors << none << false;
    QTest::newRow("sloped floor 1.5 away") << sloped << room(5, 15, 15, 28, 40, 40) << none << floors << false;
    QTest::newRow("inside") << room(0, 100, 0, 0, 100, 100) << square(20, 20) << none << none << true;
    QTest::newRow("wholly above, sloped") << room(0, 20, 0, 10, 10, 20) << room(5, 15, 30, 30, 40, 40) << none
                                          << none << false;
    // Two bands that cross: each is above the other at one end.
    QTest::newRow("crossing bands") << room(0, 10, 10, 0, 11, 1) << room(0, 10, 0, 10, 1, 11) << none << none << true;
    QTest::newRow("reversed walls meet nothing") << a << room(20, 10, 0, 0, 10, 10) << none << none << false;
    QTest::newRow("ceiling under floor meets nothing") << a << room(10, 20, 10, 10, 0, 0) << none << none << false;
}

void TestGameRules::contact()
{
    QFETCH(ScriptRoom, a);
    QFETCH(ScriptRoom, b);
    QFETCH(Meeting, edge);
    QFETCH(Meeting, almost);
    QFETCH(bool, overlap);

    const RoomContact c = ContactOf(a, b);
    QCOMPARE(c.edge, edge);
    QCOMPARE(c.almost, almost);
    QCOMPARE(c.overlap, overlap);
    QCOMPARE(ShareEdge(a, b), edge != Meeting::None);
    QCOMPARE(ContactOf(b, a), c);
}

// The grid of buckets must find every pair that trying all pairs finds, and no other.
void TestGameRules::indexFindsWhatAllPairsFind()
{
    QRandomGenerator random(1515);
    const auto near = [&](int lattice) { return lattice * 10 + random.bounded(-4, 5); };
    QMap<QString, int> kinds;   // of contact, to see the maps hold each
    for (int map = 0; map < 300; ++map) {
        RoomDefs defs;
        const int count = random.bounded(2, 40);
        for (int k = 0; k < count; ++k) {
            // Corners near a coarse lattice, so that walls and floors often meet or nearly do.
            const int x = random.bounded(0, 8), y = random.bounded(0, 8);
            const int w = random.bounded(1, 4), h = random.bounded(1, 3);
            ScriptRoom r = room(near(x), near(x + w), near(y), near(y), near(y + h), near(y + h));
            if (random.bounded(20) == 0)
                std::swap(r.xl, r.xr);
            defs.rooms.append(r);
        }
        if (map % 10 == 0)   // a room far away coarsens the grid
            defs.rooms.append(square(1'000'000'000, -1'000'000'000));
        if (map % 7 == 0)   // one that covers the others
            defs.rooms.append(room(-50, 150, -50, -40, 140, 150));

        QList<RoomPair> expected;
        for (int a = 0; a < defs.rooms.size(); ++a) {
            for (int b = a + 1; b < defs.rooms.size(); ++b) {
                const RoomContact c = ContactOf(defs.rooms[a], defs.rooms[b]);
                if (c.any())
                    expected.append({a, b, c});
                kinds[QStringLiteral("edge %1").arg(int(c.edge))] += 1;
                kinds[QStringLiteral("almost %1").arg(int(c.almost))] += 1;
                kinds[QStringLiteral("overlap")] += c.overlap;
            }
        }
        QCOMPARE(RoomsInContact(defs), expected);
    }
    QCOMPARE(kinds.size(), 7);
    for (auto k = kinds.cbegin(); k != kinds.cend(); ++k)
        QVERIFY2(k.value() > 100, qPrintable(k.key()));
}

void TestGameRules::sharedEdgesOfAGrid()
{
    // 0 1
    // 2 3, and a room 4 at a corner of 3 only.
    const RoomDefs defs = mapOf({square(0, 0), square(10, 0), square(0, 10), square(10, 10), square(20, 20)});
    const QList<SharedEdge> edges = SharedEdges(defs);
    QCOMPARE(edges.size(), 4);
    const QList<std::pair<int, int>> pairs = {{0, 1}, {0, 2}, {1, 3}, {2, 3}};
    const QList<QLineF> lines = {QLineF(10, 0, 10, 10), QLineF(0, 10, 10, 10), QLineF(10, 10, 20, 10),
                                 QLineF(10, 10, 10, 20)};
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(std::pair(edges[k].a, edges[k].b), pairs[k]);
        QCOMPARE(edges[k].line, lines[k]);
    }
}

void TestGameRules::doors()
{
    // 0 and 1 share a wall, 2 shares nothing; 3 is below 0.
    RoomDefs defs = mapOf({square(0, 0), square(10, 0), square(100, 100), square(0, 10)});
    link(defs, 0, 1, 100);
    link(defs, 0, 3, 0);
    QVERIFY(CheckGameRules(defs, {}).isEmpty());   // permeabilities 0 and 100 are fine

    link(defs, 1, 2, 50);
    link(defs, 0, 1, 101);
    link(defs, 3, 0, -1);
    defs.rooms[1].doors.append({7, 50});   // a room that is not there
    const QList<Finding> withoutEdge = findingsOf(defs, GameRule::DoorWithoutEdge);
    QCOMPARE(roomsOf(withoutEdge), (Rooms{{1, 2}, {1}}));
    QCOMPARE(withoutEdge[0].message, QStringLiteral("Door between rooms 1001 and 1002, which share no edge: the game "
                                                    "stops the script at this line: the rooms made before it keep the doors the "
                                                    "game made on their shared edges, at permeability 100, and every later "
                                                    "line is lost."));
    QVERIFY(withoutEdge[1].message.contains(QStringLiteral("room 1007, which is not in the metaroom")));
    const QList<Finding> permeability = findingsOf(defs, GameRule::DoorPermeability);
    QCOMPARE(roomsOf(permeability), (Rooms{{0, 1}, {0, 3}}));
    QVERIFY(permeability[0].message.contains(QStringLiteral("permeability 101")));
    QCOMPARE(permeability[1].severity, Severity::Error);

    // A shared edge with no door line is open; the game makes a door there.
    defs = mapOf({square(0, 0), square(10, 0)});
    const QList<Finding> notes = CheckGameRules(defs, {});
    QCOMPARE(notes.size(), 1);
    QCOMPARE(notes[0].rule, GameRule::EdgeWithoutDoor);
    QCOMPARE(notes[0].severity, Severity::Note);
    QCOMPARE(notes[0].rooms, (QList<int>{0, 1}));
}

void TestGameRules::roomTypesAndReversedWalls()
{
    RoomDefs defs = mapOf({room(0, 10, 0, 0, 10, 10, 0), room(20, 30, 0, 0, 10, 10, 15), room(40, 50, 0, 0, 10, 10, 16),
                           room(60, 70, 0, 0, 10, 10, -1), room(90, 90, 0, 0, 10, 10), room(100, 110, 6, 0, 5, 10),
                           room(120, 130, 0, 12, 10, 11), room(140, 150, 0, 10, 10, 10), room(160, 170, 10, 0, 10, 10)});
    QCOMPARE(roomsOf(findingsOf(defs, GameRule::RoomType)), (Rooms{{2}, {3}}));
    const QList<Finding> reversed = findingsOf(defs, GameRule::ReversedWalls);
    QCOMPARE(roomsOf(reversed), (Rooms{{4}, {5}, {6}}));
    QVERIFY(reversed[0].message.contains(QStringLiteral("left wall at x 90, not left of its right wall at x 90")));
    // Wedges (rooms 7 and 8, ceiling meeting floor on one wall) are rooms; before, the
    // right wall's wedge was reported, and the left wall's was changed by the load first.
    QVERIFY(reversed[1].message.contains(QStringLiteral("left wall a ceiling at y 6, below the floor at y 5")));
    QVERIFY(reversed[2].message.contains(QStringLiteral("right wall a ceiling at y 12, below the floor at y 11")));
    QVERIFY(reversed[2].message.contains(QStringLiteral("its rmsc line stops the script")));

    // A door to a room with reversed walls is left to that room's finding.
    defs.rooms[4] = room(10, 10, 0, 0, 10, 10);
    link(defs, 0, 4, 50);
    QVERIFY(findingsOf(defs, GameRule::DoorWithoutEdge).isEmpty());
}

void TestGameRules::limits()
{
    QList<ScriptRoom> rooms;
    for (int k = 0; k < 12; ++k)
        rooms.append(square(20 * k, 0));

    RoomDefs defs = mapOf(rooms, 1988);
    defs.metaRoomID = 199;
    QVERIFY(CheckGameRules(defs, {}).isEmpty());   // room 1999 is the last that fits

    defs.subRoomStartID = 1990;
    QList<Finding> found = CheckGameRules(defs, {});
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].rule, GameRule::RoomNumber);
    QCOMPARE(found[0].rooms, (QList<int>{10, 11}));
    QVERIFY(found[0].message.startsWith(QStringLiteral("Rooms 2000 to 2001 have numbers of 2,000 or more")));

    defs.subRoomStartID = 2000;
    defs.metaRoomID = 200;
    found = CheckGameRules(defs, {});
    QCOMPARE(found.size(), 2);   // the ignored base takes the room numbers with it
    QCOMPARE(found[0].rule, GameRule::MetaroomNumber);
    QCOMPARE(found[1].rule, GameRule::RoomBase);
    QVERIFY(found[1].message.contains(QStringLiteral("ignores the brmi line")));

    defs.subRoomStartID = 0;
    defs.metaRoomID = 0;
    while (defs.rooms.size() <= 2000)
        defs.rooms.append(square(20 * int(defs.rooms.size()), 0));
    found = CheckGameRules(defs, {});
    QCOMPARE(found.size(), 2);
    QCOMPARE(found[0].rule, GameRule::RoomCount);
    QVERIFY(found[0].message.contains(QStringLiteral("2001 rooms")));
    QCOMPARE(found[1].rooms.size(), 1);
    QVERIFY(found[1].message.startsWith(QStringLiteral("Room 2000 has a number")));
}

void TestGameRules::texts()
{
    RoomDefs defs = mapOf({square(0, 0), square(20, 0), square(40, 0)});
    defs.metaroomFilename = QStringLiteral("C:\\c3\\Gar\x01" "den.blk");
    defs.metaroomMusic = QString(600, u'm');
    // escapes are fine, a tab and a line break among them
    defs.rooms[0].music = QStringLiteral("main.mng\\\\vivariumgarden \"a\"\t\n");
    defs.rooms[2].music = QStringLiteral("bell\x07");
    const QList<Finding> found = findingsOf(defs, GameRule::Text);
    QCOMPARE(roomsOf(found), (Rooms{{}, {}, {2}}));
    QCOMPARE(found[0].message, QStringLiteral("The background name has the control character 1: the game refuses "
                                              "the whole script and makes none of its rooms."));
    QCOMPARE(found[1].message, QStringLiteral("The metaroom music has 600 bytes, more than the game's 511: the game "
                                              "overflows its text buffer when it reads this line."));
    QVERIFY(found[2].message.startsWith(QStringLiteral("The music of room 1002 has the control character 7: the game refuses")));
}

void TestGameRules::outsideThePicture()
{
    const RoomDefs defs = mapOf({room(0, 100, 0, 0, 50, 50), room(90, 110, 0, 0, 10, 10), room(0, 10, -1, 0, 10, 10),
                                 room(200, 210, 0, 0, 10, 10), room(0, 10, 60, 60, 70, 70)});
    const QList<Finding> found = findingsOf(defs, GameRule::OutsidePicture, QSize(100, 50));
    QCOMPARE(roomsOf(found), (Rooms{{1}, {2}, {3}, {4}}));
    QVERIFY(found[0].message.contains(QStringLiteral("partly outside the picture of 100 x 50 pixels")));
    QVERIFY(found[2].message.contains(QStringLiteral("wholly outside")));
    QCOMPARE(found[0].severity, Severity::Warning);
    QVERIFY(findingsOf(defs, GameRule::OutsidePicture, QSize()).isEmpty());
}

void TestGameRules::pairFindingsAndOrder()
{
    // 1 lies inside 0; 2 has its wall 2 pixels from 0's; 3 its ceiling 3 pixels under 0's floor;
    // 4 shares a wall with 2 and has a door to it; 5 type 20, a door from 3 to 5 of 200.
    RoomDefs defs = mapOf({square(0, 0), room(2, 8, 2, 2, 8, 8), room(12, 20, 0, 0, 10, 10), square(0, 13),
                           room(20, 30, 0, 0, 10, 10), room(50, 60, 50, 50, 60, 60, 20)});
    link(defs, 2, 4, 60);
    link(defs, 3, 5, 200);
    const QList<Finding> found = CheckGameRules(defs, QSize(55, 55));
    QList<GameRule> rules;
    for (const Finding& f : found)
        rules.append(f.rule);
    QCOMPARE(rules, (QList<GameRule>{GameRule::RoomType, GameRule::DoorWithoutEdge, GameRule::DoorPermeability,
                                     GameRule::Overlap, GameRule::OutsidePicture, GameRule::AlmostDoor,
                                     GameRule::AlmostDoor}));
    QCOMPARE(found[3].rooms, (QList<int>{0, 1}));
    QCOMPARE(found[3].message, QStringLiteral("Rooms 1000 and 1001 overlap: where they do, the game may take a point "
                                              "to be in either."));
    QCOMPARE(found[5].rooms, (QList<int>{0, 2}));
    QVERIFY(found[5].message.contains(QStringLiteral("walls 1 to 3 pixels apart")));
    QCOMPARE(found[6].rooms, (QList<int>{0, 3}));
    QVERIFY(found[6].message.contains(QStringLiteral("a floor and a ceiling 2 to 3 pixels apart")));
    QCOMPARE(CheckGameRules(defs, QSize(55, 55)), found);
}

QTEST_APPLESS_MAIN(TestGameRules)
// Random boxes put in, moved (far, or a few pixels) and taken out, some small, some over many cells, some far
// out or negative; every look-up gives what trying every box gives.
void TestGameRules::gridIndexFindsWhatEveryBoxFinds()
{
    QRandomGenerator random(16);
    auto randomBox = [&random] {
        const qint64 x = random.bounded(-600, 1400);
        const qint64 y = random.bounded(-600, 1400);
        switch (random.bounded(8)) {
        case 0:   // over more cells than the index keeps
            return GridIndex::Box{x - 40000, y, x + 40000, y + random.bounded(0, 300)};
        case 1:   // far out
            return GridIndex::Box{x * 1000000, y * 1000000, x * 1000000 + 5, y * 1000000 + 5};
        default:
            return GridIndex::Box{x, y, x + random.bounded(0, 300), y + random.bounded(0, 300)};
        }
    };
    GridIndex index(64);
    QHash<quint64, GridIndex::Box> kept;
    for (int round = 0; round < 3000; ++round) {
        const quint64 id = random.bounded(200);
        if (random.bounded(4) == 0) {
            index.remove(id);
            kept.remove(id);
        } else if (random.bounded(3) == 0 && kept.contains(id)) {   // a step of a drag
            GridIndex::Box box = kept.value(id);
            const qint64 dx = random.bounded(-3, 4), dy = random.bounded(-3, 4);
            box = {box.x0 + dx, box.y0 + dy, box.x1 + dx + random.bounded(2), box.y1 + dy};
            index.insert(id, box);
            kept.insert(id, box);
        } else {
            const GridIndex::Box box = randomBox();
            index.insert(id, box);
            kept.insert(id, box);
        }
        const GridIndex::Box area = random.bounded(10) == 0 ? GridIndex::Box{-100000, -5, 100000, 5} : randomBox();
        QList<quint64> expected;
        for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
            if (it->meets(area))
                expected.append(it.key());
        }
        std::sort(expected.begin(), expected.end());
        QCOMPARE(index.find(area), expected);
        QCOMPARE(index.size(), kept.size());
    }
}

#include "tst_gamerules.moc"
