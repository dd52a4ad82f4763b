#include "testsupport.h"
#include "core/model/editor.h"

#include "core/model/steps.h"
#include "core/model/snapshot.h"
#include "core/rules/mapcolours.h"
#include "view/doorsoverlay.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <algorithm>
#include <tuple>
#include <QUndoStack>

namespace {

RoomRecord roomAt(qint64 xl, qint64 ytl, qint64 xr, qint64 ybl, int roomtype = 0)
{
    RoomRecord r;
    r.shape = {xl, xr, ytl, ytl, ybl, ybl};
    r.roomtype = roomtype;
    return r;
}

// The main window shown at 700 x 500 over an empty surface of 400 x 400.
bool showOverEmptySurface(TfrmMainForm* main)
{
    main->resize(700, 500);
    main->show();
    main->Document->setSurfaceSize(QSize(400, 400));
    return QTest::qWaitForWindowExposed(main);
}

void moveRoom(TMetaroomDocument* doc, QUndoStack* stack, RoomKey key, int dx)
{
    RoomRecord record = doc->room(key);
    record.shape = Moved(record.shape, dx, 0);
    stack->push(new ChangeRoomStep(doc, key, record, QStringLiteral("Move Room")));
}

// A drag with the left button, the modifiers held down after the press (Alt at the press
// picks the room under another).
void dragHolding(MapMouse& mouse, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers)
{
    mouse.hover(from);
    mouse.press(from);
    for (const QPoint p : {(from + to) / 2, to}) {
        const QPoint at = mouse.at(p);
        QMouseEvent move(QEvent::MouseMove, at, mouse.viewport()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         modifiers);
        QCoreApplication::sendEvent(mouse.viewport(), &move);
    }
    mouse.release(to, Qt::LeftButton, modifiers);
}

} // namespace

class TestMapOverlay : public QObject {
    Q_OBJECT
private slots:
    void edgesFollowChangesAndUndo();
    void changesWorkedOutAloneMatchTheWholeMap();
    void menuItemsToggleDoorsAndTypes();
    void dragsSnapToNeighboursAndAltTurnsItOff();
    void dragsLeaveWhatAFreshDrawingShows();
};

void TestMapOverlay::edgesFollowChangesAndUndo()
{
    MetaroomEditor editor;
    TMetaroomDocument& doc = *editor.document();
    QUndoStack& stack = *editor.undoStack();
    TMapScene scene(&editor);
    TDoorsOverlay* overlay = scene.doorsOverlay();
    const RoomKey a = doc.insertRoom(0, roomAt(100, 100, 160, 180));
    const RoomKey b = doc.insertRoom(1, roomAt(160, 120, 220, 200));
    stack.push(new SetDoorStep(&doc, a, b, 40, QStringLiteral("Door")));
    QCOMPARE(overlay->edges().size(), 0);   // not before the event loop turns
    QSignalSpy changes(overlay, &TDoorsOverlay::changed);
    QTRY_COMPARE(changes.size(), 1);   // three changes, one recompute
    QCOMPARE(overlay->edges().size(), 1);
    QCOMPARE(overlay->edges()[0].line.x1(), 160.0);
    QCOMPARE(overlay->doors().size(), 1);
    QCOMPARE(overlay->doors()[0].perm, 40);
    QVERIFY(overlay->doors()[0].onEdge);
    const QLineF shared = overlay->edges()[0].line;

    // Each move of a drag is followed at once, through the moved room alone. The rooms
    // part; the door runs centre to centre.
    moveRoom(&doc, &stack, b, 2);
    QCOMPARE(overlay->edges().size(), 0);
    QCOMPARE(changes.size(), 2);
    for (int i = 0; i < 4; ++i)
        moveRoom(&doc, &stack, b, 2);
    QCOMPARE(overlay->edges().size(), 0);
    QCOMPARE(overlay->doors().size(), 1);
    QVERIFY(!overlay->doors()[0].onEdge);
    QCOMPARE(overlay->doors()[0].line, QLineF(QPointF(130, 140), QPointF(200, 160)));

    for (int i = 0; i < 5; ++i)
        stack.undo();
    overlay->refreshNow();
    QCOMPARE(overlay->edges().size(), 1);
    QCOMPARE(overlay->edges()[0].line, shared);
    QVERIFY(overlay->doors()[0].onEdge);
}

// The overlay works out only the rooms that changed; after random moves, reshapes, door
// changes, rooms added and deleted and undo, what it holds is what the whole map gives,
// and every pixel its drawing changed lies in an area it announced.
void TestMapOverlay::changesWorkedOutAloneMatchTheWholeMap()
{
    MetaroomEditor editor;
    TMetaroomDocument& doc = *editor.document();
    QUndoStack& stack = *editor.undoStack();
    TMapScene scene(&editor);
    TDoorsOverlay* overlay = scene.doorsOverlay();
    QList<RoomKey> keys;
    for (int i = 0; i < 24; ++i)   // a grid of rooms 40 wide, sharing walls and floors
        keys.append(doc.insertRoom(i, roomAt(40 * (i % 6), 40 * (i / 6), 40 * (i % 6) + 40, 40 * (i / 6) + 40)));
    QRandomGenerator random(15);
    for (int i = 0; i < 30; ++i)
        doc.setDoor(keys[random.bounded(24)], keys[random.bounded(24)], random.bounded(101));
    overlay->refreshNow();

    auto edgesOf = [](QList<SharedEdge> edges) {
        QList<std::tuple<int, int, QLineF>> list;
        for (const SharedEdge& e : edges)
            list.append({e.a, e.b, e.line});
        return list;
    };
    auto marksOf = [](const QList<DoorMark>& marks) {
        QList<std::tuple<int, int, int, bool, qreal, qreal, qreal, qreal>> list;
        for (const DoorMark& d : marks)
            list.append({d.a, d.b, d.perm, d.onEdge, d.line.x1(), d.line.y1(), d.line.x2(), d.line.y2()});
        std::sort(list.begin(), list.end());
        return list;
    };
    // The drawing at 100 %, the map 80 pixels in from the image's corner.
    const QPoint corner(80, 80);
    auto drawing = [&] {
        QImage image(480, 400, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.translate(corner);
        overlay->paint(&painter, QRectF(-corner, image.size()));
        return image;
    };
    QSignalSpy announced(overlay, &TDoorsOverlay::changed);
    for (int turn = 0; turn < 80; ++turn) {
        const QImage before = drawing();
        announced.clear();
        bool cameOrWent = false;   // then the overlay waits for the next turn
        for (int change = random.bounded(1, 4); change > 0; --change) {
            const QList<RoomKey> keys = doc.rooms();
            const RoomKey key = keys.value(random.bounded(int(keys.size())));
            RoomRecord record = doc.room(key);
            const qsizetype announcedBefore = announced.size();
            switch (random.bounded(7)) {
            case 0:   // a move by whole rooms
                record.shape = Moved(record.shape, random.bounded(-1, 2) * 40, random.bounded(-1, 2) * 40);
                stack.push(new ChangeRoomStep(&doc, key, record, QStringLiteral("Move Room")));
                break;
            case 1:   // a floor a pixel or two off, or a wall moved in
                record.shape.ybr += random.bounded(-2, 3);
                record.shape.xr -= random.bounded(0, 2) * 20;
                stack.push(new ChangeRoomStep(&doc, key, record, QStringLiteral("Reshape Room")));
                break;
            case 2:
                stack.push(new SetDoorStep(&doc, key, keys.value(random.bounded(int(keys.size()))),
                                              random.bounded(101), QStringLiteral("Door")));
                break;
            case 3: {   // a room more, in a place of the grid
                cameOrWent = true;
                const int x = 40 * random.bounded(6), y = 40 * random.bounded(4);
                stack.push(new AddRoomStep(&doc, RoomRecord{RoomShape{x, x + 40, y, y, y + 40, y + 40}, 0, {}, {}, {}},
                                              random.bounded(int(keys.size()) + 1)));
                break;
            }
            case 4:
                if (keys.size() > 2) {
                    cameOrWent = true;
                    stack.push(new DeleteRoomStep(&doc, key));
                }
                break;
            case 5: {   // several rooms moved together, by whole rooms or a few pixels: worked
                        // out at once and announced once
                QList<RoomKey> group;
                for (int n = random.bounded(2, 6); n > 0; --n)
                    group.append(keys.value(random.bounded(int(keys.size()))));
                const int step = random.bounded(2) ? 40 : 1;
                editor.moveRooms(group, random.bounded(-2, 3) * step, random.bounded(-2, 3) * step);
                QVERIFY(announced.size() <= announcedBefore + 1);
                if (!cameOrWent) {
                    const RoomDefs defs = ToRoomDefs(doc);
                    QCOMPARE(edgesOf(overlay->edges()), edgesOf(SharedEdges(defs)));
                    QCOMPARE(marksOf(overlay->doors()), marksOf(DoorMarks(defs)));
                }
                break;
            }
            default:
                if (stack.canUndo()) {
                    cameOrWent = true;   // it may take back a room added or deleted
                    stack.undo();
                }
                break;
            }
        }
        overlay->refreshNow();
        const RoomDefs defs = ToRoomDefs(doc);
        QCOMPARE(edgesOf(overlay->edges()), edgesOf(SharedEdges(defs)));
        QCOMPARE(marksOf(overlay->doors()), marksOf(DoorMarks(defs)));

        const QImage after = drawing();
        QList<QRectF> areas;
        for (const QList<QVariant>& signal : std::as_const(announced))
            areas.append(signal.at(0).toRectF());
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                if (after.pixel(x, y) == before.pixel(x, y))
                    continue;
                const QRectF pixel(QPointF(x, y) - corner, QSizeF(1, 1));
                const bool covered = std::any_of(areas.cbegin(), areas.cend(),
                                                 [&](const QRectF& area) { return area.intersects(pixel); });
                if (!covered)
                    QFAIL(qPrintable(QStringLiteral("turn %1: pixel %2, %3 changed outside the announced areas")
                                         .arg(turn).arg(pixel.x()).arg(pixel.y())));
            }
        }
    }
}

void TestMapOverlay::menuItemsToggleDoorsAndTypes()
{
    Editor e;
    TfrmMainForm* main = e.main;
    QVERIFY(showOverEmptySurface(main));
    TMetaroomDocument* doc = main->Document;
    const RoomKey a = doc->insertRoom(0, roomAt(20, 20, 120, 120, 5));
    const RoomKey b = doc->insertRoom(1, roomAt(120, 40, 220, 140, 5));
    const RoomKey c = doc->insertRoom(2, roomAt(20, 200, 120, 300, 8));
    doc->setDoor(a, b, 70);
    doc->setDoor(a, c, 30);   // no shared edge
    main->Panel->doorsOverlay()->refreshNow();
    MapMouse mouse(main);
    auto screen = [&] {
        QCoreApplication::processEvents();
        return mouse.screen();
    };

    // Shown at start: the shared edge in its colour, the refused door in red.
    QVERIFY(main->ShowDoors1->isChecked());
    QVERIFY(!main->ShowRoomTypes1->isChecked());
    const QPoint onEdge(120, 60);
    const QPoint onRedLine(70, 120 + 50);   // between a's centre (70, 70) and c's (70, 250)
    const QPoint inRoom(60, 100);
    QImage shown = screen();
    QCOMPARE(mouse.colourAt(shown, onEdge), mapcolours::sharedEdge());
    QCOMPARE(mouse.colourAt(shown, onRedLine), mapcolours::doorWithoutEdge());
    const QColor plain = mouse.colourAt(shown, inRoom);
    QVERIFY(main->scbImage->typeLegendRect().isEmpty());

    main->ShowDoors1->trigger();
    QImage hidden = screen();
    QVERIFY(mouse.colourAt(hidden, onEdge) != mapcolours::sharedEdge());
    QVERIFY(mouse.colourAt(hidden, onRedLine) != mapcolours::doorWithoutEdge());

    // Types: the room filled, a legend of the two types in the corner; and off again.
    main->ShowRoomTypes1->trigger();
    QImage typed = screen();
    QVERIFY(mouse.colourAt(typed, inRoom) != plain);
    const QRect legend = main->scbImage->typeLegendRect();
    QVERIFY(!legend.isEmpty());
    QVERIFY(main->scbImage->viewport()->rect().contains(legend));
    const QColor legendPixel = typed.pixelColor(legend.topLeft() + QPoint(2, 2));
    QVERIFY2(qGray(legendPixel.rgb()) < 80, qPrintable(legendPixel.name()));
    main->ShowRoomTypes1->trigger();
    QImage untyped = screen();
    QCOMPARE(mouse.colourAt(untyped, inRoom), plain);
    QVERIFY(main->scbImage->typeLegendRect().isEmpty());
}

void TestMapOverlay::dragsSnapToNeighboursAndAltTurnsItOff()
{
    Editor e;
    TfrmMainForm* main = e.main;
    QVERIFY(showOverEmptySurface(main));
    TMetaroomDocument* doc = main->Document;
    main->scbImage->zoomActual();
    doc->insertRoom(0, roomAt(100, 110, 160, 180));
    const RoomKey b = doc->insertRoom(1, roomAt(200, 100, 260, 180));
    doc->select(b);
    MapMouse mouse(main);
    const QUndoStack* stack = main->UndoStack;
    const int steps = stack->count();

    // The room moved to 3 pixels from the neighbour's wall lands on it; one undo step.
    mouse.hover({230, 140});
    mouse.press({230, 140});
    mouse.moveTo({210, 140});
    mouse.moveTo({193, 140});
    QCOMPARE(doc->room(b).shape.xl, 160);
    // Guides on the wall it met and on the floors that meet at its corner.
    QCOMPARE(main->Panel->snapGuides().size(), 2);
    QCOMPARE(main->Panel->snapGuides()[0], QLineF(160, 100, 160, 180));
    QCOMPARE(main->Panel->snapGuides()[1], QLineF(100, 180, 220, 180));
    mouse.release({193, 140});
    QVERIFY(main->Panel->snapGuides().isEmpty());
    QCOMPARE(doc->room(b).shape, (RoomShape{160, 220, 100, 100, 180, 180}));
    QCOMPARE(stack->count(), steps + 1);
    main->UndoStack->undo();
    QCOMPARE(doc->room(b).shape.xl, 200);

    // With Alt it stays where the mouse put it.
    dragHolding(mouse, {230, 140}, {193, 140}, Qt::AltModifier);
    QCOMPARE(doc->room(b).shape.xl, 163);
    QVERIFY(main->Panel->snapGuides().isEmpty());
    main->UndoStack->undo();

    // A wall to the neighbour's wall, then a corner on that wall to the neighbour's corner.
    dragHolding(mouse, {200, 140}, {164, 140}, {});
    QCOMPARE(doc->room(b).shape.xl, 160);
    dragHolding(mouse, {160, 100}, {160, 106}, {});
    QCOMPARE(doc->room(b).shape.ytl, 110);
    dragHolding(mouse, {160, 110}, {160, 104}, Qt::AltModifier);
    QCOMPARE(doc->room(b).shape.ytl, 104);
}

// Drags of several joined rooms with doors, snapping as they go, repaint the rooms' area
// together with their door lines' and guides' own: after every step the window shows what
// a fresh drawing of the map shows.
void TestMapOverlay::dragsLeaveWhatAFreshDrawingShows()
{
    Editor e;
    TfrmMainForm* main = e.main;
    QVERIFY(showOverEmptySurface(main));
    main->ShowDoors1->setChecked(true);
    main->scbImage->zoomActual();
    TMetaroomDocument* doc = main->Document;
    QList<RoomKey> keys;
    for (int i = 0; i < 24; ++i)   // six to a row, sharing walls and floors
        keys.append(doc->insertRoom(i, roomAt(40 * (i % 6), 40 * (i / 6), 40 * (i % 6) + 40, 40 * (i / 6) + 40)));
    for (int i = 0; i < 24; ++i) {
        if (i % 6 < 5)
            doc->setDoor(keys[i], keys[i + 1], 25 * (i % 5));
        if (i < 18)
            doc->setDoor(keys[i], keys[i + 6], 100);
    }
    doc->selectRooms({keys[7], keys[8], keys[13], keys[14]}, keys[7]);
    QCoreApplication::processEvents();

    // Paints of several rectangles that fill most of the one around them, which the map
    // paints its cheaper way.
    struct PaintRegions : QObject {
        int close = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() != QEvent::Paint)
                return false;
            const QRegion& region = static_cast<QPaintEvent*>(event)->region();
            qint64 covered = 0;
            for (const QRect& r : region)
                covered += qint64(r.width()) * r.height();
            const QRect around = region.boundingRect();
            if (region.rectCount() > 1 && 4 * covered >= 3 * qint64(around.width()) * around.height())
                ++close;
            return false;
        }
    } regions;
    MapMouse mouse(main);
    mouse.viewport()->installEventFilter(&regions);
    const QPoint origin = mouse.viewport()->mapTo(main, QPoint(0, 0));
    auto shown = [&] {
        const QPixmap window = main->screen()->grabWindow(main->winId());
        return window.toImage().copy(QRect(origin, mouse.viewport()->size())).convertToFormat(QImage::Format_RGB32);
    };
    QPoint at(60, 60);
    mouse.hover(at);
    mouse.press(at);
    QRandomGenerator random(7);
    for (int step = 0; step < 24; ++step) {
        at += QPoint(random.bounded(-9, 10), random.bounded(-9, 10));
        mouse.moveTo(at);
        QCoreApplication::processEvents();
        QCOMPARE(shown(), mouse.screen());
    }
    mouse.release(at);
    QCoreApplication::processEvents();
    QCOMPARE(shown(), mouse.screen());
    QVERIFY(regions.close > 0);
}

PLSD_TEST_MAIN(TestMapOverlay)
#include "tst_mapoverlay.moc"
