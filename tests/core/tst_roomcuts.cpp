// Rooms cut in two and rooms added beyond a side, as shapes and as the editor's steps.
#include "core/common/errors.h"
#include "core/model/editor.h"
#include "core/model/roomplacement.h"
#include "core/model/snapshot.h"
#include "core/rules/gamerules.h"

#include <QRandomGenerator>
#include <QUndoStack>
#include <QtTest>

namespace {

RoomRecord record(const RoomShape& shape, int roomtype = 0, const QString& music = {})
{
    RoomRecord r;
    r.shape = shape;
    r.roomtype = roomtype;
    r.music = music;
    return r;
}

bool shareEdge(const RoomShape& a, const RoomShape& b)
{
    return ShareEdge(ScriptRoomOf(a), ScriptRoomOf(b));
}

// How far (in y) the point lies outside the room, 0 inside: its walls bound x, its
// ceiling and floor run straight between the walls.
double outside(const RoomShape& r, double x, double y)
{
    if (x < r.xl || x > r.xr)
        return 1e9;
    const double across = r.xr == r.xl ? 0 : (x - r.xl) / double(r.xr - r.xl);
    const double ceiling = r.ytl + across * (r.ytr - r.ytl);
    const double floor = r.ybl + across * (r.ybr - r.ybl);
    return std::max({0.0, ceiling - y, y - floor});
}

// A random room, sloped or flat, now and then a wedge (ceiling meeting floor on one wall).
RoomShape randomRoom(QRandomGenerator& rng)
{
    const qint64 xl = rng.bounded(-500, 500), xr = xl + rng.bounded(2, 400);
    const qint64 ytl = rng.bounded(-500, 500), ytr = ytl + rng.bounded(-150, 150);
    qint64 ybl = ytl + rng.bounded(1, 300), ybr = ytr + rng.bounded(1, 300);
    if (rng.bounded(5) == 0)
        (rng.bounded(2) ? ybl : ybr) = rng.bounded(2) ? ytl : ytr;   // a wedge
    if (ybl == ytl && ybr == ytr)
        ++ybr;
    RoomShape r{xl, xr, ytl, ytr, ybl, ybr};
    if (r.ybl < r.ytl)
        r.ybl = r.ytl;
    if (r.ybr < r.ytr)
        r.ybr = r.ytr;
    return r;
}

} // namespace

class TestRoomCuts : public QObject {
    Q_OBJECT
private slots:
    void splitsShareAnEdgeAndCoverTheRoom();
    void splitStepMovesDoorsAndUndoes();
    void roomBeyondSharesTheWholeSide();
    void doorsOnAllSharedEdges();
    void newRoomHeldOnThePicture();
};

// Random rooms cut at random points: the two parts share an edge by the game's rule, every
// point of the room lies in a part, and every point of a part within a pixel of the room.
void TestRoomCuts::splitsShareAnEdgeAndCoverTheRoom()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator rng(seed);
    int cuts[2] = {0, 0};
    for (int round = 0; round < 2000; ++round) {
        const RoomShape room = randomRoom(rng);
        const bool vertical = rng.bounded(2);
        const qint64 x = rng.bounded(int(room.xl), int(room.xr) + 1);
        const qint64 y = rng.bounded(int(std::min(room.ytl, room.ytr)), int(std::max(room.ybl, room.ybr)) + 1);
        const auto parts = vertical ? SplitVertically(room, x) : SplitHorizontally(room, x, y);
        const QByteArray context = QStringLiteral("seed %1 round %2").arg(seed).arg(round).toLatin1();
        if (!parts)
            continue;
        ++cuts[vertical];
        const auto& [a, b] = *parts;
        QVERIFY2(shareEdge(a, b), context);
        QVERIFY2(!HasReversedWalls(ScriptRoomOf(a)) && !HasReversedWalls(ScriptRoomOf(b)), context);
        for (int i = 0; i < 40; ++i) {
            const double px = room.xl + rng.generateDouble() * double(room.xr - room.xl);
            const double py = std::min(room.ytl, room.ytr) +
                              rng.generateDouble() * double(std::max(room.ybl, room.ybr) - std::min(room.ytl, room.ytr));
            const double inRoom = outside(room, px, py);
            const double inParts = std::min(outside(a, px, py), outside(b, px, py));
            if (inRoom == 0)
                QVERIFY2(inParts <= 1, context);
            if (inParts == 0)
                QVERIFY2(inRoom <= 1, context);
        }
    }
    QVERIFY(cuts[0] > 500 && cuts[1] > 500);

    // A wedge cut next to its tip still leaves both parts a height at the cut.
    const RoomShape wedge{0, 100, 0, 50, 100, 50};
    const auto nearTip = SplitVertically(wedge, 99);
    QVERIFY(nearTip);
    QVERIFY(nearTip->first.ybr > nearTip->first.ytr);
    QVERIFY(!SplitVertically(wedge, 100));
    QVERIFY(!SplitHorizontally(wedge, 50, 200));
}

// One step: the room keeps its key, type, music and doors where the first part still
// meets the other room; a door line joins the parts; undo gives back the room as it was.
void TestRoomCuts::splitStepMovesDoorsAndUndoes()
{
    MetaroomEditor editor;
    TMetaroomDocument& doc = *editor.document();
    const RoomKey room = editor.addRoom(record({100, 300, 100, 100, 200, 200}, 5, QStringLiteral("tune")));
    const RoomKey west = editor.addRoom(record(RoomShape{0, 100, 100, 100, 200, 200}));
    const RoomKey east = editor.addRoom(record(RoomShape{300, 400, 100, 100, 200, 200}));
    const RoomKey under = editor.addRoom(record(RoomShape{100, 300, 200, 200, 300, 300}));
    editor.setDoor(room, west, 10);
    editor.setDoor(room, east, 20);
    editor.setDoor(room, under, 30);
    doc.select(room);
    const RoomRecord before = doc.room(room);
    const int steps = editor.undoStack()->count();

    const RoomKey part = editor.splitRoom(room, Qt::Vertical, 200, 150, 40);
    QCOMPARE(editor.undoStack()->count(), steps + 1);
    QCOMPARE(doc.positionOf(part), doc.positionOf(room) + 1);
    QCOMPARE(doc.room(room).shape, (RoomShape{100, 200, 100, 100, 200, 200}));
    QCOMPARE(doc.room(part).shape, (RoomShape{200, 300, 100, 100, 200, 200}));
    QCOMPARE(doc.room(part).roomtype, 5);
    QCOMPARE(doc.room(part).music, QStringLiteral("tune"));
    QCOMPARE(doc.doorPerm(room, west), std::optional<int>(10));
    QCOMPARE(doc.doorPerm(room, east), std::nullopt);
    QCOMPARE(doc.doorPerm(part, east), std::optional<int>(20));
    QCOMPARE(doc.doorPerm(room, under), std::optional<int>(30));   // both parts sit on it
    QCOMPARE(doc.doorPerm(part, under), std::optional<int>(30));
    QCOMPARE(doc.doorPerm(room, part), std::optional<int>(40));
    QCOMPARE(doc.selection(), room);
    const QList<Finding> findings = CheckGameRules(ToRoomDefs(doc), {});
    for (const Finding& f : findings)
        QVERIFY2(f.rule != GameRule::DoorWithoutEdge, qPrintable(f.message));

    editor.undoStack()->undo();
    QCOMPARE(doc.roomCount(), 4);
    QCOMPARE(doc.room(room), before);
    QVERIFY_THROWS_EXCEPTION(PlsdError, editor.splitRoom(room, Qt::Horizontal, 200, 250, 40));
    QCOMPARE(editor.undoStack()->index(), steps);
}

void TestRoomCuts::roomBeyondSharesTheWholeSide()
{
    MetaroomEditor editor;
    TMetaroomDocument& doc = *editor.document();
    doc.setSurfaceSize(QSize(1000, 600));
    const RoomShape sloped{200, 400, 100, 150, 300, 250};
    const RoomKey room = editor.addRoom(record(sloped, 3));
    editor.addRoom(record(RoomShape{450, 700, 0, 0, 500, 500}));   // 50 to the right

    struct Case {
        RoomSide side;
        RoomShape expected;
    };
    const QList<Case> cases{
        {RoomSide::RightWall, {400, 450, 150, 150, 250, 250}},   // stops at the next room
        {RoomSide::LeftWall, {0, 200, 100, 100, 300, 300}},      // stops at the picture's edge
        {RoomSide::Floor, {200, 400, 300, 250, 500, 450}},       // as high as the room
        {RoomSide::Ceiling, {200, 400, 0, 50, 100, 150}},        // up to the top
    };
    for (const Case& c : cases) {
        const RoomKey added = editor.addRoomBeyond(room, c.side);
        QCOMPARE(doc.room(added).shape, c.expected);
        QVERIFY(shareEdge(doc.room(room).shape, doc.room(added).shape));
        QCOMPARE(doc.selection(), added);
        editor.undoStack()->undo();
    }
    editor.addRoomBeyond(room, RoomSide::RightWall);
    QVERIFY_THROWS_EXCEPTION(PlsdError, editor.addRoomBeyond(room, RoomSide::RightWall));
}

void TestRoomCuts::doorsOnAllSharedEdges()
{
    MetaroomEditor editor;
    TMetaroomDocument& doc = *editor.document();
    QList<RoomKey> rooms;
    for (int i = 0; i < 6; ++i)   // a row of three over a row of three, a corner apart
        rooms.append(editor.addRoom(record({100 * (i % 3), 100 * (i % 3) + 100, 100 * (i / 3), 100 * (i / 3),
                                            100 * (i / 3) + 100, 100 * (i / 3) + 100})));
    editor.setDoor(rooms[0], rooms[1], 0);
    const int steps = editor.undoStack()->count();
    QCOMPARE(editor.doorsOnAllSharedEdges(50), 6);   // 7 edges, one had its line
    QCOMPARE(editor.undoStack()->count(), steps + 1);
    QCOMPARE(doc.doorPerm(rooms[0], rooms[1]), std::optional<int>(0));
    QCOMPARE(doc.doorPerm(rooms[1], rooms[4]), std::optional<int>(50));
    QCOMPARE(doc.doorPerm(rooms[0], rooms[4]), std::nullopt);   // a corner is no edge
    QCOMPARE(editor.doorsOnAllSharedEdges(50), 0);
    QCOMPARE(editor.undoStack()->count(), steps + 1);
    editor.undoStack()->undo();
    QCOMPARE(doc.doorPerm(rooms[1], rooms[4]), std::nullopt);
}

// A new room at a random point of a random area: the default room's size, inside the area
// where it fits, centred on the point unless the area's edge held it back, and then no
// further from the point than it had to be.
void TestRoomCuts::newRoomHeldOnThePicture()
{
    QRandomGenerator rng(7);
    const RoomShape model;
    const qint64 width = model.xr - model.xl, height = model.ybl - model.ytl;
    for (int i = 0; i < 20000; ++i) {
        const QRect area = rng.bounded(10) == 0 ? QRect()
                                                 : QRect(rng.bounded(-300, 300), rng.bounded(-300, 300),
                                                         rng.bounded(1, 700), rng.bounded(1, 700));
        const QPoint at(rng.bounded(-1000, 1000), rng.bounded(-1000, 1000));
        const RoomShape r = NewRoomAt(at, area);
        const QString where = QStringLiteral("at %1,%2 in %3,%4 %5x%6")
                                  .arg(at.x()).arg(at.y()).arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height());
        QVERIFY2(r.xr - r.xl == width && r.ybl - r.ytl == height && r.ytr == r.ytl && r.ybr == r.ybl, qPrintable(where));
        auto check = [&](qint64 low, qint64 size, qint64 middle, int first, int last) {
            const bool fits = size <= last - first;
            if (area.isEmpty() || (middle - size / 2 >= first && middle - size / 2 + size <= last))
                return low + size / 2 == middle;              // centred
            if (!fits)
                return low == first;                          // too big: from the start
            return low >= first && low + size <= last         // inside, against the near edge
                   && (low == first || low + size == last);
        };
        QVERIFY2(check(r.xl, width, at.x(), area.left(), area.right()), qPrintable(where));
        QVERIFY2(check(r.ytl, height, at.y(), area.top(), area.bottom()), qPrintable(where));
    }
}

QTEST_GUILESS_MAIN(TestRoomCuts)
#include "tst_roomcuts.moc"
