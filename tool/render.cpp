#include "tool/render.h"

#include "core/background/pictureformats.h"
#include "core/common/errors.h"
#include "core/common/memorybudget.h"
#include "core/files/savefile.h"
#include "core/model/scriptload.h"
#include "tool/mapfiles.h"
#include "tool/scriptinfo.h"
#include "tool/toolstatus.h"

#include <QImageWriter>

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

// The drawing (32-bit pixels) and the background it is drawn over (24-bit) live together.
void checkMemory(QSize drawing, QSize background, const QString& output)
{
    const qint64 needed = qint64(drawing.width()) * drawing.height() * 4 +
                          (background.isValid() ? qint64(background.width()) * background.height() * 3 : 0);
    if (needed > memorybudget::limit())
        throw PlsdError(QStringLiteral("%1: the drawing of %2 x %3 pixels over its background needs %4; the limit "
                                       "is %5; choose a smaller --scale")
                            .arg(output)
                            .arg(drawing.width())
                            .arg(drawing.height())
                            .arg(memorybudget::sizeText(needed), memorybudget::sizeText(memorybudget::limit())));
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
    const QSize drawingSize = MapDrawingSize(defs, backgroundSize, request.drawing.scale);
    checkDrawable(drawingSize, request.output);
    // The background is refused by its own claim before the drawing is reckoned with it.
    const QImage background = request.picture.isEmpty() ? QImage() : readBackground(request.picture);
    checkMemory(drawingSize, background.size(), request.output);
    const QImage drawing = DrawMap(defs, background, request.drawing);
    if (drawing.isNull())
        throw PlsdError(QStringLiteral("%1: not enough memory for the drawing").arg(request.output));

    files::saveFile(request.output, [&](QIODevice& file) {
        QImageWriter writer(&file, format);
        bool written = false;
        {
            const LibraryOutputSilenced quiet;
            written = writer.write(drawing);
        }
        if (!written)
            throw FileError::cannotWrite(request.output, writer.errorString());
    });
}
