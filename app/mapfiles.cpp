#include "app/mapfiles.h"

#include <QDir>
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

} // namespace mapfiles
