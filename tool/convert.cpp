#include "tool/convert.h"

#include "core/background/bitmapgrid.h"
#include "core/background/blkfile.h"
#include "core/background/blkformat.h"
#include "core/background/pictureformats.h"
#include "core/common/errors.h"
#include "core/files/readfile.h"
#include "core/files/savefile.h"
#include "tool/commandline.h"
#include "tool/filekinds.h"
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
        throw BitmapError(aboutFile(request.in, error.message()));
    }
    if (!damage.isEmpty()) {
        progress.clear();
        printError(QStringLiteral("warning: ") + damage);
    }
    if (request.credit)
        bitmapgrid::stampCredit(picture);
    const QSize grid = bitmapgrid::gridSize(picture.size());
    const auto blocks = bitmapgrid::cutIntoBlocks(std::move(picture));
    blk::checkWritable(blocks.get(), grid.width(), grid.height());
    const QString step = QStringLiteral("Writing ") + shortName(request.out);
    files::saveFile(request.out, [&](QIODevice& file) {
        blk::writeBackground(file, *blocks, grid.width(), grid.height(), request.out, [&](int done, int total) {
            progress.show(step, blk::roundedPercent(done, total));
        });
    });
}

void backgroundToPicture(const ConvertRequest& request, ProgressLine& progress)
{
    const QByteArray format = pictureformats::writeFormat(request.out);
    QFile in;
    files::openForReading(in, request.in);
    const blk::Layout layout = blk::readLayout(in, request.in);
    const QString step = QStringLiteral("Reading ") + shortName(request.in);
    const TBlockList blocks = blk::readBlocks(in, layout, request.in, [&](qint64 done, qint64 total) {
        progress.show(step, blk::roundedPercent(done, total));
    });
    in.close();
    bitmapgrid::checkExportable(&blocks, layout.columns, layout.rows, format);
    progress.show(QStringLiteral("Writing ") + shortName(request.out));
    files::saveFile(request.out, [&](QIODevice& file) {
        const LibraryOutputSilenced quiet;
        bitmapgrid::writeBlocksAsPicture(file, blocks, layout.columns, layout.rows, format, request.out);
    });
}

} // namespace

void convert(const ConvertRequest& request, ProgressLine& progress)
{
    const bool fromBackground = fileKind(request.in) == FileKind::Background;
    const bool toBackground = fileKind(request.out) == FileKind::Background;
    if (fromBackground == toBackground)
        throw UsageError(QStringLiteral("convert: one of IN and OUT must be a background file (.blk), the other "
                                        "a picture (see palisandre-tool convert --help)"));
    if (toBackground)
        pictureToBackground(request, progress);
    else
        backgroundToPicture(request, progress);
}
