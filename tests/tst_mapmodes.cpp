// The map's modes, rooms drawn with the mouse, snapping without Alt, and where the mouse is.
#include "testsupport.h"

#include "app/statusbar.h"
#include "core/model/editor.h"

#include <QDeadlineTimer>
#include <QPainter>
#include <QScreen>
#include <QUndoStack>
#include <limits>

namespace {

RoomShape box(qint64 xl, qint64 ytl, qint64 xr, qint64 ybl)
{
    return {xl, xr, ytl, ytl, ybl, ybl};
}

// A shown main window at 100 %, two rooms side by side with a gap of 40 pixels:
// a (100..160) and b (200..260), both from 100 to 180.
struct TwoRooms {
    Editor e;
    TfrmMainForm* main = e.main;
    TMetaroomDocument* doc = main->Document;
    QUndoStack* stack = main->UndoStack;
    MapMouse mouse{main};
    RoomKey a = 0;
    RoomKey b = 0;
    bool exposed = false;

    TwoRooms()
    {
        main->resize(700, 500);
        main->show();
        doc->setSurfaceSize(QSize(400, 400));
        exposed = QTest::qWaitForWindowExposed(main);
        main->scbImage->zoomActual();
        for (RoomKey* key : {&a, &b}) {
            RoomRecord r;
            r.shape = key == &a ? box(100, 100, 160, 180) : box(200, 100, 260, 180);
            *key = doc->insertRoom(doc->roomCount(), r);
        }
    }
    const RoomShape& shape(RoomKey key) const { return doc->room(key).shape; }

    // A drag with the left button, the keys held through the moves and the release.
    void dragHolding(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers)
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
    QString pointer() const { return main->StatusBar->pointerText(); }
};

} // namespace

class TestMapModes : public QObject {
    Q_OBJECT
private slots:
    void noneModeOnlySelects();
    void dragOnEmptyMapDrawsARoom();
    void snapTurnsOffByMenuAndShift();
    void statusFieldShowsPixelGameAndDragValues();
    void statusFieldDrawsItsTextAsQtLaysItOut();
};

void TestMapModes::noneModeOnlySelects()
{
    TwoRooms m;
    QVERIFY(m.exposed);
    m.mouse.click(QPoint(130, 140));
    QCOMPARE(m.doc->selection(), m.a);
    const int steps = m.stack->count();
    const RoomShape before = m.shape(m.a);

    m.mouse.hover(QPoint(160, 140));
    QCOMPARE(m.main->roomOf(m.a)->hoveredHandle(), int(TRoom::RightWall));
    m.main->None1->trigger();
    m.mouse.hover(QPoint(160, 140));   // no handle shows what cannot be dragged
    QCOMPARE(m.main->roomOf(m.a)->hoveredHandle(), int(TRoom::NoHandle));
    m.mouse.drag(QPoint(130, 140), QPoint(140, 150));          // the body
    m.mouse.drag(QPoint(160, 140), QPoint(175, 140));          // the right wall's handle
    m.mouse.press(QPoint(20, 250));                            // empty map
    m.mouse.moveTo(QPoint(80, 300));
    QVERIFY(!m.main->Panel->drawnRoom());
    m.mouse.release(QPoint(80, 300));
    m.main->scbImage->setFocus();
    QTest::keyClick(m.main->scbImage, Qt::Key_Right);
    QTest::keyClick(m.main->scbImage, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(m.main->scbImage, Qt::Key_Delete);
    QVERIFY(m.doc->contains(m.a));
    QCOMPARE(m.shape(m.a), before);
    QCOMPARE(m.doc->roomCount(), 2);
    QCOMPARE(m.stack->count(), steps);
    QCOMPARE(m.doc->selection(), m.a);
    // Clicks still select.
    m.mouse.click(QPoint(230, 140));
    QCOMPARE(m.doc->selection(), m.b);

    // Back in the Rooms mode the same drag moves the room, one step.
    m.main->Rooms1->trigger();
    m.mouse.drag(QPoint(230, 140), QPoint(240, 150));
    QCOMPARE(m.shape(m.b), Moved(box(200, 100, 260, 180), 10, 10));
    QCOMPARE(m.stack->count(), steps + 1);
}

void TestMapModes::dragOnEmptyMapDrawsARoom()
{
    TwoRooms m;
    QVERIFY(m.exposed);
    const int steps = m.stack->count();

    // Shown while the mouse is held, in the status field too; added at the release,
    // selected, as one step.
    m.mouse.hover(QPoint(20, 250));
    m.mouse.press(QPoint(20, 250));
    m.mouse.moveTo(QPoint(50, 270));
    m.mouse.moveTo(QPoint(80, 300));
    QVERIFY(m.main->Panel->drawnRoom());
    QCOMPARE(m.main->Panel->drawnRoom()->shape, box(20, 250, 80, 300));
    QVERIFY2(m.pointer().startsWith(QStringLiteral("New room: xl 20, xr 80, ytl 250, ybl 300 (60 x 50)")),
             qPrintable(m.pointer()));
    QCOMPARE(m.doc->roomCount(), 2);
    m.mouse.release(QPoint(80, 300));
    QVERIFY(!m.main->Panel->drawnRoom());
    QCOMPARE(m.doc->roomCount(), 3);
    const RoomKey drawn = m.doc->roomAt(2);
    QCOMPARE(m.shape(drawn), box(20, 250, 80, 300));
    QCOMPARE(m.doc->selection(), drawn);
    QCOMPARE(m.main->SelectedRoom, m.main->roomOf(drawn));
    QCOMPARE(m.stack->count(), steps + 1);
    m.stack->undo();
    QCOMPARE(m.doc->roomCount(), 2);

    // Past the surface's edge, it stops at the edge.
    m.mouse.drag(QPoint(30, 40), QPoint(-20, -10));
    QCOMPARE(m.shape(m.doc->roomAt(2)), box(0, 0, 30, 40));
    m.stack->undo();

    // A click, or a rectangle below the least size of a room, adds nothing.
    m.mouse.click(QPoint(30, 320));
    m.mouse.hover(QPoint(30, 320));
    m.mouse.press(QPoint(30, 320));
    m.mouse.moveTo(QPoint(34, 360));
    QVERIFY2(m.pointer().startsWith(QStringLiteral("New room: xl 30, xr 34, ytl 320, ybl 360 (4 x 40), too small")),
             qPrintable(m.pointer()));
    m.mouse.release(QPoint(34, 360));
    m.mouse.drag(QPoint(30, 320), QPoint(90, 323));
    QCOMPARE(m.doc->roomCount(), 2);
    QCOMPARE(m.stack->count(), steps + 1);   // the undone step, still there to redo
    QVERIFY(m.stack->canRedo());
}

void TestMapModes::snapTurnsOffByMenuAndShift()
{
    TwoRooms m;
    QVERIFY(m.exposed);
    m.doc->select(m.b);
    QVERIFY(m.main->Snap1->isChecked() && m.main->Panel->snapping());

    // Each gesture near the other room: a move, a handle, a drawing. Snapped, then with
    // Shift held, then with View > Snap off.
    struct Gesture {
        QPoint from, to;
        RoomKey key;   // the room it changes; 0: it draws one
        RoomShape snapped, free;
    };
    const QList<Gesture> gestures{
        {{230, 140}, {193, 140}, m.b, box(160, 100, 220, 180), box(163, 100, 223, 180)},
        {{200, 140}, {164, 140}, m.b, box(160, 100, 260, 180), box(164, 100, 260, 180)},
        {{195, 176}, {164, 104}, 0, box(160, 100, 200, 180), box(164, 104, 195, 176)},
    };
    auto result = [&](const Gesture& g) {
        return g.key ? m.shape(g.key) : m.shape(m.doc->roomAt(m.doc->roomCount() - 1));
    };
    for (const Gesture& g : gestures) {
        m.doc->select(m.b);
        m.dragHolding(g.from, g.to, {});
        QCOMPARE(result(g), g.snapped);
        m.stack->undo();
        m.doc->select(m.b);
        m.dragHolding(g.from, g.to, Qt::ShiftModifier);
        QCOMPARE(result(g), g.free);
        m.stack->undo();
    }
    m.main->Snap1->trigger();
    QVERIFY(!m.main->Panel->snapping());
    for (const Gesture& g : gestures) {
        m.doc->select(m.b);
        m.dragHolding(g.from, g.to, {});
        QCOMPARE(result(g), g.free);
        QVERIFY(m.main->Panel->snapGuides().isEmpty());
        m.stack->undo();
    }
    // Its shortcut turns it on again.
    QApplication::setActiveWindow(m.main);
    QTest::keyClick(m.main, Qt::Key_G, Qt::ControlModifier);
    QVERIFY(m.main->Snap1->isChecked() && m.main->Panel->snapping());
}

void TestMapModes::statusFieldShowsPixelGameAndDragValues()
{
    TwoRooms m;
    QVERIFY(m.exposed);
    MetaroomValues values = m.doc->metaroom();
    values.offsetX = 1000;
    values.offsetY = 2000;
    m.main->Editor->setMetaroom(values, QStringLiteral("Offsets"));
    m.main->StatusBar->setText(QStringLiteral("Saved"));

    m.mouse.hover(QPoint(120, 45));
    QCOMPARE(m.pointer(), QStringLiteral("120, 45 (game 1120, 2045)"));
    QCOMPARE(m.main->StatusBar->text(), QStringLiteral("Saved"));

    // During a drag, the values it changes come first; they go at the release.
    m.doc->select(m.a);
    m.mouse.hover(QPoint(130, 140));
    m.mouse.press(QPoint(130, 140));
    m.mouse.moveTo(QPoint(115, 150));
    QCOMPARE(m.pointer(), QStringLiteral("Move: xl 85, ytl 110   115, 150 (game 1115, 2150)"));
    m.mouse.release(QPoint(115, 150));
    QCOMPARE(m.pointer(), QStringLiteral("115, 150 (game 1115, 2150)"));
    const RoomShape moved = m.shape(m.a);
    m.mouse.hover(QPoint(moved.xl, moved.ybl));
    m.mouse.press(QPoint(moved.xl, moved.ybl));
    m.mouse.moveTo(QPoint(moved.xl, moved.ybl + 30));
    QVERIFY2(m.pointer().startsWith(QStringLiteral("ybl %1   ").arg(moved.ybl + 30)), qPrintable(m.pointer()));
    m.mouse.release(QPoint(moved.xl, moved.ybl + 30));
    QCOMPARE(m.main->StatusBar->text(), QStringLiteral("Saved"));
    // A drag of several selected rooms shows the values of the room it holds.
    m.doc->selectRooms({m.a, m.b}, m.a);
    const RoomShape held = m.shape(m.a);
    const QPoint grab(int(held.xl) + 20, int(held.ytl) + 20);
    m.mouse.hover(grab);
    m.mouse.press(grab);
    m.mouse.moveTo(grab + QPoint(-7, 9));
    QVERIFY2(m.pointer().startsWith(QStringLiteral("Move: xl %1, ytl %2   ").arg(held.xl - 7).arg(held.ytl + 9)),
             qPrintable(m.pointer()));
    m.mouse.release(grab + QPoint(-7, 9));
    QCOMPARE(m.shape(m.b).xl, 200 - 7);
    QVERIFY(!m.pointer().startsWith(QStringLiteral("Move")));
    // Off the map, the field is empty.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(m.mouse.viewport(), &leave);
    QCOMPARE(m.pointer(), QString());

    // Offsets at the ends of their range add up without wrapping.
    values.offsetX = std::numeric_limits<int>::max();
    values.offsetY = std::numeric_limits<int>::min();
    m.main->Editor->setMetaroom(values, QStringLiteral("Offsets"));
    m.mouse.hover(QPoint(10, 20));
    QCOMPARE(m.pointer(), QStringLiteral("10, 20 (game 2147483657, -2147483628)"));
}

// The mouse's field, which draws words it laid out before and repaints only from the first
// word that changed, at most once a frame, shows on screen what Qt's own drawing of the whole
// text shows, whatever words repeat and however many spaces part them.
void TestMapModes::statusFieldDrawsItsTextAsQtLaysItOut()
{
    TStatusBar bar;
    bar.resize(600, 19);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    auto* field = bar.findChild<QWidget*>(QStringLiteral("MousePosition"));
    QVERIFY(field);
    bar.setDragValues(QStringLiteral("Move: xl 1940, ytl 109"));
    bar.setPointer(QPoint(226, 141), 226, -141);   // the longest text first: the field's width stays
    const QString drag = bar.pointerText();
    bar.setDragValues({});
    bar.clearPointer();
    QCoreApplication::processEvents();
    const QImage empty = field->grab().toImage();
    QStringList texts = {drag, QStringLiteral("Move: xl 1940, ytl 109"), QStringLiteral("0, 0 (game 0, 0)"),
                         QStringLiteral("226, 141 (game 226, -141)")};
    // Many words never seen before, as a long drag brings, while words seen before are drawn.
    for (int x = 0; x < 300; x += 3)
        texts.append(QStringLiteral("%1, 7 (game %1, 7)").arg(x));
    // Texts that keep their first words and change the rest, by more spaces and by wider words.
    texts += {QStringLiteral("Move: xl 1940, ytl 109"), QStringLiteral("Move: xl  1940, ytl 109"),
              QStringLiteral("Move: xl 19, ytl 109"), QStringLiteral("Move: xl WWW, ytl 109"), QStringLiteral("Move:")};
    const auto onScreen = [&] {
        const QRect at(field->mapTo(&bar, QPoint()), field->size());
        return bar.screen()->grabWindow(bar.winId(), at.x(), at.y(), at.width(), at.height()).toImage();
    };
    for (const QString& text : std::as_const(texts)) {
        bar.setDragValues(text);
        QCoreApplication::processEvents();
        QCOMPARE(bar.pointerText(), text);
        QImage qts = empty;
        QPainter painter(&qts);
        painter.setFont(field->font());
        painter.setPen(field->palette().color(QPalette::WindowText));
        painter.drawText(field->rect().adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        painter.end();
        // A change shows within a frame of the screen.
        const QDeadlineTimer shortly(1000);
        while (onScreen().convertToFormat(qts.format()) != qts && !shortly.hasExpired())
            QTest::qWait(2);
        QCOMPARE(onScreen().convertToFormat(qts.format()), qts);
    }
}

PLSD_TEST_MAIN(TestMapModes)
#include "tst_mapmodes.moc"
