#include "testsupport.h"
#include "core/model/roomplacement.h"

#include "app/pictureinstall.h"
#include "view/room.h"

#include <QComboBox>
#include <QLineEdit>

#include <climits>
#include <random>

namespace {

// The main window, shown so that rooms paint and take the mouse through the view.
struct ShownEditor : Editor {
    ShownEditor()
    {
        main->show();
        exposed = QTest::qWaitForWindowExposed(main);
    }
    // A room where the picture starts, whatever the view shows.
    TRoom* addRoom() { main->AddRoomAt(MiddleOf(RoomShape{})); return main->Rooms.last(); }
    bool exposed = false;
    MapMouse mouse{main};
};

using Corners = std::array<int, 6>;   // xl, xr, ytl, ytr, ybl, ybr
Corners cornersOf(const TRoom* r) { return {r->xl(), r->xr(), r->ytl(), r->ytr(), r->ybl(), r->ybr()}; }

// A picture of one grey block, so that what the rooms do not cover shows grey.
void installGreyPicture(TfrmMainForm& form, int columns)
{
    auto blocks = std::make_unique<TBlockList>();
    QImage grey(128, 128, QImage::Format_RGB888);
    grey.fill(QColor(80, 80, 80));
    for (int k = 0; k < columns; ++k) {
        blocks->push_back(std::make_unique<TGraphicBlock>());
        blocks->back()->SetBitmap(grey);
    }
    tilegrid::InstallGrid(form, std::move(blocks), columns, 1);
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
    // A new room; xl beyond xr stops 5 short; ytr above the top moves the box up.
    ShownEditor e;
    TRoom* room = e.addRoom();
    QCOMPARE(cornersOf(room), (Corners{2, 97, 2, 2, 97, 97}));
    room->setXl(200);
    QCOMPARE(cornersOf(room), (Corners{92, 97, 2, 2, 97, 97}));
    room->setXl(2);
    room->setYtr(-50);
    QCOMPARE(QPoint(room->left(), room->top()), QPoint(0, -52));
    QCOMPARE(e.tool->edtytr->text(), QStringLiteral("-50"));   // the toolbox follows every change
    QVERIFY(room->sceneBoundingRect().contains(QRectF(2, -50, 96, 148)));   // the item follows the shape

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
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    room->setXr(INT_MAX);
    room->setYbr(INT_MAX);
    room->setYtl(INT_MIN);
    QCOMPARE(cornersOf(room), (Corners{2, INT_MAX, INT_MIN, 2, 97, INT_MAX}));
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
    e.mouse.hover(QPoint(97, 70));
    QCOMPARE(room->hoveredHandle(), int(TRoom::Body));
    const QImage screen = e.mouse.screen();
    QCOMPARE(e.mouse.colourAt(screen, {50, 2}), QColor(255, 0, 255));
    QCOMPARE(e.mouse.colourAt(screen, {97, 60}), QColor(255, 0, 255));
    QCOMPARE(e.mouse.colourAt(screen, {97, 97}), QColor(0, 0, 255));
}

void TestRoom::boxesAreHitOnFourByFourPixels()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    int hits[11] = {};
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            e.mouse.hover(QPoint(x, y));
            ++hits[room->hoveredHandle()];
        }
    }
    QCOMPARE(std::vector<int>(hits + 1, hits + 7), std::vector<int>(6, 16));
    QCOMPARE(hits[TRoom::Body], 100 * 100 - 6 * 16);
    e.mouse.hover(QPoint(0, 2));   // a box's outer column is body
    QCOMPARE(room->hoveredHandle(), int(TRoom::Body));
    e.mouse.hover(QPoint(1, 1));
    QCOMPARE(room->hoveredHandle(), int(TRoom::TopLeft));

    // At its minimum height a wall's middle box overlaps its bottom box and wins there;
    // the bottom corner can still be taken below it.
    room->setYbl(7);
    e.mouse.hover(QPoint(2, 6));
    QCOMPARE(room->hoveredHandle(), int(TRoom::LeftWall));
    e.mouse.hover(QPoint(2, 8));
    QCOMPARE(room->hoveredHandle(), int(TRoom::BottomLeft));
}

void TestRoom::clickAndDragTheBody()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    e.addRoom()->setLeft(200);

    // The first click selects and moves nothing.
    e.mouse.drag(QPoint(50, 50), QPoint(80, 70));
    QVERIFY(room->isSelected());
    QCOMPARE(e.main->SelectedRoom, room);
    QCOMPARE(cornersOf(room), (Corners{2, 97, 2, 2, 97, 97}));

    // Now pressing on the body drags the room, the grab point staying under the mouse.
    e.mouse.hover(QPoint(50, 50));
    e.mouse.press(QPoint(50, 50));
    e.mouse.moveTo(QPoint(80, 70));
    QCOMPARE(cornersOf(room), (Corners{32, 127, 22, 22, 117, 117}));
    e.mouse.moveTo(QPoint(-100, 10));   // off the picture is allowed
    e.mouse.release(QPoint(-100, 10));
    QCOMPARE(cornersOf(room), (Corners{-148, -53, -38, -38, 57, 57}));
    QCOMPARE(e.main->Panel->draggedPart(), 0);
    QCOMPARE(e.tool->ShownRoom, room);
    QCOMPARE(e.tool->edtxl->text(), QStringLiteral("-148"));

    // Dragged along with a third room, in many moves within a frame, to meet the other room:
    // the release of a group is no click, and the toolbox shows the last shape and offers
    // the new neighbour as soon as the button is up.
    TRoom* third = e.addRoom();
    third->setLeft(-400);
    e.main->Document->selectRooms({room->key(), third->key()}, room->key());
    e.mouse.press(QPoint(-100, 10));
    for (int step = 1; step <= 10; ++step)
        e.mouse.moveTo(QPoint(-100, 10) + QPoint(255, 40) * step / 10);
    e.mouse.release(QPoint(155, 50));
    QCOMPARE(cornersOf(room), (Corners{107, 202, 2, 2, 97, 97}));
    QCOMPARE(e.tool->edtxl->text(), QStringLiteral("107"));
    QCOMPARE(e.tool->edtybr->text(), QStringLiteral("97"));
    QCOMPARE(e.tool->cbxDoorList->itemText(0), QStringLiteral("1 new"));
}

void TestRoom::dragABox_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<QPoint>("box");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("value");
    QTest::addColumn<QPoint>("beyond");
    QTest::addColumn<int>("limit");
    // The corner keeps its offset from the mouse; the other direction changes nothing.
    QTest::newRow("top left") << 1 << QPoint(2, 2) << QPoint(17, 30) << 30 << QPoint(2, 300) << 92;
    QTest::newRow("left wall") << 2 << QPoint(3, 50) << QPoint(41, 70) << 40 << QPoint(300, 52) << 92;
    QTest::newRow("bottom left") << 3 << QPoint(2, 97) << QPoint(1, 60) << 60 << QPoint(2, -100) << 7;
    QTest::newRow("top right") << 4 << QPoint(97, 2) << QPoint(100, 30) << 30 << QPoint(97, 300) << 92;
    QTest::newRow("right wall") << 5 << QPoint(97, 49) << QPoint(60, 43) << 60 << QPoint(-100, 52) << 7;
    QTest::newRow("bottom right") << 6 << QPoint(98, 96) << QPoint(93, 60) << 61 << QPoint(97, -100) << 7;
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

    e.mouse.hover(box);
    QCOMPARE(room->hoveredHandle(), handle);
    e.mouse.press(box);
    e.mouse.release(box);   // a press and release without a move changes nothing
    QCOMPARE(cornersOf(room), (Corners{2, 97, 2, 2, 97, 97}));
    e.mouse.press(box);
    e.mouse.moveTo(to);
    QCOMPARE(cornersOf(room), expected(value));
    e.mouse.moveTo(beyond);   // stops at the minimum size
    QCOMPARE(cornersOf(room), expected(limit));
    e.mouse.release(beyond);
    QCOMPARE(e.main->UndoStack->undoText(), QStringLiteral("Reshape Room"));
    e.main->UndoStack->undo();   // the whole drag is one step
    QCOMPARE(cornersOf(room), (Corners{2, 97, 2, 2, 97, 97}));
}

void TestRoom::leavingWhileHeldReleasesTheCapture()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    TRoom* room = e.addRoom();
    TRoom* other = e.addRoom();
    other->setLeft(60);   // lies over the room's right part

    // A press on the room and a release off it selects nothing.
    e.mouse.drag(QPoint(30, 50), QPoint(30, 150));
    QCOMPARE(e.main->SelectedRoom, other);

    // Where the other room lies on top and is selected, a click goes to the one under it,
    // and so does Alt+click.
    e.mouse.click(QPoint(80, 50));
    QCOMPARE(e.main->SelectedRoom, room);
    QCOMPARE(e.main->Panel->items(Qt::DescendingOrder).first(), room);   // in front now
    e.mouse.click(QPoint(80, 50), Qt::AltModifier);
    QCOMPARE(e.main->SelectedRoom, other);
    e.mouse.click(QPoint(80, 50));
    QCOMPARE(e.main->SelectedRoom, room);

    // Held with the right button, a selected room stays selected and in place.
    e.mouse.press(QPoint(30, 50), Qt::RightButton);
    e.mouse.moveTo(QPoint(30, 130));
    e.mouse.release(QPoint(30, 130), Qt::RightButton);
    QVERIFY(room->isSelected());
    QCOMPARE(cornersOf(room), (Corners{2, 97, 2, 2, 97, 97}));
}

void TestRoom::painting()
{
    ShownEditor e;
    QVERIFY(e.exposed);
    const QColor grey(80, 80, 80), white(Qt::white), fuchsia(255, 0, 255), blue(0, 0, 255), lime(0, 255, 0);
    installGreyPicture(*e.main, 4);   // shows through wherever the room draws nothing
    TRoom* room = e.addRoom();
    e.mouse.hover(QPoint(97, 49));
    QCOMPARE(room->hoveredHandle(), int(TRoom::RightWall));
    auto colours = [&](std::initializer_list<QPoint> points) {
        const QImage screen = e.mouse.screen();
        QList<QColor> list;
        for (QPoint p : points)
            list.append(e.mouse.colourAt(screen, p));
        return list;
    };
    // Outline, boxes of 5 x 5 pixels over it, the hot box, and the inside and outside.
    const auto points = {QPoint(2, 30), QPoint(50, 2), QPoint(50, 97), QPoint(97, 30), QPoint(0, 0), QPoint(4, 4),
                         QPoint(99, 99), QPoint(95, 95), QPoint(97, 49), QPoint(5, 5), QPoint(94, 94),
                         QPoint(50, 50), QPoint(110, 50)};
    QCOMPARE(colours(points), (QList<QColor>{fuchsia, fuchsia, fuchsia, fuchsia, blue, blue, blue, blue, lime,
                                              grey, grey, grey, grey}));
    e.addRoom()->setLeft(300);   // unselected: a white outline and no boxes
    QCOMPARE(colours({QPoint(2, 30), QPoint(97, 49), QPoint(4, 4), QPoint(99, 99)}),
             (QList<QColor>{white, white, grey, grey}));

    // At 200 % the boxes are still 5 x 5 screen pixels and the outline one pixel wide.
    e.main->scbImage->setZoom(2);
    e.main->scbImage->centerOn(350, 50);
    const QImage screen = e.mouse.screen();
    const QPoint corner = e.mouse.at(QPoint(302, 2));   // the selected room's top-left pixel
    int blueCount = 0;
    for (int y = -6; y <= 6; ++y)
        for (int x = -6; x <= 6; ++x)
            blueCount += screen.pixelColor(corner + QPoint(x, y)) == blue;
    QCOMPARE(blueCount, 25);
    const QPoint wall = e.mouse.at(QPoint(302, 40));
    QList<QColor> across;
    for (int x = -4; x <= 4; ++x)
        across.append(screen.pixelColor(wall + QPoint(x, 0)));
    QCOMPARE(across.count(fuchsia), 1);
    QCOMPARE(across.count(grey), 8);
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
    try {
        e.mouse.click(QPoint(250, 50));
    } catch (...) {
        QFAIL("an error left the room's mouse handler");
    }
    QCOMPARE(errors.messages, QStringList({"'x' is not a valid integer value"}));
    QCOMPARE(first->doorCount(), 0);
    QCOMPARE(e.main->SelectedRoom, first);

    // The gesture ended with the button: a later move over the room drags nothing.
    const Corners before = cornersOf(second);
    e.mouse.hover(QPoint(280, 80));
    QCOMPARE(cornersOf(second), before);
}

PLSD_TEST_MAIN(TestRoom)
#include "tst_room.moc"
