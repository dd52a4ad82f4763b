#include "testsupport.h"

#include "background/blockpicture.h"
#include "rooms/room.h"

#include <climits>
#include <random>

namespace {

// The main window, shown so that rooms paint and take the mouse.
struct ShownEditor : Editor {
    ShownEditor()
    {
        main->show();
        exposed = QTest::qWaitForWindowExposed(main);
    }
    TRoom* addRoom()
    {
        main->AddRoom();
        return main->Rooms.last();
    }
    bool exposed = false;
};

QPoint onRoom(TRoom* room, QPoint onPanel)
{
    return room->mapFrom(room->parentWidget(), onPanel);
}

// With no button down the event goes to whatever lies under the cursor.
void hover(TRoom* room, QPoint onPanel)
{
    // The cursor must really move, or no event comes.
    const QPoint global = room->mapToGlobal(onRoom(room, onPanel));
    if (QCursor::pos() == global)
        QCursor::setPos(global + QPoint(0, 400));
    QTest::mouseMove(room, onRoom(room, onPanel));
}
void press(TRoom* room, QPoint onPanel, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(room, button, {}, onRoom(room, onPanel));
}
void dragTo(TRoom* room, QPoint onPanel)
{
    QTest::mouseMove(room, onRoom(room, onPanel));
}
void release(TRoom* room, QPoint onPanel, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseRelease(room, button, {}, onRoom(room, onPanel));
}

struct Corners {
    int xl, xr, ytl, ytr, ybl, ybr;
    bool operator==(const Corners&) const = default;
};

Corners cornersOf(const TRoom* room)
{
    return {room->xl(), room->xr(), room->ytl(), room->ytr(), room->ybl(), room->ybr()};
}

char* toString(const Corners& c)
{
    return QTest::toString(QStringLiteral("xl %1 xr %2 ytl %3 ytr %4 ybl %5 ybr %6")
                               .arg(c.xl).arg(c.xr).arg(c.ytl).arg(c.ytr).arg(c.ybl).arg(c.ybr));
}

// The control's place that the corners call for.
QRect fittedRect(const TRoom* room)
{
    const int top = std::min(room->ytl(), room->ytr()) - 2;
    return QRect(room->xl() - 2, top, room->xr() - room->xl() + 5, std::max(room->ybl(), room->ybr()) - top + 3);
}

QColor pixel(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

const QColor grey(80, 80, 80);
const QColor white(255, 255, 255);
const QColor fuchsia(255, 0, 255);
const QColor blue(0, 0, 255);
const QColor lime(0, 255, 0);

} // namespace

class TestRoom : public QObject {
    Q_OBJECT
private slots:
    void newRoom();
    void cornerWritesClampOnlyTheSideThatMoved();
    void writesKeepTheControlFitted();
    void unfixedWritesOnlyStore();
    void extremeCorners();
    void boxesAreHitOnFourByFourPixels();
    void middleBoxes();
    void firstClickSelectsWithoutMoving();
    void dragMovesTheRoomWithTheGrabPoint();
    void dragBoxChangesOnlyItsCorner_data();
    void dragBoxChangesOnlyItsCorner();
    void leavingWhileHeldReleasesTheCapture();
    void painting();
};

void TestRoom::newRoom()
{
    ShownEditor e;
    TRoom* room = e.addRoom();
    QCOMPARE(cornersOf(room), (Corners{2, 97, 2, 2, 97, 97}));
    QCOMPARE(room->geometry(), QRect(0, 0, 100, 100));
    QCOMPARE(room->parentWidget(), e.main->Panel);
    QCOMPARE(room->HandleWidth, 5);
    QCOMPARE(room->HandleHeight, 5);
    QVERIFY(room->fixed);
    QCOMPARE(room->roomtype, 0);
    QVERIFY(room->music.isEmpty());
    QCOMPARE(room->doorCount(), 0);
    QVERIFY(room->hasMouseTracking());
    QVERIFY(!room->autoFillBackground());
    QCOMPARE(room->cursor().shape(), Qt::CrossCursor);
}

void TestRoom::cornerWritesClampOnlyTheSideThatMoved()
{
    struct Case {
        void (TRoom::*write)(int);
        int value;
        Corners expected;
        QRect control;
    };
    const Case cases[] = {
        {&TRoom::setXl, 200, {92, 97, 2, 2, 97, 97}, QRect(90, 0, 10, 100)},
        {&TRoom::setXr, 0, {2, 7, 2, 2, 97, 97}, QRect(0, 0, 10, 100)},
        {&TRoom::setYtl, 300, {2, 97, 92, 2, 97, 97}, QRect(0, 0, 100, 100)},
        {&TRoom::setYbl, 40, {2, 97, 2, 2, 40, 97}, QRect(0, 0, 100, 100)},
        {&TRoom::setYtr, -50, {2, 97, 2, -50, 97, 97}, QRect(0, -52, 100, 152)},
        {&TRoom::setYbr, -80, {2, 97, 2, 2, 97, 7}, QRect(0, 0, 100, 100)},
    };
    for (const Case& c : cases) {
        ShownEditor e;
        TRoom* room = e.addRoom();
        e.tool->ShownRoom = nullptr;
        (room->*c.write)(c.value);
        QCOMPARE(cornersOf(room), c.expected);
        QCOMPARE(room->geometry(), c.control);
        // Every shape change is announced through the selection.
        QCOMPARE(e.main->SelectedRoom, room);
        QCOMPARE(e.tool->ShownRoom, room);
    }

    // ybl above ybr leaves the height to ybr, until ybr comes up too.
    ShownEditor e;
    TRoom* room = e.addRoom();
    room->setYbl(40);
    QCOMPARE(room->height(), 100);
    room->setYbr(40);
    QCOMPARE(room->height(), 43);
    QCOMPARE(cornersOf(room), (Corners{2, 97, 2, 2, 40, 40}));
}

void TestRoom::writesKeepTheControlFitted()
{
    ShownEditor e;
    TRoom* room = e.addRoom();
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> which(0, 5);
    std::uniform_int_distribution<int> value(-300, 300);
    for (int step = 0; step < 500; ++step) {
        const Corners before = cornersOf(room);
        const int v = value(random);
        Corners expected = before;
        switch (which(random)) {
        case 0: room->setXl(v); expected.xl = std::min(v, before.xr - 5); break;
        case 1: room->setXr(v); expected.xr = std::max(v, before.xl + 5); break;
        case 2: room->setYtl(v); expected.ytl = std::min(v, before.ybl - 5); break;
        case 3: room->setYtr(v); expected.ytr = std::min(v, before.ybr - 5); break;
        case 4: room->setYbl(v); expected.ybl = std::max(v, before.ytl + 5); break;
        case 5: room->setYbr(v); expected.ybr = std::max(v, before.ytr + 5); break;
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
    QCOMPARE(e.main->SelectedRoom, other);

    room->fixed = false;
    Corners expected = cornersOf(room);
    room->setXl(50);
    expected.xl = 50;
    QCOMPARE(cornersOf(room), expected);
    room->setXr(20);   // left of the left wall: stored as it is
    expected.xr = 20;
    QCOMPARE(cornersOf(room), expected);
    room->setYtl(10);
    expected.ytl = 10;
    QCOMPARE(cornersOf(room), expected);
    room->setYtr(-5);
    expected.ytr = -5;
    QCOMPARE(cornersOf(room), expected);
    room->setYbl(0);
    expected.ybl = 0;
    QCOMPARE(cornersOf(room), expected);
    QCOMPARE(room->geometry(), QRect(0, 0, 100, 100));
    QCOMPARE(e.main->SelectedRoom, other);

    // The write that follows fixing the room adjusts it once, by the rule of its own corner.
    room->fixed = true;
    room->setYbr(-20);
    QCOMPARE(cornersOf(room), (Corners{50, 20, 10, -5, 0, 0}));
    QCOMPARE(e.main->SelectedRoom, room);
    QCOMPARE(room->left(), 48);
    QCOMPARE(room->top(), -7);
}

void TestRoom::extremeCorners()
{
    ShownEditor e;
    TRoom* room = e.addRoom();
    room->setXr(INT_MAX);
    room->setYbr(INT_MAX);
    room->setYtl(INT_MIN);
    QCOMPARE(cornersOf(room), (Corners{2, INT_MAX, INT_MIN, 2, 97, INT_MAX}));
    QCOMPARE(room->left(), 0);
    QCOMPARE(room->top(), INT_MIN);   // INT_MIN - 2, as far as an int goes
    // The widget covers only what Panel can show, within Qt's size limit.
    QVERIFY(room->width() <= QWIDGETSIZE_MAX && room->height() <= QWIDGETSIZE_MAX);
    QVERIFY(room->geometry().contains(QRect(0, 0, 1000, 1000)));

    room->setXl(INT_MAX);   // held back by the right wall
    QCOMPARE(room->xl(), INT_MAX - 5);
    room->setXr(INT_MIN);   // held back by the left wall
    QCOMPARE(room->xr(), INT_MAX);
    QCOMPARE(room->xl(), INT_MAX - 5);
    room->setYbr(INT_MIN);
    QCOMPARE(room->ybr(), 7);

    room->setYtr(INT_MIN);
    QCOMPARE(cornersOf(room), (Corners{INT_MAX - 5, INT_MAX, INT_MIN, INT_MIN, 97, 7}));

    // Reaching far to the left, the room still paints and takes the mouse where it shows.
    room->setXl(INT_MIN);
    room->setXr(97);
    room->setYtl(2);
    room->setYtr(2);
    room->setYbr(97);
    QCOMPARE(cornersOf(room), (Corners{INT_MIN, 97, 2, 2, 97, 97}));
    QVERIFY(room->x() < 0 && room->x() + room->width() == 100);
    hover(room, QPoint(97, 52));
    QCOMPARE(room->hoveredHandle(), int(TRoom::RightWall));
    const QImage image = e.main->Panel->grab(QRect(0, 0, 100, 100)).toImage();
    QCOMPARE(pixel(image, 97, 30), fuchsia);
    QCOMPARE(pixel(image, 50, 2), fuchsia);
    QCOMPARE(pixel(image, 97, 52), lime);
    QCOMPARE(pixel(image, 97, 97), blue);
}

void TestRoom::boxesAreHitOnFourByFourPixels()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    QCOMPARE(room->hoveredHandle(), int(TRoom::Body));

    // A box's left column and top row are body; one pixel further in is the box.
    hover(room, QPoint(0, 2));
    QCOMPARE(room->hoveredHandle(), int(TRoom::Body));
    hover(room, QPoint(2, 0));
    QCOMPARE(room->hoveredHandle(), int(TRoom::Body));
    hover(room, QPoint(1, 1));
    QCOMPARE(room->hoveredHandle(), int(TRoom::TopLeft));
    hover(room, QPoint(4, 4));
    QCOMPARE(room->hoveredHandle(), int(TRoom::TopLeft));
    hover(room, QPoint(5, 4));
    QCOMPARE(room->hoveredHandle(), int(TRoom::Body));

    int hits[11] = {};
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            hover(room, QPoint(x, y));
            ++hits[room->hoveredHandle()];
        }
    }
    for (int code = TRoom::TopLeft; code <= TRoom::BottomRight; ++code)
        QCOMPARE(hits[code], 16);
    QCOMPARE(hits[TRoom::Body], 100 * 100 - 6 * 16);
}

void TestRoom::middleBoxes()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();

    // edgeBL - edgeTL = 11: the left middle box starts at edgeTL + 5.
    room->setYbl(8);
    hover(room, QPoint(2, 5));
    QCOMPARE(room->hoveredHandle(), int(TRoom::Body));
    hover(room, QPoint(2, 6));
    QCOMPARE(room->hoveredHandle(), int(TRoom::LeftWall));

    // At its minimum height a wall's middle box covers its bottom box and wins.
    room->setYbl(7);
    hover(room, QPoint(2, 8));
    QCOMPARE(room->hoveredHandle(), int(TRoom::LeftWall));
    // The right wall, still long, keeps three boxes.
    hover(room, QPoint(97, 97));
    QCOMPARE(room->hoveredHandle(), int(TRoom::BottomRight));
}

void TestRoom::firstClickSelectsWithoutMoving()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* first = e.addRoom();
    TRoom* second = e.addRoom();
    second->setLeft(200);
    QVERIFY(!first->isSelected());

    hover(first, QPoint(50, 50));
    press(first, QPoint(50, 50));
    QVERIFY(!first->isDragging());
    dragTo(first, QPoint(80, 70));
    dragTo(first, QPoint(90, 90));
    QCOMPARE(first->geometry(), QRect(0, 0, 100, 100));
    release(first, QPoint(90, 90));

    QVERIFY(first->isSelected());
    QVERIFY(!second->isSelected());
    QCOMPARE(e.main->SelectedRoom, first);
    QCOMPARE(e.tool->ShownRoom, first);
    QCOMPARE(first->geometry(), QRect(0, 0, 100, 100));
    QCOMPARE(first->selectedOutlineColor(), fuchsia);
}

void TestRoom::dragMovesTheRoomWithTheGrabPoint()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    hover(room, QPoint(50, 50));
    QCOMPARE(room->hoveredHandle(), int(TRoom::Body));
    press(room, QPoint(50, 50));
    QVERIFY(room->isDragging());

    e.tool->ShownRoom = nullptr;
    dragTo(room, QPoint(80, 70));
    QCOMPARE(room->geometry(), QRect(30, 20, 100, 100));
    QCOMPARE(room->mapFrom(e.main->Panel, QPoint(80, 70)), QPoint(50, 50));
    QCOMPARE(cornersOf(room), (Corners{32, 127, 22, 22, 117, 117}));
    QCOMPARE(e.tool->ShownRoom, room);

    // Nothing keeps it on the picture.
    dragTo(room, QPoint(-100, 10));
    QCOMPARE(cornersOf(room), (Corners{-148, -53, -38, -38, 57, 57}));
    release(room, QPoint(-100, 10));
    QVERIFY(!room->isDragging());
    QVERIFY(room->isSelected());
    QCOMPARE(e.main->SelectedRoom, room);

    // Without a button the mouse moves nothing.
    hover(room, QPoint(10, 20));
    QCOMPARE(room->left(), -150);
}

void TestRoom::dragBoxChangesOnlyItsCorner_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<QPoint>("box");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("value");
    QTest::addColumn<QPoint>("beyond");
    QTest::addColumn<int>("limit");
    // The box's outer edge goes to the mouse; sideways motion changes nothing.
    QTest::newRow("top left") << 1 << QPoint(2, 2) << QPoint(17, 30) << 32 << QPoint(2, 300) << 92;
    QTest::newRow("left wall") << 2 << QPoint(2, 52) << QPoint(40, 72) << 42 << QPoint(300, 52) << 92;
    QTest::newRow("bottom left") << 3 << QPoint(2, 97) << QPoint(1, 60) << 57 << QPoint(2, -100) << 7;
    QTest::newRow("top right") << 4 << QPoint(97, 2) << QPoint(100, 30) << 32 << QPoint(97, 300) << 92;
    QTest::newRow("right wall") << 5 << QPoint(97, 52) << QPoint(60, 43) << 57 << QPoint(-100, 52) << 7;
    QTest::newRow("bottom right") << 6 << QPoint(97, 97) << QPoint(93, 60) << 57 << QPoint(97, -100) << 7;
}

void TestRoom::dragBoxChangesOnlyItsCorner()
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
    const Corners start = cornersOf(room);
    auto expect = [&](int corner) {
        Corners c = start;
        int* fields[] = {nullptr, &c.ytl, &c.xl, &c.ybl, &c.ytr, &c.xr, &c.ybr};
        *fields[handle] = corner;
        return c;
    };

    hover(room, box);
    QCOMPARE(room->hoveredHandle(), handle);
    press(room, box);
    QCOMPARE(room->draggedHandle(), handle);
    dragTo(room, to);
    QCOMPARE(cornersOf(room), expect(value));
    QCOMPARE(room->geometry(), fittedRect(room));
    QCOMPARE(room->hoveredHandle(), handle);
    dragTo(room, beyond);
    QCOMPARE(cornersOf(room), expect(limit));
    QCOMPARE(room->geometry(), fittedRect(room));
    release(room, beyond);
    QVERIFY(!room->isDragging());
    QCOMPARE(e.main->SelectedRoom, room);
}

void TestRoom::leavingWhileHeldReleasesTheCapture()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    TRoom* other = e.addRoom();
    other->setLeft(200);

    // Held on an unselected room and taken out: the room lets go, the release selects nothing.
    press(room, QPoint(50, 50));
    QVERIFY(room->holdsCapture());
    dragTo(room, QPoint(100, 50));   // the line x = Width still counts as inside
    QVERIFY(room->holdsCapture());
    dragTo(room, QPoint(120, 150));
    QVERIFY(!room->holdsCapture());
    QCOMPARE(room->hoveredHandle(), int(TRoom::NoHandle));
    release(room, QPoint(120, 150));
    QVERIFY(!room->isSelected());
    QCOMPARE(e.main->SelectedRoom, other);

    // Let go, the room hears the mouse again once it is back over it.
    press(room, QPoint(50, 50));
    dragTo(room, QPoint(120, 150));
    QVERIFY(!room->holdsCapture());
    dragTo(room, QPoint(60, 60));
    release(room, QPoint(60, 60));
    QVERIFY(room->isSelected());
    QCOMPARE(e.main->SelectedRoom, room);

    // Let go over a room that lies on top of it, the room hears nothing.
    other->setLeft(60);
    other->Select();
    press(room, QPoint(30, 50));
    dragTo(room, QPoint(30, 150));
    dragTo(room, QPoint(80, 50));
    release(room, QPoint(80, 50));
    QVERIFY(!room->isSelected());
    QCOMPARE(e.main->SelectedRoom, other);
    room->Select();
    other->setLeft(200);

    // A selected room held with the right button: the outline turns white, the room stays selected.
    hover(room, QPoint(50, 50));
    press(room, QPoint(50, 50), Qt::RightButton);
    QVERIFY(!room->isDragging());
    dragTo(room, QPoint(50, 130));
    QVERIFY(!room->holdsCapture());
    QCOMPARE(room->selectedOutlineColor(), white);
    QVERIFY(room->isSelected());
    release(room, QPoint(50, 130), Qt::RightButton);
    QCOMPARE(room->geometry(), QRect(0, 0, 100, 100));
}

void TestRoom::painting()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    // A tile under the room shows through wherever the room draws nothing.
    auto* tile = new TImage(e.main->Panel);
    QImage picture(128, 128, QImage::Format_RGB32);
    picture.fill(grey);
    tile->setPicture(picture);
    tile->setGeometry(0, 0, 128, 128);
    tile->show();
    tile->lower();

    TRoom* room = e.addRoom();
    hover(room, QPoint(50, 50));
    QImage image = e.main->Panel->grab(QRect(0, 0, 128, 128)).toImage();
    // Outline through the corners.
    for (QPoint p : {QPoint(2, 30), QPoint(97, 30), QPoint(50, 2), QPoint(50, 97)})
        QCOMPARE(pixel(image, p.x(), p.y()), fuchsia);
    // Six boxes of 5 x 5 pixels over the outline.
    for (QPoint p : {QPoint(2, 2), QPoint(2, 52), QPoint(2, 97), QPoint(97, 2), QPoint(97, 52), QPoint(97, 97)})
        QCOMPARE(pixel(image, p.x(), p.y()), blue);
    QCOMPARE(pixel(image, 4, 4), blue);
    QCOMPARE(pixel(image, 5, 5), grey);
    QCOMPARE(pixel(image, 99, 99), blue);
    QCOMPARE(pixel(image, 95, 95), blue);
    QCOMPARE(pixel(image, 94, 94), grey);
    QCOMPARE(pixel(image, 50, 50), grey);
    QCOMPARE(pixel(image, 110, 50), grey);

    // The box under the mouse.
    hover(room, QPoint(97, 52));
    image = e.main->Panel->grab(QRect(0, 0, 128, 128)).toImage();
    QCOMPARE(pixel(image, 97, 52), lime);
    QCOMPARE(pixel(image, 97, 97), blue);

    // Unselected: a white outline and no boxes.
    TRoom* other = e.addRoom();
    other->setLeft(300);
    image = e.main->Panel->grab(QRect(0, 0, 128, 128)).toImage();
    QCOMPARE(pixel(image, 2, 30), white);
    QCOMPARE(pixel(image, 97, 52), white);
    QCOMPARE(pixel(image, 4, 4), grey);
    QCOMPARE(pixel(image, 99, 99), grey);
}

PLSD_TEST_MAIN(TestRoom)
#include "tst_room.moc"
