#include "tool/thumbnail.h"

#include "core/background/blkfile.h"
#include "core/background/blkpreview.h"
#include "core/background/pictureformats.h"
#include "core/common/errors.h"
#include "core/common/memorybudget.h"
#include "core/files/readfile.h"
#include "core/files/savefile.h"
#include "core/model/scriptload.h"
#include "core/render/mappainter.h"
#include "tool/mapfiles.h"
#include "tool/toolstatus.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>

namespace {

// The preview of a background file. The file is mapped into memory, so that only the pages
// that hold sampled rows are read; where it cannot be mapped, those rows are read one by one.
QImage backgroundThumbnail(const QString& path, int maxSide, QSize size = {})
{
    QFile file;
    files::openForReading(file, path);
    const blk::Layout layout = blk::readLayout(file, path);
    const QSize picture = GridPictureSize(layout.columns, layout.rows);
    if (!size.isValid())
        size = blk::previewSize(picture, maxSide);

    const qint64 fileSize = file.size();
    const uchar* mapped = file.map(0, fileSize);
    QByteArray buffer;
    const blk::PixelSource source = [&](qint64 position, qint64 bytes) -> const char* {
        if (position < 0 || bytes < 0 || position + bytes > fileSize)
            return nullptr;
        if (mapped)
            return reinterpret_cast<const char*>(mapped + position);
        buffer.resize(bytes);
        return file.seek(position) && file.read(buffer.data(), bytes) == bytes ? buffer.constData() : nullptr;
    };
    return blk::previewImage(layout, source, size, path);
}

QImage pictureThumbnail(const QString& path, int maxSide, QSize size = {})
{
    files::checkReadable(path);
    const LibraryOutputSilenced quiet;
    QImageReader reader(path);
    const QSize picture = reader.size();
    if (!reader.canRead() || !picture.isValid())
        throw FormatError(QStringLiteral("%1 is not a picture this program reads").arg(path));
    memorybudget::checkPicture(path, picture.width(), picture.height(), 4 * qint64(picture.width()) * picture.height());
    if (!size.isValid())
        size = blk::previewSize(picture, maxSide);
    if (size != picture)
        reader.setScaledSize(size);
    QImage image = reader.read();
    if (image.isNull())
        throw FormatError(QStringLiteral("%1: %2").arg(path, reader.errorString()));
    return image.convertToFormat(QImage::Format_RGB32);
}

// A background file, else a picture, in the script's folder whose name without extension
// is the metaroom's background name (in any case); empty when there is none.
QString backgroundBeside(const QString& script, const ScriptContent& content)
{
    if (!content.metaroom)
        return {};
    const QString name = QFileInfo(content.metaroom->backgroundName).fileName();
    if (name.isEmpty())
        return {};
    const QFileInfoList files = QFileInfo(script).absoluteDir().entryInfoList(QDir::Files | QDir::Readable);
    const QStringList pictures = pictureformats::readableExtensions();
    QString picture;
    for (const QFileInfo& file : files) {
        if (file.completeBaseName().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const QString suffix = file.suffix().toLower();
        if (suffix == QStringLiteral("blk"))
            return file.filePath();
        if (picture.isEmpty() && pictures.contains(suffix))
            picture = file.filePath();
    }
    return picture;
}

QImage scriptThumbnail(const QString& path, int maxSide, QString* backgroundUsed)
{
    ScriptContent content;
    try {
        content = mapfiles::readScriptFile(path);
    } catch (const ScriptError& error) {
        throw error.inFile(path);
    }
    const RoomDefs defs = LoadedIntoEmptyMap(content);
    // A background beside that does not read leaves the rooms alone, with a warning.
    auto without = [](const PlsdError& error) {
        printError(QStringLiteral("warning: %1; the rooms are drawn without it").arg(error.message()));
    };
    QString backgroundPath = backgroundBeside(path, content);
    QSize backgroundSize;
    try {
        if (!backgroundPath.isEmpty())
            backgroundSize = pictureSizeOf(backgroundPath);
    } catch (const PlsdError& error) {
        without(error);
        backgroundPath.clear();
    }

    const QSize map = MapDrawingSize(defs, backgroundSize, 1);
    const QSize size = blk::previewSize(map, maxSide);
    MapDrawingOptions options;
    options.scale = size == map ? 1.0 : double(size.width()) / map.width();

    QImage background;
    if (!backgroundPath.isEmpty()) {
        const QSize scaled = blk::previewSize(backgroundSize, std::max(1, qRound(std::max(backgroundSize.width(),
                                                                                          backgroundSize.height())
                                                                                 * options.scale)));
        try {
            background = mapfiles::kindOf(backgroundPath) == mapfiles::Kind::Background
                             ? backgroundThumbnail(backgroundPath, 0, scaled)
                             : pictureThumbnail(backgroundPath, 0, scaled);
            if (backgroundUsed)
                *backgroundUsed = backgroundPath;
        } catch (const PlsdError& error) {
            without(error);
        }
    }
    const QImage drawing = DrawMapOnto(defs, background, size, options);
    if (drawing.isNull())
        throw PlsdError(QStringLiteral("%1: not enough memory for the preview").arg(path));
    return drawing;
}

} // namespace

QImage thumbnailOf(const QString& in, int size, QString* backgroundUsed)
{
    switch (mapfiles::kindOf(in)) {
    case mapfiles::Kind::Background:
        return backgroundThumbnail(in, size);
    case mapfiles::Kind::RoomScript:
        return scriptThumbnail(in, size, backgroundUsed);
    case mapfiles::Kind::Bitmap:
    case mapfiles::Kind::Unknown:
        break;
    }
    return pictureThumbnail(in, size);
}

void thumbnail(const ThumbnailRequest& request)
{
    const QImage image = thumbnailOf(request.in, request.size);
    files::saveFile(request.out, [&](QIODevice& file) {
        QImageWriter writer(&file, "png");
        const LibraryOutputSilenced quiet;
        if (!writer.write(image))
            throw FileError(QStringLiteral("Cannot write file %1: %2").arg(request.out, writer.errorString()));
    });
}
