#include "core/background/blkpreview.h"

#include "core/common/errors.h"

#include <QtEndian>
#include <algorithm>
#include <vector>

namespace blk {

namespace {

constexpr int Cell = BlockSize;

// The picture coordinates of `samples` samples in each of `count` preview pixels across a
// side of `length`, spread evenly, in increasing order.
std::vector<int> samplePositions(qint64 length, int count, int samples)
{
    std::vector<int> positions(size_t(count) * size_t(samples));
    const qint64 total = qint64(count) * samples;
    for (qint64 i = 0; i < total; ++i)
        positions[size_t(i)] = int((2 * i + 1) * length / (2 * total));
    return positions;
}

int samplesFor(qint64 length, int count)
{
    return int(std::clamp<qint64>((length + count - 1) / count, 1, PreviewSamples));
}

} // namespace

QSize previewSize(QSize picture, int maxSide)
{
    const qint64 longer = std::max(picture.width(), picture.height());
    if (longer <= maxSide)
        return picture;
    auto side = [&](qint64 length) { return int(std::max<qint64>(1, (length * maxSide + longer / 2) / longer)); };
    return {side(picture.width()), side(picture.height())};
}

QImage previewImage(const Layout& layout, const PixelSource& source, QSize size, const QString& name)
{
    QImage preview(size, QImage::Format_RGB32);
    if (preview.isNull())
        throw PlsdError(QStringLiteral("Not enough memory for a preview of %1 x %2 pixels")
                            .arg(size.width())
                            .arg(size.height()));
    const qint64 width = qint64(Cell) * layout.columns;
    const qint64 height = qint64(Cell) * layout.rows;
    const int samplesX = samplesFor(width, size.width());
    const int samplesY = samplesFor(height, size.height());
    const std::vector<int> xs = samplePositions(width, size.width(), samplesX);
    const std::vector<int> ys = samplePositions(height, size.height(), samplesY);

    // The sample columns that fall in each column of blocks: [first[c], first[c + 1]).
    std::vector<size_t> first(size_t(layout.columns) + 1, xs.size());
    for (size_t i = xs.size(); i-- > 0;)
        first[size_t(xs[i] / Cell)] = i;
    for (size_t c = layout.columns; c-- > 0;)
        first[c] = std::min(first[c], first[c + 1]);

    const bool is565 = layout.format == PixelFormat::RGB565;
    std::vector<unsigned> sums(size_t(size.width()) * 3);
    const unsigned count = unsigned(samplesX * samplesY);
    for (int line = 0; line < size.height(); ++line) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int j = 0; j < samplesY; ++j) {
            const int y = ys[size_t(line) * samplesY + j];
            const int blockRow = y / Cell;
            const int yy = y % Cell;
            for (int column = 0; column < layout.columns; ++column) {
                const size_t begin = first[size_t(column)], end = first[size_t(column) + 1];
                if (begin == end)
                    continue;
                const size_t k = size_t(column) * layout.rows + size_t(blockRow);
                const IndexRecord& record = layout.index[k];
                const bool inBlock = yy < record.height;
                const uchar* row = nullptr;
                if (inBlock) {
                    const qint64 rowBytes = qint64(record.width) * 2;
                    row = reinterpret_cast<const uchar*>(source(layout.positions[k] + yy * rowBytes, rowBytes));
                    if (!row)
                        throw FormatError(QStringLiteral("%1 is truncated or damaged: block %2 cannot be read")
                                              .arg(name)
                                              .arg(k));
                }
                for (size_t i = begin; i < end; ++i) {
                    const int xx = xs[i] % Cell;
                    Rgb rgb{255, 255, 255};
                    if (inBlock && xx < record.width) {
                        const std::uint16_t p = qFromLittleEndian<quint16>(row + 2 * xx);
                        rgb = is565 ? rgbFrom565(p) : rgbFrom555(p);
                    }
                    unsigned* sum = &sums[(i / size_t(samplesX)) * 3];
                    sum[0] += rgb.r;
                    sum[1] += rgb.g;
                    sum[2] += rgb.b;
                }
            }
        }
        auto* out = reinterpret_cast<QRgb*>(preview.scanLine(line));
        for (int x = 0; x < size.width(); ++x) {
            const unsigned* sum = &sums[size_t(x) * 3];
            out[x] = qRgb(int((sum[0] + count / 2) / count), int((sum[1] + count / 2) / count),
                          int((sum[2] + count / 2) / count));
        }
    }
    return preview;
}

} // namespace blk
