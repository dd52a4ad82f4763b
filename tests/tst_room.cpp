#include "testsupport.h"

#include "background/blockpicture.h"
#include "rooms/room.h"

#include <QLineEdit>

#include <climits>
#include <random>

namespace {

// The main window, shown so that rooms paint and take the mouse.
struct ShownEditor : Editor {
    ShownEditor() { main->show(); exposed = QTest::qWaitForWindowExposed(main); }
    TRoom* addRoom() { main->AddRoom(); return main->Rooms.last(); }
    bool exposed = false;
};

// Mouse actions at points of Panel. Without a button the event goes to what lies under the cursor.
QPoint at(TRoom* room, QPoint onPanel) { return room->mapFrom(room->parentWidget(), onPanel); }
void hover(TRoom* room, QPoint p)
{
    if (QCursor::pos() == room->mapToGlobal(at(room, p)))   // the cursor must move for an event
        QCursor::setPos(QCursor::pos() + QPoint(0, 400));
    QTest::mouseMove(room, at(room, p));
}
void press(TRoom* room, QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(room, b, {}, at(room, p)); }
void dragTo(TRoom* room, QPoint p) { QTest::mouseMove(room, at(room, p)); }
void release(TRoom* room, QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(room, b, {}, at(room, p)); }

using Corners = std::array<int, 6>;   // xl, xr, ytl, ytr, ybl, ybr
Corners cornersOf(const TRoom* r) { return {r->xl(), r->xr(), r->ytl(), r->ytr(), r->ybl(), r->ybr()}; }

// The control's place that the corners call for.
QRect fittedRect(const TRoom* r)
{
    const int top = std::min(r->ytl(), r->ytr()) - 2;
    return QRect(r->xl() - 2, top, r->xr() - r->xl() + 5, std::max(r->ybl(), r->ybr()) - top + 3);
}

} // namespace

class TestRoom : public QObject {
    Q_OBJECT
private slots:
    void cornerWrites();
    void unfixedWritesOnlyStore();
    void extremeCorners();
    void boxesAreHitOnFourByFourPixels();
    void clickAndDragTheBody();
    void dragABox_data();
    void dragABox();
    void leavingWhileHeldReleasesTheCapture();
    void mouseHandlersReportTheirErrors();
    void painting();
};

void TestRoom::cornerWrites()
{
    // A new room; xl beyond xr stops 5 short; ytr above the top moves the control up.
    ShownEditor e;
    TRoom* room = e.addRoom();
    QCOMPARE(cornersOf(room), (Corners{2, 97, 2, 2, 97, 97}));
    room->setXl(200);
    QCOMPARE(cornersOf(room), (Corners{92, 97, 2, 2, 97, 97}));
    room->setXl(2);
    room->setYtr(-50);
    QCOMPARE(room->geometry(), QRect(0, -52, 100, 152));
    QCOMPARE(e.tool->edtytr->text(), QStringLiteral("-50"));   // the toolbox follows every change
    room->setYtr(2);
    room->setYbl(40);   // ybr still decides the height
    QCOMPARE(room->geometry(), QRect(0, 0, 100, 100));
    room->setYbr(40);
    QCOMPARE(room->height(), 43);

    // Any write changes its own corner, held back only by the opposite one.
    std::mt19937 random(20240611);
    for (int step = 0; step < 500; ++step) {
        Corners expected = cornersOf(room);
        const Corners before = expected;
        const int v = std::uniform_int_distribution<int>(-300, 300)(random);
        switch (std::uniform_int_distribution<int>(0, 5)(random)) {
        case 0: room->setXl(v); expected[0] = std::min(v, before[1] - 5); break;
        case 1: room->setXr(v); expected[1] = std::max(v, before[0] + 5); break;
        case 2: room->setYtl(v); expected[2] = std::min(v, before[4] - 5); break;
        case 3: room->setYtr(v); expected[3] = std::min(v, before[5] - 5); break;
        case 4: room->setYbl(v); expected[4] = std::max(v, before[2] + 5); break;
        case 5: room->setYbr(v); expected[5] = std::max(v, before[3] + 5); break;
        }
        QCOMPARE(cornersOf(room), expected);
        QCOMPARE(room->geometry(), fittedRect(room));
    }
}

void TestRoom::unfixedWritesOnlyStore()
{
    ShownEditor e;
    TRoom* room = e.addRoom();
    TRoom* other = e.addRoom();
    room->fixed = false;
    room->setXl(50);
    room->setXr(20);   // left of the left wall: stored as it is
    room->setYtl(10);
    room->setYtr(-5);
    room->setYbl(0);
    QCOMPARE(cornersOf(room), (Corners{50, 20, 10, -5, 0, 97}));
    QCOMPARE(QPoint(room->left(), room->top()), QPoint(48, -7));   // the place follows what is stored
    QCOMPARE(e.main->SelectedRoom, other);

    // The write after fixing it adjusts once, by the rule of its own corner only.
    room->fixed = true;
    room->setYbr(-20);
    QCOMPARE(cornersOf(room), (Corners{50, 20, 10, -5, 0, 0}));
    QCOMPARE(QPoint(room->left(), room->top()), QPoint(48, -7));
    QCOMPARE(e.main->SelectedRoom, room);
}

void TestRoom::extremeCorners()
{
    ShownEditor e;
    TRoom* room = e.addRoom();
    room->setXr(INT_MAX);
    room->setYbr(INT_MAX);
    room->setYtl(INT_MIN);
    QCOMPARE(cornersOf(room), (Corners{2, INT_MAX, INT_MIN, 2, 97, INT_MAX}));
    QVERIFY(room->width() <= QWIDGETSIZE_MAX && room->height() <= QWIDGETSIZE_MAX);
    QVERIFY(room->geometry().contains(QRect(0, 0, 1000, 1000)));
    room->setXl(INT_MAX);
    QCOMPARE(room->xl(), INT_MAX - 5);
    room->setXr(INT_MIN);
    QCOMPARE(room->xr(), INT_MAX);

    // Reaching far to the left, it paints and takes the mouse where it shows.
    room->setXl(INT_MIN);
    room->setXr(97);
    room->setYtl(2);
    room->setYbr(97);
    QCOMPARE(cornersOf(room), (Corners{INT_MIN, 97, 2, 2, 97, 97}));
    hover(room, QPoint(97, 52));
    QCOMPARE(room->hoveredHandle(), int(TRoom::RightWall));
    const QImage image = e.main->Panel->grab(QRect(0, 0, 100, 100)).toImage();
    QCOMPARE(QColor(image.pixel(50, 2)), QColor(255, 0, 255));
    QCOMPARE(QColor(image.pixel(97, 52)), QColor(0, 255, 0));
}

void TestRoom::boxesAreHitOnFourByFourPixels()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    int hits[11] = {};
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            hover(room, QPoint(x, y));
            ++hits[room->hoveredHandle()];
        }
    }
    QCOMPARE(std::vector<int>(hits + 1, hits + 7), std::vector<int>(6, 16));
    QCOMPARE(hits[TRoom::Body], 100 * 100 - 6 * 16);
    hover(room, QPoint(0, 2));   // a box's outer column is body
    QCOMPARE(room->hoveredHandle(), int(TRoom::Body));
    hover(room, QPoint(1, 1));
    QCOMPARE(room->hoveredHandle(), int(TRoom::TopLeft));

    // At its minimum height a wall's middle box covers its bottom box and wins.
    room->setYbl(7);
    hover(room, QPoint(2, 8));
    QCOMPARE(room->hoveredHandle(), int(TRoom::LeftWall));
}

void TestRoom::clickAndDragTheBody()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    e.addRoom()->setLeft(200);

    // The first click selects and moves nothing.
    press(room, QPoint(50, 50));
    dragTo(room, QPoint(80, 70));
    release(room, QPoint(80, 70));
    QVERIFY(room->isSelected());
    QCOMPARE(e.main->SelectedRoom, room);
    QCOMPARE(room->geometry(), QRect(0, 0, 100, 100));

    // Now pressing on the body drags the room, the grab point staying under the mouse.
    hover(room, QPoint(50, 50));
    press(room, QPoint(50, 50));
    dragTo(room, QPoint(80, 70));
    QCOMPARE(cornersOf(room), (Corners{32, 127, 22, 22, 117, 117}));
    QCOMPARE(at(room, QPoint(80, 70)), QPoint(50, 50));
    dragTo(room, QPoint(-100, 10));   // off the picture is allowed
    release(room, QPoint(-100, 10));
    QCOMPARE(cornersOf(room), (Corners{-148, -53, -38, -38, 57, 57}));
    QVERIFY(!room->isDragging());
    QCOMPARE(e.tool->ShownRoom, room);
}

void TestRoom::dragABox_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<QPoint>("box");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("value");
    QTest::addColumn<QPoint>("beyond");
    QTest::addColumn<int>("limit");
    // The box's outer edge goes to the mouse; the other direction changes nothing.
    QTest::newRow("top left") << 1 << QPoint(2, 2) << QPoint(17, 30) << 32 << QPoint(2, 300) << 92;
    QTest::newRow("left wall") << 2 << QPoint(2, 52) << QPoint(40, 72) << 42 << QPoint(300, 52) << 92;
    QTest::newRow("bottom left") << 3 << QPoint(2, 97) << QPoint(1, 60) << 57 << QPoint(2, -100) << 7;
    QTest::newRow("top right") << 4 << QPoint(97, 2) << QPoint(100, 30) << 32 << QPoint(97, 300) << 92;
    QTest::newRow("right wall") << 5 << QPoint(97, 52) << QPoint(60, 43) << 57 << QPoint(-100, 52) << 7;
    QTest::newRow("bottom right") << 6 << QPoint(97, 97) << QPoint(93, 60) << 57 << QPoint(97, -100) << 7;
}

void TestRoom::dragABox()
{
    QFETCH(int, handle);
    QFETCH(QPoint, box);
    QFETCH(QPoint, to);
    QFETCH(int, value);
    QFETCH(QPoint, beyond);
    QFETCH(int, limit);
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    const int corner[] = {-1, 2, 0, 4, 3, 1, 5};   // position in Corners of each handle's corner
    auto expected = [&](int v) { Corners c{2, 97, 2, 2, 97, 97}; c[corner[handle]] = v; return c; };

    hover(room, box);
    QCOMPARE(room->hoveredHandle(), handle);
    press(room, box);
    dragTo(room, to);
    QCOMPARE(cornersOf(room), expected(value));
    dragTo(room, beyond);   // stops at the minimum size
    QCOMPARE(cornersOf(room), expected(limit));
    QCOMPARE(room->geometry(), fittedRect(room));
    release(room, beyond);
}

void TestRoom::leavingWhileHeldReleasesTheCapture()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    TRoom* other = e.addRoom();
    other->setLeft(60);   // lies over the room's right part

    press(room, QPoint(30, 50));
    dragTo(room, QPoint(30, 100));   // the line y = Height still counts as inside
    QVERIFY(room->holdsCapture());
    dragTo(room, QPoint(30, 150));
    QVERIFY(!room->holdsCapture());
    release(room, QPoint(30, 150));
    QCOMPARE(e.main->SelectedRoom, other);

    // Let go, the room hears nothing where another room lies on top of it.
    press(room, QPoint(30, 50));
    dragTo(room, QPoint(30, 150));
    dragTo(room, QPoint(80, 50));
    release(room, QPoint(80, 50));
    QCOMPARE(e.main->SelectedRoom, other);

    // Held with the right button, a selected room turns white and stays selected.
    room->Select();
    press(room, QPoint(30, 50), Qt::RightButton);
    dragTo(room, QPoint(30, 130));
    release(room, QPoint(30, 130), Qt::RightButton);
    QCOMPARE(room->selectedOutlineColor(), QColor(Qt::white));
    QVERIFY(room->isSelected());
    QCOMPARE(room->geometry(), QRect(0, 0, 100, 100));
}

void TestRoom::painting()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    const QColor grey(80, 80, 80), white(Qt::white), fuchsia(255, 0, 255), blue(0, 0, 255), lime(0, 255, 0);
    auto* tile = new TImage(e.main->Panel);   // shows through wherever the room draws nothing
    QImage picture(128, 128, QImage::Format_RGB32);
    picture.fill(grey);
    tile->setPicture(picture);
    tile->setGeometry(0, 0, 128, 128);
    tile->show();
    TRoom* room = e.addRoom();
    hover(room, QPoint(97, 52));
    auto colours = [&](std::initializer_list<QPoint> points) {
        const QImage image = e.main->Panel->grab(QRect(0, 0, 128, 128)).toImage();
        QList<QColor> list;
        for (QPoint p : points)
            list.append(QColor(image.pixel(p)));
        return list;
    };
    // Outline, boxes of 5 x 5 pixels over it, the hot box, and the inside and outside.
    const auto points = {QPoint(2, 30), QPoint(50, 2), QPoint(50, 97), QPoint(97, 30), QPoint(2, 2), QPoint(4, 4),
                         QPoint(99, 99), QPoint(95, 95), QPoint(97, 52), QPoint(5, 5), QPoint(94, 94),
                         QPoint(50, 50), QPoint(110, 50)};
    QCOMPARE(colours(points), (QList<QColor>{fuchsia, fuchsia, fuchsia, fuchsia, blue, blue, blue, blue, lime,
                                              grey, grey, grey, grey}));
    e.addRoom()->setLeft(300);   // unselected: a white outline and no boxes
    QCOMPARE(colours({QPoint(2, 30), QPoint(97, 52), QPoint(4, 4), QPoint(99, 99)}),
             (QList<QColor>{white, white, grey, grey}));
}

void TestRoom::mouseHandlersReportTheirErrors()
{
    // A pending door whose permeability is no number: the click that completes it fails
    // in the selection. The handler reports the error itself; nothing leaves the event.
    ShownEditor e;
    ErrorCapture errors;
    TRoom* first = e.addRoom();
    TRoom* second = e.addRoom();
    second->setLeft(200);
    e.main->SelectRoom(first);
    e.tool->edtPerm->setText(QStringLiteral("x"));
    e.tool->btnAddDoorClick();
    QObject* target = second;   // straight to the room, past the application object
    const QPointF inside(50, 50);
    QMouseEvent down(QEvent::MouseButtonPress, inside, second->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent up(QEvent::MouseButtonRelease, inside, second->mapToGlobal(inside), Qt::LeftButton, Qt::NoButton, {});
    try {
        target->event(&down);
        target->event(&up);
    } catch (...) {
        QFAIL("an error left the room's mouse handler");
    }
    QCOMPARE(errors.messages, QStringList({"'x' is not a valid integer value"}));
    QCOMPARE(first->doorCount(), 0);

    // The drag ended with the button: a later move over the room drags nothing.
    const Corners before = cornersOf(second);
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 80), second->mapToGlobal(QPointF(80, 80)), Qt::NoButton,
                     Qt::NoButton, {});
    target->event(&move);
    QCOMPARE(cornersOf(second), before);
}

PLSD_TEST_MAIN(TestRoom)
#include "tst_room.moc"
