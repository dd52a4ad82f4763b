#include "core/background/pictureformats.h"

#include "core/common/errors.h"

#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

namespace pictureformats {

namespace {

const QStringList& commonExtensions()
{
    static const QStringList extensions{QStringLiteral("png"), QStringLiteral("bmp"), QStringLiteral("jpg"),
                                        QStringLiteral("jpeg"), QStringLiteral("gif"), QStringLiteral("tif"),
                                        QStringLiteral("tiff"), QStringLiteral("webp")};
    return extensions;
}

QStringList supportedOf(const QList<QByteArray>& supported)
{
    QStringList found;
    for (const QString& extension : commonExtensions())
        if (supported.contains(extension.toLatin1()))
            found.append(extension);
    return found;
}

} // namespace

QStringList readableExtensions()
{
    return supportedOf(QImageReader::supportedImageFormats());
}

QStringList writableExtensions()
{
    return supportedOf(QImageWriter::supportedImageFormats());
}

QString nameFilter(const QStringList& extensions)
{
    QStringList patterns;
    for (const QString& extension : extensions)
        patterns.append(QStringLiteral("*.") + extension);
    return QStringLiteral("Pictures (%1)").arg(patterns.join(QLatin1Char(' ')));
}

QByteArray writeFormat(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty())
        return QByteArrayLiteral("bmp");
    const QByteArray format = suffix.toLower().toLatin1();
    if (!QImageWriter::supportedImageFormats().contains(format))
        throw BitmapError(QStringLiteral("Unknown picture file extension (.%1)").arg(shortenedToken(suffix)));
    return format;
}

} // namespace pictureformats
