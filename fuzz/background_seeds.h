#pragma once

// The seed corpus of fuzz_background, also read by the bad-input tests: background files
// that the program's encoder writes, their 5-5-5 twins, copies whose offsets say other
// than their layout, and damaged copies. The same files every time.

#include "core/background/blkformat.h"
#include "core/background/graphicblock.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QtEndian>
#include <memory>
#include <utility>

namespace seeds {

using NamedFile = std::pair<QString, QByteArray>;

// A block of w x h pixels in which neighbouring pixels differ.
inline std::unique_ptr<TGraphicBlock> patternBlock(int w, int h, int k)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        uchar* d = image.scanLine(y);
        for (int x = 0; x < w; ++x, d += 3) {
            d[0] = uchar(x * 8 + k * 40);
            d[1] = uchar(y * 4 + k * 24);
            d[2] = uchar((x ^ y) * 8 + k);
        }
    }
    auto block = std::make_unique<TGraphicBlock>();
    block->SetBitmap(image);
    return block;
}

// A file of columns x rows blocks, block k of sizes[k % sizes.size()].
inline QByteArray encodedFile(int columns, int rows, const QList<QSize>& sizes)
{
    TBlockList blocks;
    for (int k = 0; k < columns * rows; ++k) {
        const QSize size = sizes[k % sizes.size()];
        blocks.push_back(patternBlock(size.width(), size.height(), k));
    }
    return blk::encodeBackground(blocks, columns, rows);
}

inline QByteArray with16(QByteArray bytes, qsizetype at, quint16 value)
{
    qToLittleEndian<quint16>(value, bytes.data() + at);
    return bytes;
}

inline QByteArray withByte(QByteArray bytes, qsizetype at, quint8 value)
{
    bytes[at] = char(value);
    return bytes;
}

// Offsets of header fields and of the index records' fields.
constexpr qsizetype ColumnsAt = 4, RowsAt = 6, CountAt = 8;
constexpr qsizetype recordAt(int k) { return 10 + 8 * k; }

inline quint32 offsetOf(const QByteArray& bytes, int k)
{
    return qFromLittleEndian<quint32>(bytes.constData() + recordAt(k));
}

inline QByteArray withOffset(QByteArray bytes, int k, quint32 offset)
{
    qToLittleEndian<quint32>(offset, bytes.data() + recordAt(k));
    return bytes;
}

// Each of the first `count` offsets replaced by newOffset(k, offset).
template <typename NewOffset>
QByteArray withOffsets(QByteArray bytes, int count, NewOffset newOffset)
{
    for (int k = 0; k < count; ++k)
        bytes = withOffset(bytes, k, quint32(newOffset(k, offsetOf(bytes, k))));
    return bytes;
}

inline QList<NamedFile> backgroundSeeds()
{
    const QList<NamedFile> valid = {
        {QStringLiteral("one-block-16"), encodedFile(1, 1, {QSize(16, 16)})},
        {QStringLiteral("grid-3x2-8"), encodedFile(3, 2, {QSize(8, 8)})},
        {QStringLiteral("mixed-sizes-2x2"), encodedFile(2, 2, {QSize(5, 7), QSize(1, 1), QSize(9, 2)})},
        {QStringLiteral("one-block-128"), encodedFile(1, 1, {QSize(128, 128)})},
    };
    QList<NamedFile> files;
    for (const auto& [name, bytes] : valid) {
        files.append({name, bytes});
        files.append({name + QStringLiteral("-555"), withByte(bytes, 0, 0)});
        // Bytes 1 to 3 are not looked at.
        files.append({name + QStringLiteral("-format-bytes-ff"), withByte(withByte(withByte(bytes, 1, 0xFF), 2, 0xFF), 3, 0xFF)});
    }

    const QByteArray grid = valid[1].second;   // 3 x 2 blocks of 8 x 8
    const qsizetype pixelsAt = recordAt(6);
    files.append({QStringLiteral("empty"), QByteArray()});
    files.append({QStringLiteral("header-only"), grid.left(10)});
    files.append({QStringLiteral("first-byte-2"), withByte(grid, 0, 2)});
    files.append({QStringLiteral("first-byte-ff"), withByte(grid, 0, 0xFF)});
    files.append({QStringLiteral("index-cut"), grid.left(recordAt(3) + 5)});
    files.append({QStringLiteral("pixels-cut-last-byte"), grid.chopped(1)});
    files.append({QStringLiteral("pixels-cut-in-block-2"), grid.left(pixelsAt + 2 * 128 + 17)});
    files.append({QStringLiteral("pixels-none"), grid.left(pixelsAt)});
    files.append({QStringLiteral("width-0"), with16(grid, recordAt(2) + 4, 0)});
    files.append({QStringLiteral("height-0"), with16(grid, recordAt(5) + 6, 0)});
    files.append({QStringLiteral("no-blocks"), with16(with16(with16(grid.left(10), ColumnsAt, 0), RowsAt, 0), CountAt, 0)});
    files.append({QStringLiteral("count-one-more"), with16(grid, CountAt, 7)});
    files.append({QStringLiteral("count-one-less"), with16(grid, CountAt, 5)});
    files.append({QStringLiteral("rows-0"), with16(grid, RowsAt, 0)});
    files.append({QStringLiteral("columns-bigger"), with16(grid, ColumnsAt, 4)});
    files.append({QStringLiteral("count-65535"), with16(with16(with16(grid, ColumnsAt, 255), RowsAt, 257), CountAt, 65535)});
    files.append({QStringLiteral("grid-65535-square"), with16(with16(grid, ColumnsAt, 65535), RowsAt, 65535)});
    files.append({QStringLiteral("block-65535-square"), with16(with16(grid, recordAt(0) + 4, 65535), recordAt(0) + 6, 65535)});
    files.append({QStringLiteral("extra-bytes-at-end"), grid + QByteArray(100, '\x5A')});

    // Offsets that say other than back to back. Read at the offsets: blocks 0 and 1
    // swapped; every block on block 3's pixels; 100 bytes between index and pixels.
    files.append({QStringLiteral("offsets-0-1-swapped"),
                  withOffset(withOffset(grid, 0, offsetOf(grid, 1)), 1, offsetOf(grid, 0))});
    files.append({QStringLiteral("offsets-all-on-block-3"),
                  withOffsets(grid, 6, [&](int, quint32) { return offsetOf(grid, 3); })});
    files.append({QStringLiteral("offsets-gap-before-pixels"),
                  withOffsets(grid.left(pixelsAt), 6, [](int, quint32 offset) { return offset + 100; }) +
                      QByteArray(100, '\x33') + grid.mid(pixelsAt)});
    // Read back to back: block 5 ends a byte past the file, block 0 begins in the index,
    // all offsets 0, offsets that are the pixels' positions (not minus 4), and halves that
    // have nothing to do with the layout.
    files.append({QStringLiteral("offsets-past-end"), withOffset(grid, 5, offsetOf(grid, 5) + 1)});
    files.append({QStringLiteral("offsets-into-index"), withOffset(grid, 0, quint32(pixelsAt - 4 - 2))});
    files.append({QStringLiteral("offsets-all-0"), withOffsets(grid, 6, [](int, quint32) { return 0; })});
    files.append({QStringLiteral("offsets-not-minus-4"), withOffsets(grid, 6, [](int, quint32 offset) { return offset + 4; })});
    files.append({QStringLiteral("offsets-odd-halves"),
                  withOffsets(grid, 6, [](int k, quint32) { return 0x10000u * quint32(k) + 1000u + quint32(k); })});
    return files;
}

} // namespace seeds
