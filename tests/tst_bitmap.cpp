// File > Import Bitmap and File > Export Bitmap through the main window.
#include "testsupport.h"

#include "core/common/errors.h"
#include "app/statusbar.h"
#include "core/background/bitmapgrid.h"
#include "core/background/blkformat.h"
#include "app/pictureinstall.h"
#include "core/tst_blkdata.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

using namespace blktest;

// A picture whose every pixel has its own colour.
QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x * 7 + y * 3) & 0xFF));
    return image;
}

QColor cutTo565(QRgb c)
{
    const blk::Rgb rgb = blk::rgbFrom565(blk::rgbTo565(uchar(qRed(c)), uchar(qGreen(c)), uchar(qBlue(c))));
    return QColor(rgb.r, rgb.g, rgb.b);
}

QList<TImage*> pictures(const TfrmMainForm& form)
{
    return form.Panel->blockItems();
}

QColor blockPixel(const TfrmMainForm& form, int column, int row, int x, int y)
{
    return (*form.Blocks)[size_t(column * form.BlockRows + row)]->Bitmap.pixelColor(x, y);
}

} // namespace

class TestBitmap : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir.isValid()); }
    void gridSizeAndEdges();
    void blockOrderOffsetsAndPanel();
    void importSaveOpenExportKeepsThePicture();
    void roomsStayAboveAndOnlyTheLastImportStays();
    void pictureBeyondQtsDefaultLimit();
    void exportOfIncompleteGrids();
    void failedExportsWriteNothing();
    void otherPictureFormats();

private:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString bitmap(const char* name, const QImage& image) const
    {
        const QString file = path(name);
        return image.save(file, "BMP") ? file : QString();
    }
};

void TestBitmap::gridSizeAndEdges()
{
    QCOMPARE(bitmapgrid::gridSize({256, 128}), QSize(2, 1));
    QCOMPARE(bitmapgrid::gridSize({1, 1}), QSize(1, 1));

    Editor e;
    const QImage source = pattern(257, 129);
    e.main->ImportBitmap(bitmap("edge.bmp", source));
    QCOMPARE(e.main->BlockColumns, 3);
    QCOMPARE(e.main->BlockRows, 2);
    for (const auto& block : *e.main->Blocks) {
        QCOMPARE(block->Bitmap.size(), QSize(128, 128));
        QCOMPARE(block->Width, quint16(128));
    }
    const QColor white(255, 255, 255);
    // Last column: one pixel of the picture in width; last row: one in height.
    QCOMPARE(blockPixel(*e.main, 2, 0, 0, 60), source.pixelColor(256, 60));
    QCOMPARE(blockPixel(*e.main, 2, 0, 1, 60), white);
    QCOMPARE(blockPixel(*e.main, 1, 1, 5, 0), source.pixelColor(133, 128));
    QCOMPARE(blockPixel(*e.main, 1, 1, 5, 1), white);
    QCOMPARE(blockPixel(*e.main, 2, 1, 0, 0), source.pixelColor(256, 128));
    QCOMPARE(blockPixel(*e.main, 2, 1, 127, 127), white);
    QCOMPARE(blockPixel(*e.main, 1, 0, 127, 127), source.pixelColor(255, 127));
    QVERIFY(e.main->StatusBar->text().isEmpty());
}

void TestBitmap::blockOrderOffsetsAndPanel()
{
    Editor e;
    const QImage source = pattern(300, 200);
    e.main->ImportBitmap(bitmap("six.bmp", source));
    QCOMPARE(e.main->BlockColumns, 3);
    QCOMPARE(e.main->BlockRows, 2);
    QCOMPARE(e.main->Panel->size(), QSize(384, 256));
    QList<QPair<int, int>> offsets;
    for (const auto& block : *e.main->Blocks)
        offsets.append({block->OffsetLow, block->OffsetHigh});
    QCOMPARE(offsets, (QList<QPair<int, int>>{{54, 0}, {32822, 0}, {54, 1}, {32822, 1}, {54, 2}, {32822, 2}}));
    QCOMPARE(pictures(*e.main).constLast()->pos(), QPointF(256, 128));
    // Block (c, r) holds the picture's square at (128c, 128r).
    QCOMPARE(blockPixel(*e.main, 1, 1, 10, 20), source.pixelColor(138, 148));
    QCOMPARE(blockPixel(*e.main, 2, 0, 43, 99), source.pixelColor(299, 99));
}

void TestBitmap::importSaveOpenExportKeepsThePicture()
{
    Editor e;
    TestDialogs host;
    ErrorCapture errors;
    const QImage source = pattern(300, 200);
    QImage stamped = source;
    bitmapgrid::stampCredit(stamped);
    QCOMPARE(stamped.pixelColor(0, 0), QColor(Qt::black));   // the box starts at (0, 0)
    QVERIFY(stamped != source);

    host.answer(bitmap("in.bmp", source));
    e.main->ImportBitmap1->trigger();
    e.main->SaveBackground(path("saved.blk"));
    Editor again;
    again.main->LoadBackground(path("saved.blk"));
    host.answer(path("out.bmp"));
    again.main->ExportBitmap1->trigger();
    QVERIFY2(errors.messages.isEmpty(), qPrintable(errors.messages.join('\n')));
    QCOMPARE(host.asked, QStringList({"odgBMP", "sdgBMP"}));
    QVERIFY(again.tool->MetaroomFilename.value().isEmpty());

    const QByteArray file = readAll(path("out.bmp"));
    QCOMPARE(file.left(2), QByteArray("BM"));
    QCOMPARE(qFromLittleEndian<quint16>(file.constData() + 28), quint16(24));
    const QImage exported(path("out.bmp"));
    QCOMPARE(exported.size(), QSize(384, 256));
    const QColor white = cutTo565(qRgb(255, 255, 255));
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 384; ++x) {
            const QColor expected = x < 300 && y < 200 ? cutTo565(stamped.pixel(x, y)) : white;
            if (exported.pixelColor(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) differs").arg(x).arg(y)));
        }
    }
}

void TestBitmap::roomsStayAboveAndOnlyTheLastImportStays()
{
    Editor e;
    e.main->AddRoom();
    e.main->ImportBitmap(bitmap("big.bmp", pattern(300, 200)));
    e.main->AddRoom();
    e.main->ImportBitmap(bitmap("small.bmp", pattern(130, 10)));
    QCOMPARE(e.main->Blocks->size(), size_t(2));
    QCOMPARE(pictures(*e.main).size(), 2);
    QVERIFY(roomsAbovePicture(*e.main->Panel));
    const QList<QGraphicsItem*> items = e.main->Panel->items(Qt::DescendingOrder);
    QCOMPARE(items.size(), 2 + 2 + 1);   // rooms, blocks, the overview
    QCOMPARE(items[0], e.main->Rooms[1]);
    QCOMPARE(items[1], e.main->Rooms[0]);
    QCOMPARE(e.main->Panel->size(), QSize(256, 128));
}

void TestBitmap::pictureBeyondQtsDefaultLimit()
{
    // 8192 x 4200 pixels need 137 MB as 32-bit pixels, more than Qt reads by default.
    const int limit = QImageReader::allocationLimit();
    QImage large(8192, 4200, QImage::Format_RGB32);
    large.fill(qRgb(0, 0, 255));
    const QString file = bitmap("large.bmp", large);
    large = QImage();
    QVERIFY(QImageReader(file).read().isNull());
    Editor e;
    e.main->ImportBitmap(file);
    QCOMPARE(e.main->BlockColumns, 64);
    QCOMPARE(e.main->BlockRows, 33);
    QCOMPARE(blockPixel(*e.main, 63, 32, 127, 103), QColor(0, 0, 255));
    QCOMPARE(QImageReader::allocationLimit(), limit);
}

void TestBitmap::exportOfIncompleteGrids()
{
    Editor e;
    // Blocks of 64 x 64 from a background file, and a grid that lost its last block.
    QVERIFY(writeAll(path("small.blk"), uniformFile(1, 2, 2, 64, 64, 0xF800)));
    e.main->LoadBackground(path("small.blk"));
    e.main->Blocks->pop_back();
    e.main->ExportBitmap(path("out.bmp"));
    const QImage exported(path("out.bmp"));
    QCOMPARE(exported.size(), QSize(256, 256));
    const QColor red(248, 0, 0), white(255, 255, 255);
    QCOMPARE(exported.pixelColor(63, 63), red);
    QCOMPARE(exported.pixelColor(64, 10), white);
    QCOMPARE(exported.pixelColor(10, 127), white);
    QCOMPARE(exported.pixelColor(191, 63), red);
    QCOMPARE(exported.pixelColor(128, 128), white);   // the missing block
    QCOMPARE(exported.pixelColor(255, 255), white);
}

void TestBitmap::failedExportsWriteNothing()
{
    Editor e;
    ErrorCapture errors;
    TestDialogs host;
    host.answer(path("none.bmp"));
    e.main->ExportBitmap1->trigger();
    QVERIFY(errors.messages.value(0).startsWith(QStringLiteral("There is no picture to export")));
    QVERIFY(!QFile::exists(path("none.bmp")));

    // A picture a bitmap file cannot hold is refused before the file is touched. (Bad
    // paths: tst_hostile.)
    e.main->ImportBitmap(bitmap("in.bmp", pattern(10, 10)));
    QVERIFY(writeAll(path("kept.bmp"), "old"));
    e.main->Document->setGrid({e.main->Document->grid().blocks, 65535, 65535});
    host.answer(path("kept.bmp"));
    e.main->ExportBitmap1->trigger();
    QCOMPARE(errors.messages.value(1),
             QStringLiteral("The picture of 8388480 x 8388480 pixels is too large for a Windows bitmap file"));
    QCOMPARE(readAll(path("kept.bmp")), QByteArray("old"));

    // A failed write says so.
    FailingDevice device(100);
    try {
        bitmapgrid::writeBlocksAsBitmap(device, *e.main->Blocks, 1, 1, QStringLiteral("out.bmp"));
        QFAIL("the write did not fail");
    } catch (const FileError& error) {
        QCOMPARE(error.message(), QStringLiteral("Cannot write file out.bmp: No space left on device"));
    }
}

void TestBitmap::otherPictureFormats()
{
    // Below the credit line: transparent black, opaque red, black at half alpha.
    QImage source(200, 150, QImage::Format_ARGB32);
    source.fill(qRgba(0, 0, 0, 0));
    source.setPixel(10, 100, qRgba(255, 0, 0, 255));
    source.setPixel(11, 100, qRgba(0, 0, 0, 128));
    QVERIFY(source.save(path("in.png")));
    Editor e;
    e.main->ImportBitmap(path("in.png"));
    QCOMPARE(blockPixel(*e.main, 0, 0, 10, 100), QColor(255, 0, 0));
    QCOMPARE(blockPixel(*e.main, 0, 0, 11, 100), QColor(127, 127, 127));
    QCOMPARE(blockPixel(*e.main, 0, 0, 12, 100), QColor(255, 255, 255));
    QCOMPARE(blockPixel(*e.main, 1, 1, 70, 21), QColor(255, 255, 255));

    // The export writes the format its name says; the bitmap writer stays for .bmp.
    e.main->ExportBitmap(path("out.bmp"));
    e.main->ExportBitmap(path("out.PNG"));
    e.main->ExportBitmap(path("out.jpg"));
    QCOMPARE(readAll(path("out.PNG")).left(4), QByteArray("\x89PNG"));
    QCOMPARE(readAll(path("out.jpg")).left(2), QByteArray("\xFF\xD8"));
    const QImage png(path("out.PNG"));
    QCOMPARE(png.size(), QSize(256, 256));
    QCOMPARE(png.convertToFormat(QImage::Format_RGB888), QImage(path("out.bmp")).convertToFormat(QImage::Format_RGB888));

    ErrorCapture errors;
    TestDialogs host;
    host.answer(path("out.xyz"));
    e.main->ExportBitmap1->trigger();
    QCOMPARE(errors.messages, QStringList(QStringLiteral("Unknown picture file extension (.xyz)")));
    QVERIFY(!QFile::exists(path("out.xyz")));
}

PLSD_TEST_MAIN(TestBitmap)
#include "tst_bitmap.moc"
