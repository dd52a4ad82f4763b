// The background file format without any window: codecs, header and index checks, writer.
#include "core/common/errors.h"
#include "core/background/blkformat.h"
#include "core/tst_blkdata.h"

#include <QBuffer>
#include <QtEndian>
#include <QtTest>
#include <random>

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
    void blocksAreReadBackToBackWhateverTheOffsets();
    void swappedOffsetsShowBlocksBackToBack();
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

    // Blocks may share pixels at their offsets, but the file must still be as long as all
    // of them back to back: what a load allocates stays bounded by the file's size.
    QCOMPARE(parseMessage(fileOf(1, 2, 1, 2, {{22, 0, 1, 1}, {22, 0, 1, 1}}, {0x1234})),
             QStringLiteral("bad.blk is truncated or damaged: it has 28 bytes, but its header, index and pixel data "
                            "need 30"));
}

// Random files of a few small blocks, made in one of three ways: back to back with offsets
// that say so (and maybe bytes after the last block), blocks anywhere in the pixel data
// (shuffled, apart, or sharing pixels) with offsets that say where, or back to back with
// some offsets pointing past the end or into the header and index. Each block shows the
// pixels back to back behind the index, as the game reads them; the layout says whether
// the offsets agree, and a save writes true offsets.
void TestBlkFormat::blocksAreReadBackToBackWhateverTheOffsets()
{
    enum Way { BackToBack, Anywhere, BadOffsets };
    std::mt19937 random(12);
    const auto below = [&](qint64 n) { return qint64(random() % quint64(n)); };
    const auto nearOrFar = [&](qint64 n) { return below(2) ? below(std::min<qint64>(n, 2)) : below(n); };
    int seen[3] = {0, 0, 0};
    for (int round = 0; round < 600; ++round) {
        const int columns = 1 + int(below(3)), rows = 1 + int(below(3)), count = columns * rows;
        const qint64 indexEnd = 10 + 8 * count;
        QList<blk::IndexRecord> index;
        std::vector<qint64> backToBack;
        qint64 end = indexEnd;
        for (int k = 0; k < count; ++k) {
            index.append({0, 0, quint16(1 + below(5)), quint16(1 + below(5))});
            backToBack.push_back(end);
            end += index.last().pixelBytes();
        }
        const Way way = Way(below(3));
        QByteArray file(end + (below(2) ? below(40) : 0), Qt::Uninitialized);
        for (char& byte : file)
            byte = char(below(256));
        std::vector<qint64> at = backToBack;
        if (way == Anywhere) {
            for (int k = 0; k < count; ++k)
                at[size_t(k)] = indexEnd + below(file.size() - indexEnd - index[k].pixelBytes() + 1);
        }
        for (int k = 0; k < count; ++k)
            index[k] = blktest::recordOf(quint32(at[size_t(k)] - 4), index[k].width, index[k].height);
        if (way == BadOffsets) {
            for (int k = 0; k < count; ++k) {
                if (k == 0 || below(3) == 0) {
                    // In [4, indexEnd) or in [past, 2^32 + 4), often next to their ends.
                    const qint64 past = file.size() - index[k].pixelBytes() + 1;
                    const qint64 position = below(2) ? indexEnd - 1 - nearOrFar(indexEnd - 4)
                                                     : past + nearOrFar(0x100000004 - past);
                    index[k] = blktest::recordOf(quint32(position - 4), index[k].width, index[k].height);
                }
            }
        }
        file.replace(0, indexEnd, fileOf(1, quint16(columns), quint16(rows), quint16(count), index));
        const blk::BlockPlacement expected = at == backToBack && way != BadOffsets
                                                 ? blk::BlockPlacement::OffsetsMatch
                                                 : blk::BlockPlacement::OffsetsDisagree;
        ++seen[int(way)];
        const QByteArray context = "round " + QByteArray::number(round);

        blk::Layout layout;
        TBlockList blocks = blk::decodeBackground(file, &layout);
        QVERIFY2(layout.placement == expected, context);
        for (int k = 0; k < count; ++k) {
            QByteArray pixels(index[k].pixelBytes(), '\0');
            blk::encodeBlock(blocks[size_t(k)]->Bitmap, index[k].width, index[k].height, pixels.data());
            QVERIFY2(pixels == file.mid(backToBack[size_t(k)], index[k].pixelBytes()), context);
            QVERIFY2(blocks[size_t(k)]->Offset() == index[k].offset(), context);   // kept until a save
        }

        const QByteArray saved = blk::encodeBackground(blocks, columns, rows);
        blk::Layout savedLayout;
        const TBlockList again = blk::decodeBackground(saved, &savedLayout);
        QVERIFY2(savedLayout.placement == blk::BlockPlacement::OffsetsMatch, context);
        QVERIFY2(savedLayout.positions == backToBack, context);
        for (int k = 0; k < count; ++k)
            QVERIFY2(again[size_t(k)]->Bitmap == blocks[size_t(k)]->Bitmap, context);
        if (expected == blk::BlockPlacement::OffsetsMatch)
            QVERIFY2(saved == file.left(end), context);
        blk::takeSavedOffsets(blocks);
        for (int k = 0; k < count; ++k)
            QVERIFY2(blocks[size_t(k)]->Offset() == savedLayout.index[size_t(k)].offset(), context);
    }
    for (int n : seen)
        QVERIFY(n > 50);
}

void TestBlkFormat::swappedOffsetsShowBlocksBackToBack()
{
    // Block 0 red and block 1 blue back to back, with each offset naming the other's pixels.
    const quint32 first = 10 + 8 * 2 - 4;
    const QByteArray file = fileOf(1, 2, 1, 2, {blktest::recordOf(first + 2, 1, 1), blktest::recordOf(first, 1, 1)},
                                   {0xF800, 0x001F});
    blk::Layout layout;
    const TBlockList blocks = blk::decodeBackground(file, &layout);
    QCOMPARE(layout.placement, blk::BlockPlacement::OffsetsDisagree);
    QCOMPARE(blocks[0]->Bitmap.pixel(0, 0), qRgb(248, 0, 0));
    QCOMPARE(blocks[1]->Bitmap.pixel(0, 0), qRgb(0, 0, 248));
}

void TestBlkFormat::writerLayout()
{
    // The blocks' own offsets say nothing about the file the save writes: each block gets
    // the position of its pixels minus 4 (26 - 4 and 30 - 4).
    TBlockList blocks;
    blocks.push_back(blockOf(QImage(2, 1, QImage::Format_RGB888), 0x00020036));
    blocks.push_back(blockOf(QImage(1, 1, QImage::Format_RGB888), 9));
    blocks[0]->Bitmap.setPixelColor(0, 0, QColor(255, 255, 255));
    blocks[0]->Bitmap.setPixelColor(1, 0, QColor(8, 4, 8));
    blocks[1]->Bitmap.setPixelColor(0, 0, QColor(7, 3, 7));
    const QByteArray bytes = blk::encodeBackground(blocks, 1, 2);
    QCOMPARE(bytes, fileOf(1, 1, 2, 2, {{22, 0, 2, 1}, {26, 0, 1, 1}}, {0xFFFF, 0x0821, 0x0000}));
    QCOMPARE(blk::savedOffsets(blocks), (std::vector<std::uint32_t>{22, 26}));
    QCOMPARE(blocks[0]->Offset(), 0x00020036u);
    blk::takeSavedOffsets(blocks);
    QCOMPARE(blocks[0]->Offset(), 22u);
    QCOMPARE(blocks[1]->Offset(), 26u);
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

    // So is an offset: block 1 would begin 8.6 GB into the file. (Sizes only: no pixels.)
    TBlockList huge;
    for (int k = 0; k < 2; ++k) {
        huge.push_back(std::make_unique<TGraphicBlock>());
        huge.back()->Width = huge.back()->Height = 65535;
    }
    QCOMPARE(message(&huge, 2, 1), QStringLiteral("The picture is too large for a background file: block 1 would "
                                                  "begin past the 4 GB that a block's offset can reach"));
    huge.pop_back();
    QCOMPARE(message(&huge, 1, 1), QString());
}

QTEST_GUILESS_MAIN(TestBlkFormat)
#include "tst_blkformat.moc"
