#include "tool/info.h"

#include "core/background/blkfile.h"
#include "core/common/errors.h"
#include "core/files/readfile.h"
#include "core/script/textfile.h"
#include "tool/backgroundinfo.h"
#include "core/files/mapfiles.h"
#include "tool/scriptinfo.h"
#include "tool/toolstatus.h"

#include <QFile>
#include <QImageReader>
#include <new>

namespace {

QString describeBackgroundFile(const QString& path)
{
    QFile file;
    files::openForReading(file, path);
    return describeBackground(path, blk::readLayout(file, path));
}

QString describePicture(const QString& path)
{
    QFile file;
    files::openForReading(file, path);
    const LibraryOutputSilenced quiet;
    QImageReader reader(&file);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid())
        throw FormatError(QStringLiteral("%1 is not a picture this program reads").arg(path));
    return path + QStringLiteral(": picture\n")
           + QStringLiteral("  format: %1\n").arg(QString::fromLatin1(reader.format()))
           + QStringLiteral("  size: %1 x %2 pixels\n").arg(size.width()).arg(size.height());
}

} // namespace

QString describeFile(const QString& path)
{
    switch (mapfiles::kindOf(path)) {
    case mapfiles::Kind::Background:
        return describeBackgroundFile(path);
    case mapfiles::Kind::RoomScript:
        return describeScript(path, ReadTextFile(path));
    case mapfiles::Kind::Bitmap:
    case mapfiles::Kind::Unknown:
        break;
    }
    return describePicture(path);
}

int runInfo(const QStringList& files)
{
    int status = ExitSuccess;
    for (const QString& path : files) {
        try {
            printOut(describeFile(path));
        } catch (const PlsdError& error) {
            printError(mapfiles::aboutFile(path, error.message()));
            status = ExitFailure;
        } catch (const std::bad_alloc&) {
            printError(mapfiles::aboutFile(path, QStringLiteral("not enough memory")));
            status = ExitFailure;
        }
    }
    return status;
}
