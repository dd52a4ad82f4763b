#include "tool/mapfiles.h"

#include "core/background/bitmapgrid.h"
#include "core/background/blkfile.h"
#include "core/common/errors.h"
#include "core/script/textfile.h"
#include "tool/filekinds.h"
#include "tool/toolstatus.h"

#include <QFile>
#include <QImageReader>

namespace {

QFile& openForReading(QFile& file)
{
    if (!file.open(QIODevice::ReadOnly))
        throw FileError::cannotOpen(file.fileName());
    return file;
}

} // namespace

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
    QFile file(path);
    openForReading(file);
    if (fileKind(path) == FileKind::Background) {
        const blk::Layout layout = blk::readLayout(file, path);
        return {layout.columns * bitmapgrid::BlockSize, layout.rows * bitmapgrid::BlockSize};
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
        try {
            const LibraryOutputSilenced quiet;
            return bitmapgrid::readPicture(path);
        } catch (const BitmapError& error) {
            throw BitmapError(aboutFile(path, error.message()));
        }
    }
    QFile file(path);
    openForReading(file);
    const blk::Layout layout = blk::readLayout(file, path);
    const TBlockList blocks = blk::readBlocks(file, layout, path);
    return bitmapgrid::joinBlocks(blocks, layout.columns, layout.rows);
}
