#include "core/common/intconv.h"

#include "core/common/errors.h"

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> tryStrToInt(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    if (i == n)
        return std::nullopt;

    if (text[i] == u'$') {
        ++i;
        const qsizetype digits = n - i;
        if (digits < 1 || digits > 8)
            return std::nullopt;
        std::uint32_t value = 0;
        for (; i < n; ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0)
                return std::nullopt;
            value = (value << 4) | std::uint32_t(d);
        }
        return static_cast<std::int32_t>(value);
    }

    bool negative = false;
    if (text[i] == u'+' || text[i] == u'-') {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == n)
        return std::nullopt;
    // -2147483648 is a 32-bit number too, one further than the largest positive.
    const std::int64_t largest = negative ? std::int64_t(2147483648) : std::int64_t(2147483647);
    std::int64_t magnitude = 0;
    for (; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < '0' || u > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (u - '0');
        if (magnitude > largest)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t StrToInt(const QString& text)
{
    if (const auto value = tryStrToInt(text))
        return *value;
    throw ConversionError(text);
}

QString IntToStr(std::int32_t value)
{
    return QString::number(value);
}
