// File > Import Bitmap and File > Export Bitmap: a picture into the tile grid and back out,
// in any format Qt reads or writes.
#include "app/main.h"

#include "core/common/errors.h"
#include "core/background/bitmapgrid.h"
#include "core/background/pictureformats.h"
#include "core/files/savefile.h"
#include "app/statusbar.h"
#include "app/pictureinstall.h"
#include "app/recentfiles.h"
#include "app/settings.h"
#include "core/files/mapfiles.h"

#include <QSettings>
#include <new>

void TfrmMainForm::ImportBitmap(const QString& path)
{
    // Everything that can fail happens before the grid is touched.
    std::unique_ptr<TBlockList> blocks;
    QSize grid;
    QString damage;   // a picture read only in part is taken, and the user told
    try {
        QImage picture = bitmapgrid::readPicture(path, &damage);
        if (editorsettings::stampCredit(*recentfiles::userSettings()))
            bitmapgrid::stampCredit(picture);
        grid = bitmapgrid::gridSize(picture.size());
        blocks = bitmapgrid::cutIntoBlocks(std::move(picture));
    } catch (const std::bad_alloc&) {
        throw PlsdError(QStringLiteral("Not enough memory to import %1").arg(path));
    }
    tilegrid::InstallGrid(*this, std::move(blocks), grid.width(), grid.height(), QStringLiteral("Import Bitmap"));
    PictureImported(path);
    if (!damage.isEmpty())
        StatusBar->setText(damage);
}

void TfrmMainForm::ExportBitmap(const QString& path)
{
    const QByteArray format = pictureformats::writeFormat(path);
    bitmapgrid::checkExportable(Blocks.get(), BlockColumns, BlockRows, format);
    files::saveFile(path, [&](QIODevice& file) {
        bitmapgrid::writeBlocksAsPicture(file, *Blocks, BlockColumns, BlockRows, format, path);
    });
}
