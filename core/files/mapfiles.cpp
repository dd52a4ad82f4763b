#include "core/files/mapfiles.h"

#include "core/background/blkfile.h"
#include "core/common/errors.h"
#include "core/files/readfile.h"
#include "core/files/savefile.h"
#include "core/script/textfile.h"

#include <QDir>
#include <QFile>

#include <QFileInfo>
#include <algorithm>

namespace mapfiles {

Kind kindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("blk"))
        return Kind::Background;
    if (suffix == QLatin1String("bmp"))
        return Kind::Bitmap;
    if (suffix == QLatin1String("cos"))
        return Kind::RoomScript;
    return Kind::Unknown;
}

QString unknownKindMessage(const QString& path)
{
    return QStringLiteral("%1 is not a background file (.blk), a Windows bitmap (.bmp) or a room definition "
                          "script (.cos)")
        .arg(path);
}

QString suggestedSaveName(Kind kind, const QString& roomFile, const QString& backgroundFile,
                          const QString& importedPicture)
{
    const QString& own = kind == Kind::Background ? backgroundFile : roomFile;
    if (!own.isEmpty())
        return own;
    const QString extension = kind == Kind::Background ? QStringLiteral("blk") : QStringLiteral("cos");
    for (const QString* from : {&backgroundFile, &importedPicture, &roomFile}) {
        if (from->isEmpty())
            continue;
        const QFileInfo file(*from);
        return file.dir().filePath(file.completeBaseName() + QLatin1Char('.') + extension);
    }
    return {};
}

QStringList openingOrder(const QStringList& paths)
{
    const auto rank = [](const QString& path) {
        switch (kindOf(path)) {
        case Kind::Background:
        case Kind::Bitmap:
            return 0;
        case Kind::RoomScript:
            return 1;
        case Kind::Unknown:
            break;
        }
        return 2;
    };
    QStringList ordered = paths;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&rank](const QString& a, const QString& b) { return rank(a) < rank(b); });
    return ordered;
}

QString windowTitle(const QString& roomFile, const QString& backgroundFile)
{
    const QString& named = roomFile.isEmpty() ? backgroundFile : roomFile;
    if (named.isEmpty())
        return QStringLiteral("Palisandre[*]");
    return QFileInfo(named).fileName() + QStringLiteral("[*] - Palisandre");
}

PictureKey pictureKey(const TBlockList* blocks, int columns, int rows)
{
    if (!blocks || blocks->empty())
        return {0, columns, rows};
    return {blocks->front()->Bitmap.cacheKey(), columns, rows};
}

QString aboutFile(const QString& path, const QString& message)
{
    return message.contains(path) ? message : path + QStringLiteral(": ") + message;
}

BackgroundFile readBackgroundFile(const QString& path, const Progress& progress)
{
    QFile file;
    files::openForReading(file, path, QIODevice::ReadOnly | QIODevice::Unbuffered);
    const blk::Layout layout = blk::readLayout(file, path);
    blk::LoadProgress pixels;
    if (progress)
        pixels = [&progress](qint64 done, qint64 total) { progress(blk::roundedPercent(done, total)); };
    auto blocks = std::make_shared<TBlockList>(blk::readBlocks(file, layout, path, pixels));
    return {PictureGrid{std::move(blocks), layout.columns, layout.rows}, layout.placement};
}

void saveBackgroundFile(const QString& path, const TBlockList* blocks, int columns, int rows,
                        const Progress& progress)
{
    blk::checkWritable(blocks, columns, rows);
    blk::SaveProgress written;
    if (progress)
        written = [&progress](int done, int total) { progress(blk::roundedPercent(done, total)); };
    files::saveFile(path, [&](QIODevice& file) { blk::writeBackground(file, *blocks, columns, rows, path, written); });
}

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

} // namespace mapfiles
