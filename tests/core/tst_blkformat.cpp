// The background file format without any window: codecs, header and index checks, writer.
#include "core/common/errors.h"
#include "core/background/blkformat.h"
#include "core/tst_blkdata.h"

#include <QBuffer>
#include <QtEndian>
#include <QtTest>

namespace {

using blktest::fileOf;

QString parseMessage(const QByteArray& bytes)
{
    try {
        blk::parseBackground(bytes, QStringLiteral("bad.blk"));
    } catch (const FormatError& error) {
        return error.message();
    }
    return QString();
}

std::unique_ptr<TGraphicBlock> blockOf(const QImage& image, quint32 offset = 0)
{
    auto block = std::make_unique<TGraphicBlock>();
    block->SetOffset(offset);
    block->SetBitmap(image);
    return block;
}

} // namespace

class TestBlkFormat : public QObject {
    Q_OBJECT
private slots:
    void colourTable();
    void everyPixelValueRoundTrips();
    void rgb555KeepsItsColoursAs565();
    void roundedPercentHalvesToEven();
    void hugeClaimsAreRefusedWithoutAllocating();
    void writerLayout();
    void failedWriteIsReported();
    void unwritableGridsAreRefused();
};

void TestBlkFormat::colourTable()
{
    QCOMPARE(blk::rgbFrom565(0xFFFF), (blk::Rgb{248, 252, 248}));
    QCOMPARE(blk::rgbFrom565(0xF800), (blk::Rgb{248, 0, 0}));
    QCOMPARE(blk::rgbFrom565(0x07E0), (blk::Rgb{0, 252, 0}));
    QCOMPARE(blk::rgbFrom565(0x001F), (blk::Rgb{0, 0, 248}));
    QCOMPARE(blk::rgbFrom565(0x0000), (blk::Rgb{0, 0, 0}));
    QCOMPARE(blk::rgbTo565(255, 255, 255), quint16(0xFFFF));
    QCOMPARE(blk::rgbTo565(7, 3, 7), quint16(0x0000));
    QCOMPARE(blk::rgbTo565(8, 4, 8), quint16(0x0821));
    QCOMPARE(blk::rgbFrom555(0x7C00), (blk::Rgb{248, 0, 0}));
    QCOMPARE(blk::rgbFrom555(0x03E0), (blk::Rgb{0, 248, 0}));
    QCOMPARE(blk::rgbFrom555(0x001F), (blk::Rgb{0, 0, 248}));
    QCOMPARE(blk::rgbFrom555(0x8000), (blk::Rgb{0, 0, 0}));   // bit 15 unused
}

void TestBlkFormat::everyPixelValueRoundTrips()
{
    // One 256 x 256 block holds each 16-bit value once: decoding gives the table's colours
    // in the image's 24-bit rows, and encoding gives the same bytes back.
    QByteArray pixels(256 * 256 * 2, Qt::Uninitialized);
    for (int p = 0; p < 65536; ++p)
        qToLittleEndian<quint16>(quint16(p), pixels.data() + 2 * p);
    const QImage image = blk::decodeBlock(pixels.constData(), 256, 256, blk::PixelFormat::RGB565);
    QCOMPARE(image.format(), QImage::Format_RGB888);
    for (int p = 0; p < 65536; ++p) {
        const blk::Rgb rgb = blk::rgbFrom565(quint16(p));
        const uchar* d = image.constScanLine(p / 256) + 3 * (p % 256);
        QCOMPARE((blk::Rgb{d[0], d[1], d[2]}), rgb);
        QCOMPARE(blk::rgbTo565(rgb.r, rgb.g, rgb.b), quint16(p));
    }
    QByteArray back(pixels.size(), '\0');
    blk::encodeBlock(image, 256, 256, back.data());
    QCOMPARE(back, pixels);
}

void TestBlkFormat::rgb555KeepsItsColoursAs565()
{
    for (int p = 0; p < 0x8000; ++p) {
        const blk::Rgb rgb = blk::rgbFrom555(quint16(p));
        QCOMPARE(blk::rgbFrom565(blk::rgbTo565(rgb.r, rgb.g, rgb.b)), rgb);
    }
}

void TestBlkFormat::roundedPercentHalvesToEven()
{
    QList<int> eighths;
    for (int k = 1; k <= 8; ++k)
        eighths.append(blk::roundedPercent(k, 8));
    QCOMPARE(eighths, QList<int>({12, 25, 38, 50, 62, 75, 88, 100}));
    QCOMPARE(blk::roundedPercent(1, 6), 17);
    QCOMPARE(blk::roundedPercent(1, 200), 0);   // 0.5 rounds to 0
    QCOMPARE(blk::roundedPercent(3, 200), 2);   // 1.5 rounds to 2
    const qint64 big = qint64(65535) * 65535 * 65535;
    QCOMPARE(blk::roundedPercent(big / 2, big), 50);
}

void TestBlkFormat::hugeClaimsAreRefusedWithoutAllocating()
{
    // 20 bytes that claim 65535 x 1 blocks, and a full index that claims 65535 x 65535 pixels
    // per block: both are refused from the file's size alone.
    QByteArray twenty = fileOf(1, 65535, 1, 65535, {{0, 0, 65535, 65535}});
    twenty.resize(20);
    QCOMPARE(parseMessage(twenty), QStringLiteral("bad.blk is truncated or damaged: it has 20 bytes, but its header, "
                                                  "index and pixel data need 524290"));

    QList<blk::IndexRecord> index(65535, blk::IndexRecord{0, 0, 65535, 65535});
    const QString message = parseMessage(fileOf(1, 65535, 1, 65535, index));
    QVERIFY2(message.startsWith(QStringLiteral("bad.blk is truncated or damaged")), qPrintable(message));
    QVERIFY2(message.contains(QString::number(10 + 8 * 65535 + 2 * qint64(65535) * 65535 * 65535)),
             qPrintable(message));
}

void TestBlkFormat::writerLayout()
{
    TBlockList blocks;
    blocks.push_back(blockOf(QImage(2, 1, QImage::Format_RGB888), 0x00020036));
    blocks.push_back(blockOf(QImage(1, 1, QImage::Format_RGB888), 9));
    blocks[0]->Bitmap.setPixelColor(0, 0, QColor(255, 255, 255));
    blocks[0]->Bitmap.setPixelColor(1, 0, QColor(8, 4, 8));
    blocks[1]->Bitmap.setPixelColor(0, 0, QColor(7, 3, 7));
    const QByteArray bytes = blk::encodeBackground(blocks, 1, 2);
    QCOMPARE(bytes, fileOf(1, 1, 2, 2, {{0x36, 2, 2, 1}, {9, 0, 1, 1}}, {0xFFFF, 0x0821, 0x0000}));
    QCOMPARE(bytes.left(4), QByteArray("\x01\x00\x00\x00", 4));

    // The streaming writer gives the same bytes and counts the blocks.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QList<int> progress;
    blk::writeBackground(buffer, blocks, 1, 2, QStringLiteral("x"), [&](int done, int total) {
        QCOMPARE(total, 2);
        progress.append(done);
    });
    QCOMPARE(buffer.data(), bytes);
    QCOMPARE(progress, QList<int>({1, 2}));

    // Any form of bitmap is read as 24-bit; pixels it does not cover are white.
    QImage argb(1, 1, QImage::Format_ARGB32);
    argb.setPixelColor(0, 0, QColor(0, 252, 0));
    QByteArray out(2 * 2 * 2, '\0');
    blk::encodeBlock(argb, 2, 2, out.data());
    QCOMPARE(out, QByteArray("\xE0\x07\xFF\xFF\xFF\xFF\xFF\xFF", 8));
}

void TestBlkFormat::failedWriteIsReported()
{
    TBlockList blocks;
    blocks.push_back(blockOf(QImage(128, 128, QImage::Format_RGB888)));
    blocks.push_back(blockOf(QImage(128, 128, QImage::Format_RGB888)));
    blktest::FailingDevice device(40000);
    QList<int> progress;
    try {
        blk::writeBackground(device, blocks, 2, 1, QStringLiteral("out.blk"),
                             [&](int done, int) { progress.append(done); });
        QFAIL("the write did not fail");
    } catch (const FileError& error) {
        QCOMPARE(error.message(), QStringLiteral("Cannot write file out.blk: No space left on device"));
    }
    QCOMPARE(progress, QList<int>({1}));
}

void TestBlkFormat::unwritableGridsAreRefused()
{
    auto message = [](const TBlockList* blocks, int columns, int rows) {
        try {
            blk::checkWritable(blocks, columns, rows);
        } catch (const PlsdError& error) {
            return error.message();
        }
        return QString();
    };
    TBlockList blocks;
    blocks.push_back(blockOf(QImage(1, 1, QImage::Format_RGB888)));
    blocks.push_back(std::make_unique<TGraphicBlock>());
    QCOMPARE(message(&blocks, 2, 1), QStringLiteral("Block 1 of the picture is 0 x 0 pixels and cannot be saved"));
    blocks[1]->SetBitmap(QImage(1, 1, QImage::Format_RGB888));
    QCOMPARE(message(&blocks, 1, 2), QString());

    // A count that does not fit in 16 bits is refused, not cut.
    TBlockList many(65536);
    QCOMPARE(message(&many, 256, 256), QStringLiteral("The picture has 65536 blocks, but a background file holds at most 65535"));
}

QTEST_GUILESS_MAIN(TestBlkFormat)
#include "tst_blkformat.moc"
