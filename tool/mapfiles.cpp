#include "tool/mapfiles.h"

#include "core/background/bitmapgrid.h"
#include "core/background/blkfile.h"
#include "core/common/errors.h"
#include "core/files/readfile.h"
#include "tool/toolstatus.h"

#include <QFile>
#include <QImageReader>

QSize pictureSizeOf(const QString& path)
{
    QFile file;
    files::openForReading(file, path);
    if (mapfiles::kindOf(path) == mapfiles::Kind::Background) {
        const blk::Layout layout = blk::readLayout(file, path);
        return GridPictureSize(layout.columns, layout.rows);
    }
    const LibraryOutputSilenced quiet;
    QImageReader reader(&file);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid())
        throw FormatError(QStringLiteral("%1 is not a picture this program reads").arg(path));
    return size;
}

QImage readBackground(const QString& path)
{
    if (mapfiles::kindOf(path) != mapfiles::Kind::Background) {
        QImage picture;
        QString damage;
        try {
            const LibraryOutputSilenced quiet;
            picture = bitmapgrid::readPicture(path, &damage);
        } catch (const BitmapError& error) {
            throw BitmapError(mapfiles::aboutFile(path, error.message()));
        }
        if (!damage.isEmpty())
            printError(QStringLiteral("warning: ") + damage);
        return picture;
    }
    const mapfiles::BackgroundFile background = mapfiles::readBackgroundFile(path);
    return bitmapgrid::joinBlocks(*background.grid.blocks, background.grid.columns, background.grid.rows);
}
