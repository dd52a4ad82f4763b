// The tile grid: blocks, their pictures on Panel, the picture area and the stacking order.
#include "testsupport.h"

#include "background/blockpicture.h"
#include "core/background/graphicblock.h"
#include "background/tilegrid.h"
#include "bench/syntheticgrid.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

namespace {

QList<TImage*> pictures(const TfrmMainForm& form)
{
    QList<TImage*> found;
    for (QObject* child : form.Panel->children())
        if (tilegrid::isBlockPicture(child))
            found.append(static_cast<TImage*>(child));
    return found;
}

QStringList others(const TfrmMainForm& form)
{
    QStringList names;
    for (QObject* child : form.Panel->children())
        if (!tilegrid::isBlockPicture(child))
            names.append(child->objectName());
    return names;
}

// True when every block picture comes before (below) every other child.
bool picturesBehind(const TfrmMainForm& form)
{
    bool otherSeen = false;
    for (QObject* child : form.Panel->children()) {
        if (!tilegrid::isBlockPicture(child))
            otherSeen = true;
        else if (otherSeen)
            return false;
    }
    return true;
}

QWidget* namedChild(QWidget* parent, const char* name)
{
    auto* w = new QLabel(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->show();
    return w;
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
    // Each picture shares its block's pixels rather than copying them.
    const QList<TImage*> shown = pictures(form);
    QCOMPARE(shown.size(), 6);
    for (int k = 0; k < 6; ++k) {
        QCOMPARE(shown[k]->picture().constBits(), (*form.Blocks)[k]->Bitmap.constBits());
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
        QCOMPARE(tall[k]->pos(), tallPlaces[k]);
}

void TestTileGrid::smallBlockKeepsItsCell()
{
    TfrmMainForm form;
    auto blocks = std::make_unique<TBlockList>();
    for (int k = 0; k < 2; ++k) {
        blocks->push_back(std::make_unique<TGraphicBlock>());
        QImage red(64, 64, QImage::Format_RGB888);
        red.fill(QColor(255, 0, 0));
        blocks->back()->SetBitmap(red);
    }
    tilegrid::InstallGrid(form, std::move(blocks), 2, 1);
    const QList<TImage*> shown = pictures(form);
    QCOMPARE(shown[1]->geometry(), QRect(128, 0, 128, 128));
    const QImage drawn = shown[1]->grab().toImage();
    QCOMPARE(drawn.size(), QSize(128, 128));
    QCOMPARE(drawn.pixelColor(0, 0), QColor(255, 0, 0));
    QCOMPARE(drawn.pixelColor(63, 63), QColor(255, 0, 0));
    QVERIFY(drawn.pixelColor(64, 64) != QColor(255, 0, 0));
    QVERIFY(drawn.pixelColor(127, 0) != QColor(255, 0, 0));
}

void TestTileGrid::otherChildrenSurviveAndStayAbove()
{
    TfrmMainForm form;
    namedChild(form.Panel, "a");
    synthetic::installGrid(form, 2, 2);
    namedChild(form.Panel, "b");
    namedChild(form.Panel, "c");
    QCOMPARE(others(form), QStringList({"a", "b", "c"}));

    // Step by step: a new picture goes on top, behind puts it under every other child.
    TImage* added = tilegrid::AddBlockPicture(form, *(*form.Blocks)[0], 5, 6);
    QCOMPARE(form.Panel->children().constLast(), added);
    QCOMPARE(added->geometry(), QRect(640, 768, 128, 128));
    QVERIFY(!picturesBehind(form));
    tilegrid::PutBlockPicturesBehind(form);
    QVERIFY(picturesBehind(form));
    QCOMPARE(others(form), QStringList({"a", "b", "c"}));

    tilegrid::RemoveBlockPictures(form);
    QVERIFY(pictures(form).isEmpty());
    QCOMPARE(others(form), QStringList({"a", "b", "c"}));
}

PLSD_TEST_MAIN(TestTileGrid)
#include "tst_tilegrid.moc"
