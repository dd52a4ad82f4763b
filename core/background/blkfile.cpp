#include "core/background/blkfile.h"

#include "core/common/errors.h"

#include <QIODevice>

namespace blk {

Layout readLayout(QIODevice& device, const QString& name)
{
    const qint64 fileSize = device.size();
    const QByteArray head = device.read(HeaderSize);
    const Header header = parseHeader(head.constData(), head.size(), fileSize, name);
    const QByteArray index = device.read(header.indexBytes());
    if (index.size() != header.indexBytes())
        throw FormatError(QStringLiteral("%1 is truncated or damaged: its index ends early").arg(name));
    return parseIndex(header, index.constData(), fileSize, name);
}

TBlockList readBlocks(QIODevice& device, const Layout& layout, const QString& name, const LoadProgress& progress)
{
    QByteArray buffer;
    const PixelSource source = [&](qint64 position, qint64 bytes) -> const char* {
        if (device.pos() != position && !device.seek(position))
            return nullptr;
        buffer.resize(bytes);
        return device.read(buffer.data(), bytes) == bytes ? buffer.constData() : nullptr;
    };
    return decodeBlocks(layout, source, name, progress);
}

} // namespace blk
