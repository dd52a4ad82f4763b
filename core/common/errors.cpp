#include "core/common/errors.h"

namespace {

// what() is a C string and would end at a NUL character: it is shown as \0 instead.
std::string wholeMessage(QString message)
{
    return message.replace(QChar(0), QStringLiteral("\\0")).toStdString();
}

QString withReason(const QString& text, const QString& reason)
{
    return reason.isEmpty() ? text : text + QStringLiteral(": ") + reason;
}

} // namespace

QString shortenedToken(const QString& token)
{
    constexpr qsizetype MostShown = 40;
    if (token.size() <= MostShown)
        return token;
    return token.left(MostShown) + QStringLiteral("...");
}

PlsdError::PlsdError(const QString& message)
    : std::runtime_error(wholeMessage(message))
{
}

QString PlsdError::message() const
{
    return QString::fromStdString(what());
}

ConversionError::ConversionError(const QString& text)
    : PlsdError(QStringLiteral("'%1' is not a valid integer value").arg(shortenedToken(text)))
    , text(text)
{
}

ListIndexError::ListIndexError()
    : PlsdError(QStringLiteral("List index out of bounds"))
{
}

FileError FileError::cannotOpen(const QString& path, const QString& reason)
{
    return FileError(withReason(QStringLiteral("Cannot open file %1").arg(path), reason));
}

FileError FileError::cannotCreate(const QString& path, const QString& reason)
{
    return FileError(withReason(QStringLiteral("Cannot create file %1").arg(path), reason));
}

FileError FileError::cannotWrite(const QString& path, const QString& reason)
{
    return FileError(withReason(QStringLiteral("Cannot write file %1").arg(path), reason));
}

FileError FileError::cannotRead(const QString& path, const QString& reason)
{
    return FileError(withReason(QStringLiteral("Cannot read file %1").arg(path), reason));
}

FileError FileError::notRegular(const QString& path)
{
    return FileError(QStringLiteral("%1 is not a regular file").arg(path));
}

