#include "core/background/bitmapgrid.h"

#include "core/common/errors.h"
#include "core/common/product.h"
#include "core/background/blkformat.h"
#include "core/common/memorybudget.h"
#include "core/files/readfile.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <limits>

namespace bitmapgrid {

namespace {

constexpr qint64 BlockBytes = qint64(BlockSize) * BlockSize * 3;

// Qt's limit on what its picture reader allocates, set to the budget for one read and put
// back after it.
class AllocationLimit {
public:
    AllocationLimit()
        : previous(QImageReader::allocationLimit())
    {
        const qint64 megabytes = (memorybudget::limit() + (qint64(1) << 20) - 1) >> 20;
        QImageReader::setAllocationLimit(int(std::min<qint64>(megabytes, std::numeric_limits<int>::max())));
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(previous); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

private:
    int previous;
};

// The warnings Qt's picture plugins give while one picture is read. The JPEG decoder gives
// a picture of a file that ends early, grey where its data is missing, and says so only
// here.
class DecoderWarnings {
public:
    DecoderWarnings()
    {
        active = this;
        previous = qInstallMessageHandler(collect);
    }
    ~DecoderWarnings()
    {
        qInstallMessageHandler(previous);
        active = nullptr;
    }
    DecoderWarnings(const DecoderWarnings&) = delete;
    DecoderWarnings& operator=(const DecoderWarnings&) = delete;

    // The first warning that says the picture was read only in part, or nothing.
    QString damage() const
    {
        for (const QString& warning : warnings) {
            if (warning.contains(QLatin1String("Premature end"), Qt::CaseInsensitive) ||
                warning.contains(QLatin1String("Corrupt JPEG data"), Qt::CaseInsensitive) ||
                warning.contains(QLatin1String("truncated"), Qt::CaseInsensitive))
                return warning.trimmed();
        }
        return {};
    }

private:
    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtWarningMsg && active)
            active->warnings.append(message);
        else if (previous)
            previous(type, context, message);
    }

    static inline DecoderWarnings* active = nullptr;
    static inline QtMessageHandler previous = nullptr;
    QStringList warnings;
};

// Qt reads Windows bitmaps of at most 16384 x 16384 pixels; says so for a larger one
// instead of calling it invalid.
void refuseOversizedBitmap(QFile& file)
{
    constexpr qint64 MostPixels = qint64(16384) * 16384;
    if (!file.seek(0))
        return;
    const QByteArray head = file.read(26);
    if (head.size() < 26 || !head.startsWith("BM"))
        return;
    const qint64 width = qFromLittleEndian<qint32>(head.constData() + 18);
    const qint64 height = qAbs(qint64(qFromLittleEndian<qint32>(head.constData() + 22)));
    if (width > 0 && width * height > MostPixels)
        throw BitmapError(QStringLiteral("The bitmap is %1 x %2 pixels, more than the 16384 x 16384 pixels that "
                                         "can be read from a bitmap file")
                              .arg(width)
                              .arg(height));
}

// Qt reads a Windows bitmap whose pixel data ends early as if the rest were there; such a
// file is refused here. Only uncompressed bitmaps say how long their pixel data is.
void refuseTruncatedBitmap(QFile& file)
{
    if (!file.seek(0))
        return;
    const QByteArray head = file.read(34);
    if (head.size() < 34 || !head.startsWith("BM"))
        return;
    const qint64 pixelsAt = qFromLittleEndian<quint32>(head.constData() + 10);
    const qint64 width = qFromLittleEndian<qint32>(head.constData() + 18);
    const qint64 height = qAbs(qint64(qFromLittleEndian<qint32>(head.constData() + 22)));
    const qint64 bitsPerPixel = qFromLittleEndian<quint16>(head.constData() + 28);
    const quint32 compression = qFromLittleEndian<quint32>(head.constData() + 30);
    constexpr quint32 Uncompressed = 0, BitFields = 3;
    if (compression != Uncompressed && compression != BitFields)
        return;
    const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    if (file.size() < pixelsAt + rowBytes * height)
        throw BitmapError(QStringLiteral("Bitmap image is not valid"));
}

// Lays a picture with an alpha channel over white, in place: with premultiplied pixels a
// channel over white is the channel plus what the alpha leaves of white.
void layOverWhite(QImage& picture)
{
    picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull())
        return;
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = line[x];
            const int white = 255 - qAlpha(p);
            line[x] = qRgb(qRed(p) + white, qGreen(p) + white, qBlue(p) + white);
        }
    }
    picture.reinterpretAsFormat(QImage::Format_RGB32);
}

// Size of a 24-bit bitmap file of width x height pixels: two headers, then rows padded to
// 4 bytes.
constexpr qint64 BitmapHeaderSize = 14 + 40;
qint64 bitmapRowBytes(qint64 width)
{
    return (width * 3 + 3) / 4 * 4;
}

void putLe(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

} // namespace

QString creditText()
{
    return QStringLiteral("Created with the Palisandre. Get your free copy at: ") + product::downloadAddress;
}

QSize gridSize(QSize picture)
{
    return {(picture.width() + BlockSize - 1) / BlockSize, (picture.height() + BlockSize - 1) / BlockSize};
}

QImage readPicture(const QString& path, QString* damage)
{
    const QString suffix = QFileInfo(path).suffix();
    if (!suffix.isEmpty() && !QImageReader::supportedImageFormats().contains(suffix.toLower().toLatin1()))
        throw BitmapError(QStringLiteral("Unknown picture file extension (.%1)").arg(shortenedToken(suffix)));
    QFile file;
    files::openForReading(file, path);
    QImageReader reader(&file, suffix.toLower().toLatin1());
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        refuseOversizedBitmap(file);
        throw BitmapError(QStringLiteral("Bitmap image is not valid"));
    }

    const qint64 readerAt = file.pos();
    refuseTruncatedBitmap(file);
    if (!file.seek(readerAt))
        throw FileError::cannotRead(path, file.errorString());

    const QSize grid = gridSize(size);
    const qint64 blocks = qint64(grid.width()) * grid.height();
    if (blocks > blk::MaxBlocks)
        throw BitmapError(QStringLiteral("The picture is %1 x %2 pixels: its %3 x %4 blocks are more than the %5 "
                                         "a background file holds")
                              .arg(size.width())
                              .arg(size.height())
                              .arg(grid.width())
                              .arg(grid.height())
                              .arg(blk::MaxBlocks));
    // The picture as read (32-bit pixels) and the blocks cut from it live together.
    const qint64 pictureBytes = qint64(size.width()) * size.height() * 4;
    memorybudget::checkPicture(path, size.width(), size.height(), pictureBytes + blocks * BlockBytes);

    QImage picture;
    QString partly;
    {
        const AllocationLimit limit;
        const DecoderWarnings warnings;
        picture = reader.read();
        partly = warnings.damage();
    }
    if (picture.isNull())
        throw BitmapError(QStringLiteral("Bitmap image is not valid"));
    if (!partly.isEmpty()) {
        const QString message =
            QStringLiteral("%1 is damaged: only part of its picture could be read (%2)").arg(path, partly);
        if (!damage)
            throw BitmapError(message);
        *damage = message;
    }
    if (picture.hasAlphaChannel())
        layOverWhite(picture);
    picture.convertTo(QImage::Format_RGB888);   // in place from 32-bit pixels
    if (picture.isNull())
        throw PlsdError(QStringLiteral("Not enough memory for the picture of %1").arg(path));
    return picture;
}

void stampCredit(QImage& picture)
{
    QPainter painter(&picture);
    const QFont font;
    const QFontMetrics metrics(font);
    const QString text = creditText();
    const QRect box(0, 0, metrics.horizontalAdvance(text), metrics.height());
    painter.fillRect(box, Qt::black);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

std::unique_ptr<TBlockList> cutIntoBlocks(QImage picture)
{
    picture.convertTo(QImage::Format_RGB888);
    if (picture.isNull())
        throw PlsdError(QStringLiteral("Not enough memory to cut the picture into blocks"));
    const QSize grid = gridSize(picture.size());
    const int count = grid.width() * grid.height();
    auto blocks = std::make_unique<TBlockList>(size_t(count));
    // Row of blocks by row of blocks, so that the source is read band by band.
    for (int r = 0; r < grid.height(); ++r) {
        const int top = BlockSize * r;
        const int height = std::min(BlockSize, picture.height() - top);
        for (int c = 0; c < grid.width(); ++c) {
            const int left = BlockSize * c;
            const int width = std::min(BlockSize, picture.width() - left);
            QImage bitmap(BlockSize, BlockSize, QImage::Format_RGB888);   // filled below, row by row
            if (bitmap.isNull())
                throw PlsdError(QStringLiteral("Not enough memory to cut the picture into blocks"));
            for (int y = 0; y < BlockSize; ++y) {
                uchar* d = bitmap.scanLine(y);
                const int copied = y < height ? width : 0;
                if (copied)
                    std::memcpy(d, picture.constScanLine(top + y) + 3 * left, size_t(3 * copied));
                std::memset(d + 3 * copied, 0xFF, size_t(3 * (BlockSize - copied)));
            }
            const int k = c * grid.height() + r;
            auto block = std::make_unique<TGraphicBlock>();
            block->SetOffset(blk::importedBlockOffset(k, count));
            block->SetBitmap(bitmap);
            (*blocks)[size_t(k)] = std::move(block);
        }
    }
    return blocks;
}


void checkExportable(const TBlockList* blocks, int columns, int rows, const QByteArray& format)
{
    if (!blocks || blocks->empty() || columns <= 0 || rows <= 0)
        throw PlsdError(QStringLiteral("There is no picture to export: open a background file or import a bitmap "
                                       "first"));
    const qint64 width = qint64(BlockSize) * columns;
    const qint64 height = qint64(BlockSize) * rows;
    if (format == "bmp") {
        if (BitmapHeaderSize + bitmapRowBytes(width) * height > std::numeric_limits<qint32>::max())
            throw PlsdError(QStringLiteral("The picture of %1 x %2 pixels is too large for a Windows bitmap file")
                                .arg(width)
                                .arg(height));
        return;
    }
    if (width > std::numeric_limits<int>::max() / 3 || height > std::numeric_limits<int>::max())
        throw PlsdError(QStringLiteral("The picture of %1 x %2 pixels is too large to write as one picture")
                            .arg(width)
                            .arg(height));
    // The whole picture is made beside the blocks.
    qint64 blockBytes = 0;
    for (const auto& block : *blocks)
        blockBytes += block ? qint64(block->Width) * block->Height * 3 : 0;
    memorybudget::checkPicture(QStringLiteral("The picture"), width, height,
                               bitmapRowBytes(width) * height + blockBytes);
}

QImage joinBlocks(const TBlockList& blocks, int columns, int rows)
{
    QImage picture(BlockSize * columns, BlockSize * rows, QImage::Format_RGB888);
    if (picture.isNull())
        throw PlsdError(QStringLiteral("Not enough memory for a picture of %1 x %2 pixels")
                            .arg(qint64(BlockSize) * columns)
                            .arg(qint64(BlockSize) * rows));
    picture.fill(Qt::white);
    for (size_t k = 0; k < blocks.size() && k < size_t(columns) * size_t(rows); ++k) {
        if (!blocks[k] || blocks[k]->Bitmap.isNull())
            continue;
        const QImage& bitmap = blocks[k]->Bitmap;
        const QImage cell = bitmap.format() == QImage::Format_RGB888 ? bitmap
                                                                      : bitmap.convertToFormat(QImage::Format_RGB888);
        const int left = BlockSize * int(k / size_t(rows));
        const int top = BlockSize * int(k % size_t(rows));
        const int width = std::min(BlockSize, cell.width());
        const int height = std::min(BlockSize, cell.height());
        for (int y = 0; y < height; ++y)
            std::memcpy(picture.scanLine(top + y) + 3 * left, cell.constScanLine(y), size_t(3 * width));
    }
    return picture;
}

void writeBlocksAsBitmap(QIODevice& device, const TBlockList& blocks, int columns, int rows, const QString& name)
{
    auto write = [&](const QByteArray& bytes) {
        if (device.write(bytes) != bytes.size())
            throw FileError(QStringLiteral("Cannot write file %1: %2").arg(name, device.errorString()));
    };
    const int width = BlockSize * columns;
    const int height = BlockSize * rows;
    const qint64 rowBytes = bitmapRowBytes(width);
    const qint64 imageBytes = rowBytes * height;

    QByteArray header;
    header.append("BM", 2);
    putLe(header, quint32(BitmapHeaderSize + imageBytes), 4);
    putLe(header, 0, 4);                    // reserved
    putLe(header, BitmapHeaderSize, 4);     // where the pixels begin
    putLe(header, 40, 4);                   // size of the info header
    putLe(header, quint32(width), 4);
    putLe(header, quint32(height), 4);      // positive: rows bottom-up
    putLe(header, 1, 2);                    // planes
    putLe(header, 24, 2);                   // bits a pixel
    putLe(header, 0, 4);                    // no compression
    putLe(header, quint32(imageBytes), 4);
    putLe(header, 3780, 4);                 // 96 dots an inch, both ways
    putLe(header, 3780, 4);
    putLe(header, 0, 4);                    // no palette
    putLe(header, 0, 4);
    write(header);

    // Each cell's pixels as 24-bit rows; a missing block stays a null image (white).
    std::vector<QImage> cells(size_t(columns) * size_t(rows));
    for (size_t k = 0; k < cells.size() && k < blocks.size(); ++k) {
        if (!blocks[k])
            continue;
        const QImage& bitmap = blocks[k]->Bitmap;
        cells[k] = bitmap.format() == QImage::Format_RGB888 || bitmap.isNull()
                       ? bitmap
                       : bitmap.convertToFormat(QImage::Format_RGB888);
    }

    // One strip of a block row at a time, bottom row first as the file wants it, each
    // block copied whole so its pixels are read in order.
    QByteArray strip(rowBytes * BlockSize, '\0');
    for (int r = rows - 1; r >= 0; --r) {
        for (int c = 0; c < columns; ++c) {
            const QImage& cell = cells[size_t(c) * size_t(rows) + size_t(r)];
            const int w = std::min(BlockSize, cell.width());
            const int h = std::min(BlockSize, cell.height());
            for (int y = 0; y < BlockSize; ++y) {
                auto* d = reinterpret_cast<uchar*>(strip.data()) + rowBytes * (BlockSize - 1 - y) + 3 * BlockSize * c;
                int x = 0;
                if (y < h) {
                    const uchar* s = cell.constScanLine(y);
                    for (; x < w; ++x, s += 3, d += 3) {
                        d[0] = s[2];   // blue, green, red
                        d[1] = s[1];
                        d[2] = s[0];
                    }
                }
                std::memset(d, 0xFF, size_t(3 * (BlockSize - x)));
            }
        }
        write(strip);
    }
}

void writeBlocksAsPicture(QIODevice& device, const TBlockList& blocks, int columns, int rows,
                          const QByteArray& format, const QString& name)
{
    if (format == "bmp") {
        writeBlocksAsBitmap(device, blocks, columns, rows, name);
        return;
    }
    QImageWriter writer(&device, format);
    if (!writer.write(joinBlocks(blocks, columns, rows)))
        throw FileError(QStringLiteral("Cannot write file %1: %2").arg(name, writer.errorString()));
}

} // namespace bitmapgrid
