#include "tool/render.h"

#include "core/background/pictureformats.h"
#include "core/common/errors.h"
#include "core/model/scriptload.h"
#include "tool/filekinds.h"
#include "tool/mapfiles.h"
#include "tool/scriptinfo.h"
#include "tool/toolstatus.h"

#include <QImageWriter>
#include <QSaveFile>

namespace {

// Beyond this a side is more than QPainter draws on.
constexpr int MaxSide = 32767;
constexpr qint64 MaxPixels = qint64(1) << 28;

void checkDrawable(QSize size, const QString& output)
{
    if (size.width() > MaxSide || size.height() > MaxSide || qint64(size.width()) * size.height() > MaxPixels)
        throw PlsdError(QStringLiteral("%1: the drawing would be %2 x %3 pixels, more than this program draws; "
                                       "choose a smaller --scale")
                            .arg(output)
                            .arg(size.width())
                            .arg(size.height()));
}

} // namespace

void render(const RenderRequest& request)
{
    const QByteArray format = pictureformats::writeFormat(request.output);
    ScriptContent content;
    try {
        content = readScriptMetaroom(request.script, request.metaroom);
    } catch (const ScriptError& error) {
        throw error.inFile(request.script);
    }
    const RoomDefs defs = LoadedIntoEmptyMap(content);
    // The size first, so that a drawing too large is refused before the picture is read.
    const QSize backgroundSize = request.picture.isEmpty() ? QSize() : pictureSizeOf(request.picture);
    checkDrawable(MapDrawingSize(defs, backgroundSize, request.drawing.scale), request.output);
    const QImage background = request.picture.isEmpty() ? QImage() : readBackground(request.picture);
    const QImage drawing = DrawMap(defs, background, request.drawing);
    if (drawing.isNull())
        throw PlsdError(QStringLiteral("%1: not enough memory for the drawing").arg(request.output));

    QSaveFile file(request.output);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError::cannotCreate(request.output);
    QImageWriter writer(&file, format);
    bool written = false;
    {
        const LibraryOutputSilenced quiet;
        written = writer.write(drawing);
    }
    if (!written || !file.commit())
        throw FileError(QStringLiteral("Cannot write file %1: %2")
                            .arg(request.output, written ? file.errorString() : writer.errorString()));
}
