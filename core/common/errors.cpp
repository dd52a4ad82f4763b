#include "core/common/errors.h"

namespace {

// what() is a C string and would end at a NUL character: it is shown as \0 instead.
std::string wholeMessage(QString message)
{
    return message.replace(QChar(0), QStringLiteral("\\0")).toStdString();
}

} // namespace

PlsdError::PlsdError(const QString& message)
    : std::runtime_error(wholeMessage(message))
{
}

QString PlsdError::message() const
{
    return QString::fromStdString(what());
}

ConversionError::ConversionError(const QString& text)
    : PlsdError(QStringLiteral("'%1' is not a valid integer value").arg(text))
    , text(text)
{
}

ListIndexError::ListIndexError()
    : PlsdError(QStringLiteral("List index out of bounds"))
{
}

FileError FileError::cannotOpen(const QString& path)
{
    return FileError(QStringLiteral("Cannot open file %1").arg(path));
}

FileError FileError::cannotCreate(const QString& path)
{
    return FileError(QStringLiteral("Cannot create file %1").arg(path));
}

QString shortenedToken(const QString& token)
{
    constexpr qsizetype MaxLength = 40;
    if (token.size() <= MaxLength)
        return token;
    return token.left(MaxLength) + QStringLiteral("...");
}
