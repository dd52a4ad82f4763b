#include "testsupport.h"
#include "core/model/editor.h"

#include "core/model/steps.h"
#include "view/blockimage.h"
#include "view/blocklevels.h"
#include "view/mapscene.h"
#include "view/mapview.h"
#include "view/pictureoverview.h"
#include "view/roomhandles.h"
#include "view/room.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <functional>
#include <QUndoStack>

using namespace roomhandles;

namespace {

constexpr int blockColumns = 8;
constexpr int blockRows = 6;

// A black and white checkerboard of single pixels in every block.
QImage checkerboard()
{
    QImage image(128, 128, QImage::Format_RGB888);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            image.setPixelColor(x, y, (x + y) % 2 ? Qt::white : Qt::black);
    return image;
}

PictureGrid checkerboardGrid()
{
    auto blocks = std::make_shared<TBlockList>();
    const QImage image = checkerboard();
    for (int k = 0; k < blockColumns * blockRows; ++k) {
        blocks->push_back(std::make_unique<TGraphicBlock>());
        blocks->back()->SetBitmap(image);
    }
    return {blocks, blockColumns, blockRows};
}

RoomRecord roomAt(qint64 xl, qint64 ytl, qint64 xr, qint64 ybl)
{
    RoomRecord r;
    r.shape = {xl, xr, ytl, ytl, ybl, ybl};
    return r;
}

// A document with a picture of 8 x 6 blocks, its undo stack, the scene and a view of
// 400 x 300 pixels, shown, that the mouse reaches through its viewport.
struct Map {
    MetaroomEditor editor;
    TMetaroomDocument& doc = *editor.document();
    QUndoStack& stack = *editor.undoStack();
    TMapScene scene{&editor};
    TMapView view{&scene};

    Map()
    {
        doc.setGrid(checkerboardGrid());
        doc.setSurfaceSize(QSize(blockColumns * 128, blockRows * 128));
        view.resize(400, 300);
        view.show();
        exposed = QTest::qWaitForWindowExposed(&view);
    }

    RoomKey add(const RoomRecord& record)
    {
        const RoomKey key = doc.insertRoom(doc.roomCount(), record);
        doc.select(key);
        return key;
    }
    const RoomShape& shape(RoomKey key) const { return doc.room(key).shape; }
    TRoom* item(RoomKey key) const { return scene.roomItem(key); }

    // The screen pixel that shows a picture pixel (at 50 %, its even neighbours share one).
    QPoint at(QPoint picture) const { return view.mapFromScene(QPointF(picture) + QPointF(0.25, 0.25)); }
    QTransform toDevice() const { return view.viewportTransform(); }

    void hover(QPoint p)
    {
        QMouseEvent move(QEvent::MouseMove, p, view.viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(view.viewport(), &move);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {})
    {
        hover(from);
        QTest::mousePress(view.viewport(), Qt::LeftButton, modifiers, from);
        QTest::mouseMove(view.viewport(), (from + to) / 2);
        QTest::mouseMove(view.viewport(), to);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, modifiers, to);
    }
    void click(QPoint p, Qt::KeyboardModifiers modifiers = {}) { drag(p, p, modifiers); }

    void zoomOn(qreal zoom, QPointF centre)
    {
        view.setZoom(zoom);
        view.centerOn(centre);
    }
    QImage screen() { return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    bool exposed = false;
};

bool isWall(int handle)
{
    return handle == int(Corner::LeftWall) || handle == int(Corner::RightWall);
}

} // namespace

class TestMapView : public QObject {
    Q_OBJECT
private slots:
    void dragsLandOnThePixelUnderTheMouse_data();
    void dragsLandOnThePixelUnderTheMouse();
    void handlesAndOutlinesKeepTheirScreenSize_data();
    void handlesAndOutlinesKeepTheirScreenSize();
    void clicksSelectTopRoomAndAltTheOneUnder();
    void keysNudgeAndDeleteAsUndoSteps();
    void severalRoomsSelectMoveAndDeleteTogether();
    void stackingFollowsTheSelection();
    void pictureIsSharpZoomedInAndSmoothZoomedOut();
    void blocksDrawnInStripsMatchOneDrawing();
    void zoomStepsFitAndWheel();
    void panWithMiddleButtonAndSpace();
};

void TestMapView::dragsLandOnThePixelUnderTheMouse_data()
{
    QTest::addColumn<qreal>("zoom");
    QTest::newRow("50 %") << 0.5;
    QTest::newRow("100 %") << 1.0;
    QTest::newRow("200 %") << 2.0;
}

void TestMapView::dragsLandOnThePixelUnderTheMouse()
{
    QFETCH(qreal, zoom);
    Map map;
    QVERIFY(map.exposed);
    const RoomKey key = map.add(roomAt(100, 100, 160, 180));
    map.zoomOn(zoom, QPointF(130, 140));

    for (int handle = FirstHandle; handle <= LastHandle; ++handle) {
        const RoomShape start = map.shape(key);
        const QPointF onPixel = handleCentre(start, handle);
        const QPoint centre(qFloor(onPixel.x()), qFloor(onPixel.y()));
        const QPoint grab = map.at(centre);
        QCOMPARE(map.item(key)->partAt(grab, map.toDevice()), handle);

        // A press and release, or a move that stays on the pixel, changes nothing.
        map.click(grab);
        map.drag(grab, grab + QPoint(zoom > 1 ? -1 : 0, 0));
        QCOMPARE(map.shape(key), start);
        QCOMPARE(map.stack.count(), 0);

        // A drag puts the corner on the pixel under the mouse, in one undo step; pressed
        // off the corner's pixel, it keeps that offset.
        const QPoint target = centre + (isWall(handle) ? QPoint(-12, 30) : QPoint(30, 12));
        const QPoint offset = handle % 2 ? QPoint(0, 0) : QPoint(2, 1);
        map.drag(grab + offset, map.at(target) + offset);
        const qint64 wanted = isWall(handle) ? target.x() : target.y();
        const RoomShape expected = AdjustedShape(WithCorner(start, Corner(handle), wanted), Corner(handle), 5, 5);
        QCOMPARE(map.shape(key), expected);
        QCOMPARE(map.stack.count(), 1);
        map.stack.undo();
        QCOMPARE(map.shape(key), start);
        map.stack.clear();
    }

    // The body keeps the offset of the press.
    const RoomShape start = map.shape(key);
    map.drag(map.at({120, 150}), map.at({140, 120}));
    QCOMPARE(map.shape(key), Moved(start, 20, -30));
    QCOMPARE(map.stack.count(), 1);
    QCOMPARE(map.stack.undoText(), QStringLiteral("Move Room"));
}

void TestMapView::handlesAndOutlinesKeepTheirScreenSize_data()
{
    dragsLandOnThePixelUnderTheMouse_data();
}

void TestMapView::handlesAndOutlinesKeepTheirScreenSize()
{
    QFETCH(qreal, zoom);
    Map map;
    QVERIFY(map.exposed);
    const RoomKey key = map.add(roomAt(100, 100, 160, 180));
    map.zoomOn(zoom, QPointF(130, 140));
    const RoomShape shape = map.shape(key);

    for (int handle = FirstHandle; handle <= LastHandle; ++handle) {
        // The mouse finds the handle on the 4 x 4 pixels inside its box's left column and top row.
        const QRect box = handleBox(shape, handle, map.toDevice());
        QRect hits;
        for (int y = box.top() - 3; y <= box.bottom() + 3; ++y) {
            for (int x = box.left() - 3; x <= box.right() + 3; ++x) {
                map.hover({x, y});
                if (map.item(key)->hoveredHandle() == handle)
                    hits |= QRect(x, y, 1, 1);
            }
        }
        QCOMPARE(hits, box.adjusted(1, 1, 0, 0));
        QCOMPARE(hits.size(), QSize(4, 4));
    }

    // Drawn: 5 x 5 blue boxes, and an outline one pixel wide.
    map.hover(map.at({130, 140}));
    const QImage screen = map.screen();
    const QRgb blue = qRgb(0, 0, 255);
    const QRgb fuchsia = qRgb(255, 0, 255);
    for (int handle = FirstHandle; handle <= LastHandle; ++handle) {
        const QRect box = handleBox(shape, handle, map.toDevice());
        int blues = 0;
        for (int y = box.top() - 1; y <= box.bottom() + 1; ++y)
            for (int x = box.left() - 1; x <= box.right() + 1; ++x)
                blues += screen.pixel(x, y) == blue;
        QCOMPARE(blues, 25);
    }
    const int row = map.at({100, 120}).y();
    int outline = 0;
    for (int x = map.at({90, 0}).x(); x < map.at({110, 0}).x(); ++x)
        outline += screen.pixel(x, row) == fuchsia;
    QCOMPARE(outline, 1);
}

void TestMapView::clicksSelectTopRoomAndAltTheOneUnder()
{
    Map map;
    QVERIFY(map.exposed);
    map.zoomOn(1, QPointF(150, 150));
    const RoomKey a = map.add(roomAt(100, 100, 200, 200));
    const RoomKey b = map.add(roomAt(120, 120, 220, 220));
    const RoomKey c = map.add(roomAt(140, 140, 240, 240));
    const RoomKey outside = map.add(roomAt(300, 100, 340, 140));
    const QPoint overlap = map.at({160, 160});

    // Each room that lost the selection went just above the picture: a lies on b, b on c.
    // A press and drag on a room that is not selected moves nothing; the release selects.
    map.drag(overlap, map.at({170, 165}));
    QCOMPARE(map.doc.selection(), a);
    QCOMPARE(map.shape(a), roomAt(100, 100, 200, 200).shape);
    QCOMPARE(map.stack.count(), 0);

    // Alt+click goes down through the rooms under the mouse, and round again.
    QList<RoomKey> visited;
    for (int i = 0; i < 3; ++i) {
        map.click(overlap, Qt::AltModifier);
        visited.append(map.doc.selection());
    }
    QCOMPARE(visited, (QList<RoomKey>{b, c, a}));
    // Without Alt, a click that does not move on the selected room goes down the same way.
    visited.clear();
    for (int i = 0; i < 4; ++i) {
        map.click(overlap);
        visited.append(map.doc.selection());
    }
    QCOMPARE(visited, (QList<RoomKey>{b, c, a, b}));
    QVERIFY(map.item(b)->zValue() > map.item(outside)->zValue());
    QCOMPARE(map.stack.count(), 0);
    // Alone under the mouse, the selected room stays selected.
    map.click(map.at({320, 120}));
    map.click(map.at({320, 120}));
    QCOMPARE(map.doc.selection(), outside);
    map.click(overlap);
    const RoomKey chosen = map.doc.selection();
    QVERIFY(chosen != outside);

    // A release away from the pressed room selects nothing.
    map.drag(map.at({320, 120}), map.at({320, 300}));
    QCOMPARE(map.doc.selection(), chosen);
    QCOMPARE(map.stack.count(), 0);
}

void TestMapView::keysNudgeAndDeleteAsUndoSteps()
{
    Map map;
    QVERIFY(map.exposed);
    const RoomKey first = map.add(roomAt(10, 10, 50, 50));
    const RoomKey key = map.add(roomAt(100, 100, 160, 180));
    const RoomShape start = map.shape(key);
    map.view.setFocus();

    QTest::keyClick(&map.view, Qt::Key_Right);
    QTest::keyClick(&map.view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&map.view, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&map.view, Qt::Key_Up);
    QCOMPARE(map.shape(key), Moved(start, -9, 9));
    QCOMPARE(map.stack.count(), 4);
    map.stack.undo();
    QCOMPARE(map.shape(key), Moved(start, -9, 10));

    QTest::keyClick(&map.view, Qt::Key_Delete);
    QVERIFY(!map.doc.contains(key));
    QVERIFY(!map.item(key));
    QCOMPARE(map.doc.selection(), first);
    map.stack.undo();
    QCOMPARE(map.doc.positionOf(key), 1);
    QCOMPARE(map.doc.selection(), key);
    QVERIFY(map.item(key)->isSelected());
    QCOMPARE(map.item(key)->roomShape(), Moved(start, -9, 10));

    // Without a selected room, the arrows scroll the view.
    map.doc.select(0);
    map.view.verticalScrollBar()->setValue(0);
    const int scrolled = map.view.verticalScrollBar()->value();
    QTest::keyClick(&map.view, Qt::Key_Down);
    QVERIFY(map.view.verticalScrollBar()->value() > scrolled);
    QCOMPARE(map.stack.index(), 3);
}

void TestMapView::severalRoomsSelectMoveAndDeleteTogether()
{
    Map map;
    QVERIFY(map.exposed);
    map.zoomOn(1, QPointF(180, 170));
    const RoomKey target = map.add(roomAt(40, 100, 96, 160));
    const RoomKey a = map.add(roomAt(100, 100, 160, 160));
    const RoomKey b = map.add(roomAt(200, 100, 260, 160));
    const RoomKey c = map.add(roomAt(100, 200, 160, 260));
    auto shapes = [&] { return QList<RoomShape>{map.shape(a), map.shape(b), map.shape(c), map.shape(target)}; };
    auto looks = [&] {   // which rooms are drawn selected, and which shows its handles
        QList<int> seen;
        for (const RoomKey key : {target, a, b, c})
            seen.append(map.item(key)->isSelected() + 2 * map.item(key)->isCurrent());
        return seen;
    };

    // A click selects one room alone; Ctrl+click adds rooms and takes them out again.
    map.click(map.at({130, 130}));
    map.click(map.at({230, 130}), Qt::ControlModifier);
    map.click(map.at({130, 230}), Qt::ControlModifier);
    QCOMPARE(map.doc.selectedRooms(), (QList<RoomKey>{a, b, c}));
    QCOMPARE(map.doc.selection(), c);
    QCOMPARE(looks(), (QList<int>{0, 1, 1, 3}));
    map.click(map.at({130, 230}), Qt::ControlModifier);
    QCOMPARE(map.doc.selectedRooms(), (QList<RoomKey>{a, b}));
    QCOMPARE(map.doc.selection(), b);
    map.click(map.at({130, 230}), Qt::ControlModifier);
    QCOMPARE(looks(), (QList<int>{0, 1, 1, 3}));
    QCOMPARE(map.stack.count(), 0);

    // A drag from a selected room that is not the current one moves all three as one step:
    // the dragged room snaps to the room beside it (5 pixels left becomes 4, 1 down 0),
    // and the others keep their places beside it.
    const QList<RoomShape> start = shapes();
    map.drag(map.at({130, 130}), map.at({125, 131}));
    QCOMPARE(shapes(), (QList<RoomShape>{Moved(start[0], -4, 0), Moved(start[1], -4, 0), Moved(start[2], -4, 0),
                                         start[3]}));
    QCOMPARE(map.stack.count(), 1);
    QCOMPARE(map.doc.selectedRooms().size(), 3);
    // The arrows move the group, each press one step.
    map.view.setFocus();
    QTest::keyClick(&map.view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(shapes(), (QList<RoomShape>{Moved(start[0], -4, 10), Moved(start[1], -4, 10), Moved(start[2], -4, 10),
                                         start[3]}));
    QCOMPARE(map.stack.count(), 2);
    map.stack.undo();
    map.stack.undo();
    QCOMPARE(shapes(), start);

    // Delete removes every selected room in one step; undo brings them back selected.
    QTest::keyClick(&map.view, Qt::Key_Delete);
    QCOMPARE(map.doc.rooms(), (QList<RoomKey>{target}));
    QCOMPARE(map.doc.selection(), target);
    map.stack.undo();
    QCOMPARE(map.doc.selectedRooms(), (QList<RoomKey>{a, b, c}));
    QCOMPARE(looks(), (QList<int>{0, 1, 1, 3}));

    // A reshape of the current room by a handle keeps the others selected.
    const RoomShape cBefore = map.shape(c);
    map.drag(map.at({160, 230}), map.at({170, 230}));
    QCOMPARE(map.shape(c).xr, cBefore.xr + 10);
    QCOMPARE(map.shape(a), start[0]);
    QCOMPARE(map.doc.selectedRooms().size(), 3);

    // A click without a move on one of them selects it alone.
    map.click(map.at({230, 130}));
    QCOMPARE(map.doc.selectedRooms(), (QList<RoomKey>{b}));
    QCOMPARE(looks(), (QList<int>{0, 0, 3, 0}));
}

void TestMapView::stackingFollowsTheSelection()
{
    Map map;
    const RoomKey r1 = map.add(roomAt(10, 10, 50, 50));
    const RoomKey r2 = map.add(roomAt(20, 20, 60, 60));
    const RoomKey r3 = map.add(roomAt(30, 30, 70, 70));
    map.doc.select(r1);
    map.doc.select(r2);

    // Top first: the selected room; below it the others, the one that lost the selection
    // last just above the picture; then only blocks.
    QList<RoomKey> rooms;
    int blocksSeen = 0;
    for (QGraphicsItem* item : map.scene.items(Qt::DescendingOrder)) {
        if (item->type() == TRoom::Type) {
            QCOMPARE(blocksSeen, 0);
            rooms.append(static_cast<TRoom*>(item)->key());
        } else if (item->type() == TImage::Type) {
            ++blocksSeen;
        }
    }
    QCOMPARE(rooms, (QList<RoomKey>{r2, r3, r1}));
    QCOMPARE(blocksSeen, blockColumns * blockRows);
    QVERIFY(map.item(r2)->isSelected() && !map.item(r1)->isSelected() && !map.item(r3)->isSelected());

    // A new picture: blocks in their cells, the scene the surface's size, rooms kept.
    PictureGrid grid = checkerboardGrid();
    grid.columns = 6;
    grid.rows = 8;
    map.doc.setGrid(grid);
    map.doc.setSurfaceSize(QSize(768, 1024));
    QCOMPARE(map.scene.blockItems().size(), 48);
    QCOMPARE(map.scene.blockItems()[13]->pos(), QPointF(128, 5 * 128));
    QCOMPARE(map.scene.sceneRect(), QRectF(0, 0, 768, 1024));
    QVERIFY(map.scene.blockItems()[13]->zValue() < map.item(r1)->zValue());
}

void TestMapView::pictureIsSharpZoomedInAndSmoothZoomedOut()
{
    // Halving: each pixel the rounded mean of four, an odd last column dropped.
    QImage four(3, 2, QImage::Format_RGB888);
    four.setPixelColor(0, 0, QColor(0, 10, 255));
    four.setPixelColor(1, 0, QColor(1, 20, 255));
    four.setPixelColor(0, 1, QColor(2, 30, 0));
    four.setPixelColor(1, 1, QColor(2, 41, 0));
    four.setPixelColor(2, 0, Qt::white);
    const QImage half = HalvedImage(four);
    QCOMPARE(half.size(), QSize(1, 1));
    QCOMPARE(half.pixelColor(0, 0), QColor(1, 25, 128));

    // Smaller copies: halved for each level, of the size asked for, made once; the same
    // for the whole picture.
    TPictureLevels levels(checkerboardGrid());
    QCOMPARE(levels.level(3, 2).size(), QSize(32, 32));
    const qint64 level = levels.level(3, 2).cacheKey();
    QCOMPARE(levels.sized(3, QSize(32, 32)).cacheKey(), level);
    QCOMPARE(levels.sized(3, QSize(21, 21)).size(), QSize(21, 21));
    const qint64 sized = levels.sized(3, QSize(21, 21)).cacheKey();
    QCOMPARE(levels.sized(3, QSize(21, 21)).cacheKey(), sized);
    QCOMPARE(levels.level(3, 2).cacheKey(), level);
    QCOMPARE(levels.pictureLevel(2).size(), QSize(256, 192));
    QCOMPARE(levels.pictureSized(QSize(200, 150)).size(), QSize(200, 150));
    QCOMPARE(levels.pictureLevel(2).cacheKey(), levels.pictureSized(QSize(256, 192)).cacheKey());

    // A block larger than its cell shows the cell's part, at every level.
    QImage large(256, 256, QImage::Format_RGB888);
    large.fill(Qt::white);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            large.setPixelColor(x, y, Qt::black);
    auto oneBlock = std::make_shared<TBlockList>();
    oneBlock->push_back(std::make_unique<TGraphicBlock>());
    oneBlock->back()->SetBitmap(large);
    TPictureLevels oversized({oneBlock, 1, 1});
    QCOMPARE(oversized.level(0, 1).size(), QSize(64, 64));
    QCOMPARE(oversized.level(0, 1).pixel(63, 63), qRgb(0, 0, 0));
    QCOMPARE(oversized.sized(0, QSize(100, 100)).pixel(99, 99), qRgb(0, 0, 0));
    QCOMPARE(oversized.pictureLevel(1).pixel(63, 63), qRgb(0, 0, 0));

    // The checkerboard: squares of 4 x 4 at 400 %, an even grey at 25 %.
    Map map;
    QVERIFY(map.exposed);
    map.zoomOn(4, QPointF(300, 300));
    QVERIFY(!map.scene.pictureOverview()->isVisible() && map.scene.blockItems()[0]->isVisible());
    QImage screen = map.screen();
    const QPoint corner = map.toDevice().map(QPointF(300, 300)).toPoint();
    const QRgb colour = screen.pixel(corner);
    QVERIFY(colour == qRgb(0, 0, 0) || colour == qRgb(255, 255, 255));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            QCOMPARE(screen.pixel(corner + QPoint(x, y)), colour);
    QVERIFY(screen.pixel(corner + QPoint(4, 0)) != colour);
    QVERIFY(screen.pixel(corner + QPoint(0, 4)) != colour);
    map.zoomOn(0.25, QPointF(512, 384));
    QVERIFY(map.scene.pictureOverview()->isVisible() && !map.scene.blockItems()[0]->isVisible());
    screen = map.screen();
    const QPoint inside = map.at({500, 400});
    for (int d = 0; d < 8; ++d)
        QVERIFY(qAbs(qGray(screen.pixel(inside + QPoint(d, d))) - 128) < 8);
}

void TestMapView::zoomStepsFitAndWheel()
{
    Map map;
    QVERIFY(map.exposed);
    QSignalSpy shown(&map.view, &TMapView::zoomChanged);
    map.view.zoomIn();
    QCOMPARE(map.view.zoom(), 1.5);
    QCOMPARE(shown.count(), 1);
    for (int i = 0; i < 20; ++i)
        map.view.zoomIn();
    QCOMPARE(map.view.zoom(), 16.0);
    for (int i = 0; i < 30; ++i)
        map.view.zoomOut();
    QCOMPARE(map.view.zoom(), 1.0 / 16);
    map.view.zoomActual();
    QCOMPARE(map.view.zoom(), 1.0);

    // Fit: the whole picture in the window, and one side filled.
    map.view.zoomToFit();
    QCoreApplication::processEvents();   // the scroll bars go
    const QRectF picture = map.toDevice().mapRect(map.scene.sceneRect());
    const QSizeF window = map.view.viewport()->size();
    QVERIFY(QRectF(QPointF(0, 0), window).adjusted(-0.5, -0.5, 0.5, 0.5).contains(picture));
    QVERIFY(picture.width() > window.width() - 1 || picture.height() > window.height() - 1);

    // Ctrl+wheel keeps the picture point under the mouse where it is, from a zoom that
    // shows the whole picture to one that does not.
    const QPoint mouse(120, 90);
    const QPointF under = map.view.mapToScene(mouse);
    for (int step = 0; step < 5; ++step) {
        QWheelEvent wheel(mouse, map.view.viewport()->mapToGlobal(mouse), {}, QPoint(0, 120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(map.view.viewport(), &wheel);
        QCoreApplication::processEvents();
    }
    QCOMPARE(map.view.zoom(), 2.0);
    QVERIFY((map.view.mapFromScene(under) - mouse).manhattanLength() <= 1);
}

void TestMapView::panWithMiddleButtonAndSpace()
{
    Map map;
    QVERIFY(map.exposed);
    const RoomKey key = map.add(roomAt(100, 100, 160, 180));
    map.zoomOn(1, QPointF(300, 300));
    auto* viewport = map.view.viewport();
    const QPointF centre = map.view.mapToScene(viewport->rect().center());

    QTest::mousePress(viewport, Qt::MiddleButton, {}, QPoint(200, 150));
    QTest::mouseMove(viewport, QPoint(170, 130));
    QTest::mouseRelease(viewport, Qt::MiddleButton, {}, QPoint(170, 130));
    QCOMPARE(map.view.mapToScene(viewport->rect().center()), centre + QPointF(30, 20));

    // Space and a left drag pan too, even from the selected room, which stays put.
    map.view.setFocus();
    const RoomShape shape = map.shape(key);
    QTest::keyPress(&map.view, Qt::Key_Space);
    map.drag(map.at({130, 140}), map.at({130, 140}) + QPoint(-10, -40));
    QTest::keyRelease(&map.view, Qt::Key_Space);
    QCOMPARE(map.view.mapToScene(viewport->rect().center()), centre + QPointF(40, 60));
    QCOMPARE(map.shape(key), shape);
    QCOMPARE(map.stack.count(), 0);
}

PLSD_TEST_MAIN(TestMapView)
// A block is drawn a few lines at a time; at any zoom from 100 % up and any exposed part,
// the pixels are those of drawing its part at once: no seam between the strips.
void TestMapView::blocksDrawnInStripsMatchOneDrawing()
{
    QRandomGenerator random(14);
    QImage noise(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate() | 0xff000000);
    auto blocks = std::make_shared<TBlockList>();
    blocks->push_back(std::make_unique<TGraphicBlock>());
    blocks->back()->SetBitmap(noise);
    auto levels = std::make_shared<TPictureLevels>(PictureGrid{blocks, 1, 1});
    TImage item(levels, 0, noise.size());
    for (const qreal scale : {1.0, 1.19, 1.41, 2.0, 2.37, 3.3, 5.66}) {
        for (int round = 0; round < 5; ++round) {
            const QRectF exposed(random.bounded(100.0), random.bounded(100.0), 1 + random.bounded(127.0),
                                 1 + random.bounded(127.0));
            const QTransform toDevice = QTransform::fromTranslate(random.bounded(3.0), random.bounded(3.0)).scale(scale, scale);
            auto drawn = [&](const std::function<void(QPainter&)>& draw) {
                QImage image(int(128 * scale) + 8, int(128 * scale) + 8, QImage::Format_RGB32);
                image.fill(Qt::black);
                QPainter painter(&image);
                painter.setTransform(toDevice);
                draw(painter);
                return image;
            };
            const QImage strips = drawn([&](QPainter& painter) {
                QStyleOptionGraphicsItem option;
                option.exposedRect = exposed;
                item.paint(&painter, &option, nullptr);
            });
            const QImage once = drawn([&](QPainter& painter) {
                const QRect part = exposed.toAlignedRect() & QRect(0, 0, 128, 128);
                painter.drawImage(part.topLeft(), noise, part);
            });
            QVERIFY2(strips == once, qPrintable(QStringLiteral("zoom %1, part %2,%3 %4 x %5")
                                                    .arg(scale).arg(exposed.x()).arg(exposed.y())
                                                    .arg(exposed.width()).arg(exposed.height())));
        }
    }
}

#include "tst_mapview.moc"
