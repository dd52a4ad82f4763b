#include "tool/mapfiles.h"

#include "core/background/bitmapgrid.h"
#include "core/background/blkfile.h"
#include "core/common/errors.h"
#include "core/files/readfile.h"
#include "core/script/textfile.h"
#include "tool/filekinds.h"
#include "tool/toolstatus.h"

#include <QFile>
#include <QImageReader>

ScriptContent readScriptFile(const QString& path, int metaroom)
{
    QByteArray text;
    try {
        text = ReadTextFile(path);
    } catch (const FileError& error) {
        throw FileError(aboutFile(path, error.message()));
    }
    ScriptStart start;
    start.metaroom = metaroom;
    return ReadScript(text, start);
}

QSize pictureSizeOf(const QString& path)
{
    QFile file;
    files::openForReading(file, path);
    if (fileKind(path) == FileKind::Background) {
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
    if (fileKind(path) != FileKind::Background) {
        QImage picture;
        QString damage;
        try {
            const LibraryOutputSilenced quiet;
            picture = bitmapgrid::readPicture(path, &damage);
        } catch (const BitmapError& error) {
            throw BitmapError(aboutFile(path, error.message()));
        }
        if (!damage.isEmpty())
            printError(QStringLiteral("warning: ") + damage);
        return picture;
    }
    QFile file;
    files::openForReading(file, path);
    const blk::Layout layout = blk::readLayout(file, path);
    const TBlockList blocks = blk::readBlocks(file, layout, path);
    return bitmapgrid::joinBlocks(blocks, layout.columns, layout.rows);
}
