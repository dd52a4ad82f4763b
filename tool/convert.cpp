#include "tool/convert.h"

#include "core/background/bitmapgrid.h"
#include "core/background/blkfile.h"
#include "core/background/blkformat.h"
#include "core/background/pictureformats.h"
#include "core/common/errors.h"
#include "core/files/readfile.h"
#include "core/files/savefile.h"
#include "tool/commandline.h"
#include "core/files/mapfiles.h"
#include "tool/progressline.h"
#include "tool/toolstatus.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString shortName(const QString& path)
{
    return QFileInfo(path).fileName();
}

void pictureToBackground(const ConvertRequest& request, ProgressLine& progress)
{
    progress.show(QStringLiteral("Reading ") + shortName(request.in));
    QImage picture;
    QString damage;
    try {
        const LibraryOutputSilenced quiet;
        picture = bitmapgrid::readPicture(request.in, &damage);
    } catch (const BitmapError& error) {
        throw BitmapError(mapfiles::aboutFile(request.in, error.message()));
    }
    if (!damage.isEmpty()) {
        progress.clear();
        printError(QStringLiteral("warning: ") + damage);
    }
    if (request.credit)
        bitmapgrid::stampCredit(picture);
    const QSize grid = bitmapgrid::gridSize(picture.size());
    const auto blocks = bitmapgrid::cutIntoBlocks(std::move(picture));
    const QString step = QStringLiteral("Writing ") + shortName(request.out);
    mapfiles::saveBackgroundFile(request.out, blocks.get(), grid.width(), grid.height(),
                                 [&](int percent) { progress.show(step, percent); });
}

void backgroundToPicture(const ConvertRequest& request, ProgressLine& progress)
{
    const QByteArray format = pictureformats::writeFormat(request.out);
    const QString step = QStringLiteral("Reading ") + shortName(request.in);
    const mapfiles::BackgroundFile background
        = mapfiles::readBackgroundFile(request.in, [&](int percent) { progress.show(step, percent); });
    const TBlockList& blocks = *background.grid.blocks;
    const int columns = background.grid.columns;
    const int rows = background.grid.rows;
    bitmapgrid::checkExportable(&blocks, columns, rows, format);
    progress.show(QStringLiteral("Writing ") + shortName(request.out));
    files::saveFile(request.out, [&](QIODevice& file) {
        const LibraryOutputSilenced quiet;
        bitmapgrid::writeBlocksAsPicture(file, blocks, columns, rows, format, request.out);
    });
}

} // namespace

void convert(const ConvertRequest& request, ProgressLine& progress)
{
    const bool fromBackground = mapfiles::kindOf(request.in) == mapfiles::Kind::Background;
    const bool toBackground = mapfiles::kindOf(request.out) == mapfiles::Kind::Background;
    if (fromBackground == toBackground)
        throw UsageError(QStringLiteral("convert: one of IN and OUT must be a background file (.blk), the other "
                                        "a picture (see palisandre-tool convert --help)"));
    if (toBackground)
        pictureToBackground(request, progress);
    else
        backgroundToPicture(request, progress);
}
