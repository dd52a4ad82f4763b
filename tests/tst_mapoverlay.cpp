#include "testsupport.h"

#include "core/model/commands.h"
#include "core/rules/mapcolours.h"
#include "view/doorsoverlay.h"

#include <QSignalSpy>
#include <QUndoStack>

namespace {

RoomRecord roomAt(qint64 xl, qint64 ytl, qint64 xr, qint64 ybl, int roomtype = 0)
{
    RoomRecord r;
    r.shape = {xl, xr, ytl, ytl, ybl, ybl};
    r.roomtype = roomtype;
    return r;
}

void moveRoom(TMetaroomDocument* doc, QUndoStack* stack, RoomKey key, int dx)
{
    RoomRecord record = doc->room(key);
    record.shape = Moved(record.shape, dx, 0);
    stack->push(new ChangeRoomCommand(doc, key, record, QStringLiteral("Move Room")));
}

} // namespace

class TestMapOverlay : public QObject {
    Q_OBJECT
private slots:
    void edgesFollowChangesAndUndoOnceATurn();
    void menuItemsToggleDoorsAndTypes();
};

void TestMapOverlay::edgesFollowChangesAndUndoOnceATurn()
{
    TMetaroomDocument doc;
    QUndoStack stack;
    TMapScene scene(&doc, &stack);
    TDoorsOverlay* overlay = scene.doorsOverlay();
    const RoomKey a = doc.insertRoom(0, roomAt(100, 100, 160, 180));
    const RoomKey b = doc.insertRoom(1, roomAt(160, 120, 220, 200));
    stack.push(new SetDoorCommand(&doc, a, b, 40, QStringLiteral("Door")));
    QCOMPARE(overlay->edges().size(), 0);   // not before the event loop turns
    QSignalSpy changes(overlay, &TDoorsOverlay::changed);
    QTRY_COMPARE(changes.size(), 1);   // three changes, one recompute
    QCOMPARE(overlay->edges().size(), 1);
    QCOMPARE(overlay->edges()[0].line.x1(), 160.0);
    QCOMPARE(overlay->doors().size(), 1);
    QCOMPARE(overlay->doors()[0].perm, 40);
    QVERIFY(overlay->doors()[0].onEdge);
    const QLineF shared = overlay->edges()[0].line;

    // A drag's many moves: one recompute. The rooms part; the door runs centre to centre.
    for (int i = 0; i < 5; ++i)
        moveRoom(&doc, &stack, b, 2);
    QTRY_COMPARE(changes.size(), 2);
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

void TestMapOverlay::menuItemsToggleDoorsAndTypes()
{
    Editor e;
    TfrmMainForm* main = e.main;
    main->resize(700, 500);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    TMetaroomDocument* doc = main->Document;
    doc->setSurfaceSize(QSize(400, 400));
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

PLSD_TEST_MAIN(TestMapOverlay)
#include "tst_mapoverlay.moc"
