// The tile grid: blocks, their pictures on Panel, the picture area and the stacking order.
#include "testsupport.h"

#include "core/background/graphicblock.h"
#include "app/pictureinstall.h"
#include "bench/syntheticgrid.h"

#include <QScrollBar>

namespace {

QList<TImage*> pictures(const TfrmMainForm& form)
{
    return form.Panel->blockItems();
}

} // namespace

class TestTileGrid : public QObject {
    Q_OBJECT
private slots:
    void blockSizeFollowsItsBitmap();
    void picturesArePlacedColumnMajor();
    void smallBlockKeepsItsCell();
    void otherChildrenSurviveAndStayAbove();
};

void TestTileGrid::blockSizeFollowsItsBitmap()
{
    TGraphicBlock block;
    QCOMPARE(block.Width, quint16(0));
    QVERIFY(block.Bitmap.isNull());
    block.SetWidth(3);
    QVERIFY(block.Bitmap.isNull());   // 3 x 0
    block.SetHeight(2);
    QCOMPARE(block.Bitmap.size(), QSize(3, 2));
    QCOMPARE(block.Bitmap.format(), QImage::Format_RGB888);
    QCOMPARE(block.Bitmap.pixelColor(2, 1), QColor(Qt::white));
    block.Bitmap.setPixelColor(1, 1, QColor(10, 20, 30));
    block.SetWidth(5);   // what was there stays, the new area is white
    QCOMPARE(block.Width, quint16(5));
    QCOMPARE(block.Bitmap.size(), QSize(5, 2));
    QCOMPARE(block.Bitmap.pixelColor(1, 1), QColor(10, 20, 30));
    QCOMPARE(block.Bitmap.pixelColor(4, 1), QColor(Qt::white));
    block.SetHeight(1);
    QCOMPARE(block.Bitmap.size(), QSize(5, 1));

    block.SetOffset(0x00020036);
    QCOMPARE(block.OffsetLow, quint16(54));
    QCOMPARE(block.OffsetHigh, quint16(2));
    block.SetBitmap(QImage(7, 9, QImage::Format_RGB888));
    QCOMPARE(block.Width, quint16(7));
    QCOMPARE(block.Height, quint16(9));
}

void TestTileGrid::picturesArePlacedColumnMajor()
{
    TfrmMainForm form;
    form.resize(300, 200);   // smaller than the picture, so both scroll bars have a range
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    synthetic::installGrid(form, 3, 2);
    QCOMPARE(form.BlockColumns, 3);
    QCOMPARE(form.BlockRows, 2);
    // One picture per block, by the class name the grid has always had.
    const QList<TImage*> shown = pictures(form);
    QCOMPARE(shown.size(), 6);
    for (int k = 0; k < 6; ++k) {
        QCOMPARE(shown[k]->metaObject()->className(), "TImage");
        QCOMPARE(shown[k]->block(), k);
        QVERIFY(shown[k]->isVisible());
    }
    QCOMPARE(form.Panel->size(), QSize(384, 256));
    QCoreApplication::processEvents();
    const QScrollBar* h = form.scbImage->horizontalScrollBar();
    const QScrollBar* v = form.scbImage->verticalScrollBar();
    QCOMPARE(h->maximum() + h->pageStep(), 384);
    QCOMPARE(v->maximum() + v->pageStep(), 256);

    // A grid of 3 rows and 2 columns.
    synthetic::installGrid(form, 2, 3);
    const QList<TImage*> tall = pictures(form);
    QCOMPARE(tall.size(), 6);
    const QList<QPoint> tallPlaces{{0, 0}, {0, 128}, {0, 256}, {128, 0}, {128, 128}, {128, 256}};
    for (int k = 0; k < 6; ++k)
        QCOMPARE(tall[k]->pos().toPoint(), tallPlaces[k]);
}

void TestTileGrid::smallBlockKeepsItsCell()
{
    TfrmMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto blocks = std::make_unique<TBlockList>();
    for (int k = 0; k < 2; ++k) {
        blocks->push_back(std::make_unique<TGraphicBlock>());
        QImage red(64, 64, QImage::Format_RGB888);
        red.fill(QColor(255, 0, 0));
        blocks->back()->SetBitmap(red);
    }
    tilegrid::InstallGrid(form, std::move(blocks), 2, 1);
    const QList<TImage*> shown = pictures(form);
    QCOMPARE(shown[1]->pos(), QPointF(128, 0));
    const MapMouse map(&form);
    for (qreal zoom : {1.0, 2.0}) {
        form.scbImage->setZoom(zoom);
        form.scbImage->centerOn(128, 0);
        const QImage drawn = map.screen();
        QCOMPARE(map.colourAt(drawn, {128, 0}), QColor(255, 0, 0));
        QCOMPARE(map.colourAt(drawn, {128 + 63, 63}), QColor(255, 0, 0));
        QVERIFY(map.colourAt(drawn, {128 + 64, 64}) != QColor(255, 0, 0));
        QVERIFY(map.colourAt(drawn, {128 + 127, 0}) != QColor(255, 0, 0));
    }
}

void TestTileGrid::otherChildrenSurviveAndStayAbove()
{
    // Rooms made before and after a picture stay above it, in their order, through the
    // next picture and the undo of both.
    TfrmMainForm form;
    form.AddRoom();
    synthetic::installGrid(form, 2, 2);
    form.AddRoom();
    form.AddRoom();
    const QList<TRoom*> rooms = form.Rooms;
    QVERIFY(roomsAbovePicture(*form.Panel));
    synthetic::installGrid(form, 3, 1);
    QVERIFY(roomsAbovePicture(*form.Panel));
    QCOMPARE(pictures(form).size(), 3);
    form.UndoStack->undo();
    QCOMPARE(pictures(form).size(), 4);
    QVERIFY(roomsAbovePicture(*form.Panel));
    QCOMPARE(form.Rooms, rooms);
}

PLSD_TEST_MAIN(TestTileGrid)
#include "tst_tilegrid.moc"
