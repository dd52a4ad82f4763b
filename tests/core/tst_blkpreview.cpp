// The preview of a background file: its size, its pixels against the whole picture, and
// how much of the file it reads.
#include "core/background/bitmapgrid.h"
#include "core/background/blkpreview.h"
#include "core/common/errors.h"
#include "core/tst_blkdata.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

using namespace blktest;

// Random files: 1 to 3 columns and rows of blocks of random sizes (128 x 128 or smaller,
// some wider than 128), random pixels, either pixel format.
QByteArray randomFile(QRandomGenerator& random)
{
    const int columns = random.bounded(1, 4);
    const int rows = random.bounded(1, 4);
    const int count = columns * rows;
    QList<blk::IndexRecord> index;
    QList<quint16> pixels;
    qint64 position = 10 + 8 * count;
    for (int k = 0; k < count; ++k) {
        const bool full = random.bounded(2) == 0;
        const quint16 width = full ? 128 : quint16(random.bounded(1, 140));
        const quint16 height = full ? 128 : quint16(random.bounded(1, 129));
        index.append(recordOf(quint32(position - 4), width, height));
        for (int i = 0; i < width * height; ++i)
            pixels.append(quint16(random.generate()));
        position += 2 * width * height;
    }
    return fileOf(quint8(random.bounded(2)), quint16(columns), quint16(rows), quint16(count), index, pixels);
}

// Gives the bytes of a file in memory and counts what was asked for.
struct CountingSource {
    const QByteArray& bytes;
    qint64 asked = 0;
    blk::PixelSource source()
    {
        return [this](qint64 position, qint64 size) -> const char* {
            asked += size;
            return position + size <= bytes.size() ? bytes.constData() + position : nullptr;
        };
    }
};

QRgb colourOf(int k)
{
    const blk::Rgb rgb = blk::rgbFrom565(quint16(0x1234 * (k + 1) + 0x0841 * k));
    return qRgb(rgb.r, rgb.g, rgb.b);
}

} // namespace

class TestBlkPreview : public QObject {
    Q_OBJECT
private slots:
    void sizeFitsAndKeepsProportions();
    void atFullSizeIsThePicture();
    void eachPixelWithinOneBlockHasItsColour();
    void readsOnlySampledRows();
    void aRowThatCannotBeReadFails();
};

void TestBlkPreview::sizeFitsAndKeepsProportions()
{
    QRandomGenerator random(24);
    for (int i = 0; i < 2000; ++i) {
        const QSize picture(128 * random.bounded(1, 600), 128 * random.bounded(1, 600));
        const int maxSide = random.bounded(1, 1200);
        const QSize size = blk::previewSize(picture, maxSide);
        const int longer = std::max(picture.width(), picture.height());
        if (longer <= maxSide) {
            QCOMPARE(size, picture);
            continue;
        }
        QCOMPARE(std::max(size.width(), size.height()), maxSide);
        QVERIFY(size.width() >= 1 && size.height() >= 1);
        // Each side is the picture's scaled and rounded to the nearest whole pixel.
        const double scale = double(maxSide) / longer;
        QVERIFY2(std::abs(size.width() - std::max(1.0, picture.width() * scale)) <= 0.5 + 1e-9, qPrintable(QString::number(i)));
        QVERIFY(std::abs(size.height() - std::max(1.0, picture.height() * scale)) <= 0.5 + 1e-9);
    }
}

void TestBlkPreview::atFullSizeIsThePicture()
{
    QRandomGenerator random(7);
    for (int i = 0; i < 40; ++i) {
        const QByteArray bytes = randomFile(random);
        blk::Layout layout;
        const TBlockList blocks = blk::decodeBackground(bytes, &layout);
        const QImage whole = bitmapgrid::joinBlocks(blocks, layout.columns, layout.rows).convertToFormat(QImage::Format_RGB32);
        CountingSource counting{bytes};
        QCOMPARE(blk::previewImage(layout, counting.source(), whole.size(), QStringLiteral("x.blk")), whole);
    }
}

void TestBlkPreview::eachPixelWithinOneBlockHasItsColour()
{
    // 7 x 5 blocks of one colour each, previewed at sizes that do and do not divide them.
    constexpr int Columns = 7, Rows = 5;
    QList<blk::IndexRecord> index;
    QList<quint16> pixels;
    for (int k = 0; k < Columns * Rows; ++k) {
        index.append(recordOf(quint32(10 + 8 * Columns * Rows - 4 + 2 * 128 * 128 * k), 128, 128));
        const QRgb c = colourOf(k);
        pixels.append(QList<quint16>(128 * 128, blk::rgbTo565(uchar(qRed(c)), uchar(qGreen(c)), uchar(qBlue(c)))));
    }
    const QByteArray bytes = fileOf(1, Columns, Rows, Columns * Rows, index, pixels);
    const blk::Layout layout = blk::parseBackground(bytes);
    for (const int maxSide : {7 * 16, 100, 61, 13}) {
        const QSize size = blk::previewSize({Columns * 128, Rows * 128}, maxSide);
        CountingSource counting{bytes};
        const QImage preview = blk::previewImage(layout, counting.source(), size, QStringLiteral("x.blk"));
        QCOMPARE(preview.size(), size);
        int checked = 0;
        for (int y = 0; y < size.height(); ++y) {
            const double top = double(y) * Rows * 128 / size.height(), bottom = double(y + 1) * Rows * 128 / size.height();
            for (int x = 0; x < size.width(); ++x) {
                const double left = double(x) * Columns * 128 / size.width();
                const double right = double(x + 1) * Columns * 128 / size.width();
                const int column = int(left / 128), row = int(top / 128);
                if (int(std::ceil(right / 128)) - 1 != column || int(std::ceil(bottom / 128)) - 1 != row)
                    continue;   // the pixel's area spans two blocks
                QCOMPARE(preview.pixel(x, y), colourOf(column * Rows + row));
                ++checked;
            }
        }
        QVERIFY(checked > size.width() * size.height() / 4);
    }
}

void TestBlkPreview::readsOnlySampledRows()
{
    constexpr int Columns = 60, Rows = 24;
    const QByteArray bytes = uniformFile(1, Columns, Rows, 128, 128, 0x5555);
    const blk::Layout layout = blk::parseBackground(bytes);
    const QSize size = blk::previewSize({Columns * 128, Rows * 128}, 256);
    CountingSource counting{bytes};
    blk::previewImage(layout, counting.source(), size, QStringLiteral("x.blk"));
    // At most 4 sample rows for each of the preview's rows, each a row of 60 blocks.
    QCOMPARE(counting.asked, qint64(size.height()) * blk::PreviewSamples * Columns * 128 * 2);
    QVERIFY(counting.asked < layout.totalPixels * 2 / 6);
}

void TestBlkPreview::aRowThatCannotBeReadFails()
{
    const QByteArray bytes = uniformFile(0, 3, 2, 128, 128, 0x7FFF);
    const blk::Layout layout = blk::parseBackground(bytes);
    const QByteArray cut = bytes.left(bytes.size() - 1000);
    CountingSource counting{cut};
    QVERIFY_THROWS_EXCEPTION(FormatError, blk::previewImage(layout, counting.source(), {96, 64}, QStringLiteral("x.blk")));
}

QTEST_GUILESS_MAIN(TestBlkPreview)
#include "tst_blkpreview.moc"
