#include "app/mapfiles.h"

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
