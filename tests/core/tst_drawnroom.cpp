// Rooms drawn as rectangles with the mouse, snapped to the rooms around them.
#include "core/model/drawnroom.h"

#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>

namespace {

constexpr int handle = 5;   // the handles' size on the map

RoomShape rectangle(qint64 xl, qint64 ytl, qint64 xr, qint64 ybl)
{
    return {xl, xr, ytl, ytl, ybl, ybl};
}

bool isWallOf(qint64 x, const QList<RoomShape>& others)
{
    return std::any_of(others.begin(), others.end(), [x](const RoomShape& o) { return o.xl == x || o.xr == x; });
}

// A corner (x, y) met by a corner of another room on a wall at the same x.
bool isCornerOf(qint64 x, qint64 y, const QList<RoomShape>& others)
{
    return std::any_of(others.begin(), others.end(), [x, y](const RoomShape& o) {
        return (o.xl == x && (o.ytl == y || o.ybl == y)) || (o.xr == x && (o.ytr == y || o.ybr == y));
    });
}

} // namespace

class TestDrawnRoom : public QObject {
    Q_OBJECT
private slots:
    void randomDrawingsKeepTheRules();
};

// Random rectangles among random rooms, drawn either way round, with and without snapping.
void TestDrawnRoom::randomDrawingsKeepTheRules()
{
    QRandomGenerator rng(20261209);
    int snappedSome = 0;
    int refusedSnap = 0;
    for (int run = 0; run < 3000; ++run) {
        QList<RoomShape> others;
        for (int i = rng.bounded(0, 5); i > 0; --i) {
            const qint64 xl = rng.bounded(0, 60), ytl = rng.bounded(0, 60);
            RoomShape o = rectangle(xl, ytl, xl + rng.bounded(5, 40), ytl + rng.bounded(5, 40));
            o.ytr += rng.bounded(-3, 4);   // now and then a sloped ceiling
            others.append(o);
        }
        const QPoint from(rng.bounded(0, 80), rng.bounded(0, 80));
        const QPoint to(rng.bounded(0, 80), rng.bounded(0, 80));
        const qint64 reach = rng.bounded(0, 8);

        const DrawnRoom raw = DrawRoom(from, to, others, reach, false, handle, handle);
        const RoomShape box = rectangle(std::min(from.x(), to.x()), std::min(from.y(), to.y()),
                                        std::max(from.x(), to.x()), std::max(from.y(), to.y()));
        QCOMPARE(raw.shape, box);
        QVERIFY(raw.guides.isEmpty());
        QCOMPARE(raw.bigEnough, box.xr - box.xl >= 5 && box.ybl - box.ytl >= 5);

        const DrawnRoom drawn = DrawRoom(from, to, others, reach, true, handle, handle);
        // The same from either corner the drag starts at.
        QCOMPARE(DrawRoom(to, from, others, reach, true, handle, handle).shape, drawn.shape);
        QCOMPARE(DrawRoom(QPoint(from.x(), to.y()), QPoint(to.x(), from.y()), others, reach, true, handle, handle).shape,
                 drawn.shape);
        QCOMPARE(drawn.bigEnough, raw.bigEnough);
        if (!raw.bigEnough) {
            QCOMPARE(drawn.shape, raw.shape);   // nothing to add, nothing snapped
            continue;
        }
        const RoomShape& s = drawn.shape;
        // Snapping never leaves a room too small to be added.
        QVERIFY(s.xr - s.xl >= 5 && s.ybl - s.ytl >= 5 && s.ybr - s.ytr >= 5);
        // Each value moved only within reach, and only onto a wall or corner of another room.
        for (const auto& [now, was] : {std::pair{s.xl, box.xl}, {s.xr, box.xr}}) {
            QVERIFY(std::abs(now - was) <= reach);
            QVERIFY(now == was || isWallOf(now, others));
        }
        // A rectangle still, its ceiling and floor moved onto a corner on one of its walls.
        QVERIFY(s.ytl == s.ytr && s.ybl == s.ybr);
        for (const auto& [now, was] : {std::pair{s.ytl, box.ytl}, {s.ybl, box.ybl}}) {
            QVERIFY(std::abs(now - was) <= reach);
            QVERIFY(now == was || isCornerOf(s.xl, now, others) || isCornerOf(s.xr, now, others));
        }
        // Where no snap can be refused, the ceiling and floor took the nearest corner.
        if (box.ybl - box.ytl >= 5 + 2 * reach) {
            for (const RoomShape& o : others) {
                for (const auto& [cx, cy] : {std::pair{o.xl, o.ytl}, {o.xl, o.ybl}, {o.xr, o.ytr}, {o.xr, o.ybr}}) {
                    if (cx != s.xl && cx != s.xr)
                        continue;
                    for (const auto& [now, was] : {std::pair{s.ytl, box.ytl}, {s.ybl, box.ybl}}) {
                        if (std::abs(cy - was) <= reach)
                            QVERIFY(std::abs(now - was) <= std::abs(cy - was));
                    }
                }
            }
        }
        QVERIFY(s == box || !drawn.guides.isEmpty());
        snappedSome += s != box;
        // A wall within reach that was not taken would have made the room too small.
        for (const qint64 wall : {box.xl, box.xr}) {
            const bool near = std::any_of(others.begin(), others.end(), [&](const RoomShape& o) {
                return std::abs(o.xl - wall) <= reach || std::abs(o.xr - wall) <= reach;
            });
            const bool taken = isWallOf(wall == box.xl ? s.xl : s.xr, others);
            refusedSnap += near && !taken;
        }
    }
    // The runs reach both kinds of case.
    QVERIFY2(snappedSome > 300, qPrintable(QString::number(snappedSome)));
    QVERIFY2(refusedSnap > 5, qPrintable(QString::number(refusedSnap)));
}

QTEST_GUILESS_MAIN(TestDrawnRoom)
#include "tst_drawnroom.moc"
