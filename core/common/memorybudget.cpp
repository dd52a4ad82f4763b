#include "core/common/memorybudget.h"

#include "core/common/errors.h"

#include <QRegularExpression>

namespace memorybudget {

namespace {

qint64 currentLimit = DefaultLimit;

} // namespace

qint64 limit()
{
    return currentLimit;
}

void setLimit(qint64 bytes)
{
    currentLimit = bytes;
}

QString sizeText(qint64 bytes)
{
    static const char* const units[] = {"bytes", "KB", "MB", "GB", "TB"};
    double value = double(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    if (unit == 0)
        return QStringLiteral("%1 bytes").arg(bytes);
    const bool whole = value >= 10 || value == double(qint64(value));
    const QString number = whole ? QString::number(qRound64(value)) : QString::number(value, 'f', 1);
    return number + QLatin1Char(' ') + QLatin1String(units[unit]);
}

void checkPicture(const QString& name, qint64 width, qint64 height, qint64 bytes)
{
    if (bytes <= currentLimit)
        return;
    throw PlsdError(QStringLiteral("%1 claims %2 x %3 pixels, %4; the limit is %5")
                        .arg(name)
                        .arg(width)
                        .arg(height)
                        .arg(sizeText(bytes), sizeText(currentLimit)));
}

std::optional<qint64> parseSize(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,9})\\s*([mg]b?)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 number = match.captured(1).toLongLong();
    const bool gigabytes = match.captured(2).startsWith(QLatin1Char('g'), Qt::CaseInsensitive);
    const qint64 bytes = number << (gigabytes ? 30 : 20);
    if (bytes < SmallestLimit)
        return std::nullopt;
    return bytes;
}

} // namespace memorybudget
